#include "page_driver.h"
#include "picture_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <sstream>

// The page by touch and by mouse: its buttons, held buttons and drags on
// the canvas each reach the program as its own keys, one frame and one line
// a press, on screens from a small phone to a desktop.
namespace {

// One thing a user does, as a step of drive.mjs, and the keys it should
// press: "hold K" for as many presses of K as the hold lasted, "K@M" for K
// in view mode M whatever the current one.
struct action {
    std::string step;
    std::string presses;
};

// Drives the page through the actions, each followed by a frame to compare
// where its step is "shot", and expects each action's lines to be exactly
// those of its presses.
void expect_actions(const std::string& browser, const std::string& device,
                    const std::vector<action>& actions)
{
    scratch_directory shots;
    std::vector<std::string> steps{"frame"};
    std::vector<std::size_t> first_step;
    for (const action& a : actions) {
        first_step.push_back(steps.size());
        steps.push_back(a.step == "shot" ? "shot:" + std::to_string(first_step.size()) : a.step);
        // Presses reach the program one an animation frame after the pointer
        // has done its part.
        if (a.step.rfind("drag:", 0) == 0 || a.step.rfind("hold:", 0) == 0 ||
            a.step.rfind("fingers:", 0) == 0)
            steps.push_back("settle");
    }
    first_step.push_back(steps.size());
    const page_run run =
        drive_zip({.browser = browser, .folder = shots.path(), .device = device, .steps = steps});
    ASSERT_EQ(run.status, 0) << run.driver_errors;

    camera_model camera;
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const action& a = actions[i];
        SCOPED_TRACE(a.step);
        const std::vector<std::string> lines =
            run.output_of_steps(first_step[i], first_step[i + 1]);
        if (a.step == "shot") {
            EXPECT_EQ(lines, std::vector<std::string>{});
            expect_shot(shots.path() + "/" + std::to_string(i + 1) + ".png", camera);
            continue;
        }
        std::string keys = a.presses;
        if (a.presses.rfind("hold ", 0) == 0) {
            // A second's hold: the press, then repeats from 400 ms on.
            EXPECT_GE(lines.size(), 3u) << "the held key did not repeat";
            keys = repeat(a.presses.substr(5), static_cast<int>(lines.size()));
        }
        std::vector<std::string> expected;
        std::istringstream each(keys);
        for (std::string key; each >> key;) {
            const int mode = camera.mode;
            if (key.size() == 3 && key[1] == '@')
                camera.mode = key[2] - '0';
            camera.press(key[0]);
            if (key.size() == 3)
                camera.mode = mode;
            expected.push_back(key == "v" ? "view mode: " + std::to_string(camera.mode) : "FPS");
        }
        ASSERT_EQ(lines.size(), expected.size()) << testing::PrintToString(lines);
        for (std::size_t k = 0; k < lines.size(); ++k)
            EXPECT_TRUE(expected[k] == "FPS" ? is_frame_line(lines[k]) : lines[k] == expected[k])
                << lines[k] << " for " << keys;
    }
    EXPECT_TRUE(run.page_errors.empty()) << run.page_errors.front();
    EXPECT_EQ(run.problem, "") << "the program wrote to standard error";
}

}

TEST(touch, taps_holds_and_drags_in_each_mode_press_the_keys_one_frame_each)
{
    expect_actions("chromium", "touch",
                   {
                       {"shot", ""},
                       {"tap:6", "6"},
                       {"tap:6", "6"},
                       {"tap:2", "2"},
                       {"tap:4", "4"},
                       {"tap:8", "8"},
                       {"tap:r", "r"},
                       {"shot", ""},
                       {"hold:touch:6:1000", "hold 6"},
                       {"shot", ""},
                       // A tap, or a wobble under 10 px, only focuses the canvas.
                       {"drag:touch:", ""},
                       {"drag:mouse:6,-7;-8,9", ""},
                       // 100 px in one move event is ten presses.
                       {"drag:touch:100,0", repeat("6", 10)},
                       // A drag that turns back first uses up what it had left over.
                       {"drag:mouse:0,-35;0,-15", "8 8 8 2"},
                       {"shot", ""},
                       {"tap:v", "v"},
                       {"drag:touch:0,-50", repeat("8", 5)},
                       {"drag:mouse:30,20", "6 6 6 2 2"},
                       {"tap:8", "8"},
                       {"tap:2", "2"},
                       {"tap:4", "4"},
                       {"tap:6", "6"},
                       {"shot", ""},
                       {"tap:v", "v"},
                       {"drag:touch:-40,0;-25,0;15,0", "4 4 4 4 6 6 6 6 6"},
                       {"drag:mouse:0,45", "2 2 2 2"},
                       {"hold:mouse:2:1000", "hold 2"},
                       {"shot", ""},
                       {"tap:v", "v"},
                       // A fling waits its turn up to the queue's 32 presses.
                       {"drag:touch:1000,0", repeat("6", 32)},
                       {"drag:mouse:1000,0", repeat("6", 32)},
                       // Two fingers zoom as they part or close and pan as
                       // they move together, in any mode; lifting one ends
                       // it, the other dragging on from where it is.
                       {"fingers:0,0,25;30,0,25", "8@1 8@1 6@2 6@2 6@2"},
                       {"fingers:0,-12,-21", "2@1 2@1 8@2"},
                       {"shot", ""},
                       // The keyboard still reaches the program after the buttons.
                       {"key:4", "4"},
                       {"key:v", "v"},
                       {"shot", ""},
                   });
}

TEST(touch, firefox_takes_the_buttons_and_a_mouse_drag)
{
    expect_actions("firefox", "desktop",
                   {
                       {"click:6", "6"},
                       {"click:2", "2"},
                       {"click:v", "v"},
                       {"click:8", "8"},
                       {"click:4", "4"},
                       {"click:v", "v"},
                       {"click:r", "r"},
                       {"shot", ""},
                       {"drag:mouse:-60,25", "4 4 4 4 4 4 2 2"},
                       {"shot", ""},
                   });
}

TEST(touch, a_button_let_go_or_left_stops_repeating_and_hands_the_keys_back)
{
    scratch_directory shots;
    const page_run run = drive_zip({.browser = "chromium",
                                    .folder = shots.path(),
                                    .device = "touch",
                                    .steps = {"frame", "hold:touch:6:700:leave", "settle",
                                              "layout:after", "hold:touch:v:1000", "settle"}});
    ASSERT_EQ(run.status, 0) << run.driver_errors;
    // Held for 700 ms, the press and up to seven repeats (a few more where
    // the machine is slow to let go); held on for the second after the
    // finger slid off, some twenty more.
    const std::vector<std::string> held = run.output_of_steps(1, 3);
    EXPECT_GE(held.size(), 3u);
    EXPECT_LE(held.size(), 14u);
    for (const std::string& line : held)
        EXPECT_TRUE(is_frame_line(line)) << line;
    EXPECT_EQ(run.layouts.at("after").focused, "canvas");
    // "v" never repeats.
    EXPECT_EQ(run.output_of_steps(4, 6), std::vector<std::string>{"view mode: 1"});
}

TEST(touch, the_buttons_are_named_for_what_they_do_in_the_current_mode)
{
    scratch_directory shots;
    const page_run run =
        drive_zip({.browser = "chromium",
                   .folder = shots.path(),
                   .device = "touch",
                   .steps = {"frame", "layout:0", "tap:v", "layout:1", "key:v", "layout:2"}});
    ASSERT_EQ(run.status, 0) << run.driver_errors;
    const std::vector<std::vector<std::string>> names{
        {"8: up over the look-at point", "4: round clockwise", "6: round anticlockwise",
         "2: down towards the horizon", "v: next view mode, zoom", "r: reset the projection"},
        {"8: closer", "4: nothing", "6: nothing", "2: further",
         "v: next view mode, pan", "r: reset the projection"},
        {"8: down", "4: +x", "6: \u2212x", "2: up", "v: next view mode, orbit",
         "r: reset the projection"}};
    for (int mode = 0; mode < 3; ++mode) {
        std::vector<std::string> got;
        for (const page_layout::button& button : run.layouts.at(std::to_string(mode)).buttons)
            got.push_back(button.name);
        EXPECT_EQ(got, names[mode]) << "mode " << mode;
    }
}

TEST(touch, phones_and_desktops_show_the_whole_page_accessibly_without_sideways_scrolling)
{
    scratch_directory shots;
    struct screen {
        const char* device;
        int canvas, buffer; // CSS px, device pixels
    };
    // The canvas: the width less the page's margins (14 px each), the
    // height less them in landscape, or its own 512 px; its drawing buffer
    // as many pixels as that covers on the screen.
    for (const screen s : {screen{"phone", 362, 1086}, screen{"small", 292, 584},
                           screen{"landscape", 362, 1086}, screen{"desktop", 512, 512}}) {
        SCOPED_TRACE(s.device);
        const page_run run = drive_zip(
            {.browser = "chromium",
             .folder = shots.path(),
             .device = s.device,
             .steps = {"frame", "layout:first", "axe:first",
                       "page:" TEXTURES_PAGE_SHOTS "/web-page-" + std::string(s.device) + ".png",
                       "shot:first"}});
        ASSERT_EQ(run.status, 0) << run.driver_errors;
        EXPECT_EQ(run.accessibility.at("first"), std::vector<std::string>{});
        const page_layout& layout = run.layouts.at("first");
        EXPECT_LE(layout.scroll_width, layout.client_width) << "the page scrolls sideways";
        const page_box& canvas = layout.canvas;
        EXPECT_NEAR(canvas.width, s.canvas, 1);
        EXPECT_EQ(canvas.width, canvas.height);
        EXPECT_EQ(layout.buffer, (std::array<int, 2>{s.buffer, s.buffer}));
        EXPECT_GE(canvas.x, 0);
        EXPECT_LE(canvas.x + canvas.width, layout.viewport_width);
        EXPECT_LE(canvas.y + canvas.height, layout.viewport_height);
        ASSERT_EQ(layout.buttons.size(), 6u);
        for (const page_layout::button& button : layout.buttons) {
            SCOPED_TRACE(button.text);
            EXPECT_GE(button.box.x, 0);
            EXPECT_LE(button.box.x + button.box.width, layout.client_width);
            EXPECT_GE(button.box.width, 44);
            EXPECT_GE(button.box.height, 44);
        }
        for (const std::string& touch_action : layout.touch_actions)
            EXPECT_EQ(touch_action, "none");
        if (layout.viewport_width < 720) {
            // The panel under the canvas, not as tall as the screen.
            EXPECT_GE(layout.console.y, canvas.y + canvas.height);
            EXPECT_LE(layout.console.height, layout.viewport_height / 2);
        }
        expect_shot(shots.path() + "/first.png", camera_model{});
    }
}

TEST(touch, thousands_of_presses_keep_one_line_a_frame_a_bounded_panel_and_a_steady_heap)
{
    scratch_directory shots;
    // A round of 96 presses in all three modes in turn, the camera back
    // where it was each time round; the lines step waits for them all.
    std::vector<std::string> steps{"frame"};
    int presses = 0, modes = 0;
    struct burst {
        const char* step;
        int presses;
    };
    for (int round = 0; round < 32; ++round) {
        for (const burst b :
             {burst{"drag:touch:300,0", 30}, burst{"drag:mouse:-300,0", 30}, burst{"tap:8", 1},
              burst{"tap:2", 1}, burst{"key:8", 1}, burst{"key:2", 1},
              burst{"drag:touch:0,-150;0,0", 30}, burst{"tap:v", 1}}) {
            steps.push_back(b.step);
            presses += b.presses;
            modes += std::string(b.step) == "tap:v";
            // The queue empties before the next drag, and keys typed then
            // have frames of their own.
            steps.push_back("lines:" + std::to_string(1 + presses));
        }
        if (round == 0)
            steps.push_back("heap:start");
    }
    steps.push_back("settle");
    steps.push_back("heap:end");
    const page_run run = drive_zip(
        {.browser = "chromium", .folder = shots.path(), .device = "touch", .steps = steps});
    ASSERT_EQ(run.status, 0) << run.driver_errors;
    int frame_lines = 0, mode_lines = 0;
    for (const std::string& line : run.output) {
        frame_lines += is_frame_line(line);
        mode_lines += is_view_mode_line(line);
    }
    EXPECT_EQ(frame_lines, 1 + presses - modes);
    EXPECT_EQ(mode_lines, modes);
    EXPECT_TRUE(run.page_errors.empty()) << run.page_errors.front();
    ASSERT_EQ(run.panel.size(), 300u);
    EXPECT_TRUE(std::equal(run.panel.begin(), run.panel.end(), run.output.end() - 300));
    // The chart keeps the latest 300 frames too.
    std::vector<std::string> frames;
    std::copy_if(run.output.begin(), run.output.end(), std::back_inserter(frames),
                 is_frame_line);
    EXPECT_EQ(run.caption, caption_for({frames.end() - 300, frames.end()}));
    const double start = run.heaps.at("start"), end = run.heaps.at("end");
    std::printf("%d presses, %d frame lines; JavaScript heap after the first round %.2f MB, "
                "at the end %.2f MB\n",
                presses, frame_lines, start / 1e6, end / 1e6);
    EXPECT_LE(end - start, 5'000'000);
}
