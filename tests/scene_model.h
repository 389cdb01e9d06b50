#pragma once

#include <array>
#include <cmath>
#include <string>
#include <vector>

// The test's own model of what the viewer shows: the grid, the camera as a
// user drives it, and the perspective; in double precision throughout.

using vec = std::array<double, 3>;
using rgb = std::array<unsigned char, 3>;

constexpr rgb background_colour{48, 96, 128};

// Faces in drawing order: front, right, top, left, back, bottom.
constexpr int face_count = 6;
constexpr int face_slot_offsets[face_count] = {0, 1, 4, 2, 3, 5};
extern const char* const face_names[face_count];
extern const vec face_outward[face_count];

// A face's corners in the order of the texture coordinates (0,0) (1,0)
// (1,1) (0,1): s runs along its bottom edge, t upwards on the sides and
// towards the upper y on top and bottom.
std::array<vec, 4> face_corners(int box, int face);
constexpr std::array<float, 2> corner_texture_coordinates[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

// What the textures hold for a picture file of these bytes: its first
// 196,608 bytes, reduced to four bits a component in the packed variant
// (this build's, unless said).
std::vector<unsigned char> texels_for(std::vector<unsigned char> bytes,
                                      bool packed = USE_PACKED_TEXTURES != 0);

struct camera_model {
    vec eye{30, -24, 40};
    vec center{30, 24, 0};
    double theta = M_PI / 2 + 3.1416;
    double phi = std::acos(40 / std::sqrt(3904.0));
    double radius = std::sqrt(3904.0);
    int mode = 0;

    // What a key press does, as the keys are documented.
    void press(char key);
};

struct viewport {
    int x, y, width, height;
};

// Projects a world point to window coordinates (origin bottom left);
// false when it lies behind the near plane.
bool project(const camera_model& camera, const viewport& view, double aspect, const vec& point,
             double& wx, double& wy);

// True when a box other than the point's own stands between it and the eye.
bool hidden(const camera_model& camera, const vec& point, int own_box);

// True when the ray through a window point meets no box (with a margin).
bool sees_background(const camera_model& camera, const viewport& view, double aspect, double wx,
                     double wy);

struct image {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels; // RGB, top row first, as screenshots are
    rgb at_window(int x, int y) const; // window coordinates, origin bottom left
};

// Compares a frame with the model: the right texel at points sampled on
// every visible face, the background where no box can be. Returns a
// description of every mismatch; `checked` counts the points compared.
std::vector<std::string> compare_frame(const image& frame, const std::vector<unsigned char>& texels,
                                       const camera_model& camera, const viewport& view,
                                       double aspect, int& checked);
