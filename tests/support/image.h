#pragma once

#include <array>
#include <string>
#include <vector>

using rgb = std::array<unsigned char, 3>;

// An RGB picture, top row first, as windows and PNG files hold them.
struct image {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
    rgb at_window(int x, int y) const; // window coordinates, origin bottom left
};

// A PNG file (a browser's screenshot, say), whatever its colour type.
image read_png(const std::string& path);
