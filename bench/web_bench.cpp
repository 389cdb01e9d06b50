// The web build beside the desktop viewer, side by side in one run: the
// page's size by kind of file; the time from navigation to its first frame in
// headless Chromium on a desktop-sized and a phone-sized screen and in
// Firefox ESR, each beside a bare page's on the same screen
// (bare_page.html, its lower bound), and on the desktop beside a second
// load, online and offline from the service worker; the same with the
// program on the page's own thread (`?thread=page`) rather than in its
// worker; the longest stretch the page's thread is busy, from the start
// through keys and gestures, and Lighthouse's mobile total blocking time,
// on both paths and the bare page's; and the issue times of the "FPS:"
// lines of the same key presses in both browsers and in the desktop viewer
// on the display (DISPLAY). Prints Markdown tables.
//
//   web_bench [key presses, default 300] [page loads, default 9]

#include "frame_check.h"
#include "process.h"
#include "statistics.h"
#include "web_server.h"
#include "x_display.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace std::chrono_literals;

namespace {

// One run of bench/web_bench.mjs; with `reload`, a second load once the
// service worker is in charge: "online", or a server's process to stop
// first.
nlohmann::json page_run(const std::string& browser, const std::string& device,
                        const std::string& url, int presses, const std::string& reload = "")
{
    std::vector<std::string> argv{"node", "web_bench.mjs", browser, url, std::to_string(presses),
                                  device};
    if (!reload.empty())
        argv.push_back(reload);
    // The page's own program.js names the keys and lines.
    process run({.argv = argv,
                 .directory = TEXTURES_BENCH_DIR,
                 .environment = {{"TEXTURES_PAGE_MODULES", TEXTURES_WEB_PAGE}}});
    const std::string document = run.rest_of_output(300s);
    if (run.wait_exit(20s) != 0)
        throw std::runtime_error("web_bench.mjs failed: " + run.error_output());
    return nlohmann::json::parse(document);
}

// Lighthouse's total blocking time of the page at `url`, in ms, on its
// simulated slow phone, in a Chromium of its own.
double blocking_time(const std::string& url)
{
    process lighthouse(
        {.argv = {"npx", "--yes", "lighthouse@13", url, "--quiet", "--only-categories=performance",
                  "--chrome-flags=--headless=new --no-sandbox --use-angle=swiftshader "
                  "--enable-unsafe-swiftshader --disable-background-networking "
                  "--disable-component-update --disable-sync --no-first-run --disable-quic",
                  "--output=json", "--output-path=stdout"},
         .environment = {{"CHROME_PATH", "/usr/bin/chromium"}}});
    const std::string report = lighthouse.rest_of_output(300s);
    if (lighthouse.wait_exit(20s) != 0)
        throw std::runtime_error("lighthouse failed: " + lighthouse.error_output());
    return nlohmann::json::parse(report)["audits"]["total-blocking-time"]["numericValue"];
}

// The same presses in the desktop viewer, one frame at a time.
std::vector<double> desktop_rates(int presses)
{
    process viewer(
        {.argv = {"stdbuf", "-oL", TEXTURES_EXECUTABLE}, .directory = TEXTURES_DATA_DIR});
    if (!viewer.next_line(20s))
        throw std::runtime_error("the viewer drew no frame: " + viewer.error_output());
    std::optional<x_window> window;
    while (!(window = find_window("textures")))
        std::this_thread::sleep_for(50ms);
    std::vector<double> rates;
    for (int i = 0; i < presses; ++i) {
        send_keys(*window, "6");
        const std::optional<std::string> line = viewer.next_line(10s);
        const std::optional<double> rate = line ? frame_rate(*line) : std::nullopt;
        if (!rate)
            throw std::runtime_error("no frame line after a key press");
        rates.push_back(*rate);
    }
    viewer.stop();
    return rates;
}

// A row of issue times, from the rates of the frames' lines.
void print_times(const std::string& where, const std::vector<double>& rates)
{
    std::vector<double> times;
    int infinite = 0;
    for (const double rate : rates) {
        if (std::isinf(rate))
            ++infinite; // a span under the clock's step
        else
            times.push_back(1000 / rate);
    }
    const auto [min, max] = std::minmax_element(times.begin(), times.end());
    std::printf("| %s | %zu | %d | %.3f | %.3f | %.3f | %.3f |\n", where.c_str(), rates.size(),
                infinite, *min, median(times), nearest_rank(times, 0.99), *max);
}

// The whole run, with `presses` key presses and `loads` page loads.
void run(int presses, int loads)
{
    // The page as built, with the bare page beside it, served alike; kept
    // in the build folder until the next run, should this one fail.
    const std::filesystem::path page = TEXTURES_BENCH_PAGE;
    std::filesystem::remove_all(page);
    std::filesystem::copy(TEXTURES_WEB_PAGE, page, std::filesystem::copy_options::recursive);
    std::filesystem::copy_file(TEXTURES_BENCH_DIR "/bare_page.html", page / "bare_page.html");

    // The page's files by kind.
    const auto kind_of = [](const std::string& name) {
        if (name.rfind("textures.", 0) == 0)
            return "the program (`textures.js`, `textures.wasm`)";
        if (name == "armor.raw")
            return "the picture (`armor.raw`)";
        if (name.rfind("icon-", 0) == 0)
            return "the icons";
        return "the rest: the page, its style, modules, manifest and worker";
    };
    std::map<std::string, std::uintmax_t> kinds;
    for (const auto& file : std::filesystem::directory_iterator(TEXTURES_WEB_PAGE))
        kinds[kind_of(file.path().filename().string())] += file.file_size();
    std::printf("### The page's files\n\n| Files | Bytes |\n|---|---|\n");
    for (const auto& [kind, size] : kinds)
        std::printf("| %s | %ju |\n", kind.c_str(), size);

    // Page loads, each in a fresh browser; then the frames.
    web_server served(page.string(), true);
    enum class load { first, again_online, again_offline };
    const auto first_frames = [&](const char* browser, const char* device, const std::string& url,
                                  load how = load::first) {
        std::vector<double> first, parsed;
        for (int i = 0; i < loads; ++i) {
            // Offline, each load stops a server of its own.
            std::optional<web_server> own;
            if (how == load::again_offline)
                own.emplace(page.string(), true);
            const nlohmann::json run =
                how == load::first ? page_run(browser, device, url, 0)
                : own              ? page_run(browser, device, own->url, 0,
                                              std::to_string(own->server.pid()))
                                   : page_run(browser, device, url, 0, "online");
            first.push_back(run["first_frame_ms"]);
            parsed.push_back(run["parsed_ms"]);
        }
        return std::pair{first, parsed};
    };
    struct screen {
        const char* browser;
        const char* device;
    };
    const screen screens[] = {
        {"chromium", "desktop"}, {"chromium", "phone"}, {"firefox", "desktop"}};
    std::printf("\n### From navigation to the first frame, in ms\n\n"
                "| Browser | screen | loads | median | min | max | parsed (median) "
                "| parsed to first frame (median) |\n|---|---|---|---|---|---|---|---|\n");
    std::map<std::string, double> first_loads; // by browser and screen
    for (const screen s : screens) {
        const auto [first, parsed] = first_frames(s.browser, s.device, served.url);
        std::vector<double> ours;
        for (std::size_t i = 0; i < first.size(); ++i)
            ours.push_back(first[i] - parsed[i]);
        first_loads[std::string(s.browser) + " " + s.device] = median(first);
        std::printf("| %s | %s | %d | %.0f | %.0f | %.0f | %.0f | %.0f |\n", s.browser, s.device,
                    loads, median(first), *std::min_element(first.begin(), first.end()),
                    *std::max_element(first.begin(), first.end()), median(parsed), median(ours));
    }

    const std::string own_thread = served.url + "?thread=page";
    const std::string bare_page = served.url + "bare_page.html";
    std::printf("\n### Beside the bare page, and loaded again, medians in ms\n\n"
                "| Browser | screen | page | own thread | bare page | ratio | own thread's "
                "| again online | again offline |\n|---|---|---|---|---|---|---|---|---|\n");
    for (const screen s : screens) {
        const double bare = median(first_frames(s.browser, s.device, bare_page).first);
        const double own = median(first_frames(s.browser, s.device, own_thread).first);
        const double ours = first_loads[std::string(s.browser) + " " + s.device];
        std::printf("| %s | %s | %.0f | %.0f | %.0f | %.2f | %.2f |", s.browser, s.device, ours,
                    own, bare, ours / bare, own / bare);
        if (s.device != std::string("desktop")) {
            std::printf(" | |\n");
            continue;
        }
        const double again =
            median(first_frames(s.browser, s.device, served.url, load::again_online).first);
        const double offline =
            median(first_frames(s.browser, s.device, "", load::again_offline).first);
        std::printf(" %.0f | %.0f |\n", again, offline);
    }

    std::printf("\n### The page's thread busiest, through presses and gestures, medians in "
                "ms\n\n"
                "| Browser | screen | page | own thread | bare page |\n"
                "|---|---|---|---|---|\n");
    for (const screen s : screens) {
        const auto busiest = [&](const std::string& url, int presses) {
            std::vector<double> busy;
            for (int i = 0; i < loads; ++i)
                busy.push_back(page_run(s.browser, s.device, url, presses, "busy")["busy_ms"]);
            return median(busy);
        };
        std::printf("| %s | %s | %.0f | %.0f | %.0f |\n", s.browser, s.device,
                    busiest(served.url, 20), busiest(own_thread, 20), busiest(bare_page, 0));
    }

    std::printf("\n### Lighthouse's total blocking time, mobile, medians of 3 in ms\n\n"
                "| page | own thread | bare page | ratio | own thread's |\n|---|---|---|---|---|\n");
    std::vector<double> tbt[3];
    for (int i = 0; i < 3; ++i)
        for (int which = 0; which < 3; ++which)
            tbt[which].push_back(blocking_time(which == 0   ? served.url
                                               : which == 1 ? own_thread
                                                            : bare_page));
    const double bare_tbt = median(tbt[2]);
    std::printf("| %.0f | %.0f | %.0f | %.2f | %.2f |\n", median(tbt[0]), median(tbt[1]), bare_tbt,
                median(tbt[0]) / bare_tbt, median(tbt[1]) / bare_tbt);

    std::printf(
        "\n### Issue times of %d frames, in ms\n\n"
        "| Where | lines | inf | min | median | p99 | max |\n|---|---|---|---|---|---|---|\n",
        presses);
    print_times("desktop viewer (Mesa llvmpipe)", desktop_rates(presses));
    for (const char* browser : {"chromium", "firefox"}) {
        const nlohmann::json run = page_run(browser, "desktop", served.url, presses);
        // JSON has no infinity: an infinite rate comes as null.
        std::vector<double> rates;
        for (const nlohmann::json& rate : run["rates"])
            rates.push_back(rate.is_null() ? INFINITY : rate.get<double>());
        print_times(std::string(browser) + " (isolated: " + (run["isolated"] ? "true" : "false") +
                        ")",
                    rates);
    }
    std::filesystem::remove_all(page);
}

}

int main(int argc, char** argv)
{
    try {
        run(argc > 1 ? std::stoi(argv[1]) : 300, argc > 2 ? std::stoi(argv[2]) : 9);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "web_bench: %s\n", failure.what());
        return 1;
    }
    return 0;
}
