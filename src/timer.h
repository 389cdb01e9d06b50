#pragma once

#include <chrono>

// The draw timer: spans between timer_start and timer_stop add up until
// the next timer_reset.
void timer_reset();
void timer_start();
void timer_stop();
double timer_seconds();

// The clock the timer reads; steady_clock::now unless a test injects one.
using timer_clock = std::chrono::steady_clock::time_point (*)();
void timer_use_clock(timer_clock clock);
