#include "x_session.h"

// Before Xlib, whose macros (None, Bool) would rename what it declares.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

using namespace std::chrono_literals;

namespace {

struct x_server {
    pid_t pid = -1;
    std::string display;

    x_server()
    {
        int fds[2];
        if (pipe(fds) != 0)
            throw std::runtime_error("pipe failed");
        pid = fork();
        if (pid == 0) {
            close(fds[0]);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            const std::string fd = std::to_string(fds[1]);
            // -noreset: the server must outlive each viewer in turn.
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-nolisten", "tcp",
                   "-screen", "0", "1280x1024x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char number[32] = {};
        std::size_t got = 0;
        while (got < sizeof number - 1) {
            const ssize_t n = read(fds[0], number + got, sizeof number - 1 - got);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
            if (std::strchr(number, '\n'))
                break;
        }
        close(fds[0]);
        if (got == 0)
            throw std::runtime_error("Xvfb did not start (is it installed?)");
        display = ":" + std::string(number, std::strcspn(number, "\n"));
        setenv("DISPLAY", display.c_str(), 1);
    }

    ~x_server() { stop(); }

    void stop()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }
};

x_server& server()
{
    static x_server instance;
    return instance;
}

std::vector<unsigned char> read_binary(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reads a binary PPM, with the comment lines ImageMagick puts in its header.
image parse_ppm(const std::string& data)
{
    std::istringstream in(data);
    std::string magic;
    in >> magic;
    if (magic != "P6")
        throw std::runtime_error("not a PPM screenshot");
    int values[3];
    for (int& v : values) {
        in >> std::ws;
        while (in.peek() == '#') {
            std::string comment;
            std::getline(in, comment);
            in >> std::ws;
        }
        in >> v;
    }
    in.get();
    image result;
    result.width = values[0];
    result.height = values[1];
    result.pixels.resize(static_cast<std::size_t>(result.width) * result.height * 3);
    in.read(reinterpret_cast<char*>(result.pixels.data()),
            static_cast<std::streamsize>(result.pixels.size()));
    if (!in)
        throw std::runtime_error("short PPM screenshot");
    return result;
}

}

const std::string& x_display()
{
    return server().display;
}

void stop_x_server()
{
    server().stop();
}

std::string run_command(const std::string& command)
{
    std::string output;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        throw std::runtime_error("cannot run " + command);
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    pclose(pipe);
    return output;
}

bool viewer_window_exists(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (run_command("xdotool search --name '^textures$' 2>/dev/null").empty())
            return false;
        if (std::chrono::steady_clock::now() >= deadline)
            return true;
        std::this_thread::sleep_for(20ms);
    }
}

viewer_process::viewer_process(const options& o)
{
    x_display();
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        throw std::runtime_error("pipe failed");
    std::vector<std::string> argv = o.wrapper;
    for (const std::string& part : {std::string("stdbuf"), std::string("-oL"), o.executable})
        argv.push_back(part);
    argv.insert(argv.end(), o.arguments.begin(), o.arguments.end());
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        if (chdir(o.directory.empty() ? TEXTURES_DATA_DIR : o.directory.c_str()) != 0)
            _exit(126);
        if (!o.keep_display)
            unsetenv("DISPLAY");
        else if (o.display)
            setenv("DISPLAY", o.display->c_str(), 1);
        std::vector<char*> args;
        for (std::string& a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
    fcntl(out_, F_SETFL, O_NONBLOCK);
    fcntl(err_, F_SETFL, O_NONBLOCK);
}

viewer_process::~viewer_process()
{
    if (running()) {
        kill(pid_, SIGKILL);
        wait_exit(5s);
    }
    // The next viewer must not find this one's window.
    if (!window_.empty())
        viewer_window_exists(3s);
    close(out_);
    close(err_);
}

void viewer_process::drain(int fd, std::string& into, std::chrono::milliseconds wait)
{
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(wait.count())) <= 0)
        return;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        into.append(buffer, static_cast<std::size_t>(n));
}

std::optional<std::string> viewer_process::next_line(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const std::size_t end = out_buffer_.find('\n');
        if (end != std::string::npos) {
            std::string line = out_buffer_.substr(0, end);
            out_buffer_.erase(0, end + 1);
            return line;
        }
        const auto left = std::max(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       deadline - std::chrono::steady_clock::now()),
                                   0ms);
        const std::size_t before = out_buffer_.size();
        drain(out_, out_buffer_, left);
        if (out_buffer_.size() == before && (left == 0ms || !running()))
            return std::nullopt;
    }
}

std::vector<std::string> viewer_process::lines_within(std::chrono::milliseconds wait)
{
    // What has arrived already counts even when the wait is zero.
    std::vector<std::string> lines;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const auto left = std::max(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       deadline - std::chrono::steady_clock::now()),
                                   0ms);
        std::optional<std::string> line = next_line(left);
        if (!line)
            return lines;
        lines.push_back(*line);
    }
}

std::optional<int> viewer_process::wait_exit(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!exited_) {
        int status;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            exited_ = true;
            core_dumped_ = WIFSIGNALED(status) && WCOREDUMP(status);
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(10ms);
    }
    drain(out_, out_buffer_, 0ms);
    return status_;
}

bool viewer_process::running()
{
    return !wait_exit(0ms).has_value();
}

std::string viewer_process::error_output()
{
    drain(err_, err_buffer_, 0ms);
    return err_buffer_;
}

std::string viewer_process::window(std::chrono::seconds wait)
{
    // Asked again and again rather than with --sync: xdotool gives up when
    // a window it is looking at goes away, as Wine's passing windows do.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (window_.empty()) {
        const std::string found =
            run_command("xdotool search --onlyvisible --name '^textures$' 2>/dev/null");
        window_ = found.substr(0, found.find('\n'));
        if (!window_.empty())
            break;
        if (!running() || std::chrono::steady_clock::now() >= deadline)
            throw std::runtime_error("no window appeared; the viewer said: " + error_output());
        std::this_thread::sleep_for(100ms);
    }
    return window_;
}

void viewer_process::keys(const std::string& names)
{
    run_command("xdotool key --delay 5 --window " + window() + " " + names + " 2>/dev/null");
}

void viewer_process::resize(int width, int height)
{
    run_command("xdotool windowsize " + window() + " " + std::to_string(width) + " " +
                std::to_string(height) + " 2>/dev/null");
}

void viewer_process::close_window()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        throw std::runtime_error("cannot open the X display");
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::stoul(window());
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
}

image viewer_process::screenshot()
{
    return parse_ppm(run_command("xwd -silent -id " + window() + " | /usr/bin/convert xwd:- ppm:-"));
}

std::array<int, 4> viewer_process::geometry()
{
    const std::string text = run_command("xdotool getwindowgeometry " + window());
    std::array<int, 4> g{-1, -1, -1, -1};
    const std::size_t position = text.find("Position: ");
    const std::size_t size = text.find("Geometry: ");
    if (position != std::string::npos)
        std::sscanf(text.c_str() + position, "Position: %d,%d", &g[0], &g[1]);
    if (size != std::string::npos)
        std::sscanf(text.c_str() + size, "Geometry: %dx%d", &g[2], &g[3]);
    return g;
}

image read_image(const std::string& path)
{
    return parse_ppm(run_command("/usr/bin/convert '" + path + "' ppm:-"));
}

const std::vector<unsigned char>& shipped_texels()
{
    static const std::vector<unsigned char> texels =
        texels_for(read_binary(TEXTURES_DATA_DIR "/armor.raw"));
    return texels;
}

bool is_frame_line(const std::string& line)
{
    static const std::regex frame_line("FPS: ([0-9]+\\.[0-9]{6}|inf)");
    return std::regex_match(line, frame_line);
}

bool is_view_mode_line(const std::string& line)
{
    static const std::regex view_mode_line("view mode: [012]");
    return std::regex_match(line, view_mode_line);
}

std::vector<std::string> settle(viewer_process& viewer)
{
    std::vector<std::string> lines;
    for (;;) {
        const std::vector<std::string> more = viewer.lines_within(400ms);
        if (more.empty())
            return lines;
        lines.insert(lines.end(), more.begin(), more.end());
    }
}

std::string repeat(const std::string& key, int times)
{
    std::string keys;
    for (int i = 0; i < times; ++i)
        keys += key + " ";
    return keys;
}

started_viewer::started_viewer(std::vector<std::string> arguments,
                               std::vector<std::string> wrapper,
                               std::chrono::milliseconds first_frame_wait)
    : viewer(viewer_process::options{std::move(arguments), "", std::nullopt, true,
                                     std::move(wrapper)})
{
    viewer.window(std::chrono::duration_cast<std::chrono::seconds>(first_frame_wait));
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
        const image frame = viewer.screenshot();
        faults = compare_frame(frame, texels, camera, view, aspect, checked);
        if (faults.empty() || std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(200ms);
    }
    expect_no_faults(faults, checked);
}

void expect_no_faults(const std::vector<std::string>& faults, int checked)
{
    EXPECT_GT(checked, 60) << "too few points to compare";
    std::string first;
    for (std::size_t i = 0; i < faults.size() && i < 5; ++i)
        first += "\n  " + faults[i];
    EXPECT_TRUE(faults.empty()) << faults.size() << " of " << checked << " points differ:" << first;
}
