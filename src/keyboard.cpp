#include "keyboard.h"

#include "camera.h"
#include "platform_gl.h"
#include "viewer.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

int view_mode = orbit_mode;

namespace {

// The up key moves with sign -1, the down key with +1.
void move_vertical(float sign)
{
    switch (view_mode) {
    case orbit_mode:
        phi += sign * angle_step;
        update_eye();
        break;
    case zoom_mode:
        radius += sign * 0.5f;
        update_eye();
        break;
    case pan_mode:
        eye.z += sign;
        center.z += sign;
        break;
    }
}

// The left key moves with sign -1, the right key with +1; zoom mode has
// nothing for them.
void move_horizontal(float sign)
{
    switch (view_mode) {
    case orbit_mode:
        theta += sign * angle_step;
        update_eye_xy();
        break;
    case pan_mode:
        eye.x -= sign;
        center.x -= sign;
        break;
    }
}

}

void keyboard(unsigned char key, int, int)
{
    switch (key) {
    case key_up:
        move_vertical(-1);
        break;
    case key_down:
        move_vertical(1);
        break;
    case key_left:
        move_horizontal(-1);
        break;
    case key_right:
        move_horizontal(1);
        break;
    case key_reset:
        reshape(window_width, window_height);
        break;
    case key_next_mode:
        view_mode = (view_mode + 1) % view_mode_count;
        std::printf("view mode: %d\n", view_mode);
        return;
    default:
        return;
    }
    glutPostRedisplay();
}

void press_key(unsigned char key, int mode)
{
    const auto in = [key](const auto& keys) {
        return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
    };
    if (!in(program_keys))
        return;
    const int current = view_mode;
    const bool movement = in(movement_keys);
    if (movement && mode >= 0 && mode < view_mode_count)
        view_mode = mode;
    keyboard(key, 0, 0);
    if (movement)
        view_mode = current;
}
