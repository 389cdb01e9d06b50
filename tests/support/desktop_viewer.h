#pragma once

#include "frame_check.h"
#include "process.h"
#include "x_display.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The real viewer on the test program's X server, started as a user would
// start it, with its standard output line-buffered through stdbuf (or as
// TEXTURES_VIEWER_COMMAND says) so that each line can be read as the viewer
// prints it.
struct viewer_options {
    std::vector<std::string> arguments{};
    std::string directory = TEXTURES_DATA_DIR;
    // Over the test program's own; DISPLAY is the test server's.
    std::map<std::string, std::optional<std::string>> environment{};
    std::vector<std::string> wrapper{};           // valgrind and its options, say
    std::string executable = TEXTURES_EXECUTABLE; // or wine, the .exe its argument
};

class viewer_process : public process {
public:
    explicit viewer_process(const viewer_options& options);
    // Ends the viewer, and waits for its window to go, so that the next
    // viewer cannot be mistaken for it.
    ~viewer_process();

    // The viewer's window, waiting up to `wait` for it to appear.
    x_window window(std::chrono::milliseconds wait = std::chrono::seconds(20));
    void keys(const std::string& names) { send_keys(window(), names); }
    void drag(int button, const std::vector<std::array<int, 2>>& points, bool shift = false)
    {
        send_drag(window(), button, points, shift);
    }
    void resize(int width, int height) { resize_window(window(), width, height); }
    void close_window() { ::close_window(window()); }
    image screenshot() { return capture_window(window()); }
    std::array<int, 4> geometry() { return window_geometry(window()); }

private:
    std::optional<x_window> window_;
};

// Waits until the viewer has printed nothing for a while, and returns what
// it printed until then: lets pass the frames that the window system asks
// for (exposure, resize).
std::vector<std::string> settle(process& viewer);

// Expects the frame on screen to match the model within `wait`: the last
// frame line comes just before the buffers swap, and where no line can be
// read the frame is waited for on screen.
void expect_frame(viewer_process& viewer, const camera_model& camera, viewport view, double aspect,
                  const std::vector<unsigned char>& texels = shipped_texels(),
                  std::chrono::milliseconds wait = std::chrono::seconds(2));

// The viewer on the shipped picture, its first frame drawn.
struct started_viewer {
    viewer_process viewer;
    explicit started_viewer(const viewer_options& options = {},
                            std::chrono::milliseconds first_frame_wait = std::chrono::seconds(20));
};
