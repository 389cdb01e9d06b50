#include "picture_files.h"
#include "scene.h"
#include "x_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace std::chrono_literals;

// The web build's page in real browsers, served over HTTP as a user would
// serve it, driven by tests/web/drive.mjs; its frames are compared with the
// same model as the desktop viewer's.
namespace {

// A static server for a folder: scripts/serve_web.py, which sends the
// isolation headers, or Python's plain one.
struct server {
    viewer_process process;
    std::string url;

    server(const std::string& folder, bool isolated)
        : process(viewer_process::options{
              isolated ? std::vector<std::string>{TEXTURES_SCRIPTS_DIR "/serve_web.py", folder, "0"}
                       : std::vector<std::string>{"-m", "http.server", "0", "--bind", "127.0.0.1",
                                                  "--directory", folder},
              folder, std::nullopt, true, {}, "python3"})
    {
        const std::optional<std::string> line = process.next_line(20s);
        const std::size_t start = line ? line->find("http://") : std::string::npos;
        if (start == std::string::npos)
            throw std::runtime_error("the server did not start: " + process.error_output());
        url = line->substr(start, line->find('/', start + 7) + 1 - start);
    }
};

// What one run of the page said, sorted by kind.
struct page_run {
    std::vector<std::string> output, errors, warnings, page_errors, panel;
    std::string isolated, problem, driver_errors;
    std::optional<int> status;
};

page_run drive(const std::string& browser, const std::string& url, const std::string& shots,
               const std::vector<std::string>& steps)
{
    std::vector<std::string> arguments{"drive.mjs", browser, url, shots};
    arguments.insert(arguments.end(), steps.begin(), steps.end());
    viewer_process driver(
        {arguments, TEXTURES_TESTS_DIR "/web", std::nullopt, true, {}, "node"});
    page_run run;
    run.status = driver.wait_exit(180s);
    run.driver_errors = driver.error_output();
    for (const std::string& line : driver.lines_within(0ms)) {
        const std::size_t colon = line.find(": ");
        const std::string kind = line.substr(0, colon), text = line.substr(colon + 2);
        if (kind == "log")
            run.output.push_back(text);
        else if (kind == "error")
            run.errors.push_back(text);
        else if (kind == "warn")
            run.warnings.push_back(text);
        else if (kind == "pageerror")
            run.page_errors.push_back(text);
        else if (kind == "panel")
            run.panel.push_back(text);
        else if (kind == "isolated")
            run.isolated = text;
        else if (kind == "problem")
            run.problem = text;
    }
    return run;
}

void expect_shot(const std::string& path, const camera_model& camera,
                 const std::vector<unsigned char>& texels)
{
    SCOPED_TRACE(path);
    int checked = 0;
    const std::vector<std::string> faults =
        compare_frame(read_image(path), texels, camera, full_window, 1.0, checked);
    expect_no_faults(faults, checked);
}

class web : public testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() { setenv("PYTHONUNBUFFERED", "1", 1); }
};

}

TEST_P(web, draws_the_grid_and_follows_the_keys_in_each_view_mode)
{
    server served(TEXTURES_WEB_FOLDER, true);
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
    steps.push_back("page:" TEXTURES_WEB_PAGE_SHOTS "/web-page-" + std::string(GetParam()) +
                    ".png");
    const page_run run = drive(GetParam(), served.url, shots.path(), steps);
    ASSERT_EQ(run.status, 0) << run.driver_errors;
    for (std::size_t i = 0; i < cameras.size(); ++i)
        expect_shot(shots.path() + "/" + std::to_string(i) + ".png", cameras[i], shipped_texels());

    std::vector<std::string> modes;
    int frame_lines = 0, finite = 0;
    for (const std::string& line : run.output) {
        if (is_view_mode_line(line))
            modes.push_back(line);
        else
            EXPECT_TRUE(is_frame_line(line)) << line;
        frame_lines += is_frame_line(line);
        finite += is_frame_line(line) && line != "FPS: inf";
    }
    EXPECT_EQ(modes, (std::vector<std::string>{"view mode: 1", "view mode: 2", "view mode: 0"}));
    EXPECT_EQ(frame_lines, frames);
    EXPECT_GE(finite * 4, frames * 3) << "most rates should be finite on an isolated page";
    EXPECT_EQ(run.isolated, "true");
    EXPECT_TRUE(run.errors.empty()) << run.errors.front();
    EXPECT_TRUE(run.page_errors.empty()) << run.page_errors.front();
    // The emulation warns at start-up only, not at each texture's set-up.
    for (const std::string& warning : run.warnings)
        EXPECT_EQ(warning.find("glTexEnv"), std::string::npos) << warning;
    // The panel holds the program's lines, and none of the emulation's.
    EXPECT_EQ(run.panel, run.output);
    EXPECT_EQ(run.problem, "");
}

INSTANTIATE_TEST_SUITE_P(browsers, web, testing::Values("chromium", "firefox"));

TEST(web_chromium, a_missing_or_short_picture_shows_the_message_and_no_frame)
{
    for (const unusable_picture& picture : missing_and_short_pictures) {
        SCOPED_TRACE(picture.size);
        // Any static server will do: this one sends no isolation headers.
        scratch_directory folder;
        for (const char* file : {"index.html", "textures.js", "textures.wasm"})
            std::filesystem::copy_file(std::string(TEXTURES_WEB_FOLDER "/") + file, file);
        make_picture(picture);
        server served(folder.path(), false);
        const page_run run = drive("chromium", served.url, folder.path(), {"error", "shot:none"});
        ASSERT_EQ(run.status, 0) << run.driver_errors;
        // Besides the program's line, the browser reports the missing file.
        std::vector<std::string> errors = run.errors;
        const bool reported = !errors.empty() && errors[0].rfind("Failed to load resource", 0) == 0;
        if (picture.size == 0 && reported)
            errors.erase(errors.begin());
        EXPECT_EQ(errors, std::vector<std::string>{picture.message});
        EXPECT_EQ(run.problem, picture.message);
        EXPECT_EQ(run.panel, std::vector<std::string>{picture.message});
        EXPECT_TRUE(run.output.empty()) << run.output.front();
        const image none = read_image(folder.path() + "/none.png");
        bool background = false;
        for (std::size_t i = 0; i + 2 < none.pixels.size(); i += 3)
            background |= rgb{none.pixels[i], none.pixels[i + 1], none.pixels[i + 2]} ==
                          background_colour;
        EXPECT_FALSE(background) << "a frame was drawn";
    }
}

TEST(web_chromium, the_packed_build_shows_the_packed_picture_from_a_plain_server)
{
    server served(TEXTURES_WEB_PACKED_FOLDER, false);
    scratch_directory shots;
    const page_run run = drive("chromium", served.url, shots.path(), {"frame", "shot:first"});
    ASSERT_EQ(run.status, 0) << run.driver_errors;
    // Packing is idempotent, so this holds whichever variant this build is.
    expect_shot(shots.path() + "/first.png", camera_model{}, texels_for(shipped_texels(), true));
}
