#include "keyboard.h"

#include "camera.h"
#include "platform_gl.h"
#include "viewer.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

int view_mode = orbit_mode;

namespace {

// The movements of keys.def, each in the direction of its sign.
void move_polar(float sign)
{
    phi += sign * angle_step;
    update_eye();
}

void move_azimuth(float sign)
{
    theta += sign * angle_step;
    update_eye_xy();
}

void move_distance(float sign)
{
    radius += sign * distance_step;
    update_eye();
}

void move_height(float sign)
{
    eye.z += sign * pan_step;
    center.z += sign * pan_step;
}

void move_across(float sign)
{
    eye.x += sign * pan_step;
    center.x += sign * pan_step;
}

void move_none(float) {}

// The actions of keys.def: whether each draws a frame.
bool next_view_mode()
{
    view_mode = (view_mode + 1) % view_mode_count;
    std::printf(view_mode_line, view_mode);
    return false;
}

bool reset_projection()
{
    reshape(window_width, window_height);
    return true;
}

struct move {
    unsigned char key;
    int mode;
    void (*movement)(float sign);
    float sign;
};

constexpr move moves[] = {
#define MOVE(key, mode, movement, sign, words) {key_##key, mode##_mode, move_##movement, sign},
#include "keys.def"
};

struct action {
    unsigned char key;
    bool (*act)();
};

constexpr action actions[] = {
#define KEY(name, character, action, words) {character, action},
#include "keys.def"
};

}

void keyboard(unsigned char key, int, int)
{
    bool draws = false;
    for (const move& m : moves)
        if (m.key == key && m.mode == view_mode) {
            m.movement(m.sign);
            draws = true;
        }
    for (const action& a : actions)
        if (a.key == key)
            draws = a.act();
    if (draws)
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
