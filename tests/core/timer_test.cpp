// rt_timer: seconds since midnight at the PC tick rate and at a given
// accuracy, with ties rounded to even, across midnight, and its errors.
#include <gtest/gtest.h>
#include <cmath>
#include "core_fixture.h"
#include "runtime/core/timing.h"

namespace {

class Timer : public CoreTest {
protected:
    // Make the time of day read ms milliseconds after midnight.
    static void set_time_of_day_ms(int64_t ms) {
        rt_clock_base.clock_ms = fake_clock_now();
        rt_clock_base.time_of_day_ms = ms;
    }
};

struct TimerCase {
    int64_t time_of_day_ms;
    double accuracy;
    int32_t given;
    double expected;
};

TEST_F(Timer, RoundsToTicksWithTiesToEven) {
    const TimerCase cases[] = {
        // The PC rate, 18.2 ticks a second, returned in single precision.
        {0, 0, 0, 0.0},
        {1000, 0, 0, static_cast<float>(18 / 18.2)},
        {2000, 0, 0, static_cast<float>(36 / 18.2)},
        {55, 0, 0, static_cast<float>(1 / 18.2)},  // 1.001 ticks
        {27, 0, 0, 0.0},                           // 0.49 ticks
        {7500, 0, 0, static_cast<float>(136 / 18.2)},  // 136.5 ticks: to the even 136
        {2500, 0, 0, static_cast<float>(46 / 18.2)},   // 45.5 ticks: to the even 46
        {45296789, 0, 0, static_cast<float>(std::nearbyint(45296.789 * 18.2) / 18.2)},
        // Accuracy 0.001: whole milliseconds as a double.
        {45296789, 0.001, 1, 45296.789},
        {1, 0.001, 1, 0.001},
        // Accuracy 2 (half a tick a second): ties go to the even tick.
        {1000, 2, 1, 0.0},
        {3000, 2, 1, 4.0},
        {5000, 2, 1, 4.0},
        {7000, 2, 1, 8.0},
        // Accuracy 0.5: whole ticks.
        {1250, 0.5, 1, 1.0},   // 2.5 ticks -> 2
        {1750, 0.5, 1, 2.0},   // 3.5 ticks -> 4
    };
    for (const TimerCase& c : cases) {
        set_time_of_day_ms(c.time_of_day_ms);
        double t = rt_timer(c.accuracy, c.given);
        EXPECT_DOUBLE_EQ(t, c.expected) << "ms " << c.time_of_day_ms << " accuracy " << c.accuracy;
        if (!c.given) {
            EXPECT_EQ(t, static_cast<double>(static_cast<float>(t))) << "single precision";
        }
    }
    EXPECT_EQ(rt_control.error_pending, 0);
}

TEST_F(Timer, PlainValuesAreWholeTicksOneTickApart) {
    set_time_of_day_ms(3600000);
    double previous_ticks = -1;
    int steps = 0;
    for (int i = 0; i < 2000; ++i) {
        fake_clock_advance(1);
        auto t = static_cast<float>(rt_timer(0, 0));
        // Every value is a whole number of ticks, in single precision.
        double ticks = std::nearbyint(t * 18.2);
        ASSERT_EQ(t, static_cast<float>(ticks / 18.2)) << "at " << i;
        if (previous_ticks >= 0 && ticks != previous_ticks) {
            EXPECT_EQ(ticks, previous_ticks + 1) << "at " << i;
            ++steps;
        }
        previous_ticks = ticks;
    }
    EXPECT_EQ(steps, 36) << "2 s at 18.2 ticks a second";
}

TEST_F(Timer, WrapsAtMidnight) {
    set_time_of_day_ms(86399998);
    EXPECT_DOUBLE_EQ(rt_timer(0.001, 1), 86399.998);
    fake_clock_advance(1);
    EXPECT_DOUBLE_EQ(rt_timer(0.001, 1), 86399.999);
    double plain = rt_timer(0, 0);
    EXPECT_LE(plain, 86400.0);
    EXPECT_GT(plain, 86399.9);
    fake_clock_advance(1);
    EXPECT_DOUBLE_EQ(rt_timer(0.001, 1), 0.0);
    fake_clock_advance(1500);
    EXPECT_DOUBLE_EQ(rt_timer(0.001, 1), 1.5);
    // A whole day later the same reading comes back.
    fake_clock_advance(86400000);
    EXPECT_DOUBLE_EQ(rt_timer(0.001, 1), 1.5);
}

TEST_F(Timer, TimeOfDayCountsFromTheClockBase) {
    rt_clock_base.clock_ms = 5000;
    rt_clock_base.time_of_day_ms = 1000;
    fake_clock_set(5250);
    EXPECT_EQ(rt_time_of_day_ms(), 1250u);
    fake_clock_set(5000 + 86400000 * 60LL + 7);  // sixty days on: past 2^32 ms
    EXPECT_EQ(rt_time_of_day_ms(), 1007u);
}

TEST_F(Timer, AccuracyNotAboveZeroRaisesError5) {
    set_time_of_day_ms(45296789);
    for (double accuracy : {0.0, -1.0, -0.001, std::nan("")}) {
        reset_runtime_control();
        EXPECT_EQ(rt_timer(accuracy, 1), 0.0) << accuracy;
        EXPECT_EQ(rt_control.error_pending, 5) << accuracy;
    }
}

TEST_F(Timer, ReturnsZeroWhileAnErrorIsPending) {
    set_time_of_day_ms(45296789);
    rt_control.error_pending = 9;
    EXPECT_EQ(rt_timer(0.001, 1), 0.0);
    EXPECT_EQ(rt_timer(0, 0), 0.0);
    EXPECT_EQ(rt_control.error_pending, 9);
}

TEST_F(Timer, AFinerAccuracyThanADoubleHoldsReturnsTheTimeItself) {
    set_time_of_day_ms(45296789);
    EXPECT_DOUBLE_EQ(rt_timer(1e-300, 1), 45296.789);
}

}  // namespace
