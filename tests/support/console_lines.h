#pragma once

#include <string>

// Whether a line is a well-formed frame-rate line ("FPS: " and the rate as
// "%f" prints it, or "inf"), or view-mode line.
bool is_frame_line(const std::string& line);
bool is_view_mode_line(const std::string& line);
