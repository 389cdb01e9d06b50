#pragma once

#include "scene_model.h"

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// A virtual X server for this test program, started on first use on a
// display of its own and stopped when the program ends; DISPLAY names it.
const std::string& x_display();
// Stops the server now, for tests of a viewer that loses its display.
void stop_x_server();

// Runs a command line through the shell and returns its standard output.
std::string run_command(const std::string& command);

// Whether a window titled "textures" is on the display, waiting up to
// `wait` for it to go.
bool viewer_window_exists(std::chrono::milliseconds wait = std::chrono::milliseconds(0));

// The real viewer, started as a user would start it, with its standard
// output line-buffered through stdbuf so that each line can be read as
// the viewer prints it.
class viewer_process {
public:
    struct options {
        std::vector<std::string> arguments;
        std::string directory;                   // working directory; data/ by default
        std::optional<std::string> display;      // DISPLAY to use; the test server when empty
        bool keep_display = true;                // false: run with no DISPLAY at all
        std::vector<std::string> wrapper;        // e.g. valgrind and its options
        std::string executable = TEXTURES_EXECUTABLE; // or wine, the .exe its argument
    };

    explicit viewer_process(const options& o);
    ~viewer_process();
    viewer_process(const viewer_process&) = delete;
    viewer_process& operator=(const viewer_process&) = delete;

    // The next line of standard output, without its newline; nothing if
    // none arrives in time or the output has ended.
    std::optional<std::string> next_line(std::chrono::milliseconds wait = std::chrono::seconds(10));
    // Lines arriving within the wait; an empty list means the viewer
    // stayed quiet.
    std::vector<std::string> lines_within(std::chrono::milliseconds wait);
    // Waits for the process to end: its exit status, or -1 after a signal,
    // or nothing if it was still running when the wait ran out.
    std::optional<int> wait_exit(std::chrono::milliseconds wait);
    bool running();
    bool core_dumped() const { return core_dumped_; }
    std::string error_output(); // standard error so far
    pid_t pid() const { return pid_; }

    // The viewer's window, waiting up to `wait` for it to appear.
    std::string window(std::chrono::seconds wait = std::chrono::seconds(20));
    void keys(const std::string& names);
    void resize(int width, int height);
    // Asks the viewer to close its window, as a window manager does.
    void close_window();
    image screenshot();
    // Position and size, as the X server has them.
    std::array<int, 4> geometry();

private:
    void drain(int fd, std::string& into, std::chrono::milliseconds wait);
    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    std::string out_buffer_, err_buffer_, window_;
    bool exited_ = false, core_dumped_ = false;
    int status_ = 0;
};

// The texels the viewer should show for the shipped picture in this build.
const std::vector<unsigned char>& shipped_texels();

// A picture file (PNG, say) read through ImageMagick.
image read_image(const std::string& path);

// Whether a line is a well-formed frame-rate line.
bool is_frame_line(const std::string& line);
// Whether a line is a well-formed view-mode line.
bool is_view_mode_line(const std::string& line);

// Waits until the viewer has printed nothing for a while, and returns what
// it printed until then: lets pass the frames that the window system asks
// for (exposure, resize).
std::vector<std::string> settle(viewer_process& viewer);

// The key name repeated, as one argument list for xdotool.
std::string repeat(const std::string& key, int times);

constexpr viewport full_window{0, 0, 512, 512};

// Expects the frame on screen to match the model within `wait`: the last
// frame line comes just before the buffers swap, and where no line can be
// read the frame is waited for on screen.
void expect_frame(viewer_process& viewer, const camera_model& camera, viewport view, double aspect,
                  const std::vector<unsigned char>& texels = shipped_texels(),
                  std::chrono::milliseconds wait = std::chrono::seconds(2));

// Expects a frame compared with the model (compare_frame) to have matched.
void expect_no_faults(const std::vector<std::string>& faults, int checked);

// The viewer on the shipped picture, its first frame drawn.
struct started_viewer {
    viewer_process viewer;
    explicit started_viewer(std::vector<std::string> arguments = {},
                            std::vector<std::string> wrapper = {},
                            std::chrono::milliseconds first_frame_wait = std::chrono::seconds(20));
};
