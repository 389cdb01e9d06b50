#pragma once

// The keys the program takes: four movement keys, laid out as on a keypad,
// whose effect depends on the view mode; the projection's reset; and the
// next view mode. Every other key is ignored.
constexpr unsigned char key_up = '8';
constexpr unsigned char key_down = '2';
constexpr unsigned char key_left = '4';
constexpr unsigned char key_right = '6';
constexpr unsigned char key_reset = 'r';
constexpr unsigned char key_next_mode = 'v';
constexpr unsigned char movement_keys[] = {key_up, key_down, key_left, key_right};
constexpr unsigned char program_keys[] = {key_up,    key_down,  key_left,
                                          key_right, key_reset, key_next_mode};

// The view modes, in the order "v" steps through them.
constexpr int orbit_mode = 0;
constexpr int zoom_mode = 1;
constexpr int pan_mode = 2;
constexpr int view_mode_count = 3;

// Not a view mode: a press in it acts in the current one.
constexpr int current_mode = -1;

extern int view_mode;

void keyboard(unsigned char key, int x, int y);
// A press from elsewhere than the keyboard (a drag, the wheel, the page's
// buttons): a movement key acts in the view mode `mode`, or in the current
// one where `mode` is none, and the view mode is then as it was; the other
// program keys act as typed; any other key is ignored.
void press_key(unsigned char key, int mode);
