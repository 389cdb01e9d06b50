#include "desktop_viewer.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <thread>

using namespace std::chrono_literals;

namespace {

// The executable, its lines coming as it prints them: through stdbuf, or,
// for this build's viewer where TEXTURES_VIEWER_COMMAND names a command (a
// CMake list), through that: a cross build's viewer in its emulator, which
// stdbuf cannot reach, say.
std::vector<std::string> line_buffered(const std::string& executable)
{
    const char* command = std::getenv("TEXTURES_VIEWER_COMMAND");
    if (command == nullptr || executable != TEXTURES_EXECUTABLE)
        return {"stdbuf", "-oL", executable};
    std::vector<std::string> parts;
    std::istringstream list(command);
    for (std::string part; std::getline(list, part, ';');)
        parts.push_back(part);
    return parts;
}

process_options viewer_command(const viewer_options& o)
{
    // Before the viewer starts, so that it finds DISPLAY.
    x_display();
    std::vector<std::string> argv = o.wrapper;
    for (const std::string& part : line_buffered(o.executable))
        argv.push_back(part);
    argv.insert(argv.end(), o.arguments.begin(), o.arguments.end());
    return {.argv = argv, .directory = o.directory, .environment = o.environment};
}

}

viewer_process::viewer_process(const viewer_options& options) : process(viewer_command(options)) {}

viewer_process::~viewer_process()
{
    stop(0ms);
    if (window_)
        window_exists("textures", 3s);
}

x_window viewer_process::window(std::chrono::milliseconds wait)
{
    // Asked again and again: Wine's passing windows come and go.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!window_) {
        window_ = find_window("textures");
        if (window_)
            break;
        if (!running() || std::chrono::steady_clock::now() >= deadline)
            throw std::runtime_error("no window appeared; the viewer said: " + error_output());
        std::this_thread::sleep_for(100ms);
    }
    return *window_;
}

std::vector<std::string> settle(process& viewer)
{
    std::vector<std::string> lines;
    for (;;) {
        const std::vector<std::string> more = viewer.lines_within(400ms);
        if (more.empty())
            return lines;
        lines.insert(lines.end(), more.begin(), more.end());
    }
}

started_viewer::started_viewer(const viewer_options& options,
                               std::chrono::milliseconds first_frame_wait)
    : viewer(options)
{
    viewer.window(first_frame_wait);
    const std::optional<std::string> first = viewer.next_line(first_frame_wait);
    if (!first || !is_frame_line(*first))
        throw std::runtime_error("no first frame line; standard error: " + viewer.error_output());
    settle(viewer);
}

void expect_frame(viewer_process& viewer, const camera_model& camera, viewport view, double aspect,
                  const std::vector<unsigned char>& texels, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::vector<std::string> faults;
    int checked = 0;
    for (;;) {
        faults = compare_frame(viewer.screenshot(), texels, camera, view, aspect, checked);
        if (faults.empty() || std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(200ms);
    }
    expect_no_faults(faults, checked);
}
