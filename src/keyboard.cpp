#include "keyboard.h"

#include "camera.h"
#include "platform_gl.h"
#include "viewer.h"

#include <cstdio>

int view_mode = 0;

namespace {

// "8" moves with sign -1, "2" with +1.
void move_vertical(float sign)
{
    switch (view_mode) {
    case 0:
        phi += sign * angle_step;
        update_eye();
        break;
    case 1:
        radius += sign * 0.5f;
        update_eye();
        break;
    case 2:
        eye.z += sign;
        center.z += sign;
        break;
    }
}

// "4" moves with sign -1, "6" with +1; zoom mode has nothing for them.
void move_horizontal(float sign)
{
    switch (view_mode) {
    case 0:
        theta += sign * angle_step;
        update_eye_xy();
        break;
    case 2:
        eye.x -= sign;
        center.x -= sign;
        break;
    }
}

}

void keyboard(unsigned char key, int, int)
{
    switch (key) {
    case '8':
        move_vertical(-1);
        break;
    case '2':
        move_vertical(1);
        break;
    case '4':
        move_horizontal(-1);
        break;
    case '6':
        move_horizontal(1);
        break;
    case 'r':
        reshape(window_width, window_height);
        break;
    case 'v':
        view_mode = (view_mode + 1) % 3;
        std::printf("view mode: %d\n", view_mode);
        return;
    default:
        return;
    }
    glutPostRedisplay();
}
