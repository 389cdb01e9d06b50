#pragma once

// The viewer's window, its projection and its frames.

// The window's size at start, to which "r" resets the projection.
constexpr int window_width = 512;
constexpr int window_height = 512;

// The line each frame prints, with the rate the grid's drawing commands were
// issued at.
constexpr char frame_line[] = "FPS: %f\n";

void init_viewer();
// The OpenGL state every frame relies on; needs a current context.
void init_gl_state();
void display();
void reshape(int width, int height);
