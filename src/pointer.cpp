#include "pointer.h"

#include "keyboard.h"
#include "platform_gl.h"

#include <cmath>
#include <cstdlib>

namespace {

// GLUT's numbers for the wheel, which freeglut and Emscripten hand to the
// mouse callback as two buttons past the three it names.
constexpr int wheel_up = 3;
constexpr int wheel_down = 4;

struct drag_state {
    int button = 0;
    int mode = no_drag; // while no drag goes on
    int x = 0, y = 0; // where the button went down
    int sent_x = 0, sent_y = 0;
};

drag_state drag;

void press_times(int count, unsigned char key, int mode)
{
    for (int i = 0; i < count; ++i)
        press_key(key, mode);
}

// An axis's travel to (at), from the press point (from): its steps.
void travel(int at, int from, int& sent, unsigned char forward, unsigned char back)
{
    const int steps = travel_steps(at - from, sent);
    sent += steps;
    press_times(std::abs(steps), steps > 0 ? forward : back, drag.mode);
}

}

int travel_steps(double travel, int sent)
{
    return static_cast<int>(std::trunc(travel / step_pixels - sent));
}

int drag_mode(int button, bool shift)
{
    switch (button) {
    case GLUT_LEFT_BUTTON:
        return shift ? pan_mode : current_mode;
    case GLUT_RIGHT_BUTTON:
        return pan_mode;
    default:
        return no_drag;
    }
}

void mouse(int button, int state, int x, int y)
{
    if (button == wheel_up || button == wheel_down) {
        // Each notch comes as a press and a release: it counts once.
        if (state == GLUT_DOWN)
            press_times(notch_steps, button == wheel_up ? key_up : key_down, zoom_mode);
        return;
    }
    if (state == GLUT_UP) {
        if (button == drag.button)
            drag = {};
        return;
    }
    const int mode = drag_mode(button, (glutGetModifiers() & GLUT_ACTIVE_SHIFT) != 0);
    if (drag.mode != no_drag || mode == no_drag)
        return;
    drag = {button, mode, x, y};
}

void motion(int x, int y)
{
    if (drag.mode == no_drag)
        return;
    travel(x, drag.x, drag.sent_x, key_right, key_left);
    travel(y, drag.y, drag.sent_y, key_down, key_up);
}

void special(int key, int, int)
{
    // GLUT numbers the arrows in a row: left, up, right, down.
    constexpr unsigned char arrow_keys[] = {key_left, key_up, key_right, key_down};
    static_assert(GLUT_KEY_UP == GLUT_KEY_LEFT + 1 && GLUT_KEY_RIGHT == GLUT_KEY_LEFT + 2 &&
                  GLUT_KEY_DOWN == GLUT_KEY_LEFT + 3);
    if (key >= GLUT_KEY_LEFT && key <= GLUT_KEY_DOWN)
        press_key(arrow_keys[key - GLUT_KEY_LEFT], current_mode);
}
