#pragma once

// 0 orbit, 1 zoom, 2 pan.
extern int view_mode;

void keyboard(unsigned char key, int x, int y);
