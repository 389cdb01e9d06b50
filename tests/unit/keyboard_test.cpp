#include "camera.h"
#include "glut_stand_ins.h"
#include "headless_gl.h"
#include "keyboard.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct camera_state {
    vec3 eye, center;
    float radius, theta, phi;
    int view_mode;
};

camera_state current()
{
    return {eye, center, radius, theta, phi, view_mode};
}

void expect_same(const vec3& a, const vec3& b)
{
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, b.z);
}

void expect_same(const camera_state& a, const camera_state& b)
{
    expect_same(a.eye, b.eye);
    expect_same(a.center, b.center);
    EXPECT_EQ(a.radius, b.radius);
    EXPECT_EQ(a.theta, b.theta);
    EXPECT_EQ(a.phi, b.phi);
    EXPECT_EQ(a.view_mode, b.view_mode);
}

// The eye on the sphere, as the viewer's user expects it from the angles.
void expect_eye_on_sphere()
{
    EXPECT_NEAR(eye.x, center.x + radius * std::sin(phi) * std::cos(theta), 1e-4);
    EXPECT_NEAR(eye.y, center.y + radius * std::sin(phi) * std::sin(theta), 1e-4);
    EXPECT_NEAR(eye.z, center.z + radius * std::cos(phi), 1e-4);
}

void press(char key, int times = 1)
{
    for (int i = 0; i < times; ++i)
        keyboard(static_cast<unsigned char>(key), 17, 23);
}

class keys : public testing::Test {
protected:
    void SetUp() override
    {
        init_camera();
        view_mode = orbit_mode;
        redisplays_posted = 0;
        start = current();
    }

    void enter_mode(int mode)
    {
        testing::internal::CaptureStdout();
        while (view_mode != mode)
            press('v');
        testing::internal::GetCapturedStdout();
        start = current();
    }

    camera_state start{};
};

using orbit_keys = keys;
using zoom_keys = keys;
using pan_keys = keys;
using mode_keys = keys;

}

TEST_F(orbit_keys, eight_and_two_change_phi_and_recompute_the_whole_eye)
{
    press('8');
    EXPECT_EQ(phi, start.phi - angle_step);
    expect_eye_on_sphere();
    EXPECT_GT(eye.z, start.eye.z); // a smaller polar angle lifts the eye
    EXPECT_EQ(redisplays_posted, 1);
    press('2', 2);
    EXPECT_EQ(phi, start.phi - angle_step + angle_step + angle_step);
    expect_eye_on_sphere();
    EXPECT_LT(eye.z, start.eye.z);
    EXPECT_EQ(theta, start.theta);
    EXPECT_EQ(radius, start.radius);
    expect_same(center, start.center);
    EXPECT_EQ(redisplays_posted, 3);
}

TEST_F(orbit_keys, four_and_six_turn_theta_and_leave_the_height_alone)
{
    press('4');
    EXPECT_EQ(theta, start.theta - angle_step);
    EXPECT_EQ(eye.z, 40.0f);
    EXPECT_LT(eye.x, 30.0f);
    EXPECT_EQ(redisplays_posted, 1);
    press('6', 2);
    EXPECT_EQ(eye.z, 40.0f);
    EXPECT_GT(eye.x, 30.0f);
    EXPECT_EQ(phi, start.phi);
    EXPECT_EQ(redisplays_posted, 3);
}

TEST_F(orbit_keys, fifty_sixes_turn_a_quarter_in_single_precision)
{
    press('6', 50);
    float expected = start.theta;
    for (int i = 0; i < 50; ++i)
        expected += 0.031416f;
    EXPECT_EQ(theta, expected);
    EXPECT_NEAR(theta - start.theta, 1.5708, 1e-5);
    // A quarter turn from the start azimuth (-y) brings the eye round to +x.
    EXPECT_NEAR(eye.x, center.x + 48, 1e-2);
    EXPECT_NEAR(eye.y, center.y, 1e-2);
    EXPECT_EQ(redisplays_posted, 50);
}

TEST_F(orbit_keys, over_the_pole_phi_goes_negative_unclamped)
{
    press('8', 28);
    EXPECT_LT(phi, 0.0f);
    expect_eye_on_sphere();
    // Past the pole the eye is on the far side of the look-at point.
    EXPECT_GT(eye.y, center.y);
}

TEST_F(zoom_keys, eight_and_two_change_the_radius_first_then_the_eye)
{
    enter_mode(zoom_mode);
    press('8');
    EXPECT_EQ(radius, start.radius - distance_step);
    expect_eye_on_sphere();
    press('2', 3);
    EXPECT_EQ(radius, start.radius - distance_step + distance_step + distance_step + distance_step);
    expect_eye_on_sphere();
    EXPECT_EQ(theta, start.theta);
    EXPECT_EQ(phi, start.phi);
    EXPECT_EQ(redisplays_posted, 4);
}

TEST_F(zoom_keys, four_and_six_change_nothing_but_still_redraw)
{
    enter_mode(zoom_mode);
    press('4');
    press('6');
    expect_same(current(), start);
    EXPECT_EQ(redisplays_posted, 2);
}

TEST_F(zoom_keys, the_eye_passes_through_the_look_at_point)
{
    enter_mode(zoom_mode);
    press('8', 125);
    EXPECT_NEAR(radius, -0.018, 1e-3);
    expect_eye_on_sphere();
    // Now on the other side: below and beyond the look-at point.
    EXPECT_LT(eye.z, center.z);
    EXPECT_GT(eye.y, center.y);
    EXPECT_EQ(redisplays_posted, 125);
}

TEST_F(pan_keys, moves_eye_and_look_at_point_together)
{
    enter_mode(pan_mode);
    press('4');
    EXPECT_EQ(eye.x, start.eye.x + 1);
    EXPECT_EQ(center.x, start.center.x + 1);
    press('6');
    expect_same(current(), start);
    press('8');
    EXPECT_EQ(eye.z, start.eye.z - 1);
    EXPECT_EQ(center.z, start.center.z - 1);
    press('2', 2);
    EXPECT_EQ(eye.z, start.eye.z + 1);
    EXPECT_EQ(center.z, start.center.z + 1);
    EXPECT_EQ(eye.y, start.eye.y);
    EXPECT_EQ(center.y, start.center.y);
    EXPECT_EQ(radius, start.radius);
    EXPECT_EQ(theta, start.theta);
    EXPECT_EQ(phi, start.phi);
    EXPECT_EQ(redisplays_posted, 5);
}

TEST_F(mode_keys, v_cycles_the_modes_and_prints_each_without_redrawing)
{
    testing::internal::CaptureStdout();
    press('v', 4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "view mode: 1\nview mode: 2\nview mode: 0\nview mode: 1\n");
    EXPECT_EQ(view_mode, zoom_mode);
    EXPECT_EQ(redisplays_posted, 0);
    start.view_mode = zoom_mode;
    expect_same(current(), start);
}

TEST_F(mode_keys, other_keys_are_ignored_case_included)
{
    for (int mode = 0; mode < view_mode_count; ++mode) {
        enter_mode(mode);
        testing::internal::CaptureStdout();
        for (const char key : {'R', 'V', '5', '0', 'x', ' ', '\0', '\x1b', '\xff'})
            press(key);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        expect_same(current(), start);
    }
    EXPECT_EQ(redisplays_posted, 0);
}

TEST_F(mode_keys, r_resets_the_projection_to_512_square)
{
    use_headless_gl(800, 600);
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    press('r');
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 512);
    EXPECT_EQ(viewport[3], 512);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_FLOAT_EQ(projection[0], projection[5]);
    EXPECT_NEAR(projection[5], 1 / std::tan(40 * M_PI / 180), 1e-5);
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(redisplays_posted, 1);
    expect_same(current(), start);
}
