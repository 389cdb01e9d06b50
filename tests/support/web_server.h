#pragma once

#include "process.h"

#include <string>

// A static web server for a folder on a free port of 127.0.0.1:
// scripts/serve_web.py, which sends the headers that isolate the page, or
// Python's plain one.
struct web_server {
    process server;
    std::string url; // the folder's address, ending in "/"

    web_server(const std::string& folder, bool isolated);
};
