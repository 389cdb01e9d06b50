#include "viewer.h"

#include "camera.h"
#include "platform_gl.h"
#include "scene.h"
#include "timer.h"

#include <algorithm>
#include <cstdio>

void init_viewer()
{
    init_camera();
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    // Set after glutInit, so they win over a -geometry option.
    glutInitWindowSize(window_width, window_height);
    glutInitWindowPosition(200, 100);
    glutCreateWindow("textures");
    init_gl_state();
    glFlush();
    load_textures();
}

void init_gl_state()
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glClearColor(48 / 255.0f, 96 / 255.0f, 128 / 255.0f, 0.0f);
}

void reshape(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window of height 0 still gets a finite projection.
    gluPerspective(80.0, static_cast<double>(width) / std::max(height, 1), 1.0, 500.0);
    glMatrixMode(GL_MODELVIEW);
}

void display()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glLoadIdentity();
    const look_at view = camera_look_at();
    gluLookAt(view.eye[0], view.eye[1], view.eye[2], view.center[0], view.center[1],
              view.center[2], view.up[0], view.up[1], view.up[2]);
    // Only the issuing of the grid is timed; nothing waits for it to finish.
    timer_reset();
    timer_start();
    draw_grid();
    timer_stop();
    const float t = static_cast<float>(timer_seconds());
    std::printf(frame_line, 1.0 / t);
    glPopMatrix();
    glutSwapBuffers();
}
