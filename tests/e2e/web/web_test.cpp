#include "page_driver.h"
#include "picture_files.h"
#include "scene.h"
#include "web_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

// The web build's page in real browsers, served over HTTP as a user would
// serve it; its frames are compared with the same model as the desktop
// viewer's.
namespace {

class web : public testing::TestWithParam<const char*> {};

// The page as built, but for one file, into the working directory.
void copy_page_without(const char* left_out)
{
    for (const auto& file : std::filesystem::directory_iterator(TEXTURES_WEB_FOLDER))
        if (file.path().filename() != left_out)
            std::filesystem::copy_file(file, file.path().filename());
}

}

TEST_P(web, draws_the_grid_and_follows_the_keys_in_each_view_mode)
{
    scratch_directory shots;
    // Keys typed in orbit, zoom and pan mode, then back in orbit with the
    // projection reset and keys it ignores, each group then seen.
    const std::vector<std::pair<std::string, std::string>> groups{
        {"orbit", "66662224"}, {"zoom", "v8888888846"}, {"pan", "v444882644"},
        {"orbit again", "vrRVx"}};
    std::vector<std::string> steps{"frame", "start=shot"};
    for (const auto& [name, keys] : groups) {
        for (const char key : keys)
            steps.push_back(std::string("key:") + key);
        steps.push_back(name + "=shot");
    }
    // For whoever looks at the page (the README shows one).
    steps.push_back("page:" TEXTURES_PAGE_SHOTS "/web-page-" + std::string(GetParam()) + ".png");
    const page_run run = drive_zip({.browser = GetParam(), .folder = shots.path(), .steps = steps});
    ASSERT_EQ(run.status, 0) << run.driver_errors;

    camera_model camera;
    expect_shot(run["start"], camera);
    int frames = 1;
    for (const auto& [name, keys] : groups) {
        for (const char key : keys) {
            camera.press(key);
            frames += draws_frame(key);
        }
        expect_shot(run[name], camera);
    }
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
    // The panel holds the program's lines, and none of the emulation's; the
    // chart their times.
    EXPECT_EQ(run.panel, run.output);
    EXPECT_EQ(run.caption, run.caption_of_lines);
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
    const page_run run = drive_zip(
        {.browser = GetParam(),
         .folder = shots.path(),
         .steps = {"frame", "1x=layout", "wheel=wheel:100", "settle", "ctrl wheel=wheel:-60:ctrl",
                   "settle", "right drag=drag:right:26,-14", "settle", "1x frame=shot",
                   std::string("3x screen=screen:") + (chromium ? "window3x" : "desktop3x"),
                   "settle", "3x=layout", "3x frame=shot", "key:r", "reset=shot", "key:6",
                   "orbit=shot", "fullscreen", "settle", "full=layout", "full frame=shot", "leave",
                   "settle", "back=layout"}});
    ASSERT_EQ(run.status, 0) << run.driver_errors;
    // Each step its own frame, in zoom or pan mode whatever the current one.
    EXPECT_EQ(frame_lines(run["wheel"]), 5);
    EXPECT_EQ(frame_lines(run["ctrl wheel"]), 3);
    EXPECT_EQ(frame_lines(run["right drag"]), 3);
    EXPECT_EQ(frame_lines(run["3x screen"]), 1) << "one frame at the new size";
    EXPECT_EQ(run["1x"].layout.buffer, (std::array<int, 2>{512, 512}));
    const int side = chromium ? 1416 : 1536; // 472 or 512 CSS px
    EXPECT_EQ(run["3x"].layout.canvas.width * 3, side);
    EXPECT_EQ(run["3x"].layout.buffer, (std::array<int, 2>{side, side}));

    camera_model camera;
    const auto in_mode = [&](int mode, const std::string& keys) {
        camera.mode = mode;
        for (const char key : keys)
            camera.press(key);
        camera.mode = orbit_mode;
    };
    in_mode(zoom_mode, "22222888");
    in_mode(pan_mode, "668");
    expect_shot(run["1x frame"], camera);
    EXPECT_EQ(read_png(run["3x frame"].frame).width, side);
    expect_shot(run["3x frame"], camera);
    // The projection reset still fills the whole canvas, and the keys are
    // still the orbit's.
    expect_shot(run["reset"], camera);
    camera.press('6');
    expect_shot(run["orbit"], camera);
    // Filling the screen, the largest square that fits, as sharp; and back.
    const page_layout& full = run["full"].layout;
    EXPECT_NEAR(full.canvas.width, std::min(full.viewport_width, full.viewport_height), 1);
    EXPECT_EQ(full.buffer[0], std::min(4096, static_cast<int>(std::lround(full.canvas.width * 3))));
    expect_shot(run["full frame"], camera);
    EXPECT_EQ(run["back"].layout.buffer, (std::array<int, 2>{side, side}));
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
    const page_run run = drive_zip({.browser = browser,
                                    .query = query,
                                    .folder = shots.path(),
                                    .steps = {"frame", "6=key:6", "v=click:v",
                                              "drag=drag:mouse:0,25", "settle",
                                              "wheel=wheel:-100", "settle", "on=shot"}});
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
    EXPECT_EQ(frame_lines(run["6"]), 1);
    EXPECT_EQ(run["v"].lines, std::vector<std::string>{"view mode: 1"});
    EXPECT_EQ(frame_lines(run["drag"]), 2);
    EXPECT_EQ(frame_lines(run["wheel"]), 5);
    camera_model camera;
    for (const char key : std::string("6v2288888"))
        camera.press(key);
    expect_shot(run["on"], camera);
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
            copy_page_without("armor.raw");
            make_picture(picture);
            web_server served(folder.path(), false);
            // Neither the keys nor the page's own buttons wake it.
            const page_run run =
                drive({.browser = "chromium",
                       .url = served.url,
                       .folder = folder.path(),
                       .device = device,
                       .steps = {"error", "~key:6", "~tap:v", "~tap:8", "settle", "none=shot"}});
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
            const image none = read_png(run["none"].frame);
            bool background = false;
            for (std::size_t i = 0; i + 2 < none.pixels.size(); i += 3)
                background |= rgb{none.pixels[i], none.pixels[i + 1], none.pixels[i + 2]} ==
                              background_colour;
            EXPECT_FALSE(background) << "a frame was drawn";
        }
}

// A worker the browser cannot start, even before the page listens, leaves
// the program to the page's own thread, where it draws and takes keys.
TEST(web_chromium, a_worker_that_cannot_start_leaves_the_program_to_the_pages_thread)
{
    scratch_directory folder;
    copy_page_without("program_worker.js");
    web_server served(folder.path(), true);
    const page_run run = drive({.browser = "chromium",
                                .url = served.url,
                                .folder = folder.path(),
                                .steps = {"frame", "6=key:6"}});
    ASSERT_EQ(run.status, 0) << run.driver_errors;
    EXPECT_EQ(run.page_thread.contexts, 1);
    EXPECT_EQ(frame_lines(run["6"]), 1);
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
                                    .steps = {"frame", "first=shot"}});
        ASSERT_EQ(run.status, 0) << run.driver_errors;
        // Packing is idempotent, so this holds whichever variant this build is.
        expect_shot(run["first"], camera_model{}, texels_for(shipped_texels(), true));
    }
}
