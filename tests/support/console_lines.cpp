#include "console_lines.h"

#include <algorithm>
#include <cctype>

namespace {

bool digits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

}

bool is_frame_line(const std::string& line)
{
    const std::string prefix = "FPS: ";
    if (line.rfind(prefix, 0) != 0)
        return false;
    const std::string rate = line.substr(prefix.size());
    const std::size_t point = rate.find('.');
    return rate == "inf" || (point != std::string::npos && digits(rate.substr(0, point)) &&
                             rate.size() == point + 7 && digits(rate.substr(point + 1)));
}

bool is_view_mode_line(const std::string& line)
{
    return line == "view mode: 0" || line == "view mode: 1" || line == "view mode: 2";
}
