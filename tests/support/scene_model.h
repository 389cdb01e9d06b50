#pragma once

#include "image.h"
#include "keyboard.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

// The test's own model of what the viewer shows: the grid, the camera as a
// user drives it, and the perspective; in double precision throughout.

using vec = std::array<double, 3>;

inline vec add(const vec& a, const vec& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
inline vec sub(const vec& a, const vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
inline vec scale(const vec& a, double k) { return {a[0] * k, a[1] * k, a[2] * k}; }
inline double dot(const vec& a, const vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline vec cross(const vec& a, const vec& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline vec unit(const vec& a) { return scale(a, 1 / std::sqrt(dot(a, a))); }

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
    int mode = orbit_mode;

    // What a key press does, as the table of keys (keys.def) says.
    void press(char key);
};

// Whether a press of the key draws a frame: that of any key the program
// takes but the next view mode's.
bool draws_frame(char key);

// The key repeated, as a list of keys separated by spaces.
std::string repeat(const std::string& key, int times);

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
