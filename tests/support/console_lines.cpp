#include "console_lines.h"

#include "keyboard.h"
#include "viewer.h"

#include <cmath>
#include <regex>

namespace {

// A line's pattern, from the format the viewer prints it with: "%f" as it
// prints a number (or "inf"), "%d" as it prints a count.
std::regex pattern(std::string format)
{
    format.pop_back(); // the newline
    format = std::regex_replace(format, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
    format = std::regex_replace(format, std::regex("%f"), "(inf|[0-9]+\\.[0-9]{6})");
    return std::regex(std::regex_replace(format, std::regex("%d"), "(0|[1-9][0-9]*)"));
}

}

std::optional<double> frame_rate(const std::string& line)
{
    static const std::regex frame = pattern(frame_line);
    std::smatch rate;
    if (!std::regex_match(line, rate, frame))
        return std::nullopt;
    return rate[1] == "inf" ? INFINITY : std::stod(rate[1]);
}

std::optional<int> view_mode_of(const std::string& line)
{
    static const std::regex view_mode = pattern(view_mode_line);
    std::smatch mode;
    if (!std::regex_match(line, mode, view_mode) || mode[1].length() > 2 ||
        std::stoi(mode[1]) >= view_mode_count)
        return std::nullopt;
    return std::stoi(mode[1]);
}
