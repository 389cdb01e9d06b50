#include "timer.h"

#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

steady_clock::time_point fake_now;

steady_clock::time_point read_fake_clock()
{
    return fake_now;
}

class draw_timer : public testing::Test {
protected:
    void SetUp() override { timer_use_clock(read_fake_clock); }
    void TearDown() override { timer_use_clock(steady_clock::now); }

    // One start/stop pair, from `start` to `stop` milliseconds on the clock.
    static void span(long start, long stop)
    {
        fake_now = steady_clock::time_point(milliseconds(start));
        timer_start();
        fake_now = steady_clock::time_point(milliseconds(stop));
        timer_stop();
    }
};

}

TEST_F(draw_timer, measures_across_a_second_boundary)
{
    timer_reset();
    span(41999, 42003);
    EXPECT_DOUBLE_EQ(timer_seconds(), 0.004);
}

TEST_F(draw_timer, measures_spans_longer_than_a_second)
{
    timer_reset();
    span(5100, 6300);
    EXPECT_DOUBLE_EQ(timer_seconds(), 1.2);
    timer_reset();
    span(0, 3000);
    EXPECT_DOUBLE_EQ(timer_seconds(), 3.0);
}

TEST_F(draw_timer, adds_up_spans_until_reset)
{
    timer_reset();
    span(100, 103);
    span(900, 1005);
    EXPECT_DOUBLE_EQ(timer_seconds(), 0.108);
    timer_reset();
    EXPECT_EQ(timer_seconds(), 0.0);
    span(7, 7);
    EXPECT_EQ(timer_seconds(), 0.0);
}

TEST_F(draw_timer, resolves_fractions_of_a_millisecond)
{
    timer_reset();
    fake_now = steady_clock::time_point(std::chrono::nanoseconds(1000));
    timer_start();
    fake_now = steady_clock::time_point(std::chrono::nanoseconds(1250));
    timer_stop();
    EXPECT_DOUBLE_EQ(timer_seconds(), 250e-9);
}

TEST(draw_timer_clock, real_clock_never_runs_backwards)
{
    timer_reset();
    timer_start();
    timer_stop();
    EXPECT_GE(timer_seconds(), 0.0);
}
