#include "desktop_viewer.h"
#include "keyboard.h"
#include "picture_files.h"
#include "scene.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace std::chrono_literals;

namespace {

// Presses the keys one at a time and expects one frame line for each.
// (Keys sent faster than frames are drawn share one redisplay.)
void press_for_frames(viewer_process& viewer, const std::string& keys)
{
    std::istringstream each(keys);
    for (std::string key; each >> key;) {
        viewer.keys(key);
        const std::optional<std::string> line = viewer.next_line(10s);
        ASSERT_TRUE(line.has_value()) << "no frame for key " << key;
        ASSERT_TRUE(is_frame_line(*line)) << *line;
    }
}

}

TEST(window, is_textures_512_square_at_200_100_whatever_the_geometry_option)
{
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"-geometry", "300x200+10+20"}}) {
        started_viewer run({.arguments = arguments});
        EXPECT_EQ(run.viewer.geometry(), (std::array<int, 4>{200, 100, 512, 512}));
        EXPECT_TRUE(run.viewer.running());
    }
}

TEST(window, first_frame_shows_the_grid_from_the_start_position)
{
    started_viewer run;
    expect_frame(run.viewer, camera_model{}, full_window, 1.0);
    EXPECT_EQ(run.viewer.error_output(), "");
}

TEST(window, resizing_follows_with_viewport_and_aspect)
{
    started_viewer run;
    struct size {
        int width, height;
    };
    for (const size s : {size{1024, 512}, size{800, 600}}) {
        SCOPED_TRACE(s.width);
        run.viewer.resize(s.width, s.height);
        ASSERT_TRUE(run.viewer.next_line(10s).has_value());
        settle(run.viewer);
        EXPECT_EQ(run.viewer.geometry()[2], s.width);
        expect_frame(run.viewer, camera_model{}, {0, 0, s.width, s.height},
                     double(s.width) / s.height);
    }
}

namespace {

struct refused_run {
    std::optional<int> status;
    std::string output, error;
};

// Runs the viewer in a directory where "armor.raw" is whatever `make` puts.
template <typename Make> refused_run run_in_directory(Make make)
{
    scratch_directory directory;
    make();
    viewer_process viewer({.directory = directory.path()});
    refused_run result;
    result.status = viewer.wait_exit(20s);
    for (const std::string& line : viewer.lines_within(0ms))
        result.output += line + "\n";
    result.error = viewer.error_output();
    EXPECT_FALSE(window_exists("textures", 3s)) << "a window was left behind";
    return result;
}

void expect_refused(const refused_run& run, const std::string& message)
{
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.error, message);
}

}

TEST(picture_file, each_unusable_file_ends_the_viewer_with_its_reason)
{
    expect_refused(run_in_directory([] {}),
                   "textures: cannot open \"armor.raw\": No such file or directory\n");
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, picture_bytes - 1}) {
        SCOPED_TRACE(size);
        expect_refused(run_in_directory([size] { write_file("armor.raw", random_bytes(size, 1)); }),
                       "textures: \"armor.raw\" is too short: " + std::to_string(size) +
                           " bytes found, 196608 expected\n");
    }
    expect_refused(run_in_directory([] { std::filesystem::create_directory("armor.raw"); }),
                   "textures: \"armor.raw\" is not a regular file\n");
    expect_refused(run_in_directory([] { mkfifo("armor.raw", 0600); }),
                   "textures: \"armor.raw\" is not a regular file\n");
}

TEST(picture_file, a_longer_file_warns_once_and_shows_its_first_bytes)
{
    scratch_directory directory;
    std::filesystem::copy_file(TEXTURES_DATA_DIR "/armor.raw", "armor.raw");
    std::filesystem::resize_file("armor.raw", 2 * picture_bytes);
    viewer_process viewer({.directory = directory.path()});
    viewer.window();
    ASSERT_TRUE(viewer.next_line(20s).has_value());
    expect_frame(viewer, camera_model{}, full_window, 1.0);
    EXPECT_EQ(viewer.error_output(),
              "textures: warning: \"armor.raw\" holds 393216 bytes; only the first 196608 are used\n");
}

TEST(keys, v_prints_the_modes_in_turn_and_draws_nothing)
{
    started_viewer run;
    run.viewer.keys("v v v");
    EXPECT_EQ(run.viewer.lines_within(1500ms),
              (std::vector<std::string>{"view mode: 1", "view mode: 2", "view mode: 0"}));
}

TEST(keys, each_movement_key_draws_one_frame_in_every_mode)
{
    started_viewer run;
    for (int mode = 0; mode < view_mode_count; ++mode) {
        SCOPED_TRACE(mode);
        press_for_frames(run.viewer, "8 2 4 6");
        EXPECT_EQ(run.viewer.lines_within(300ms), std::vector<std::string>{});
        run.viewer.keys("v");
        EXPECT_EQ(run.viewer.next_line(), "view mode: " + std::to_string((mode + 1) % view_mode_count));
    }
    press_for_frames(run.viewer, "r");
}

TEST(keys, other_keys_draw_nothing_and_print_nothing)
{
    started_viewer run;
    run.viewer.keys("R V shift+v x 5 0 space Return Escape");
    EXPECT_EQ(run.viewer.lines_within(1000ms), std::vector<std::string>{});
    EXPECT_TRUE(run.viewer.running());
    expect_frame(run.viewer, camera_model{}, full_window, 1.0);
}

TEST(keys, orbit_zoom_and_pan_move_the_camera_as_the_model_does)
{
    started_viewer run;
    camera_model camera;
    struct step {
        const char* name;
        std::string keys;
    };
    for (const step& s : {step{"orbit", repeat("6", 12) + repeat("2", 5)},
                         step{"zoom", "v " + repeat("8", 30)},
                         step{"pan", "v " + repeat("4", 6) + repeat("8", 3)},
                         step{"orbit again", "v " + repeat("4", 40) + repeat("8", 10)}}) {
        SCOPED_TRACE(s.name);
        int presses = 0;
        std::istringstream keys(s.keys);
        for (std::string key; keys >> key;) {
            camera.press(key[0]);
            presses += key != "v";
        }
        run.viewer.keys(s.keys);
        int frames = 0;
        for (const std::string& line : settle(run.viewer))
            frames += is_frame_line(line);
        EXPECT_GE(frames, 1);
        EXPECT_LE(frames, presses);
        expect_frame(run.viewer, camera, full_window, 1.0);
    }
}

TEST(pointer, drags_the_wheel_and_arrows_move_as_their_keys_and_keep_the_mode)
{
    started_viewer run;
    viewer_process& viewer = run.viewer;
    // A click without travel, the middle button, other special keys.
    viewer.drag(1, {{256, 256}, {256, 256}});
    viewer.drag(2, {{256, 256}, {356, 356}});
    viewer.keys("F1 Home");
    EXPECT_EQ(viewer.lines_within(1000ms), std::vector<std::string>{});

    camera_model camera;
    struct gesture {
        const char* name;
        std::function<void()> make;
        std::string keys; // as the model presses them
        int mode;
    };
    const auto notches = [&](int button, int count) {
        for (int i = 0; i < count; ++i)
            viewer.drag(button, {{256, 256}});
    };
    for (const gesture& g : {
             // 130 px right, back 15, 55 down.
             gesture{"left drag",
                     [&] { viewer.drag(1, {{200, 200}, {330, 200}, {315, 200}, {315, 255}}); },
                     repeat("6", 13) + "4" + repeat("2", 5), orbit_mode},
             gesture{"wheel", [&] { notches(4, 4); }, repeat("8", 20), zoom_mode},
             gesture{"right drag", [&] { viewer.drag(3, {{300, 300}, {260, 300}, {260, 330}}); },
                     "4444222", pan_mode},
             gesture{"shift and left drag", [&] { viewer.drag(1, {{100, 100}, {125, 100}}, true); },
                     "66", pan_mode},
             gesture{"wheel down", [&] { notches(5, 1); }, "22222", zoom_mode},
             gesture{"arrows", [&] { viewer.keys("Up Up Left Down Right Right"); }, "884266",
                     orbit_mode},
         }) {
        SCOPED_TRACE(g.name);
        camera.mode = g.mode;
        for (const char key : g.keys)
            camera.press(key);
        camera.mode = orbit_mode;
        g.make();
        const std::vector<std::string> lines = settle(viewer);
        EXPECT_GE(lines.size(), 1u);
        EXPECT_LE(lines.size(), g.keys.size());
        for (const std::string& line : lines)
            EXPECT_TRUE(is_frame_line(line)) << line;
        expect_frame(viewer, camera, full_window, 1.0);
    }
    // Still in orbit mode.
    camera.press('6');
    press_for_frames(viewer, "6");
    expect_frame(viewer, camera, full_window, 1.0);
}

TEST(keys, r_resets_the_projection_until_the_next_resize)
{
    started_viewer run;
    run.viewer.resize(800, 600);
    ASSERT_TRUE(run.viewer.next_line().has_value());
    settle(run.viewer);
    press_for_frames(run.viewer, "r");
    // Drawn into the lower-left 512 x 512 pixels, with aspect 1.
    expect_frame(run.viewer, camera_model{}, {0, 0, 512, 512}, 1.0);
    const image frame = run.viewer.screenshot();
    EXPECT_EQ(frame.width, 800);
    EXPECT_EQ(frame.at_window(700, 300), background_colour);
    EXPECT_EQ(frame.at_window(300, 580), background_colour);

    run.viewer.resize(700, 500);
    ASSERT_TRUE(run.viewer.next_line().has_value());
    settle(run.viewer);
    expect_frame(run.viewer, camera_model{}, {0, 0, 700, 500}, 700.0 / 500);
}

TEST(keys, zoom_through_zero_and_orbit_over_the_pole_keep_drawing)
{
    started_viewer run;
    camera_model camera;
    // Over the pole: 28 presses of "8" take phi below zero.
    for (int i = 0; i < 28; ++i)
        camera.press('8');
    press_for_frames(run.viewer, repeat("8", 28));
    expect_frame(run.viewer, camera, full_window, 1.0);
    for (int i = 0; i < 28; ++i)
        camera.press('2');
    press_for_frames(run.viewer, repeat("2", 28));

    // 125 presses of "8" in zoom mode take the radius through zero.
    run.viewer.keys("v");
    EXPECT_EQ(run.viewer.next_line(), "view mode: 1");
    camera.press('v');
    for (int i = 0; i < 125; ++i)
        camera.press('8');
    press_for_frames(run.viewer, repeat("8", 125));
    EXPECT_TRUE(run.viewer.running());
    // The eye now sits a hair beyond the look-at point, looking back up
    // the way it came.
    const image frame = run.viewer.screenshot();
    int drawn = 0;
    for (int y = 0; y < 512; y += 4)
        for (int x = 0; x < 512; x += 4)
            drawn += frame.at_window(x, y) != background_colour;
    EXPECT_GT(drawn, 100);
    EXPECT_TRUE(run.viewer.running());
}

TEST(picture_file, random_bytes_of_the_right_size_load_and_draw)
{
    scratch_directory directory;
    const std::vector<unsigned char> bytes = random_bytes(picture_bytes, 31);
    write_file("armor.raw", bytes);
    viewer_process viewer({.directory = directory.path()});
    viewer.window();
    ASSERT_TRUE(viewer.next_line(20s).has_value());
    settle(viewer);
    expect_frame(viewer, camera_model{}, full_window, 1.0, texels_for(bytes));
    EXPECT_EQ(viewer.error_output(), "");
}

TEST(lifecycle, closing_the_window_ends_the_viewer_cleanly)
{
    started_viewer run;
    run.viewer.close_window();
    EXPECT_EQ(run.viewer.wait_exit(20s), 0);
    EXPECT_FALSE(run.viewer.core_dumped());
    EXPECT_EQ(run.viewer.error_output(), "");
}

namespace {

// The viewer started with no usable display must end at once, saying why.
void expect_no_display(const viewer_options& options)
{
    viewer_process viewer(options);
    const std::optional<int> status = viewer.wait_exit(10s);
    ASSERT_TRUE(status.has_value()) << "still running without a display";
    EXPECT_NE(*status, 0);
    EXPECT_FALSE(viewer.core_dumped());
    EXPECT_NE(viewer.error_output().find("display"), std::string::npos) << viewer.error_output();
    EXPECT_EQ(viewer.lines_within(0ms), std::vector<std::string>{});
}

}

TEST(environment, no_display_ends_the_viewer_with_a_message)
{
    expect_no_display({.environment = {{"DISPLAY", std::nullopt}}});
}

TEST(environment, a_display_that_points_nowhere_ends_the_viewer_with_a_message)
{
    expect_no_display({.environment = {{"DISPLAY", ":4711"}}});
}

TEST(environment, a_bad_display_option_ends_the_viewer_with_a_message)
{
    expect_no_display({.arguments = {"-display", "nowhere.invalid:0"}});
    expect_no_display({.arguments = {"-display"}});
}

TEST(environment, losing_the_x_server_ends_the_viewer_without_a_core)
{
    started_viewer run;
    stop_x_server();
    const std::optional<int> status = run.viewer.wait_exit(20s);
    ASSERT_TRUE(status.has_value()) << "still running without its X server";
    EXPECT_NE(*status, 0);
    EXPECT_FALSE(run.viewer.core_dumped());
}
