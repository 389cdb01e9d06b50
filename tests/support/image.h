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

// Writes the picture as a PNG file, or as a JPEG file of this quality (0 to
// 100).
void write_png(const std::string& path, const image& picture);
void write_jpeg(const std::string& path, const image& picture, int quality);
// A black PNG file of any size: at one bit a pixel, a huge one is still
// small on disk.
void write_blank_png(const std::string& path, int width, int height);
