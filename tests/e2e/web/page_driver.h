#pragma once

#include "frame_check.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The page in a real browser, driven step by step by drive.mjs (its
// steps and devices are described there).
struct drive_options {
    std::string browser{}; // chromium, firefox or firefox-no-workers
    std::string url{};
    std::string query{}; // after drive_zip's address: "?thread=page"
    std::string folder{}; // where shots go
    std::string device = "desktop";
    std::vector<std::string> steps{};
    int server_pid = 0; // the web server's process, for the offline step
};

// Where something is on the page, in CSS px from its top left.
struct page_box {
    double x, y, width, height;
};

// What a layout step noted.
struct page_layout {
    double viewport_width, viewport_height;
    double scroll_width, client_width; // of the whole page
    page_box canvas, console;
    std::array<int, 2> buffer; // the canvas's drawing buffer
    struct button {
        page_box box;
        std::string text, name; // its text, and its accessible name
    };
    std::vector<button> buttons;
    std::string focused; // the id of the element with the keyboard
    std::vector<std::string> touch_actions; // of the canvas and the buttons
};

// What one run of the page said.
struct page_run {
    std::optional<int> status;
    std::string driver_errors;
    // Every console message in turn, with a "step" one where each step began.
    struct message {
        std::string type, text;
    };
    std::vector<message> messages;
    // The console messages by kind: log (the program's standard output),
    // error (its standard error), warning, pageerror, info (the page's own
    // lines), violation (of the page's Content-Security-Policy, which
    // drive() expects none of).
    std::vector<std::string> output, errors, warnings, page_errors, page_lines, violations;
    std::vector<std::string> panel;
    std::string problem, caption;
    bool isolated = false, workers = false;
    std::map<std::string, page_layout> layouts;
    // For each axe step, the rules of accessibility the page breaks, and where.
    std::map<std::string, std::vector<std::string>> accessibility;
    std::map<std::string, double> heaps; // bytes
    std::vector<std::vector<std::string>> caches; // the names, at each worker step
    std::optional<std::vector<std::string>> installability; // Chromium's reasons
    std::vector<std::string> addresses; // at each address step
    std::vector<bool> restored; // at each back step: from the back/forward cache
    // On the page's own thread, from the document's start: the WebGL
    // contexts made, the WebGL calls, and the WebAssembly compiled or run.
    struct {
        int contexts = -1, calls = -1, wasm = -1;
    } page_thread;

    // The program's standard output from the start of step `first` (its
    // index among the steps) to the start of step `end`.
    std::vector<std::string> output_of_steps(std::size_t first, std::size_t end) const;
};

page_run drive(const drive_options& options);
// Drives the unpacked web zip, served with the headers that isolate it (the
// options' url is its address).
page_run drive_zip(drive_options options);

// The caption the page's chart should have for these lines of the program.
std::string caption_for(const std::vector<std::string>& lines);

// Expects the frame in a shot saved by drive.mjs to match the model.
void expect_shot(const std::string& path, const camera_model& camera,
                 const std::vector<unsigned char>& texels = shipped_texels());
