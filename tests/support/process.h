#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A child process with its standard output and error in pipes, read as
// lines with a deadline; stopped, if still running, when the object goes.
struct process_options {
    std::vector<std::string> argv{};
    std::string directory{}; // working directory; this process's when empty
    // Variables to set, or to remove where the value is empty (nullopt).
    std::map<std::string, std::optional<std::string>> environment{};
    // Standard error to /dev/null, for a long-lived process nobody reads.
    bool discard_errors = false;
    // In a process group of its own, which is signalled as a whole, as a
    // terminal signals the job in its foreground: a shell and its commands.
    bool own_group = false;
};

class process {
public:
    explicit process(const process_options& options);
    ~process();
    process(const process&) = delete;
    process& operator=(const process&) = delete;

    // The next line of standard output, without its newline; nothing if
    // none arrives within the wait or the output has ended.
    std::optional<std::string> next_line(std::chrono::milliseconds wait = std::chrono::seconds(10));
    // Lines arriving within the wait; those already read count even when
    // the wait is zero.
    std::vector<std::string> lines_within(std::chrono::milliseconds wait);
    // Standard output from here to its end, waiting up to `wait` for it.
    std::string rest_of_output(std::chrono::milliseconds wait);
    // Waits for the process to end: its exit status, or -1 after a signal,
    // or nothing if it was still running when the wait ran out.
    std::optional<int> wait_exit(std::chrono::milliseconds wait);
    bool running();
    // Asks the process to end (SIGTERM), and kills it if it has not
    // within the grace time.
    void stop(std::chrono::milliseconds grace = std::chrono::seconds(5));
    // Sends SIGINT, as Ctrl+C in a terminal does.
    void interrupt();
    bool core_dumped() const { return core_dumped_; }
    std::string error_output(); // standard error so far
    pid_t pid() const { return pid_; }

private:
    void signal(int number);

    pid_t pid_ = -1;
    bool own_group_ = false;
    int out_ = -1, err_ = -1;
    std::string out_buffer_, err_buffer_;
    bool exited_ = false, core_dumped_ = false;
    int status_ = 0;
};
