#include "frame_check.h"

#include "picture_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

const std::vector<unsigned char>& shipped_texels()
{
    static const std::vector<unsigned char> texels =
        texels_for(read_file(TEXTURES_DATA_DIR "/armor.raw"));
    return texels;
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
                    const vec u = scale(sub(c[1], c[0]), 1.0 / 256),
                              v = scale(sub(c[3], c[0]), 1.0 / 256);
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

void expect_no_faults(const std::vector<std::string>& faults, int checked)
{
    EXPECT_GT(checked, 60) << "too few points to compare";
    std::string first;
    for (std::size_t i = 0; i < faults.size() && i < 5; ++i)
        first += "\n  " + faults[i];
    EXPECT_TRUE(faults.empty()) << faults.size() << " of " << checked << " points differ:" << first;
}

void expect_frame_image(const image& frame, const camera_model& camera,
                        const std::vector<unsigned char>& texels)
{
    int checked = 0;
    const std::vector<std::string> faults =
        compare_frame(frame, texels, camera, {0, 0, frame.width, frame.height}, 1.0, checked);
    expect_no_faults(faults, checked);
}
