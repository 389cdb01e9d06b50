#include "page_driver.h"

#include "process.h"
#include "statistics.h"
#include "web_server.h"
#include "x_display.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
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
    run.isolated = document.value("isolated", false);
    run.workers = document.value("workers", false);
    for (const auto& [name, layout] : document["layouts"].items())
        run.layouts[name] = layout_of(layout);
    run.accessibility =
        document["accessibility"].get<std::map<std::string, std::vector<std::string>>>();
    run.heaps = document["heaps"].get<std::map<std::string, double>>();
    run.caches = document["caches"].get<std::vector<std::vector<std::string>>>();
    run.addresses = document["addresses"].get<std::vector<std::string>>();
    run.restored = document["restored"].get<std::vector<bool>>();
    if (const nlohmann::json& use = document["page_thread"]; use.is_object())
        run.page_thread = {use["contexts"], use["calls"], use["wasm"]};
    if (document.contains("installability"))
        run.installability = document["installability"].get<std::vector<std::string>>();
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

std::vector<std::string> page_run::output_of_steps(std::size_t first, std::size_t end) const
{
    std::vector<std::string> lines;
    std::size_t step = 0;
    for (const message& m : messages) {
        step += m.type == "step";
        if (m.type == "log" && step > first && step <= end)
            lines.push_back(m.text);
    }
    return lines;
}

void expect_shot(const std::string& path, const camera_model& camera,
                 const std::vector<unsigned char>& texels)
{
    SCOPED_TRACE(path);
    expect_frame_image(read_png(path), camera, texels);
}

std::string caption_for(const std::vector<std::string>& lines)
{
    std::vector<double> times;
    for (const std::string& line : lines)
        if (const std::optional<double> rate = frame_rate(line))
            times.push_back(std::isfinite(*rate) ? 1000 / *rate : 0);
    char caption[100];
    std::snprintf(caption, sizeof caption,
                  "issue time: median %.2f ms, p99 %.2f ms over %zu frames", median(times),
                  nearest_rank(times, 0.99), times.size());
    return caption;
}
