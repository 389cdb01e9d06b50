#include "camera.h"
#include "console_lines.h"
#include "gl_wraps.h"
#include "glut_stand_ins.h"
#include "headless_gl.h"
#include "picture_files.h"
#include "scene.h"
#include "scene_model.h"
#include "timer.h"
#include "viewer.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

struct frame {
    int width, height;
    std::vector<unsigned char> pixels;
    rgb at(int x, int y) const
    {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
        return {pixels[i], pixels[i + 1], pixels[i + 2]};
    }
};

frame draw_frame(int width = 512, int height = 512)
{
    testing::internal::CaptureStdout();
    display();
    testing::internal::GetCapturedStdout();
    return {width, height, read_rgb(width, height)};
}

// Where a world point lands in a 512 x 512 window for the start camera,
// by the test's own model of it.
std::array<int, 2> project_from_start(double x, double y, double z)
{
    double wx = -1, wy = -1;
    project(camera_model{}, {0, 0, 512, 512}, 1.0, {x, y, z}, wx, wy);
    return {static_cast<int>(wx), static_cast<int>(wy)};
}

class viewer_gl : public testing::Test {
protected:
    void SetUp() override
    {
        start_headless_viewer();
    }

    void load(const std::vector<unsigned char>& bytes)
    {
        write_file("armor.raw", bytes);
        load_textures();
    }

    scratch_directory directory;
};

std::string frame_rate_line()
{
    testing::internal::CaptureStdout();
    display();
    return testing::internal::GetCapturedStdout();
}

std::chrono::steady_clock::time_point fake_now;

// Each reading moves the clock on by the span the test asks for.
std::chrono::nanoseconds fake_step;
std::chrono::steady_clock::time_point stepping_clock()
{
    fake_now += fake_step;
    return fake_now;
}

}

TEST_F(viewer_gl, reshape_sets_the_viewport_and_an_80_degree_projection)
{
    struct size {
        int width, height;
        double aspect;
    };
    for (const size s : {size{512, 512, 1}, size{1024, 512, 2}, size{800, 600, 800 / 600.0}}) {
        SCOPED_TRACE(s.width);
        reshape(s.width, s.height);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[2], s.width);
        EXPECT_EQ(viewport[3], s.height);
        GLdouble p[16];
        glGetDoublev(GL_PROJECTION_MATRIX, p);
        EXPECT_NEAR(p[5], 1 / std::tan(40 * M_PI / 180), 1e-6);
        EXPECT_NEAR(p[5] / p[0], s.aspect, 1e-6);
        // Near 1 and far 500.
        EXPECT_NEAR(p[10], -501.0 / 499, 1e-6);
        EXPECT_NEAR(p[14], -1000.0 / 499, 1e-6);
        GLint mode;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
    }
}

TEST_F(viewer_gl, a_window_of_height_zero_gets_a_finite_projection)
{
    reshape(640, 0);
    GLdouble p[16];
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    for (const double value : p)
        EXPECT_TRUE(std::isfinite(value));
    EXPECT_NEAR(p[5] / p[0], 640, 1e-3);
}

TEST_F(viewer_gl, display_prints_one_line_and_leaves_the_matrices_as_found)
{
    load(random_bytes(picture_bytes, 20));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    GLdouble model_before[16], projection_before[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, model_before);
    glGetDoublev(GL_PROJECTION_MATRIX, projection_before);
    GLint depth_before;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);
    const int swaps = buffer_swaps;

    for (int i = 0; i < 3; ++i) {
        const std::string printed = frame_rate_line();
        EXPECT_TRUE(!printed.empty() && printed.back() == '\n' &&
                    is_frame_line(printed.substr(0, printed.size() - 1)))
            << printed;
    }
    EXPECT_EQ(buffer_swaps, swaps + 3);
    GLdouble model_after[16], projection_after[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, model_after);
    glGetDoublev(GL_PROJECTION_MATRIX, projection_after);
    GLint depth_after;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_after);
    EXPECT_EQ(depth_after, depth_before);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(model_after[i], model_before[i]);
        EXPECT_EQ(projection_after[i], projection_before[i]);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(viewer_gl, frame_rate_line_comes_from_the_timed_span)
{
    load(random_bytes(picture_bytes, 21));
    timer_use_clock(stepping_clock);
    fake_step = std::chrono::milliseconds(4);
    EXPECT_EQ(frame_rate_line(), "FPS: 249.999988\n");
    // The second frame starts afresh rather than adding to the first.
    EXPECT_EQ(frame_rate_line(), "FPS: 249.999988\n");
    fake_step = std::chrono::milliseconds(1200);
    EXPECT_EQ(frame_rate_line(), "FPS: 0.833333\n");
    fake_step = std::chrono::microseconds(250);
    EXPECT_EQ(frame_rate_line(), "FPS: 3999.999810\n");
    fake_step = {};
    EXPECT_EQ(frame_rate_line(), "FPS: inf\n");
    timer_use_clock(std::chrono::steady_clock::now);
}

namespace {

// What the frame had done when the timer read the clock.
struct reading {
    std::size_t binds;
    int swaps;
    GLint depth;
    GLdouble model_view[16];
};
std::vector<reading> readings;

std::chrono::steady_clock::time_point observing_clock()
{
    reading r{binds.size(), buffer_swaps, 0, {}};
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &r.depth);
    glGetDoublev(GL_MODELVIEW_MATRIX, r.model_view);
    readings.push_back(r);
    return stepping_clock();
}

}

TEST_F(viewer_gl, the_timed_span_holds_the_grids_drawing_and_nothing_else)
{
    load(random_bytes(picture_bytes, 23));
    glMatrixMode(GL_MODELVIEW);
    GLint depth;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    GLdouble start_view[16];
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(30, -24, 40, 30, 24, 0, 0, 0, 1);
    glGetDoublev(GL_MODELVIEW_MATRIX, start_view);
    glPopMatrix();

    timer_use_clock(observing_clock);
    fake_step = std::chrono::milliseconds(4);
    readings.clear();
    binds.clear();
    recording_binds = true;
    const int swaps = buffer_swaps;
    EXPECT_EQ(frame_rate_line(), "FPS: 249.999988\n");
    recording_binds = false;
    timer_use_clock(std::chrono::steady_clock::now);

    ASSERT_EQ(readings.size(), 2u);
    // Started with the view set up and nothing of the grid issued yet.
    EXPECT_EQ(readings[0].binds, 0u);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(readings[0].model_view[i], start_view[i], 1e-9) << i;
    // Stopped after the grid's last bind, before the matrix is popped and
    // the buffers swap.
    EXPECT_EQ(readings[1].binds, 72u);
    EXPECT_EQ(binds.size(), 72u);
    for (const reading& r : readings) {
        EXPECT_EQ(r.depth, depth + 1);
        EXPECT_EQ(r.swaps, swaps);
    }
}

TEST_F(viewer_gl, first_frame_shows_each_slot_on_its_outward_face)
{
    load(random_bytes(picture_bytes, 22));
    // Paint slot i a colour of its own, so the frame tells which slot
    // shows where.
    std::vector<unsigned char> solid(picture_bytes);
    for (int i = 0; i < texture_count; ++i) {
        for (std::size_t p = 0; p < picture_bytes; p += 3) {
            solid[p] = static_cast<unsigned char>(20 + 3 * i);
            solid[p + 1] = 200;
            solid[p + 2] = 77;
        }
        glBindTexture(GL_TEXTURE_2D, texture_names[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 256, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, solid.data());
    }
    const frame f = draw_frame();

    std::set<int> seen;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            const rgb c = f.at(x, y);
            if (c == background_colour)
                continue;
            ASSERT_EQ(c[1], 200) << x << "," << y;
            ASSERT_EQ(c[2], 77) << x << "," << y;
            seen.insert((c[0] - 20) / 3);
        }
    // From (30,-24,40) no back, bottom face, nor left face of the first
    // column, nor right face of the last, can be seen.
    for (const int slot : seen) {
        const int box = slot / 6, offset = slot % 6;
        EXPECT_NE(offset, 3) << "back face of box " << box;
        EXPECT_NE(offset, 5) << "bottom face of box " << box;
        EXPECT_FALSE(offset == 2 && box % 4 == 0) << "left face of box " << box;
        EXPECT_FALSE(offset == 1 && box % 4 == 3) << "right face of box " << box;
    }
    // Every top, and each front of the first row, at its centre.
    for (int box = 0; box < 12; ++box) {
        const double x = 14 * (box % 4), y = 14 * (box / 4);
        const auto top = project_from_start(x + 5, y + 5, 10);
        EXPECT_EQ(f.at(top[0], top[1])[0], 20 + 3 * (box * 6 + 4)) << "top of box " << box;
        if (box < 4) {
            const auto front = project_from_start(x + 5, y, 5);
            EXPECT_EQ(f.at(front[0], front[1])[0], 20 + 3 * (box * 6)) << "front of box " << box;
        }
    }
    const auto right = project_from_start(10, 5, 5);
    EXPECT_EQ(f.at(right[0], right[1])[0], 20 + 3 * 1) << "right of box 0";
    const auto left = project_from_start(42, 5, 5);
    EXPECT_EQ(f.at(left[0], left[1])[0], 20 + 3 * (3 * 6 + 2)) << "left of box 3";
    EXPECT_EQ(f.at(0, 511), background_colour);
    EXPECT_EQ(f.at(511, 0), background_colour);
}

TEST_F(viewer_gl, first_row_of_the_file_lies_along_each_faces_bottom_edge)
{
    // Red for the first 32 rows (t near 0), green for the first 32 columns
    // (s near 0), black elsewhere.
    std::vector<unsigned char> bytes(picture_bytes, 0);
    for (int t = 0; t < 256; ++t)
        for (int s = 0; s < 256; ++s) {
            unsigned char* p = &bytes[(t * 256 + s) * 3];
            if (t < 32 && s >= 32)
                p[0] = 255;
            if (s < 32 && t >= 32)
                p[1] = 255;
        }
    load(bytes);
    const frame f = draw_frame();
    const rgb red{255, 0, 0}, green{0, 255, 0}, black{0, 0, 0};
    struct probe {
        const char* where;
        double x, y, z;
        rgb colour;
    };
    for (const probe p : {
             probe{"front, bottom edge", 5, 0, 0.6, red},
             probe{"front, left edge", 0.6, 0, 5, green},
             probe{"front, middle", 5, 0, 5, black},
             probe{"front, top edge", 5, 0, 9.4, black},
             probe{"right, bottom edge", 10, 5, 0.6, red},
             probe{"right, edge at the lower y", 10, 0.6, 5, green},
             probe{"right, edge at the upper y", 10, 9.4, 5, black},
             probe{"top, edge at the lower y", 5, 0.6, 10, red},
             probe{"top, edge at the lower x", 0.6, 5, 10, green},
             probe{"top, edge at the upper y", 5, 9.4, 10, black},
             probe{"left of box 3, bottom edge", 42, 5, 0.6, red},
             probe{"left of box 3, edge at the upper y", 42, 9.4, 5, green},
         }) {
        // Box 0 but for the left face, which only the last column shows.
        const auto at = project_from_start(p.x, p.y, p.z);
        EXPECT_EQ(f.at(at[0], at[1]), p.colour) << p.where;
    }
}

namespace {

// The share of pixels two frames have in common, and how many are not
// background in the first.
struct comparison {
    double same;
    int drawn;
};

comparison compare(const frame& a, const frame& b)
{
    int same = 0, drawn = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const rgb p = a.at(x, y), q = b.at(x, y);
            bool close = true;
            for (int i = 0; i < 3; ++i)
                close = close && std::abs(p[i] - q[i]) <= 8;
            same += close;
            drawn += p != background_colour;
        }
    return {same / double(a.width * a.height), drawn};
}

// A smooth picture, red along s and green along t, so that views a hair
// apart give frames a hair apart.
std::vector<unsigned char> gradient()
{
    std::vector<unsigned char> bytes(picture_bytes);
    for (int t = 0; t < 256; ++t)
        for (int s = 0; s < 256; ++s) {
            unsigned char* p = &bytes[(t * 256 + s) * 3];
            p[0] = static_cast<unsigned char>(s);
            p[1] = static_cast<unsigned char>(t);
            p[2] = 160;
        }
    return bytes;
}

}

TEST_F(viewer_gl, degenerate_views_show_their_neighbours)
{
    load(gradient());
    struct view {
        const char* name;
        vec3 look_at;
        float theta, phi, radius, nearby_phi, nearby_radius;
    };
    for (const view v : {
             view{"eye on the look-at point", {30, -12, 6}, 4.712396f, 1.4f, 0, 1.4f, 0.01f},
             view{"straight down", {26, 19, 0}, 1.0f, 0, 30, 1e-3f, 30},
             view{"straight up from below", {26, 19, -5}, 2.0f, PI_APPROX, 2, PI_APPROX + 1e-3f, 2},
         }) {
        SCOPED_TRACE(v.name);
        center = v.look_at;
        theta = v.theta;
        phi = v.phi;
        radius = v.radius;
        update_eye();
        const frame degenerate = draw_frame();
        phi = v.nearby_phi;
        radius = v.nearby_radius;
        update_eye();
        const frame nearby = draw_frame();
        const comparison c = compare(degenerate, nearby);
        EXPECT_GT(c.drawn, 2000);
        EXPECT_GT(c.same, 0.97);
    }
}
