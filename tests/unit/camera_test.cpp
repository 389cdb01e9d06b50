#include "camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The direction the camera looks along, and its screen up, as gluLookAt
// derives them.
struct frame {
    double forward[3];
    double up[3];
};

void normalise(double* v)
{
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int i = 0; i < 3; ++i)
        v[i] /= length;
}

frame frame_of(const look_at& view)
{
    frame f{};
    for (int i = 0; i < 3; ++i)
        f.forward[i] = view.center[i] - view.eye[i];
    normalise(f.forward);
    const double along = f.forward[0] * view.up[0] + f.forward[1] * view.up[1] +
                         f.forward[2] * view.up[2];
    for (int i = 0; i < 3; ++i)
        f.up[i] = view.up[i] - along * f.forward[i];
    normalise(f.up);
    return f;
}

void expect_close(const double* a, const double* b, double tolerance)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(a[i], b[i], tolerance) << "component " << i;
}

void expect_finite(const look_at& view)
{
    const frame f = frame_of(view);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::isfinite(f.forward[i]));
        EXPECT_TRUE(std::isfinite(f.up[i]));
    }
}

// The view the camera gives with the angles and radius set as asked.
look_at view_at(float new_theta, float new_phi, float new_radius)
{
    init_camera();
    theta = new_theta;
    phi = new_phi;
    radius = new_radius;
    update_eye();
    return camera_look_at();
}

}

TEST(camera, starts_at_its_fixed_position)
{
    init_camera();
    EXPECT_EQ(eye.x, 30.0f);
    EXPECT_EQ(eye.y, -24.0f);
    EXPECT_EQ(eye.z, 40.0f);
    EXPECT_EQ(center.x, 30.0f);
    EXPECT_EQ(center.y, 24.0f);
    EXPECT_EQ(center.z, 0.0f);
    EXPECT_EQ(radius, static_cast<float>(std::sqrt(3904.0)));
    EXPECT_NEAR(theta, 4.712396, 1e-6);
    EXPECT_NEAR(phi, 0.876058, 1e-6);
    EXPECT_EQ(angle_step, 0.031416f);
    EXPECT_EQ(PI_APPROX, 3.1416f);
}

TEST(camera, eye_rule_recomputes_the_start_eye_from_the_angles)
{
    init_camera();
    phi += angle_step;
    update_eye();
    phi -= angle_step;
    update_eye();
    // Off in the fourth decimal of x, because theta was derived with 3.1416.
    EXPECT_NEAR(eye.x, 30.0003, 5e-5);
    EXPECT_GT(eye.x, 30.0f);
    EXPECT_NEAR(eye.y, -24.0, 1e-3);
    EXPECT_NEAR(eye.z, 40.0, 1e-3);
}

TEST(camera, eye_rule_follows_the_spherical_coordinates)
{
    init_camera();
    center = {1, 2, 3};
    theta = 0.5f;
    phi = 1.2f;
    radius = 7;
    update_eye();
    EXPECT_FLOAT_EQ(eye.x, 1 + 7 * std::sin(1.2) * std::cos(0.5));
    EXPECT_FLOAT_EQ(eye.y, 2 + 7 * std::sin(1.2) * std::sin(0.5));
    EXPECT_FLOAT_EQ(eye.z, 3 + 7 * std::cos(1.2));

    const float z = eye.z;
    theta = 2.0f;
    update_eye_xy();
    EXPECT_EQ(eye.z, z);
    EXPECT_FLOAT_EQ(eye.x, 1 + 7 * std::sin(1.2) * std::cos(2.0));
}

TEST(camera, radius_zero_puts_the_eye_on_the_look_at_point)
{
    init_camera();
    radius = 0;
    update_eye();
    EXPECT_EQ(eye.x, center.x);
    EXPECT_EQ(eye.y, center.y);
    EXPECT_EQ(eye.z, center.z);
}

TEST(camera, phi_zero_puts_the_eye_straight_above)
{
    init_camera();
    phi = 0;
    update_eye();
    EXPECT_EQ(eye.x, center.x);
    EXPECT_EQ(eye.y, center.y);
    EXPECT_EQ(eye.z, center.z + radius);
}

TEST(camera_view, is_the_plain_look_at_away_from_degenerate_views)
{
    init_camera();
    const look_at view = camera_look_at();
    EXPECT_EQ(view.eye[0], 30);
    EXPECT_EQ(view.eye[1], -24);
    EXPECT_EQ(view.eye[2], 40);
    EXPECT_EQ(view.center[0], 30);
    EXPECT_EQ(view.center[1], 24);
    EXPECT_EQ(view.center[2], 0);
    EXPECT_EQ(view.up[0], 0);
    EXPECT_EQ(view.up[1], 0);
    EXPECT_EQ(view.up[2], 1);
}

TEST(camera_view, radius_zero_looks_as_a_small_positive_radius_does)
{
    for (const float angle : {0.876058f, 2.5f, -0.7f}) {
        const look_at limit = view_at(1.1f, angle, 0);
        const look_at near = view_at(1.1f, angle, 1e-2f);
        SCOPED_TRACE(angle);
        EXPECT_EQ(limit.eye[0], center.x);
        expect_finite(limit);
        expect_close(frame_of(limit).forward, frame_of(near).forward, 1e-3);
        expect_close(frame_of(limit).up, frame_of(near).up, 1e-3);
    }
}

TEST(camera_view, along_the_up_axis_takes_the_screen_up_from_the_azimuth)
{
    // Straight above, straight below and with a negative radius, each against
    // a view a thousandth of a radian away on the side sin(phi) points to
    // (sin(3.1416) is slightly negative).
    struct probe {
        float phi, radius, nearby_phi;
    };
    for (const probe p : {probe{0, 20, 1e-3f}, probe{PI_APPROX, 20, PI_APPROX + 1e-3f},
                          probe{0, -20, 1e-3f}, probe{-PI_APPROX, 20, -PI_APPROX - 1e-3f}}) {
        for (const float azimuth : {0.0f, 1.0f, 4.712396f}) {
            SCOPED_TRACE(testing::Message() << "phi " << p.phi << " radius " << p.radius
                                            << " theta " << azimuth);
            const look_at axis = view_at(azimuth, p.phi, p.radius);
            const look_at nearby = view_at(azimuth, p.nearby_phi, p.radius);
            expect_finite(axis);
            expect_close(frame_of(axis).forward, frame_of(nearby).forward, 2e-3);
            expect_close(frame_of(axis).up, frame_of(nearby).up, 2e-3);
        }
    }
}

TEST(camera_view, radius_zero_on_the_up_axis_is_still_defined)
{
    const look_at view = view_at(0.3f, 0, 0);
    expect_finite(view);
    EXPECT_NEAR(frame_of(view).forward[2], -1, 1e-9);
    EXPECT_NEAR(frame_of(view).up[0], -std::cos(0.3), 1e-6);
    EXPECT_NEAR(frame_of(view).up[1], -std::sin(0.3), 1e-6);
}
