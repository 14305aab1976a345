// The millisecond clock, seconds since midnight and the three waits of the
// program thread (rt_sleep, rt_delay, rt_limit). Every wait polls in slices
// of 9 ms and runs the per-statement check on each slice, so a pause, the
// shutdown or an error is served within one slice.
#include "runtime/core/timing.h"

#include <cmath>
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/core/errors.h"
#include "runtime/input/keyboard.h"

ClockBase rt_clock_base;
double rt_limit_previous_ms = 0;

namespace {

constexpr int32_t SLICE_MS = 9;
constexpr int64_t DAY_MS = 86400000;
constexpr double PC_TICK_RATE = 18.2;

// A remainder of a wait in whole milliseconds: truncated, never 0.
int32_t remainder_ms(double ms) {
    if (ms >= 2147483647.0) return 2147483647;
    auto r = static_cast<int32_t>(ms);
    return r == 0 ? 1 : r;
}

bool error_pending() { return rt_control.error_pending.load() != 0; }

}  // namespace

int64_t rt_clock_ms() { return plat_clock_ms(); }

uint32_t rt_time_of_day_ms() {
    // Reduced in 64 bits so that a run longer than 2^32 ms keeps counting
    // correctly; a clock that went back before the base still lands in 0..day.
    int64_t ms = (rt_clock_ms() - rt_clock_base.clock_ms + rt_clock_base.time_of_day_ms) % DAY_MS;
    if (ms < 0) ms += DAY_MS;
    return static_cast<uint32_t>(ms);
}

double rt_timer(double accuracy, int32_t accuracy_given) {
    if (error_pending()) return 0;
    double seconds = rt_time_of_day_ms() / 1000.0;
    double rate = PC_TICK_RATE;
    if (accuracy_given) {
        if (!(accuracy > 0)) {
            rt_error(5);
            return 0;
        }
        rate = 1 / accuracy;
    }
    // Round to the nearest tick, ties to even (the default rounding mode).
    double ticks = std::nearbyint(seconds * rate);
    double result = (std::fabs(ticks) < 9.2e18) ? static_cast<double>(static_cast<int64_t>(ticks)) / rate
                                                 : seconds;  // a tick finer than any double step
    if (!accuracy_given) return static_cast<float>(result);
    return result;
}

void rt_sleep(int32_t seconds, int32_t seconds_given) {
    if (error_pending()) return;
    key_wake.store(0);
    int64_t start = seconds_given ? rt_clock_ms() : 0;
    double wait = seconds_given ? seconds * 1000.0 : 0;
    for (;;) {
        rt_check_statement(0);
        if (key_wake.load() != 0) return;
        if (rt_control.stopping.load() != 0) return;
        if (wait <= 0) {
            plat_sleep_ms(SLICE_MS);  // no limit: wait for a key or the shutdown
            continue;
        }
        int64_t now = rt_clock_ms();
        if (now < start) return;
        double elapsed = static_cast<double>(now - start);
        if (elapsed >= wait) return;
        int32_t rest = remainder_ms(wait - elapsed);
        if (rest <= SLICE_MS) {
            plat_sleep_ms(rest);
            return;
        }
        plat_sleep_ms(SLICE_MS);
    }
}

void rt_delay(double seconds) {
    int64_t start = rt_clock_ms();
    if (error_pending()) return;
    if (!(seconds >= 0 && seconds <= 2147483.647)) {
        rt_error(5);
        return;
    }
    double wait = seconds * 1000;
    int64_t previous = start;
    for (;;) {
        int64_t now = rt_clock_ms();
        int64_t elapsed = now - start;
        if (elapsed < 0) {
            // The clock went back: keep the time already waited.
            start = now - (previous - start);
        }
        previous = now;
        if (!(wait > static_cast<double>(elapsed))) return;
        int32_t rest = remainder_ms(wait - static_cast<double>(elapsed));
        if (rest <= SLICE_MS) {
            plat_sleep_ms(rest);
            return;
        }
        plat_sleep_ms(SLICE_MS);
        rt_check_statement(0);
    }
}

void rt_limit(double rate) {
    if (error_pending()) return;
    if (!(rate > 0)) {
        rt_error(5);
        return;
    }
    double period = 1000 / rate;
    if (period > 60000) {
        rt_error(5);
        return;
    }
    for (;;) {
        auto now = static_cast<double>(rt_clock_ms());
        // The last remainder was truncated to whole milliseconds, so a pass
        // may wake up to 1 ms before its scheduled time: that is no clock
        // going back, and restarting there would let the next pass through
        // without any wait.
        if (rt_limit_previous_ms == 0 || rt_limit_previous_ms > now + 1) {
            rt_limit_previous_ms = now;  // first pass, or the clock went back
            return;
        }
        double elapsed = now - rt_limit_previous_ms;
        if (period > elapsed) {
            int32_t rest = remainder_ms(period - elapsed);
            if (rest <= SLICE_MS) {
                plat_sleep_ms(rest);
                rt_limit_previous_ms += period;
                return;
            }
            plat_sleep_ms(SLICE_MS);
            rt_check_statement(0);
            continue;
        }
        // Late: a pass at most 16 ms late keeps the schedule, a later one
        // restarts it instead of running a burst of catch-up passes.
        if (elapsed <= period + 16) {
            rt_limit_previous_ms += period;
        } else {
            rt_limit_previous_ms = now;
        }
        return;
    }
}
