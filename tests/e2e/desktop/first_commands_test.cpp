// The README's first commands as a newcomer runs them: the shell blocks of
// its "First commands", in order, in one shell, from the checkout's root,
// on this test's display. The viewer's window is closed once its first
// frame is up, and the server gets its Ctrl+C once it has served the page,
// as the README says a user ends them.

#include "desktop_viewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

using namespace std::chrono_literals;

namespace {

std::string first_commands()
{
    std::ifstream readme(PROJECT_SOURCE_DIR "/README.md");
    std::string commands;
    bool section = false, block = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("## ", 0) == 0)
            section = line == "## First commands";
        else if (section && (line == "```sh" || line == "```"))
            block = line == "```sh";
        else if (block)
            commands += line + "\n";
    }
    return commands;
}

}

TEST(readme, first_commands_run_as_written_in_one_shell)
{
    const std::string commands = first_commands();
    ASSERT_NE(commands.find("cmake --workflow"), std::string::npos) << commands;
    x_display();
    // Any free port, so that a server of the user's own is no obstacle.
    process shell({.argv = {"bash", "-e", "-c", commands},
                   .directory = PROJECT_SOURCE_DIR,
                   .environment = {{"PORT", "0"}},
                   .own_group = true});
    std::vector<std::string> lines;
    const auto read = [&](std::chrono::milliseconds wait) {
        for (std::string& line : shell.lines_within(wait))
            lines.push_back(std::move(line));
    };
    const auto deadline = std::chrono::steady_clock::now() + 20min;
    const auto in_time = [&] { return std::chrono::steady_clock::now() < deadline; };

    std::optional<x_window> window;
    while (!window && shell.running() && in_time()) {
        read(200ms);
        window = find_window("textures");
    }
    ASSERT_TRUE(window) << "the viewer showed no window; the shell said: " << shell.error_output();
    std::vector<std::string> faults;
    int checked = 0;
    for (const auto first_frame = std::chrono::steady_clock::now() + 20s;;) {
        faults = compare_frame(capture_window(*window), shipped_texels(), camera_model{},
                               full_window, 1.0, checked);
        if (faults.empty() || std::chrono::steady_clock::now() >= first_frame)
            break;
        read(200ms);
    }
    expect_no_faults(faults, checked);
    close_window(*window);

    std::string address;
    while (address.empty() && shell.running() && in_time()) {
        read(1s);
        for (const std::string& line : lines)
            if (line.rfind("serving ", 0) == 0)
                address = line.substr(line.find(" at ") + 4);
    }
    ASSERT_FALSE(address.empty()) << "nothing served; the shell said: " << shell.error_output();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), is_frame_line))
        << "the viewer printed no frame line";
    process fetch({.argv = {"python3", "-c",
                            "import sys, urllib.request\n"
                            "print(urllib.request.urlopen(sys.argv[1]).read().decode())",
                            address}});
    EXPECT_NE(fetch.rest_of_output(30s).find("<title>textures</title>"), std::string::npos);
    shell.interrupt();
    EXPECT_TRUE(shell.wait_exit(30s).has_value()) << "the shell did not end with the server";
}
