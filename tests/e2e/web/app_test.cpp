#include "page_driver.h"
#include "picture_files.h"
#include "web_server.h"
#include "x_display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

// The page as an app: a picture of the user's own, files it refuses, the
// chart's caption, the page offline and after a new build, and a lost
// WebGL context, in real browsers.
namespace {

class app : public testing::TestWithParam<const char*> {};

// The shipped picture with its colours turned round: unlike the page's
// own, and as easily seen upside down.
std::vector<unsigned char> own_picture()
{
    std::vector<unsigned char> bytes = read_file(TEXTURES_WEB_FOLDER "/armor.raw");
    for (unsigned char& byte : bytes)
        byte = static_cast<unsigned char>(255 - byte);
    return bytes;
}

// The picture as an image file holds it: its top row, the raw file's last,
// first.
image as_image(const std::vector<unsigned char>& raw)
{
    image picture{.width = 256, .height = 256, .pixels = {}};
    for (int row = 255; row >= 0; --row)
        picture.pixels.insert(picture.pixels.end(), raw.begin() + row * 768,
                              raw.begin() + (row + 1) * 768);
    return picture;
}

}

TEST_P(app, shows_a_picture_of_ones_own_and_refuses_what_is_none)
{
    x_display();
    scratch_directory files;
    const std::vector<unsigned char> raw = own_picture();
    write_png("own.png", as_image(raw));
    write_file("own.raw", raw);
    write_jpeg("own.jpg", as_image(raw), 90);
    const std::string text = "to do: buy milk\n";
    write_file("notes.txt", {text.begin(), text.end()});
    write_file("empty.png", {});
    std::vector<unsigned char> cut = read_file("own.png");
    cut.resize(cut.size() / 2);
    write_file("cut.png", cut);
    write_blank_png("huge.png", 30000, 30000);
    const auto file = [&](const char* name) { return files.path() + "/" + name; };

    const bool chromium = GetParam() == std::string("chromium");
    std::vector<std::string> steps{"frame",
                                   "choose:" + file("own.png"),   "png=shot",
                                   "choose:" + file("own.raw"),   "raw=shot",
                                   "choose:" + file("notes.txt"), "choose:" + file("empty.png"),
                                   "choose:" + file("cut.png"),   "choose:" + file("huge.png"),
                                   "key:6",                       "kept=shot",
                                   "choose:" + file("own.jpg"),   "jpg=shot"};
    std::vector<std::string> said{
        "page: now showing \"own.png\" (256 × 256)",
        "page: now showing \"own.raw\" (a raw picture)",
        "page: \"notes.txt\" is not a picture the browser can read, nor a raw picture of "
        "196,608 bytes",
        "page: \"empty.png\" is empty",
        "page: \"cut.png\" is a PNG cut off before its end",
        "page: \"huge.png\" is too large to read here: 30,000 × 30,000 pixels, more than "
        "67,108,864 in all",
        "page: now showing \"own.jpg\" (256 × 256)"};
    if (chromium) {
        steps.insert(steps.end(), {"drop:" + file("own.png"), "dropped=shot"});
        said.push_back("page: now showing \"own.png\" (256 × 256)");
    }
    const page_run run = drive_zip({.browser = GetParam(), .folder = files.path(), .steps = steps});
    ASSERT_EQ(run.status, 0) << run.driver_errors;

    EXPECT_EQ(run.page_lines, said);
    // One frame for each start and for the key; the panel holds the
    // program's lines and the page's in the order they came.
    ASSERT_EQ(run.output.size(), chromium ? 6u : 5u);
    std::vector<std::string> shown;
    for (const page_run::message& message : run.messages) {
        if (message.type == "log" || message.type == "info")
            shown.push_back(message.text);
        if (message.type == "log") {
            EXPECT_TRUE(is_frame_line(message.text)) << message.text;
        }
    }
    EXPECT_EQ(run.panel, shown);
    EXPECT_EQ(run.caption, run.caption_of_lines);
    EXPECT_EQ(run.problem, "");
    EXPECT_TRUE(run.page_errors.empty()) << run.page_errors.front();
    EXPECT_TRUE(run.isolated);

    const std::vector<unsigned char> texels = texels_for(raw, false);
    expect_shot(run["png"], camera_model{}, texels);
    expect_shot(run["raw"], camera_model{}, texels);
    // The refused files left the view as it was, still following the keys.
    camera_model turned;
    turned.press('6');
    expect_shot(run["kept"], turned, texels);
    if (chromium) {
        expect_shot(run["dropped"], camera_model{}, texels);
    }
    // A JPEG's colours are near, not equal: most points must still match.
    int checked = 0;
    const std::vector<std::string> faults =
        compare_frame(read_png(run["jpg"].frame), texels, camera_model{}, full_window, 1.0, checked);
    EXPECT_GT(checked, 60);
    EXPECT_LE(faults.size() * 10, static_cast<std::size_t>(checked))
        << faults.size() << " of " << checked << " points differ, first " << faults.front();
}

TEST_P(app, works_offline_and_takes_a_new_build_online)
{
    x_display();
    scratch_directory site;
    std::filesystem::copy(TEXTURES_WEB_FOLDER, "page", std::filesystem::copy_options::recursive);
    // A plain server: offline, the worker alone makes the page isolated.
    web_server served(site.path() + "/page", false);
    const bool chromium = GetParam() == std::string("chromium");
    std::vector<std::string> steps{
        "frame",  "old=worker", "copy:" TEXTURES_WEB_PACKED_FOLDER ":" + site.path() + "/page",
        "reload", "new=worker", "updated=shot",
        "offline", "reload", "offline=shot"};
    if (chromium)
        steps.push_back("install=installable");
    const page_run run = drive({.browser = GetParam(),
                                .url = served.url,
                                .folder = site.path(),
                                .steps = steps,
                                .server_pid = served.server.pid()});
    ASSERT_EQ(run.status, 0) << run.driver_errors;

    // One cache, of the build last seen online; the new build's replaced the
    // old one's.
    const std::string worker = [] {
        const std::vector<unsigned char> bytes = read_file(TEXTURES_WEB_PACKED_FOLDER "/sw.js");
        const std::string text(bytes.begin(), bytes.end());
        const std::size_t start = text.find("const cache_name = \"") + 20;
        return text.substr(start, text.find('"', start) - start);
    }();
    ASSERT_EQ(run["old"].caches.size(), 1u);
    EXPECT_NE(run["old"].caches[0], worker);
    EXPECT_EQ(run["new"].caches, std::vector<std::string>{worker});
    const std::vector<unsigned char> packed = texels_for(shipped_texels(), true);
    expect_shot(run["updated"], camera_model{}, packed);
    expect_shot(run["offline"], camera_model{}, packed);
    EXPECT_EQ(run.output.size(), 3u) << "one first frame for each load";
    EXPECT_TRUE(run.isolated) << "offline, from the worker";
    EXPECT_TRUE(run.page_errors.empty()) << run.page_errors.front();
    if (chromium) {
        EXPECT_EQ(run["install"].installability, std::vector<std::string>{});
    }
}

TEST_P(app, comes_back_from_a_lost_context_with_its_picture_and_view)
{
    scratch_directory files;
    write_file("own.raw", own_picture());
    // Lost once, and brought back at once; then lost while no new context
    // can be had, with presses meanwhile, until the browser gives it back.
    // Firefox's driver cannot reach into the page's worker to lose its
    // context: there the program runs on the page's thread.
    const bool firefox = GetParam() == std::string("firefox");
    const page_run run = drive_zip(
        {.browser = GetParam(),
         .query = firefox ? "?thread=page" : "",
         .folder = files.path(),
         .steps = {"frame", "choose:" + files.path() + "/own.raw", "key:6", "key:6", "click:v",
                   "key:8", "settle", "before=address", "lost=lose", "back=shot", "settle",
                   "after=address", "key:2", "blocked=lose:blocked", "pressed=~key:6", "~click:8",
                   "settle", "restored=restore", "again=shot", "v=key:v", "8=key:8", "on=shot"}});
    ASSERT_EQ(run.status, 0) << run.driver_errors;

    const std::string lost =
        "page: the WebGL context was lost; the view comes back as soon as the page can draw again";
    EXPECT_EQ(run.page_lines,
              (std::vector<std::string>{"page: now showing \"own.raw\" (a raw picture)", lost, lost,
                                        "page: no WebGL context can be had now; the page tries "
                                        "again when the browser gives one back"}));
    // Each return is one frame, replaying nothing; nothing is drawn, and no
    // press acts, while there is no view.
    EXPECT_EQ(frame_lines(run["lost"]), 1);
    EXPECT_EQ(run["blocked"].lines, std::vector<std::string>{});
    EXPECT_EQ(run["pressed"].lines, std::vector<std::string>{});
    EXPECT_EQ(frame_lines(run["restored"]), 1);

    const std::vector<unsigned char> texels = texels_for(own_picture(), false);
    camera_model camera;
    for (const char key : {'6', '6', 'v', '8'})
        camera.press(key);
    expect_shot(run["back"], camera, texels);
    // The run that brings the view back writes the same address.
    EXPECT_EQ(run["after"].address, run["before"].address);
    camera.press('2');
    expect_shot(run["again"], camera, texels);
    // The keyboard reaches the program as before, in the view mode it had.
    EXPECT_EQ(run["v"].lines, std::vector<std::string>{"view mode: 2"});
    camera.press('v');
    camera.press('8');
    expect_shot(run["on"], camera, texels);
    EXPECT_EQ(run.problem, "");
    EXPECT_TRUE(run.page_errors.empty()) << run.page_errors.front();
}

TEST_P(app, keeps_the_view_in_the_address_and_the_picture_for_the_tab)
{
    scratch_directory files;
    write_file("own.raw", own_picture());
    const bool chromium = GetParam() == std::string("chromium");
    // A view, reloaded; a picture of one's own, kept over a reload; the
    // served one again; (Chromium) another page and back.
    std::vector<std::string> steps{
        "frame",       "key:6",         "key:6",   "key:2",  "key:v",  "key:8",
        "key:8",       "key:v",         "key:4",   "settle", "view=address", "button:share",
        "reload",      "reloaded=shot", "key:6",   "pan=shot", "choose:" + files.path() + "/own.raw",
        "settle",      "new picture=address", "key:6", "settle", "reload", "kept=shot",
        "button:served", "served=shot"};
    // Once the service worker is in charge: one that takes charge of the
    // page while it is in the cache has the browser drop it from there.
    if (chromium)
        steps.insert(steps.end(), {"key:8", "worker", "away:manifest.webmanifest", "back=back",
                                   "key:8", "back frame=shot"});
    const page_run run = drive_zip({.browser = GetParam(), .folder = files.path(), .steps = steps});
    ASSERT_EQ(run.status, 0) << run.driver_errors;

    const std::string& view = run["view"].address;
    EXPECT_EQ(run.page_lines,
              (std::vector<std::string>{
                  "page: the address of this view is on the clipboard: " + view,
                  "page: now showing \"own.raw\" (a raw picture)",
                  "page: showing \"own.raw\" (a raw picture) again, kept for this tab",
                  "page: now showing the served picture"}));
    camera_model camera;
    for (const char key : std::string("662v88v4"))
        camera.press(key);
    expect_shot(run["reloaded"], camera);
    // The view mode came back too.
    camera_model panned = camera;
    panned.press('6');
    expect_shot(run["pan"], panned);
    const std::string fragment = view.substr(view.find('#'));
    EXPECT_EQ(fragment.rfind("#view=", 0), 0u) << fragment;
    EXPECT_EQ(fragment.back(), '2');
    const std::string& fresh = run["new picture"].address;
    EXPECT_EQ(fresh.substr(fresh.find('#')),
              "#view=30,-24,40,30,24,0,62.482,4.712396,0.87605804,0")
        << "a new picture starts at the start view, and the address follows";
    camera_model turned;
    turned.press('6');
    const std::vector<unsigned char> own = texels_for(own_picture(), false);
    expect_shot(run["kept"], turned, own);
    expect_shot(run["served"], camera_model{});
    if (chromium) {
        EXPECT_TRUE(run["back"].restored) << "not from the back/forward cache";
        camera_model on;
        for (const char key : {'8', '8'})
            on.press(key);
        expect_shot(run["back frame"], on);
    }
    EXPECT_EQ(run.problem, "");
    EXPECT_TRUE(run.page_errors.empty()) << run.page_errors.front();
}

INSTANTIATE_TEST_SUITE_P(browsers, app, testing::Values("chromium", "firefox"));

TEST(app_firefox, works_where_service_workers_are_turned_off)
{
    scratch_directory shots;
    const page_run run = drive_zip({.browser = "firefox-no-workers",
                                    .folder = shots.path(),
                                    .steps = {"frame", "key:6", "turned=shot"}});
    ASSERT_EQ(run.status, 0) << run.driver_errors;
    EXPECT_FALSE(run.workers);
    camera_model turned;
    turned.press('6');
    expect_shot(run["turned"], turned);
    EXPECT_EQ(run.output.size(), 2u);
    EXPECT_TRUE(run.page_errors.empty()) << run.page_errors.front();
}
