#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <utility>

using namespace std::chrono_literals;

namespace {

using clock_type = std::chrono::steady_clock;

std::chrono::milliseconds left_until(clock_type::time_point deadline)
{
    return std::max(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_type::now()), 0ms);
}

// Appends what the pipe holds once it has something or the wait is over;
// false once the pipe has ended.
bool drain(int fd, std::string& into, std::chrono::milliseconds wait)
{
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(wait.count())) <= 0)
        return true;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0)
            return false;
        if (n < 0)
            return true;
        into.append(buffer, static_cast<std::size_t>(n));
    }
}

}

process::process(const process_options& options)
{
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        if (options.own_group)
            setpgid(0, 0);
        dup2(out[1], 1);
        dup2(options.discard_errors ? open("/dev/null", O_WRONLY) : err[1], 2);
        for (const int fd : {out[0], out[1], err[0], err[1]})
            close(fd);
        dup2(open("/dev/null", O_RDONLY), 0);
        if (!options.directory.empty() && chdir(options.directory.c_str()) != 0)
            _exit(126);
        for (const auto& [name, value] : options.environment) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::vector<std::string> argv = options.argv;
        std::vector<char*> args;
        for (std::string& a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    // Here too, so that the group is there before a signal is sent to it.
    own_group_ = options.own_group;
    if (own_group_)
        setpgid(pid_, pid_);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
    fcntl(out_, F_SETFL, O_NONBLOCK);
    fcntl(err_, F_SETFL, O_NONBLOCK);
}

process::~process()
{
    // Asked first, so that a driver can close its browser on the way out.
    stop(2s);
    close(out_);
    close(err_);
}

std::optional<std::string> process::next_line(std::chrono::milliseconds wait)
{
    const auto deadline = clock_type::now() + wait;
    for (;;) {
        const std::size_t end = out_buffer_.find('\n');
        if (end != std::string::npos) {
            std::string line = out_buffer_.substr(0, end);
            out_buffer_.erase(0, end + 1);
            return line;
        }
        const std::chrono::milliseconds left = left_until(deadline);
        const std::size_t before = out_buffer_.size();
        const bool open = drain(out_, out_buffer_, left);
        if (out_buffer_.size() == before && (!open || left == 0ms || !running()))
            return std::nullopt;
    }
}

std::vector<std::string> process::lines_within(std::chrono::milliseconds wait)
{
    std::vector<std::string> lines;
    const auto deadline = clock_type::now() + wait;
    while (std::optional<std::string> line = next_line(left_until(deadline)))
        lines.push_back(*line);
    return lines;
}

std::string process::rest_of_output(std::chrono::milliseconds wait)
{
    const auto deadline = clock_type::now() + wait;
    while (drain(out_, out_buffer_, left_until(deadline)) && clock_type::now() < deadline) {
    }
    return std::exchange(out_buffer_, {});
}

std::optional<int> process::wait_exit(std::chrono::milliseconds wait)
{
    const auto deadline = clock_type::now() + wait;
    while (!exited_) {
        int status;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            core_dumped_ = WIFSIGNALED(status) && WCOREDUMP(status);
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (clock_type::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(10ms);
    }
    drain(out_, out_buffer_, 0ms);
    return status_;
}

bool process::running()
{
    return !wait_exit(0ms).has_value();
}

void process::stop(std::chrono::milliseconds grace)
{
    if (!running())
        return;
    signal(SIGTERM);
    if (!wait_exit(grace)) {
        signal(SIGKILL);
        wait_exit(5s);
    }
}

void process::interrupt()
{
    signal(SIGINT);
}

void process::signal(int number)
{
    kill(own_group_ ? -pid_ : pid_, number);
}

std::string process::error_output()
{
    drain(err_, err_buffer_, 0ms);
    return err_buffer_;
}
