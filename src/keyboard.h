#pragma once

// The keys the program takes and the view modes, as the table keys.def
// declares them: movement keys, whose effect depends on the view mode,
// and keys that act alike in every mode. Every other key is ignored.
#define MOVEMENT_KEY(name, character, row, column) constexpr unsigned char key_##name = character;
#define KEY(name, character, action, words) constexpr unsigned char key_##name = character;
#include "keys.def"

constexpr unsigned char movement_keys[] = {
#define MOVEMENT_KEY(name, character, row, column) character,
#include "keys.def"
};
constexpr unsigned char program_keys[] = {
#define MOVEMENT_KEY(name, character, row, column) character,
#define KEY(name, character, action, words) character,
#include "keys.def"
};

// The view modes, NAME_mode, in the order "v" steps through them.
enum : int {
#define VIEW_MODE(name, how) name##_mode,
#include "keys.def"
    view_mode_count
};

// Not a view mode: a press in it acts in the current one.
constexpr int current_mode = -1;

// The line "v" prints, with the new view mode.
constexpr char view_mode_line[] = "view mode: %d\n";

extern int view_mode;

void keyboard(unsigned char key, int x, int y);
// A press from elsewhere than the keyboard (a drag, the wheel, the page's
// buttons): a movement key acts in the view mode `mode`, or in the current
// one where `mode` is none, and the view mode is then as it was; the other
// program keys act as typed; any other key is ignored.
void press_key(unsigned char key, int mode);
