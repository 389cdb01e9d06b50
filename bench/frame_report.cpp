// Frame-rate report for the real viewer on the display (DISPLAY): the
// start-up time to its first frame beside that of a bare GLUT window doing
// the same uploads, then a few hundred frames made by key presses, with the
// statistics of their "FPS:" lines and the rate of frames actually drawn.
// A histogram of the per-frame issue times goes to a PNG (gnuplot), and the
// figures to summary.json beside it, for scripts/bench.sh's tables.
//
//   frame_report [key presses, default 300]

#include "frame_check.h"
#include "process.h"
#include "statistics.h"
#include "x_display.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using clock_type = std::chrono::steady_clock;

namespace {

double seconds_since(clock_type::time_point start)
{
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

// A program of this build started in data/, its lines read as it prints them.
process_options in_data(const std::string& program)
{
    return {.argv = {"stdbuf", "-oL", program}, .directory = TEXTURES_DATA_DIR};
}

// The time from its start to its first line.
double startup(const std::string& program)
{
    const auto start = clock_type::now();
    process started(in_data(program));
    if (!started.next_line(60s))
        throw std::runtime_error(program + " printed no first line: " + started.error_output());
    const double taken = seconds_since(start);
    started.stop();
    // Its window must go before the next program looks for its own.
    window_exists("textures", 2s);
    return taken;
}

// Prints the statistics of the values, and gives them.
nlohmann::json statistics(const char* what, std::vector<double> values)
{
    const auto [min, max] = std::minmax_element(values.begin(), values.end());
    const nlohmann::json figures{{"min", *min},
                                 {"p1", nearest_rank(values, 0.01)},
                                 {"median", median(values)},
                                 {"p99", nearest_rank(values, 0.99)},
                                 {"max", *max}};
    std::printf("%-16s count %zu  min %.4f  p1 %.4f  median %.4f  p99 %.4f  max %.4f\n", what,
                values.size(), *min, nearest_rank(values, 0.01), median(values),
                nearest_rank(values, 0.99), *max);
    return figures;
}

}

int main(int argc, char** argv)
{
    const int presses = argc > 1 ? std::stoi(argv[1]) : 300;
    const std::filesystem::path report = FRAME_REPORT_DIR;
    std::filesystem::create_directories(report);

    // Start-up times of the viewer and of the bare window, taken in turn so
    // that a busy moment of the machine falls on both; medians of nine.
    std::vector<double> viewer_startups, bare_startups;
    for (int i = 0; i < 9; ++i) {
        viewer_startups.push_back(startup(TEXTURES_EXECUTABLE));
        bare_startups.push_back(startup(BARE_WINDOW_EXECUTABLE));
    }

    // The frames: orbit round the grid with the keys, one line a frame.
    process viewer(in_data(TEXTURES_EXECUTABLE));
    std::optional<x_window> window;
    for (const auto deadline = clock_type::now() + 20s; !window && clock_type::now() < deadline;
         std::this_thread::sleep_for(50ms))
        window = find_window("textures");
    if (!window)
        throw std::runtime_error("the viewer's window did not show: " + viewer.error_output());
    viewer.lines_within(1s);
    const auto keys_at = clock_type::now();
    std::thread keys([&] { send_keys(*window, repeat("6", presses)); });
    std::vector<double> issue_ms, rates;
    double last = 0;
    int frames = 0;
    while (const std::optional<std::string> line = viewer.next_line(2s)) {
        last = seconds_since(keys_at);
        const std::optional<double> rate_of_line = frame_rate(*line);
        if (!rate_of_line)
            continue;
        ++frames;
        const double rate = *rate_of_line;
        if (!std::isinf(rate)) {
            rates.push_back(rate);
            issue_ms.push_back(1000 / rate);
        }
    }
    keys.join();
    viewer.stop();

    std::printf("frame-rate report: USE_PACKED_TEXTURES=%d, %d key presses\n", USE_PACKED_TEXTURES,
                presses);
    const nlohmann::json summary{
        {"presses", presses},
        {"issue_ms", statistics("issue time (ms)", issue_ms)},
        {"rate", statistics("rate (FPS line)", rates)},
        {"frames", frames},
        {"frames_per_second", frames / last},
        {"startup_s", median(viewer_startups)},
        {"bare_startup_s", median(bare_startups)}};
    std::ofstream(report / "summary.json") << summary.dump(2) << "\n";
    std::printf("frames drawn: %d, %.1f per second of wall clock\n", frames, frames / last);
    std::printf("start-up to first frame: %.3f s (bare GLUT window with the same 72 uploads: "
                "%.3f s, ratio %.2f)\n",
                median(viewer_startups), median(bare_startups),
                median(viewer_startups) / median(bare_startups));

    // Forty bins across the range seen.
    std::ofstream data(report / "issue_ms.txt");
    for (const double ms : issue_ms)
        data << ms << "\n";
    data.close();
    const auto [low, high] = std::minmax_element(issue_ms.begin(), issue_ms.end());
    const double bin = *high > *low ? (*high - *low) / 40 : 0.001;
    std::ofstream(report / "histogram.gnuplot")
        << "set terminal png size 800,480\n"
        << "set output '" << (report / "issue-times.png").string() << "'\n"
        << "set title 'Issue time of the grid per frame (" << frames << " frames)'\n"
        << "set xlabel 'issue time (ms)'\nset ylabel 'frames'\nset style fill solid 0.6\n"
        << "bin = " << bin << "\nset boxwidth bin\nbinned(x) = bin * floor(x / bin) + bin / 2\n"
        << "plot '" << (report / "issue_ms.txt").string()
        << "' using (binned($1)):(1) smooth frequency with boxes notitle\n";
    process plot({.argv = {"gnuplot", (report / "histogram.gnuplot").string()}});
    if (plot.wait_exit(60s) != 0) {
        std::fprintf(stderr, "frame_report: gnuplot failed: %s", plot.error_output().c_str());
        return 1;
    }
    std::printf("histogram: %s\n", (report / "issue-times.png").c_str());
    return 0;
}
