#include "scene_model.h"

#include "camera.h"
#include "keyboard.h"

#include <algorithm>
#include <cmath>
#include <iterator>

const char* const face_names[face_count] = {"front", "right", "top", "left", "back", "bottom"};
const vec face_outward[face_count] = {{0, -1, 0}, {1, 0, 0},  {0, 0, 1},
                                      {-1, 0, 0}, {0, 1, 0}, {0, 0, -1}};

namespace {

vec box_corner(int box) { return {14.0 * (box % 4), 14.0 * (box / 4), 0}; }

// Camera axes: right, up and backwards, as gluLookAt builds them.
struct axes {
    vec side, up, back;
};

axes axes_of(const camera_model& camera)
{
    const vec forward = unit(sub(camera.center, camera.eye));
    const vec side = unit(cross(forward, {0, 0, 1}));
    return {side, cross(side, forward), scale(forward, -1)};
}

const double tan_half_fov = std::tan(40 * M_PI / 180);

// Does the segment from `from` along `direction` (t in (0, limit)) pass
// through the box grown by `margin`?
bool crosses_box(int box, const vec& from, const vec& direction, double limit, double margin)
{
    const vec low = box_corner(box);
    double t0 = 1e-9, t1 = limit;
    for (int i = 0; i < 3; ++i) {
        const double lo = low[i] - margin, hi = low[i] + 10 + margin;
        if (std::abs(direction[i]) < 1e-12) {
            if (from[i] < lo || from[i] > hi)
                return false;
            continue;
        }
        double a = (lo - from[i]) / direction[i], b = (hi - from[i]) / direction[i];
        if (a > b)
            std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
        if (t0 > t1)
            return false;
    }
    return true;
}

}

std::vector<unsigned char> texels_for(std::vector<unsigned char> bytes, bool packed)
{
    bytes.resize(256 * 256 * 3);
    if (packed)
        for (unsigned char& b : bytes)
            b = static_cast<unsigned char>((b & 0xF0) | (b >> 4));
    return bytes;
}

std::array<vec, 4> face_corners(int box, int face)
{
    const vec o = box_corner(box);
    const double s = 10;
    const double x = o[0], y = o[1], X = x + s, Y = y + s;
    switch (face) {
    case 0: return {{{x, y, 0}, {X, y, 0}, {X, y, s}, {x, y, s}}};
    case 1: return {{{X, y, 0}, {X, Y, 0}, {X, Y, s}, {X, y, s}}};
    case 2: return {{{x, y, s}, {X, y, s}, {X, Y, s}, {x, Y, s}}};
    case 3: return {{{x, Y, 0}, {x, y, 0}, {x, y, s}, {x, Y, s}}};
    case 4: return {{{X, Y, 0}, {x, Y, 0}, {x, Y, s}, {X, Y, s}}};
    default: return {{{x, Y, 0}, {X, Y, 0}, {X, y, 0}, {x, y, 0}}};
    }
}

namespace {

// The movements of keys.def, in double precision: the angles or the
// radius, the eye then on the sphere they give; or the eye and the look-at
// point together.
void on_sphere(camera_model& c)
{
    c.eye = add(c.center, scale({std::cos(c.theta) * std::sin(c.phi),
                                 std::sin(c.theta) * std::sin(c.phi), std::cos(c.phi)},
                                c.radius));
}
void move_polar(camera_model& c, double sign) { c.phi += sign * angle_step, on_sphere(c); }
void move_azimuth(camera_model& c, double sign) { c.theta += sign * angle_step, on_sphere(c); }
void move_distance(camera_model& c, double sign) { c.radius += sign * distance_step, on_sphere(c); }
void pan(camera_model& c, int axis, double sign)
{
    c.eye[axis] += sign * pan_step;
    c.center[axis] += sign * pan_step;
}
void move_height(camera_model& c, double sign) { pan(c, 2, sign); }
void move_across(camera_model& c, double sign) { pan(c, 0, sign); }
void move_none(camera_model&, double) {}

struct move {
    unsigned char key;
    int mode;
    void (*movement)(camera_model&, double);
    double sign;
};

constexpr move moves[] = {
#define MOVE(key, mode, movement, sign, words) {key_##key, mode##_mode, move_##movement, sign},
#include "keys.def"
};

}

void camera_model::press(char key)
{
    if (key == key_next_mode)
        mode = (mode + 1) % view_mode_count;
    for (const move& m : moves)
        if (m.key == static_cast<unsigned char>(key) && m.mode == mode)
            m.movement(*this, m.sign);
}

bool draws_frame(char key)
{
    const unsigned char k = static_cast<unsigned char>(key);
    return k != key_next_mode &&
           std::find(std::begin(program_keys), std::end(program_keys), k) != std::end(program_keys);
}

std::string repeat(const std::string& key, int times)
{
    std::string keys;
    for (int i = 0; i < times; ++i)
        keys += key + " ";
    return keys;
}

bool project(const camera_model& camera, const viewport& view, double aspect, const vec& point,
             double& wx, double& wy)
{
    const axes a = axes_of(camera);
    const vec d = sub(point, camera.eye);
    const double depth = -dot(d, a.back);
    if (depth < 1.0)
        return false;
    const double nx = dot(d, a.side) / (depth * tan_half_fov * aspect);
    const double ny = dot(d, a.up) / (depth * tan_half_fov);
    wx = view.x + (nx + 1) / 2 * view.width;
    wy = view.y + (ny + 1) / 2 * view.height;
    return true;
}

bool hidden(const camera_model& camera, const vec& point, int own_box)
{
    // A margin keeps points off the silhouettes of the boxes in front; a
    // face that looks at the eye cannot be hidden by its own box.
    const vec direction = sub(point, camera.eye);
    for (int box = 0; box < 12; ++box)
        if (box != own_box && crosses_box(box, camera.eye, direction, 1, 0.3))
            return true;
    return false;
}

bool sees_background(const camera_model& camera, const viewport& view, double aspect, double wx,
                     double wy)
{
    const axes a = axes_of(camera);
    const double nx = (wx - view.x) / view.width * 2 - 1;
    const double ny = (wy - view.y) / view.height * 2 - 1;
    const vec direction = add(add(scale(a.side, nx * tan_half_fov * aspect),
                                  scale(a.up, ny * tan_half_fov)),
                              scale(a.back, -1));
    for (int box = 0; box < 12; ++box)
        if (crosses_box(box, camera.eye, direction, 600, 0.6))
            return false;
    return true;
}
