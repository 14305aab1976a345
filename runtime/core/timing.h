// Timing and random numbers: the millisecond clock, seconds since midnight,
// the three waits of the program thread and the 24-bit random generator.
#pragma once
#include <cstdint>

// Clock base fixed by start-up: rt_clock_ms at the start of a calendar second
// and the local time of day of that second in milliseconds.
struct ClockBase {
    int64_t clock_ms;
    int64_t time_of_day_ms;
};
extern ClockBase rt_clock_base;

int64_t rt_clock_ms();

// Milliseconds since midnight from the clock base, wrapping at 86,400,000.
uint32_t rt_time_of_day_ms();

// Seconds since midnight. Without an accuracy: multiples of 1/18.2 s rounded to
// single precision. With one: multiples of the accuracy, as a double.
double rt_timer(double accuracy, int32_t accuracy_given);

void rt_sleep(int32_t seconds, int32_t seconds_given);
void rt_delay(double seconds);
void rt_limit(double rate);

// rt_limit's schedule: the time of the previous paced pass in milliseconds,
// shared by every loop that calls it; 0 until the first call.
extern double rt_limit_previous_ms;

// mode 1: seed given; 3: reproducible reseed; anything else: ask the user.
void rt_randomize(double seed, int32_t mode);
float rt_rnd(float argument, int32_t argument_given);

// Random state, exposed for tests and the run-restart statement.
extern uint32_t rt_rnd_state;
extern uint32_t rt_rnd_reset_value;
