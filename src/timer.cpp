#include "timer.h"

namespace {

timer_clock read_clock = std::chrono::steady_clock::now;
std::chrono::steady_clock::duration elapsed{};
std::chrono::steady_clock::time_point start_reading;

}

void timer_use_clock(timer_clock clock)
{
    read_clock = clock;
}

void timer_reset()
{
    elapsed = {};
}

void timer_start()
{
    start_reading = read_clock();
}

void timer_stop()
{
    elapsed += read_clock() - start_reading;
}

double timer_seconds()
{
    return std::chrono::duration<double>(elapsed).count();
}
