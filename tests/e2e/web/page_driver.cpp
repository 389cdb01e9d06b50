#include "page_driver.h"

#include "process.h"
#include "web_server.h"
#include "x_display.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <stdexcept>

using namespace std::chrono_literals;

namespace {

page_box box_of(const nlohmann::json& box)
{
    return {box["x"], box["y"], box["width"], box["height"]};
}

page_layout layout_of(const nlohmann::json& noted)
{
    page_layout layout{.viewport_width = noted["viewport"]["width"],
                       .viewport_height = noted["viewport"]["height"],
                       .scroll_width = noted["scroll_width"],
                       .client_width = noted["client_width"],
                       .canvas = box_of(noted["canvas"]),
                       .console = box_of(noted["console"]),
                       .buffer = noted["canvas"]["buffer"],
                       .buttons = {},
                       .focused = noted["focused"],
                       .touch_actions = noted["touch_action"]};
    for (const nlohmann::json& button : noted["buttons"])
        layout.buttons.push_back({box_of(button), button["text"], button["name"]});
    return layout;
}

}

page_run drive(const drive_options& options)
{
    std::vector<std::string> argv{"node", "drive.mjs", "--browser", options.browser, "--url",
                                  options.url, "--folder", options.folder, "--device",
                                  options.device};
    if (options.server_pid)
        argv.insert(argv.end(), {"--server", std::to_string(options.server_pid)});
    argv.insert(argv.end(), options.steps.begin(), options.steps.end());
    process driver({.argv = argv,
                    .directory = TEXTURES_DRIVER_DIR,
                    .environment = {{"TEXTURES_PAGE_MODULES", TEXTURES_PAGE_MODULES}}});
    page_run run;
    const nlohmann::json document = nlohmann::json::parse(driver.rest_of_output(240s), nullptr, false);
    run.status = driver.wait_exit(20s);
    run.driver_errors = driver.error_output();
    if (document.is_discarded())
        throw std::runtime_error(run.status ? "drive.mjs wrote no JSON document: " + run.driver_errors
                                            : "drive.mjs did not finish within 240 s");
    for (const nlohmann::json& message : document["messages"]) {
        run.messages.push_back({message["type"], message["text"]});
        const std::string& type = run.messages.back().type;
        const std::string& text = run.messages.back().text;
        if (type == "log")
            run.output.push_back(text);
        else if (type == "error")
            run.errors.push_back(text);
        else if (type == "warning" || type == "warn")
            run.warnings.push_back(text);
        else if (type == "pageerror")
            run.page_errors.push_back(text);
        else if (type == "info")
            run.page_lines.push_back(text);
        else if (type == "violation")
            run.violations.push_back(text);
    }
    // Whatever a test does, the page keeps to its own policy.
    EXPECT_EQ(run.violations, std::vector<std::string>{});
    run.panel = document.value("panel", std::vector<std::string>{});
    run.problem = document.value("problem", "");
    run.caption = document.value("caption", "");
    run.caption_of_lines = document.value("caption_of_lines", "");
    run.isolated = document.value("isolated", false);
    run.workers = document.value("workers", false);
    for (const auto& [name, noted] : document["steps"].items()) {
        step_result& step = run.steps[name];
        step.lines = noted["lines"];
        step.frame = noted.value("frame", "");
        if (noted.contains("layout"))
            step.layout = layout_of(noted["layout"]);
        step.accessibility = noted.value("accessibility", std::vector<std::string>{});
        step.heap = noted.value("heap", 0.0);
        step.caches = noted.value("caches", std::vector<std::string>{});
        step.installability = noted.value("installability", std::vector<std::string>{});
        step.address = noted.value("address", "");
        step.restored = noted.value("restored", false);
    }
    if (const nlohmann::json& use = document["page_thread"]; use.is_object())
        run.page_thread = {use["contexts"], use["calls"], use["wasm"]};
    return run;
}

page_run drive_zip(drive_options options)
{
    // Firefox draws with WebGL only on a display.
    x_display();
    web_server served(TEXTURES_WEB_FOLDER, true);
    options.url = served.url + options.query;
    return drive(options);
}

const step_result& page_run::operator[](const std::string& name) const
{
    const auto found = steps.find(name);
    if (found == steps.end())
        throw std::out_of_range("no step named \"" + name + "\" in the run");
    return found->second;
}

int frame_lines(const step_result& step)
{
    for (const std::string& line : step.lines)
        EXPECT_TRUE(is_frame_line(line)) << line;
    return static_cast<int>(std::count_if(step.lines.begin(), step.lines.end(), is_frame_line));
}

void expect_shot(const step_result& shot, const camera_model& camera,
                 const std::vector<unsigned char>& texels)
{
    SCOPED_TRACE(shot.frame);
    ASSERT_FALSE(shot.frame.empty()) << "the step took no shot";
    expect_frame_image(read_png(shot.frame), camera, texels);
}
