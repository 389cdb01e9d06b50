#pragma once

#include "image.h"

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

// The X display, through Xlib alone. Every call opens its own connection
// to the display DISPLAY names, so that the server may go away between
// calls.

// A virtual X server (Xvfb, 1280 x 1024) of this program's own, started on
// first use; DISPLAY names it from then on, and it stops when the program
// ends. Where TEXTURES_X_DISPLAY names another server (Xwayland, say), that
// one instead.
const std::string& x_display();
// Stops that server now, for tests of a viewer that loses its display.
void stop_x_server();

using x_window = unsigned long;

// The first viewable window with this title, if there is one.
std::optional<x_window> find_window(const std::string& title);
// Whether a window with this title exists, viewable or not, waiting up to
// `wait` for it to go.
bool window_exists(const std::string& title,
                   std::chrono::milliseconds wait = std::chrono::milliseconds(0));

// Presses and releases each key of a space-separated list in turn, as
// XSendEvent delivers them to the window: keysym names ("6", "v", "R",
// "space", "Return"), with "shift+" for a held Shift.
void send_keys(x_window window, const std::string& keys);
// Presses the mouse button `button` (X's numbers: 1 left, 2 middle, 3
// right; 4 and 5 a notch of the wheel up and down) at the first of the
// points, in the window's pixels, moves through the others, and lets it go
// at the last, as XSendEvent delivers them to the window; with Shift held
// where `shift`.
void send_drag(x_window window, int button, const std::vector<std::array<int, 2>>& points,
               bool shift = false);
void resize_window(x_window window, int width, int height);
// Asks the window's client to close it, as a window manager does.
void close_window(x_window window);
// Position on the screen and size: x, y, width, height.
std::array<int, 4> window_geometry(x_window window);
image capture_window(x_window window);
