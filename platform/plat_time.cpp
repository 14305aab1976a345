// Clocks and sleeping on Linux: the monotonic millisecond clock, nanosleep
// based sleeps (0 yields), the calendar time and the local time of day, and
// the hooks through which tests replace them with a fake clock.
#include "platform/plat_time.h"

#include <atomic>
#include <cerrno>
#include <ctime>
#include <sched.h>

namespace {

using ClockFn = int64_t (*)();
using CalendarFn = int64_t (*)();
using TimeOfDayFn = bool (*)(int64_t, int*, int*, int*);
using SleepFn = void (*)(int32_t);

// Each member is read on every call from several threads, so each is atomic;
// a null pointer means the real function.
std::atomic<ClockFn> hook_clock_ms{nullptr};
std::atomic<CalendarFn> hook_calendar_time{nullptr};
std::atomic<TimeOfDayFn> hook_local_time_of_day{nullptr};
std::atomic<SleepFn> hook_sleep_ms{nullptr};

int64_t real_clock_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void real_sleep_ms(int32_t ms) {
    if (ms <= 0) {
        sched_yield();
        return;
    }
    timespec request{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    timespec remaining{};
    // A signal cuts nanosleep short; go on sleeping for what is left.
    while (nanosleep(&request, &remaining) == -1 && errno == EINTR) request = remaining;
}

int64_t real_calendar_time() {
    time_t now = time(nullptr);
    return now == static_cast<time_t>(-1) ? -1 : static_cast<int64_t>(now);
}

bool real_local_time_of_day(int64_t calendar_time, int* hours, int* minutes, int* seconds) {
    if (calendar_time < 0) return false;
    time_t t = static_cast<time_t>(calendar_time);
    tm local{};
    if (localtime_r(&t, &local) == nullptr) return false;
    *hours = local.tm_hour;
    *minutes = local.tm_min;
    *seconds = local.tm_sec;
    return true;
}

}  // namespace

int64_t plat_clock_ms() {
    ClockFn hook = hook_clock_ms.load();
    return hook ? hook() : real_clock_ms();
}

void plat_sleep_ms(int32_t ms) {
    SleepFn hook = hook_sleep_ms.load();
    if (hook) {
        hook(ms);
    } else {
        real_sleep_ms(ms);
    }
}

int64_t plat_calendar_time() {
    CalendarFn hook = hook_calendar_time.load();
    return hook ? hook() : real_calendar_time();
}

bool plat_local_time_of_day(int64_t calendar_time, int* hours, int* minutes, int* seconds) {
    TimeOfDayFn hook = hook_local_time_of_day.load();
    return hook ? hook(calendar_time, hours, minutes, seconds)
                : real_local_time_of_day(calendar_time, hours, minutes, seconds);
}

void plat_set_clock_hooks(const PlatClockHooks* hooks) {
    hook_clock_ms.store(hooks ? hooks->clock_ms : nullptr);
    hook_calendar_time.store(hooks ? hooks->calendar_time : nullptr);
    hook_local_time_of_day.store(hooks ? hooks->local_time_of_day : nullptr);
    hook_sleep_ms.store(hooks ? hooks->sleep_ms : nullptr);
}

void plat_real_sleep_ms(int32_t ms) { real_sleep_ms(ms); }
