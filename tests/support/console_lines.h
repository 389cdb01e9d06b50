#pragma once

#include <optional>
#include <string>

// The viewer's two console lines, read as the formats it prints them with
// (viewer.h, keyboard.h) say: the rate of a frame's line, and the mode of
// a view mode's line; nothing for any other line.
std::optional<double> frame_rate(const std::string& line);
std::optional<int> view_mode_of(const std::string& line);

inline bool is_frame_line(const std::string& line)
{
    return frame_rate(line).has_value();
}
inline bool is_view_mode_line(const std::string& line)
{
    return view_mode_of(line).has_value();
}
