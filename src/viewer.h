#pragma once

// The viewer's window, its projection and its frames.
void init_viewer();
// The OpenGL state every frame relies on; needs a current context.
void init_gl_state();
void display();
void reshape(int width, int height);
