// The web build beside the desktop viewer, side by side in one run: the
// page's size by file, the time from navigation to its first frame in
// headless Chromium on a desktop-sized and a phone-sized screen and in
// Firefox ESR, and the issue times of the "FPS:" lines of the same key
// presses in both browsers and in the desktop viewer on the display
// (DISPLAY). Prints Markdown tables.
//
//   web_bench [key presses, default 300] [page loads, default 5]

#include "frame_check.h"
#include "process.h"
#include "web_server.h"
#include "x_display.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// One run of bench/web_bench.mjs.
nlohmann::json page_run(const std::string& browser, const std::string& device,
                        const std::string& url, int presses)
{
    process run({.argv = {"node", "web_bench.mjs", browser, url, std::to_string(presses), device},
                 .directory = TEXTURES_BENCH_DIR});
    const std::string document = run.rest_of_output(300s);
    if (run.wait_exit(20s) != 0)
        throw std::runtime_error("web_bench.mjs failed: " + run.error_output());
    return nlohmann::json::parse(document);
}

// The same presses in the desktop viewer, one frame at a time.
std::vector<std::string> desktop_rates(int presses)
{
    process viewer(
        {.argv = {"stdbuf", "-oL", TEXTURES_EXECUTABLE}, .directory = TEXTURES_DATA_DIR});
    if (!viewer.next_line(20s))
        throw std::runtime_error("the viewer drew no frame: " + viewer.error_output());
    std::optional<x_window> window;
    while (!(window = find_window("textures")))
        std::this_thread::sleep_for(50ms);
    std::vector<std::string> rates;
    for (int i = 0; i < presses; ++i) {
        send_keys(*window, "6");
        const std::optional<std::string> line = viewer.next_line(10s);
        if (!line || !is_frame_line(*line))
            throw std::runtime_error("no frame line after a key press");
        rates.push_back(line->substr(5));
    }
    viewer.stop();
    return rates;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A row of issue times, from rates as printed ("inf" included).
void print_times(const std::string& where, const std::vector<std::string>& rates)
{
    std::vector<double> times;
    int infinite = 0;
    for (const std::string& rate : rates) {
        const double value = std::stod(rate);
        if (std::isinf(value))
            ++infinite; // a span under the clock's step
        else
            times.push_back(1000 / value);
    }
    std::sort(times.begin(), times.end());
    const auto at = [&](double share) {
        return times[std::min(times.size() - 1, static_cast<std::size_t>(share * times.size()))];
    };
    std::printf("| %s | %zu | %d | %.3f | %.3f | %.3f | %.3f |\n", where.c_str(), rates.size(),
                infinite, times.front(), median(times), at(0.99), times.back());
}

}

int main(int argc, char** argv)
{
    const int presses = argc > 1 ? std::stoi(argv[1]) : 300;
    const int loads = argc > 2 ? std::stoi(argv[2]) : 5;
    const std::filesystem::path page = TEXTURES_WEB_PAGE;

    std::printf("### The page's files\n\n| File | Bytes |\n|---|---|\n");
    std::uintmax_t all_but_picture = 0;
    for (const char* file : {"index.html", "textures.js", "textures.wasm", "armor.raw"}) {
        const std::uintmax_t size = std::filesystem::file_size(page / file);
        all_but_picture += std::string(file) != "armor.raw" ? size : 0;
        std::printf("| `%s` | %ju |\n", file, size);
    }
    std::printf("| all but the picture | %ju |\n", all_but_picture);

    // Page loads, each in a fresh browser; then the frames.
    web_server served(page.string(), true);
    struct screen {
        const char* browser;
        const char* device;
    };
    const screen screens[] = {
        {"chromium", "desktop"}, {"chromium", "phone"}, {"firefox", "desktop"}};
    std::printf("\n### From navigation to the first frame's line, in ms\n\n"
                "| Browser | screen | page loads | first frame: median | min | max "
                "| of which the page parsed (median) | then to the first frame (median) |\n"
                "|---|---|---|---|---|---|---|---|\n");
    for (const screen s : screens) {
        std::vector<double> first, parsed, ours;
        for (int i = 0; i < loads; ++i) {
            const nlohmann::json run = page_run(s.browser, s.device, served.url, 0);
            first.push_back(run["first_frame_ms"]);
            parsed.push_back(run["parsed_ms"]);
            ours.push_back(first.back() - parsed.back());
        }
        std::printf("| %s | %s | %d | %.0f | %.0f | %.0f | %.0f | %.0f |\n", s.browser, s.device,
                    loads, median(first), *std::min_element(first.begin(), first.end()),
                    *std::max_element(first.begin(), first.end()), median(parsed), median(ours));
    }

    std::printf(
        "\n### Issue times of %d frames (\"6\" in orbit mode), in ms\n\n"
        "| Where | lines | inf | min | median | p99 | max |\n|---|---|---|---|---|---|---|\n",
        presses);
    print_times("desktop viewer (Mesa llvmpipe)", desktop_rates(presses));
    for (const char* browser : {"chromium", "firefox"}) {
        const nlohmann::json run = page_run(browser, "desktop", served.url, presses);
        print_times(std::string(browser) + " (isolated: " + (run["isolated"] ? "true" : "false") +
                        ")",
                    run["rates"]);
    }
    return 0;
}
