#pragma once

// The viewer's window, its projection and its frames.
void init_viewer();
void display();
void reshape(int width, int height);
