#include "page_driver.h"
#include "picture_files.h"
#include "scene.h"
#include "web_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

// The web build's page in real browsers, served over HTTP as a user would
// serve it; its frames are compared with the same model as the desktop
// viewer's.
namespace {

class web : public testing::TestWithParam<const char*> {};

}

TEST_P(web, draws_the_grid_and_follows_the_keys_in_each_view_mode)
{
    scratch_directory shots;
    // Key groups, each followed by a frame to compare: orbit, zoom, pan,
    // and back to orbit with the projection reset and keys it ignores.
    const std::vector<std::string> groups{"6 6 6 6 2 2 2 4", "v 8 8 8 8 8 8 8 8 4 6",
                                          "v 4 4 4 8 8 2 6 4 4", "v r R V x"};
    camera_model camera;
    std::vector<camera_model> cameras{camera};
    std::vector<std::string> steps{"frame", "shot:0"};
    int frames = 1;
    for (const std::string& group : groups) {
        std::istringstream keys(group);
        for (std::string key; keys >> key;) {
            camera.press(key[0]);
            steps.push_back("key:" + key);
            frames += std::string("2468r").find(key[0]) != std::string::npos;
        }
        steps.push_back("shot:" + std::to_string(cameras.size()));
        cameras.push_back(camera);
    }
    // For whoever looks at the page (the README shows one).
    steps.push_back("page:" TEXTURES_PAGE_SHOTS "/web-page-" + std::string(GetParam()) + ".png");
    const page_run run = drive_zip({.browser = GetParam(), .folder = shots.path(), .steps = steps});
    ASSERT_EQ(run.status, 0) << run.driver_errors;
    for (std::size_t i = 0; i < cameras.size(); ++i)
        expect_shot(shots.path() + "/" + std::to_string(i) + ".png", cameras[i]);

    std::vector<std::string> modes;
    int frame_lines = 0, finite = 0;
    for (const std::string& line : run.output) {
        if (is_view_mode_line(line))
            modes.push_back(line);
        else
            EXPECT_TRUE(is_frame_line(line)) << line;
        frame_lines += is_frame_line(line);
        finite += std::isfinite(frame_rate(line).value_or(INFINITY));
    }
    EXPECT_EQ(modes, (std::vector<std::string>{"view mode: 1", "view mode: 2", "view mode: 0"}));
    EXPECT_EQ(frame_lines, frames);
    EXPECT_GE(finite * 4, frames * 3) << "most rates should be finite on an isolated page";
    EXPECT_TRUE(run.isolated);
    EXPECT_TRUE(run.errors.empty()) << run.errors.front();
    EXPECT_TRUE(run.page_errors.empty()) << run.page_errors.front();
    // The emulation warns at start-up only, not at each texture's set-up.
    for (const std::string& warning : run.warnings)
        EXPECT_EQ(warning.find("glTexEnv"), std::string::npos) << warning;
    // The panel holds the program's lines, and none of the emulation's.
    EXPECT_EQ(run.panel, run.output);
    EXPECT_EQ(run.caption, caption_for(run.output));
    EXPECT_EQ(run.problem, "");
}

TEST_P(web, draws_at_the_screens_pixels_and_zooms_and_pans_by_wheel_and_right_drag)
{
    scratch_directory shots;
    // At 1 device pixel a CSS pixel: a wheel notch, Ctrl+wheel, a
    // right-button drag; then on a screen of 3, where the same frames have
    // more pixels. Chromium's emulated screen changes its pixel ratio
    // without telling the page (no media query changes), so there the
    // window becomes smaller with it.
    const bool chromium = GetParam() == std::string("chromium");
    const std::string screen = chromium ? "screen:window3x" : "screen:desktop3x";
    const std::vector<std::string> steps{
        "frame",     "layout:1x", "wheel:100", "settle", "wheel:-60:ctrl", "settle",
        "drag:right:26,-14",      "settle",    "shot:1x", screen,          "settle",
        "layout:3x", "shot:3x",   "key:r",     "shot:r", "key:6",          "shot:orbit",
        "fullscreen", "settle",   "layout:full", "shot:full", "leave",     "settle",
        "layout:back"};
    const page_run run = drive_zip({.browser = GetParam(), .folder = shots.path(), .steps = steps});
    ASSERT_EQ(run.status, 0) << run.driver_errors;
    const auto frames_of = [&](const std::string& name) {
        const std::size_t i = std::find(steps.begin(), steps.end(), name) - steps.begin();
        int frames = 0;
        for (const std::string& line : run.output_of_steps(i, i + 2)) {
            EXPECT_TRUE(is_frame_line(line)) << line << " after " << name;
            frames += is_frame_line(line);
        }
        return frames;
    };
    // Each step its own frame, in zoom or pan mode whatever the current one.
    EXPECT_EQ(frames_of("wheel:100"), 5);
    EXPECT_EQ(frames_of("wheel:-60:ctrl"), 3);
    EXPECT_EQ(frames_of("drag:right:26,-14"), 3);
    EXPECT_EQ(frames_of(screen), 1) << "one frame at the new size";
    EXPECT_EQ(run.layouts.at("1x").buffer, (std::array<int, 2>{512, 512}));
    const int side = chromium ? 1416 : 1536; // 472 or 512 CSS px
    EXPECT_EQ(run.layouts.at("3x").canvas.width * 3, side);
    EXPECT_EQ(run.layouts.at("3x").buffer, (std::array<int, 2>{side, side}));

    camera_model camera;
    const auto in_mode = [&](int mode, const std::string& keys) {
        camera.mode = mode;
        for (const char key : keys)
            camera.press(key);
        camera.mode = 0;
    };
    in_mode(1, "22222888");
    in_mode(2, "668");
    expect_shot(shots.path() + "/1x.png", camera);
    const std::string three_x = shots.path() + "/3x.png";
    EXPECT_EQ(read_png(three_x).width, side);
    expect_shot(three_x, camera);
    // The projection reset still fills the whole canvas, and the keys are
    // still the orbit's.
    expect_shot(shots.path() + "/r.png", camera);
    camera.press('6');
    expect_shot(shots.path() + "/orbit.png", camera);
    // Filling the screen, the largest square that fits, as sharp; and back.
    const page_layout& full = run.layouts.at("full");
    EXPECT_NEAR(full.canvas.width, std::min(full.viewport_width, full.viewport_height), 1);
    EXPECT_EQ(full.buffer[0], std::min(4096, static_cast<int>(std::lround(full.canvas.width * 3))));
    expect_shot(shots.path() + "/full.png", camera);
    EXPECT_EQ(run.layouts.at("back").buffer, (std::array<int, 2>{side, side}));
    EXPECT_TRUE(run.page_errors.empty()) << run.page_errors.front();
}

INSTANTIATE_TEST_SUITE_P(browsers, web, testing::Values("chromium", "firefox"));

namespace {

// A browser, and the address's query: none, where the program runs in the
// page's worker; "?thread=page", where it runs on the page's own thread.
class threads : public testing::TestWithParam<std::pair<const char*, const char*>> {};

}

TEST_P(threads, the_pages_thread_draws_nothing_where_the_worker_can_and_both_count_gestures)
{
    scratch_directory shots;
    const auto [browser, query] = GetParam();
    const std::vector<std::string> steps{"frame", "key:6", "click:v", "drag:mouse:0,25",
                                         "wheel:-100", "settle", "shot:on"};
    const page_run run =
        drive_zip({.browser = browser, .query = query, .folder = shots.path(), .steps = steps});
    ASSERT_EQ(run.status, 0) << run.driver_errors;
    if (*query == '\0') {
        EXPECT_EQ(run.page_thread.contexts, 0);
        EXPECT_EQ(run.page_thread.calls, 0);
        EXPECT_EQ(run.page_thread.wasm, 0);
    } else {
        // What the worker's page must not do, the own thread's does.
        EXPECT_EQ(run.page_thread.contexts, 1);
        EXPECT_GT(run.page_thread.calls, 1000);
        EXPECT_GE(run.page_thread.wasm, 1);
    }
    // A frame a step: 2 for the drag's 25 px, 5 for a notch.
    const std::string frame = "FPS: ";
    std::vector<std::string> kinds;
    for (const std::string& line : run.output)
        kinds.push_back(line.rfind(frame, 0) == 0 ? "frame" : line);
    std::vector<std::string> expected{"frame", "frame", "view mode: 1"};
    expected.insert(expected.end(), 7, "frame");
    EXPECT_EQ(kinds, expected);
    camera_model camera;
    for (const char key : std::string("6v2288888"))
        camera.press(key);
    expect_shot(shots.path() + "/on.png", camera);
    EXPECT_TRUE(run.page_errors.empty()) << run.page_errors.front();
}

INSTANTIATE_TEST_SUITE_P(paths, threads,
                         testing::Values(std::pair{"chromium", ""}, std::pair{"firefox", ""},
                                         std::pair{"chromium", "?thread=page"}),
                         [](const auto& info) {
                             return std::string(info.param.first) +
                                    (*info.param.second ? "_own_thread" : "_worker");
                         });

TEST(web_chromium, a_missing_or_short_picture_shows_the_message_and_no_frame)
{
    for (const char* device : {"desktop", "phone"})
        for (const unusable_picture& picture : missing_and_short_pictures) {
            SCOPED_TRACE(testing::Message() << device << ", " << picture.size);
            // Any static server will do: this one sends no isolation headers.
            scratch_directory folder;
            for (const auto& file : std::filesystem::directory_iterator(TEXTURES_WEB_FOLDER))
                if (file.path().filename() != "armor.raw")
                    std::filesystem::copy_file(file, file.path().filename());
            make_picture(picture);
            web_server served(folder.path(), false);
            // Neither the keys nor the page's own buttons wake it.
            const page_run run =
                drive({.browser = "chromium",
                       .url = served.url,
                       .folder = folder.path(),
                       .device = device,
                       .steps = {"error", "~key:6", "~tap:v", "~tap:8", "settle", "shot:none"}});
            ASSERT_EQ(run.status, 0) << run.driver_errors;
            // Besides the program's line, the browser reports the missing file.
            std::vector<std::string> errors = run.errors;
            const bool reported =
                !errors.empty() && errors[0].rfind("Failed to load resource", 0) == 0;
            if (picture.size == 0 && reported)
                errors.erase(errors.begin());
            EXPECT_EQ(errors, std::vector<std::string>{picture.message});
            EXPECT_EQ(run.problem, picture.message);
            EXPECT_EQ(run.panel, std::vector<std::string>{picture.message});
            EXPECT_TRUE(run.output.empty()) << run.output.front();
            const image none = read_png(folder.path() + "/none.png");
            bool background = false;
            for (std::size_t i = 0; i + 2 < none.pixels.size(); i += 3)
                background |= rgb{none.pixels[i], none.pixels[i + 1], none.pixels[i + 2]} ==
                              background_colour;
            EXPECT_FALSE(background) << "a frame was drawn";
        }
}

TEST(web_chromium, the_packed_build_shows_the_packed_picture_from_a_plain_server)
{
    web_server served(TEXTURES_WEB_PACKED_FOLDER, false);
    scratch_directory shots;
    for (const char* device : {"desktop", "phone"}) {
        SCOPED_TRACE(device);
        const page_run run = drive({.browser = "chromium",
                                    .url = served.url,
                                    .folder = shots.path(),
                                    .device = device,
                                    .steps = {"frame", "shot:first"}});
        ASSERT_EQ(run.status, 0) << run.driver_errors;
        // Packing is idempotent, so this holds whichever variant this build is.
        expect_shot(shots.path() + "/first.png", camera_model{},
                    texels_for(shipped_texels(), true));
    }
}
