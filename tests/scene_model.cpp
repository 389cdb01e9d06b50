#include "scene_model.h"

#include <cmath>
#include <cstdio>

const char* const face_names[face_count] = {"front", "right", "top", "left", "back", "bottom"};
const vec face_outward[face_count] = {{0, -1, 0}, {1, 0, 0},  {0, 0, 1},
                                      {-1, 0, 0}, {0, 1, 0}, {0, 0, -1}};

namespace {

vec add(const vec& a, const vec& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
vec sub(const vec& a, const vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
vec scale(const vec& a, double k) { return {a[0] * k, a[1] * k, a[2] * k}; }
double dot(const vec& a, const vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
vec cross(const vec& a, const vec& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
vec unit(const vec& a) { return scale(a, 1 / std::sqrt(dot(a, a))); }

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

void camera_model::press(char key)
{
    const double angle_step = 0.031416;
    const bool orbit = mode == 0, zoom = mode == 1, pan = mode == 2;
    bool on_sphere = false;
    switch (key) {
    case '8':
    case '2': {
        const double sign = key == '8' ? -1 : 1;
        if (orbit)
            phi += sign * angle_step;
        if (zoom)
            radius += sign * 0.5;
        if (pan) {
            eye[2] += sign;
            center[2] += sign;
        }
        on_sphere = !pan;
        break;
    }
    case '4':
    case '6': {
        const double sign = key == '4' ? -1 : 1;
        if (orbit)
            theta += sign * angle_step;
        if (pan) {
            eye[0] -= sign;
            center[0] -= sign;
        }
        on_sphere = orbit;
        break;
    }
    case 'v':
        mode = (mode + 1) % 3;
        break;
    }
    if (on_sphere)
        eye = add(center, scale({std::cos(theta) * std::sin(phi), std::sin(theta) * std::sin(phi),
                                 std::cos(phi)},
                                radius));
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

rgb image::at_window(int x, int y) const
{
    const std::size_t i = (static_cast<std::size_t>(height - 1 - y) * width + x) * 3;
    return {pixels[i], pixels[i + 1], pixels[i + 2]};
}

std::vector<std::string> compare_frame(const image& frame, const std::vector<unsigned char>& texels,
                                       const camera_model& camera, const viewport& view,
                                       double aspect, int& checked)
{
    std::vector<std::string> faults;
    checked = 0;
    char note[200];
    const double samples[] = {0.12, 0.31, 0.5, 0.69, 0.88};
    for (int box = 0; box < 12; ++box)
        for (int face = 0; face < face_count; ++face) {
            const std::array<vec, 4> c = face_corners(box, face);
            if (dot(face_outward[face], sub(camera.eye, c[0])) <= 0)
                continue;
            for (const double s : samples)
                for (const double t : samples) {
                    const vec u = scale(sub(c[1], c[0]), 1.0 / 256), v = scale(sub(c[3], c[0]), 1.0 / 256);
                    const vec point = add(c[0], add(scale(u, s * 256), scale(v, t * 256)));
                    // Faces seen edge-on pack many texels into a pixel.
                    const vec towards_eye = unit(sub(camera.eye, point));
                    double wx, wy, sx, sy, tx, ty;
                    if (dot(towards_eye, face_outward[face]) < 0.3 ||
                        !project(camera, view, aspect, point, wx, wy) ||
                        !project(camera, view, aspect, add(point, u), sx, sy) ||
                        !project(camera, view, aspect, add(point, v), tx, ty) ||
                        hidden(camera, point, box))
                        continue;
                    const int px = static_cast<int>(wx), py = static_cast<int>(wy);
                    if (px < view.x + 2 || py < view.y + 2 || px >= view.x + view.width - 2 ||
                        py >= view.y + view.height - 2)
                        continue;
                    // Pixels a texel step moves the point, along s and t.
                    const double per_s = std::hypot(sx - wx, sy - wy);
                    const double per_t = std::hypot(tx - wx, ty - wy);
                    if (per_s < 0.25 || per_t < 0.25)
                        continue;
                    ++checked;
                    // Any texel within a pixel and a half of the point will
                    // do: the model and the rasteriser round differently.
                    const int reach_s = static_cast<int>(std::ceil(1.5 / per_s)) + 1;
                    const int reach_t = static_cast<int>(std::ceil(1.5 / per_t)) + 1;
                    const rgb got = frame.at_window(px, py);
                    bool found = false;
                    const int ts = static_cast<int>(s * 256), tt = static_cast<int>(t * 256);
                    for (int dt = -reach_t; dt <= reach_t && !found; ++dt)
                        for (int ds = -reach_s; ds <= reach_s && !found; ++ds) {
                            const unsigned char* e = &texels[((tt + dt) * 256 + ts + ds) * 3];
                            found = std::abs(e[0] - got[0]) <= 2 && std::abs(e[1] - got[1]) <= 2 &&
                                    std::abs(e[2] - got[2]) <= 2;
                        }
                    if (!found) {
                        const unsigned char* e = &texels[(tt * 256 + ts) * 3];
                        std::snprintf(note, sizeof note,
                                      "box %d %s at s=%.2f t=%.2f, pixel (%d,%d): got %d,%d,%d, "
                                      "texel %d,%d,%d",
                                      box, face_names[face], s, t, px, py, got[0], got[1], got[2],
                                      e[0], e[1], e[2]);
                        faults.push_back(note);
                    }
                }
        }
    for (int py = view.y + 4; py < view.y + view.height; py += 16)
        for (int px = view.x + 4; px < view.x + view.width; px += 16) {
            if (!sees_background(camera, view, aspect, px + 0.5, py + 0.5))
                continue;
            ++checked;
            const rgb got = frame.at_window(px, py);
            if (got != background_colour) {
                std::snprintf(note, sizeof note, "background at pixel (%d,%d): got %d,%d,%d", px,
                              py, got[0], got[1], got[2]);
                faults.push_back(note);
            }
        }
    return faults;
}
