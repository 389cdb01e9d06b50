#include "desktop_viewer.h"
#include "keyboard.h"
#include "picture_files.h"
#include "scene.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>

using namespace std::chrono_literals;

// The Windows build under Wine. The Windows C library keeps standard output
// in its buffer while the output is a pipe, so frames are read from the
// screen rather than from "FPS:" lines.
namespace {

// Wine without TMPDIR, at which Debian 13's aborts (CMakeLists.txt says why).
const std::map<std::string, std::optional<std::string>> without_tmpdir = {
    {"TMPDIR", std::nullopt}};

class windows : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("WINEPREFIX", WINE_PREFIX, 1);
        setenv("WINEDEBUG", "-all", 1);
        // No menu entries or file types in the user's home.
        setenv("WINEDLLOVERRIDES", "winemenubuilder.exe=d", 1);
    }

    // Wine's server and desktop outlive the program for a moment; they must
    // not outlive this test's X server.
    void TearDown() override
    {
        for (const char* option : {"-k", "-w"})
            process({.argv = {"wineserver", option},
                     .environment = without_tmpdir,
                     .discard_errors = true})
                .wait_exit(60s);
    }

    // By default in the executable's own folder, as a user starts it there.
    static viewer_options
    under_wine(const std::string& directory =
                   std::filesystem::path(TEXTURES_WINDOWS_EXECUTABLE).parent_path().string())
    {
        return {.arguments = {TEXTURES_WINDOWS_EXECUTABLE},
                .directory = directory,
                .environment = without_tmpdir,
                .executable = "wine"};
    }
};

// Standard error without the line ends' carriage returns and without the
// two lines freeglut writes when Wine cannot tell it the screen's size.
std::string viewer_errors(viewer_process& viewer)
{
    std::istringstream lines(viewer.error_output());
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("freeglut (", 0) != 0 &&
            line != "This is quite likely caused by a bad '-display' parameter")
            kept += line + "\n";
    }
    return kept;
}

}

TEST_F(windows, draws_the_grid_and_follows_the_keys_the_mouse_and_the_arrows)
{
    viewer_process viewer(under_wine());
    viewer.window(60s);
    const std::array<int, 4> geometry = viewer.geometry();
    EXPECT_EQ(geometry[2], 512);
    EXPECT_EQ(geometry[3], 512);
    camera_model camera;
    expect_frame(viewer, camera, full_window, 1.0, shipped_texels(), 60s);

    const std::string keys = "6 6 6 6 6 2 2 2 v 8 8 8 8 8 8 v 4 4 4 8";
    std::istringstream each(keys);
    for (std::string key; each >> key;)
        camera.press(key[0]);
    viewer.keys(keys);
    expect_frame(viewer, camera, full_window, 1.0, shipped_texels(), 20s);

    // In pan mode now: a left drag 30 px right, a notch of the wheel up
    // (zoom, the mode left as it was) and the up arrow.
    for (const char key : std::string("666"))
        camera.press(key);
    camera.mode = zoom_mode;
    for (const char key : std::string("88888"))
        camera.press(key);
    camera.mode = pan_mode;
    camera.press('8');
    viewer.drag(1, {{100, 100}, {130, 100}});
    viewer.drag(4, {{100, 100}});
    viewer.keys("Up");
    expect_frame(viewer, camera, full_window, 1.0, shipped_texels(), 20s);
    EXPECT_TRUE(viewer.running());
    EXPECT_EQ(viewer_errors(viewer), "");
}

TEST_F(windows, a_missing_or_short_picture_ends_it_with_the_message_and_status_1)
{
    for (const unusable_picture& picture : missing_and_short_pictures) {
        SCOPED_TRACE(picture.size);
        scratch_directory directory;
        make_picture(picture);
        viewer_process viewer(under_wine(directory.path()));
        EXPECT_EQ(viewer.wait_exit(60s), 1);
        EXPECT_EQ(viewer_errors(viewer), picture.message + std::string("\n"));
    }
}
