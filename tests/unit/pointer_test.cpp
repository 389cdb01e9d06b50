#include "camera.h"
#include "glut_stand_ins.h"
#include "keyboard.h"
#include "pointer.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

// The rule's arithmetic, and what the real viewer's tests cannot easily
// send; drags, the wheel and the arrows themselves are tested on the real
// viewer against the model.

TEST(pointer, steps_are_whole_tens_of_travel_and_a_turn_back_uses_up_the_rest_first)
{
    EXPECT_EQ(travel_steps(9.9, 0), 0);
    EXPECT_EQ(travel_steps(35, 0), 3);
    EXPECT_EQ(travel_steps(21, 3), 0); // 21 of 30 sent: not yet back a step
    EXPECT_EQ(travel_steps(15, 3), -1);
    EXPECT_EQ(travel_steps(-20, 0), -2);
    EXPECT_EQ(travel_steps(-25, -2), 0);
    EXPECT_EQ(drag_mode(GLUT_LEFT_BUTTON, false), current_mode);
    EXPECT_EQ(drag_mode(GLUT_LEFT_BUTTON, true), pan_mode);
    EXPECT_EQ(drag_mode(GLUT_RIGHT_BUTTON, false), pan_mode);
    EXPECT_EQ(drag_mode(GLUT_MIDDLE_BUTTON, true), no_drag);
}

TEST(pointer, a_second_button_leaves_the_drag_to_the_first_and_its_release_ends_it)
{
    init_camera();
    view_mode = orbit_mode;
    redisplays_posted = 0;
    const float start_theta = theta;
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
    mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 0, 0);
    motion(10, 0); // still the left button's drag: one 6, in orbit mode
    EXPECT_EQ(theta, start_theta + angle_step);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 10, 0);
    motion(50, 50);
    EXPECT_EQ(theta, start_theta + angle_step);
    EXPECT_EQ(redisplays_posted, 1);
    EXPECT_EQ(view_mode, orbit_mode);
}
