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
    std::vector<std::string> steps{}; // ACTION or NAME=ACTION
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

// What a named step of a run kept (drive.mjs says which action notes what).
struct step_result {
    // The program's standard output from the step's start to the next
    // named step's.
    std::vector<std::string> lines;
    std::string frame; // a shot's file
    page_layout layout{};
    std::vector<std::string> accessibility; // the rules broken, and where
    double heap = 0; // bytes
    std::vector<std::string> caches; // the service worker's, by name
    std::vector<std::string> installability; // Chromium's reasons
    std::string address;
    bool restored = false; // from the back/forward cache
};

// What one run of the page said.
struct page_run {
    std::optional<int> status;
    std::string driver_errors;
    // Every console message in turn.
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
    // The chart's caption, and the one the page's own chart.js gives the
    // latest frame lines.
    std::string problem, caption, caption_of_lines;
    bool isolated = false, workers = false;
    std::map<std::string, step_result> steps;
    // On the page's own thread, from the document's start: the WebGL
    // contexts made, the WebGL calls, and the WebAssembly compiled or run.
    struct {
        int contexts = -1, calls = -1, wasm = -1;
    } page_thread;

    // The results of the step named `name`.
    const step_result& operator[](const std::string& name) const;
};

page_run drive(const drive_options& options);
// Drives the unpacked web zip, served with the headers that isolate it (the
// options' url is its address).
page_run drive_zip(drive_options options);

// The frame lines among a step's lines, each of which is expected to be one.
int frame_lines(const step_result& step);

// Expects the frame of a shot step to match the model.
void expect_shot(const step_result& shot, const camera_model& camera,
                 const std::vector<unsigned char>& texels = shipped_texels());
