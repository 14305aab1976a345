// Clocks and sleeping: a monotonic millisecond clock, calendar time, the
// local time of day and millisecond sleeps (0 yields the processor).
#pragma once
#include <cstdint>

int64_t plat_clock_ms();
void plat_sleep_ms(int32_t ms);

// Seconds since the epoch, or -1 when the calendar time is not available.
int64_t plat_calendar_time();

// Local time of day of a calendar time; false when it cannot be converted.
bool plat_local_time_of_day(int64_t calendar_time, int* hours, int* minutes, int* seconds);

// Test seam: replaces the clock, the calendar and (optionally) the sleep.
// Null members keep the real function. The shipped executable never calls it.
struct PlatClockHooks {
    int64_t (*clock_ms)();
    int64_t (*calendar_time)();
    bool (*local_time_of_day)(int64_t calendar_time, int* hours, int* minutes, int* seconds);
    void (*sleep_ms)(int32_t ms);
};
void plat_set_clock_hooks(const PlatClockHooks* hooks);

// The real sleep, whatever hook is installed (for the fake clock's own use).
void plat_real_sleep_ms(int32_t ms);
