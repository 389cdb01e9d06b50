#include "desktop_viewer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// Resident memory of a process, in KiB.
long resident_kib(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// One burst: every movement key in every mode, balanced so that the camera
// stays near the grid, with projection resets and ignored keys between.
std::string burst(int round)
{
    std::string keys;
    for (int mode = 0; mode < 3; ++mode) {
        keys += repeat("8", 12) + repeat("6", 10) + repeat("2", 12) + repeat("4", 10);
        keys += "r x R V 5 ";
        keys += round % 2 == 0 ? "4 6 6 4 " : "2 8 8 2 ";
        keys += "v ";
    }
    return keys; // 3 x 63 presses, 3 of them "v"
}

}

TEST(soak, thousands_of_key_presses_with_resizes_leave_the_viewer_well)
{
    // In the sanitizer build freed blocks wait in a quarantine, which would
    // read as growth; keep it small (other builds ignore the variable).
    setenv("ASAN_OPTIONS", "quarantine_size_mb=4", 1);
    started_viewer run;
    viewer_process& viewer = run.viewer;
    // A burst at every window size first, so that the driver has settled
    // into its working set.
    const int sizes[][2] = {{800, 600}, {512, 512}, {1024, 512}, {300, 700}};
    for (const auto& size : sizes) {
        viewer.resize(size[0], size[1]);
        viewer.keys(burst(0));
        settle(viewer);
    }
    const long resident_at_start = resident_kib(viewer.pid());
    ASSERT_GT(resident_at_start, 0);

    int presses = 0, frames = 0, mode_lines = 0;
    std::vector<std::string> malformed;
    for (int round = 1; round <= 16; ++round) {
        viewer.keys(burst(round));
        presses += 3 * 63;
        if (round % 2 == 0)
            viewer.resize(sizes[round / 2 % 4][0], sizes[round / 2 % 4][1]);
        int round_frames = 0;
        for (const std::string& line : settle(viewer)) {
            mode_lines += is_view_mode_line(line);
            round_frames += is_frame_line(line);
            if (!is_view_mode_line(line) && !is_frame_line(line))
                malformed.push_back(line);
        }
        // Keys that come faster than frames share one redisplay.
        EXPECT_GT(round_frames, 0) << "round " << round;
        frames += round_frames;
    }
    EXPECT_EQ(mode_lines, 16 * 3);
    EXPECT_EQ(malformed, std::vector<std::string>{});
    EXPECT_TRUE(viewer.running());
    const long resident_at_end = resident_kib(viewer.pid());
    std::printf("%d key presses, %d frames; resident memory %ld KiB before, %ld KiB after\n",
                presses, frames, resident_at_start, resident_at_end);
    // Window-sized buffers come and go with the resizes: a few MiB either way.
    EXPECT_LT(resident_at_end - resident_at_start, 16 * 1024);
}
