#include "desktop_viewer.h"
#include "picture_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace std::chrono_literals;

namespace {

std::string read_text(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The records of a valgrind log that start with `heading`, each with its
// stack.
std::vector<std::string> records(const std::string& log, const std::string& heading)
{
    std::vector<std::string> found;
    std::istringstream in(log);
    std::string record;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        const bool blank = line.find_first_not_of("=0123456789 ") == std::string::npos;
        if (line.find(heading) != std::string::npos) {
            inside = true;
            record.clear();
        }
        if (!inside)
            continue;
        if (blank) {
            found.push_back(record);
            inside = false;
        } else {
            record += line + "\n";
        }
    }
    return found;
}

// Whether our code made the allocation: the first frame below the
// allocator is one of our sources.
bool allocated_by_us(const std::string& record)
{
    std::istringstream in(record);
    for (std::string line; std::getline(in, line);) {
        if (line.find(" at 0x") == std::string::npos && line.find(" by 0x") == std::string::npos)
            continue;
        if (line.find("malloc") != std::string::npos || line.find("calloc") != std::string::npos ||
            line.find("realloc") != std::string::npos || line.find("operator new") != std::string::npos)
            continue;
        return line.find(TEXTURES_SOURCE_DIR) != std::string::npos;
    }
    return false;
}

}

TEST(memcheck, frames_and_keys_under_valgrind_touch_no_bad_memory_and_leak_nothing_of_ours)
{
    scratch_directory logs;
    // Mesa's rasteriser threads only slow valgrind down.
    setenv("LP_NUM_THREADS", "0", 1);
    const std::vector<std::string> valgrind = {
        // Leaks are judged below by who made the block; every other error
        // counts in the summary.
        "valgrind", "--trace-children=yes", "--leak-check=full", "--show-leak-kinds=definite",
        "--errors-for-leak-kinds=none",
        "--num-callers=40", "--fullpath-after=", "--suppressions=" VALGRIND_SUPPRESSIONS,
        "--log-file=" + logs.path() + "/valgrind.%p.log"};
    started_viewer run({.wrapper = valgrind}, 300s);
    int frames = 1;
    const std::string keys = "8 2 4 6 v 8 2 4 6 v 8 2 4 6 v r";
    for (int round = 0; round < 3; ++round) {
        std::istringstream each(keys);
        for (std::string key; each >> key;) {
            run.viewer.keys(key);
            const std::optional<std::string> line = run.viewer.next_line(60s);
            ASSERT_TRUE(line.has_value()) << "no answer to key " << key;
            frames += is_frame_line(*line);
        }
    }
    run.viewer.close_window();
    ASSERT_EQ(run.viewer.wait_exit(180s), 0) << run.viewer.error_output();

    // The log of the viewer itself, not of stdbuf before it.
    std::string log;
    for (const auto& entry : std::filesystem::directory_iterator(logs.path())) {
        const std::string text = read_text(entry.path());
        if (text.find("Command: " TEXTURES_EXECUTABLE) != std::string::npos)
            log = text;
    }
    ASSERT_NE(log, "") << "no valgrind log of the viewer";
    ASSERT_NE(log.find("LEAK SUMMARY"), std::string::npos) << log;
    for (const char* kind :
         {"Invalid read", "Invalid write", "Invalid free", "Mismatched free", "uninitialised"})
        for (const std::string& record : records(log, kind))
            ADD_FAILURE() << record;
    const std::size_t summary = log.find("ERROR SUMMARY: ");
    ASSERT_NE(summary, std::string::npos) << log;
    EXPECT_EQ(log.substr(summary, 23), "ERROR SUMMARY: 0 errors") << log.substr(summary, 80);
    int ours = 0;
    const std::vector<std::string> lost = records(log, "are definitely lost in loss record");
    for (const std::string& record : lost)
        if (allocated_by_us(record)) {
            ++ours;
            ADD_FAILURE() << "a block of ours is lost:\n" << record;
        }
    std::printf("%d frames and %zu key presses under valgrind; %zu definitely lost records "
                "in the libraries, %d of ours\n",
                frames, 3 * (keys.size() + 1) / 2, lost.size() - ours, ours);
}
