#pragma once

// The mouse, the wheel and the arrow keys, each turned into the program's
// movement keys: the one rule for the desktop's window and the page's
// gestures, so that both move the camera alike.

// A drag makes one movement key for every full `step_pixels` of travel,
// along each axis, from the point where its button went down: right and
// left, down and up. Travel that turns back first uses up what was left
// over from the last step.
constexpr int step_pixels = 10;
// A notch of the wheel: this many zoom steps, up closer and down further.
constexpr int notch_steps = 5;

// The steps that `travel` pixels along an axis make, `sent` steps having
// been made already: positive forward (right, down), negative back.
int travel_steps(double travel, int sent);

// No drag: a button that moves nothing.
constexpr int no_drag = -2;
// The view mode a drag with GLUT's `button` moves in: the current one
// (current_mode) for the left button, pan mode for the right one or the
// left with Shift held; no_drag for any other.
int drag_mode(int button, bool shift);

// GLUT's callbacks for the mouse (its wheel comes as buttons 3 and 4), a
// drag's motion, and the special keys, of which the arrows are movement
// keys in the current view mode.
void mouse(int button, int state, int x, int y);
void motion(int x, int y);
void special(int key, int x, int y);
