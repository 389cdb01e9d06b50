#include "camera.h"
#include "glut_stand_ins.h"
#include "keyboard.h"
#include "pointer.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>

namespace {

struct view {
    vec3 eye, center;
    float radius, theta, phi;
    int view_mode;
    bool operator==(const view& o) const
    {
        return eye.x == o.eye.x && eye.y == o.eye.y && eye.z == o.eye.z &&
               center.x == o.center.x && center.y == o.center.y && center.z == o.center.z &&
               radius == o.radius && theta == o.theta && phi == o.phi && view_mode == o.view_mode;
    }
};

view now()
{
    return {eye, center, radius, theta, phi, view_mode};
}

void start_in(int mode)
{
    init_camera();
    view_mode = mode;
    redisplays_posted = 0;
    modifiers_held = 0;
}

// The view that these keys, typed in `mode`, give from the start; the mode
// then put back to `back_to`.
view after_keys(int mode, const std::string& keys, int back_to)
{
    start_in(mode);
    for (const char key : keys)
        keyboard(static_cast<unsigned char>(key), 0, 0);
    view_mode = back_to;
    return now();
}

void drag(int button, std::initializer_list<std::pair<int, int>> path)
{
    auto point = path.begin();
    mouse(button, GLUT_DOWN, point->first, point->second);
    for (++point; point != path.end(); ++point)
        motion(point->first, point->second);
    mouse(button, GLUT_UP, (path.end() - 1)->first, (path.end() - 1)->second);
}

}

TEST(pointer, steps_are_whole_tens_of_travel_and_a_turn_back_uses_up_the_rest_first)
{
    EXPECT_EQ(travel_steps(9.9, 0), 0);
    EXPECT_EQ(travel_steps(35, 0), 3);
    EXPECT_EQ(travel_steps(21, 3), 0); // 21 of 30 sent: not yet back a step
    EXPECT_EQ(travel_steps(15, 3), -1);
    EXPECT_EQ(travel_steps(-20, 0), -2);
    EXPECT_EQ(travel_steps(-25, -2), 0);
}

TEST(pointer, drags_move_as_their_keys_in_their_mode_and_leave_the_mode_alone)
{
    // 30 px right, back to 15, then 20 down: three 6, one 4, two 2.
    const view keys = after_keys(orbit_mode, "666422", orbit_mode);
    start_in(orbit_mode);
    drag(GLUT_LEFT_BUTTON, {{100, 100}, {130, 100}, {115, 100}, {115, 120}});
    EXPECT_EQ(now(), keys);
    EXPECT_EQ(redisplays_posted, 6);

    // The right button, or the left with Shift, pans from any mode: 40 px
    // left and 10 up.
    const view panned = after_keys(pan_mode, "44448", zoom_mode);
    start_in(zoom_mode);
    drag(GLUT_RIGHT_BUTTON, {{50, 50}, {10, 40}});
    EXPECT_EQ(now(), panned);
    start_in(zoom_mode);
    modifiers_held = GLUT_ACTIVE_SHIFT;
    drag(GLUT_LEFT_BUTTON, {{50, 50}, {30, 50}, {10, 40}});
    EXPECT_EQ(now(), panned);
}

TEST(pointer, a_notch_zooms_five_steps_and_arrows_are_movement_keys)
{
    const view closer = after_keys(zoom_mode, "88888", pan_mode);
    start_in(pan_mode);
    mouse(3, GLUT_DOWN, 0, 0);
    mouse(3, GLUT_UP, 0, 0);
    EXPECT_EQ(now(), closer);
    EXPECT_EQ(redisplays_posted, 5);

    const view further = after_keys(zoom_mode, "22222", orbit_mode);
    start_in(orbit_mode);
    mouse(4, GLUT_DOWN, 0, 0);
    mouse(4, GLUT_UP, 0, 0);
    EXPECT_EQ(now(), further);

    const view arrowed = after_keys(pan_mode, "8246", pan_mode);
    start_in(pan_mode);
    for (const int key : {GLUT_KEY_UP, GLUT_KEY_DOWN, GLUT_KEY_LEFT, GLUT_KEY_RIGHT, GLUT_KEY_F1})
        special(key, 0, 0);
    EXPECT_EQ(now(), arrowed);
    EXPECT_EQ(redisplays_posted, 4);
}

TEST(pointer, clicks_other_buttons_and_a_second_button_move_nothing)
{
    start_in(orbit_mode);
    const view start = now();
    drag(GLUT_LEFT_BUTTON, {{100, 100}, {109, 91}, {100, 100}});
    drag(GLUT_MIDDLE_BUTTON, {{100, 100}, {200, 200}});
    // The left drag goes on while the right button is pressed and let go.
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
    mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 0, 0);
    motion(5, 5);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 5, 5);
    motion(50, 50);
    EXPECT_EQ(now(), start);
    EXPECT_EQ(redisplays_posted, 0);
}
