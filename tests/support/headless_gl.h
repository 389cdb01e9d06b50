#pragma once

#include <vector>

// A real Mesa OpenGL context with no window system: EGL on the surfaceless
// platform, drawing into a framebuffer object of the given size. The first
// call creates the context; later calls only replace the framebuffer.
void use_headless_gl(int width, int height);

// The framebuffer's colours, RGB, rows from the bottom up.
std::vector<unsigned char> read_rgb(int width, int height);

// The viewer's own set-up, as init_viewer makes it but without a window:
// a 512 x 512 headless context with the OpenGL state, the camera at its
// start and the projection; the textures are left to the caller.
void start_headless_viewer();
