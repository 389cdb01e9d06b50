#include "console_lines.h"

#include "keyboard.h"

#include <cmath>
#include <regex>

std::optional<double> frame_rate(const std::string& line)
{
    static const std::regex frame("FPS: (inf|[0-9]+\\.[0-9]{6})");
    std::smatch rate;
    if (!std::regex_match(line, rate, frame))
        return std::nullopt;
    return rate[1] == "inf" ? INFINITY : std::stod(rate[1]);
}

std::optional<int> view_mode_of(const std::string& line)
{
    static const std::regex view_mode("view mode: ([0-9])");
    std::smatch mode;
    if (!std::regex_match(line, mode, view_mode) || std::stoi(mode[1]) >= view_mode_count)
        return std::nullopt;
    return std::stoi(mode[1]);
}
