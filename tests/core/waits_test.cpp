// The program thread's waits on the fake clock: rt_sleep ends on a key, on
// the shutdown or after its time; rt_delay's bounds and slices; rt_limit's
// schedule.
#include <gtest/gtest.h>
#include <atomic>
#include <cmath>
#include <numeric>
#include "core_fixture.h"
#include "runtime/core/timing.h"

namespace {

int64_t total(const std::vector<int32_t>& v) { return std::accumulate(v.begin(), v.end(), int64_t{0}); }

// Sleeps of the sleeper thread that tests start.
size_t sleeper_sleeps() {
    size_t n = 0;
    for (const FakeSleep& s : fake_clock_sleeps()) n += s.thread == "sleeper";
    return n;
}

class Sleep : public CoreTest {};

TEST_F(Sleep, WithSecondsWaitsThatLongInSlices) {
    int64_t start = fake_clock_now();
    rt_sleep(2, 1);
    auto sleeps = fake_clock_sleep_lengths();
    EXPECT_EQ(fake_clock_now() - start, 2000);
    ASSERT_FALSE(sleeps.empty());
    for (size_t i = 0; i + 1 < sleeps.size(); ++i) EXPECT_EQ(sleeps[i], 9) << "slice " << i;
    EXPECT_EQ(sleeps.back(), 2000 % 9) << "the last remainder is slept in one call";
}

TEST_F(Sleep, ZeroOrNegativeSecondsWaitForAKeyLikeNoSeconds) {
    for (int32_t seconds : {0, -3}) {
        reset_runtime_control();
        fake_clock_clear_sleeps();
        std::atomic<bool> done{false};
        harness_run_detached([&done, seconds] {
            rt_sleep(seconds, 1);
            done = true;
        }, "sleeper");
        ASSERT_TRUE(harness_wait_until([] { return sleeper_sleeps() >= 50; }));
        EXPECT_FALSE(done) << seconds;
        key_wake = 1;
        ASSERT_TRUE(harness_wait_until([&done] { return done.load(); })) << seconds;
    }
}

TEST_F(Sleep, AKeyPressedBeforeTheCallDoesNotEndIt) {
    key_wake = 1;
    std::atomic<bool> done{false};
    harness_run_detached([&done] {
        rt_sleep(0, 0);
        done = true;
    }, "sleeper");
    ASSERT_TRUE(harness_wait_until([] { return sleeper_sleeps() >= 50; }));
    EXPECT_FALSE(done);
    for (const FakeSleep& s : fake_clock_sleeps()) EXPECT_EQ(s.ms, 9);

    key_wake = 1;  // a key pressed during the wait
    ASSERT_TRUE(harness_wait_until([&done] { return done.load(); }));
}

TEST_F(Sleep, AKeyEndsATimedSleepEarly) {
    fake_clock_set_mode(FAKE_SLEEP_MANUAL);
    std::atomic<bool> done{false};
    int64_t start = fake_clock_now();
    harness_run_detached([&done] {
        rt_sleep(5, 1);
        done = true;
    }, "sleeper");
    ASSERT_TRUE(harness_wait_until([] { return sleeper_sleeps() >= 3; }));
    fake_clock_advance(1000);
    key_wake = 1;
    ASSERT_TRUE(harness_wait_until([&done] { return done.load(); }));
    EXPECT_EQ(fake_clock_now() - start, 1000);
}

TEST_F(Sleep, TheShutdownParksTheSleeper) {
    std::atomic<bool> done{false};
    harness_run_detached([&done] {
        rt_sleep(0, 0);
        done = true;
    }, "sleeper");
    ASSERT_TRUE(harness_wait_until([] { return sleeper_sleeps() >= 5; }));
    rt_control.stopping = 1;
    ASSERT_TRUE(harness_wait_until([] { return (rt_control.parked & 1) != 0; }));
    EXPECT_FALSE(done);
}

TEST_F(Sleep, AClockThatGoesBackEndsIt) {
    fake_clock_set_mode(FAKE_SLEEP_MANUAL);
    std::atomic<bool> done{false};
    harness_run_detached([&done] {
        rt_sleep(10, 1);
        done = true;
    }, "sleeper");
    ASSERT_TRUE(harness_wait_until([] { return sleeper_sleeps() >= 3; }));
    EXPECT_FALSE(done);
    fake_clock_advance(-50);
    EXPECT_TRUE(harness_wait_until([&done] { return done.load(); }));
}

TEST_F(Sleep, ReturnsAtOnceWhileAnErrorIsPending) {
    rt_control.error_pending = 5;
    key_wake = 1;
    rt_sleep(0, 0);
    EXPECT_TRUE(fake_clock_sleeps().empty());
    EXPECT_EQ(key_wake, 1) << "the key flag is left alone";
}

class Delay : public CoreTest {};

TEST_F(Delay, SlicesThenTheRemainderInOneSleep) {
    struct Case {
        double seconds;
        std::vector<int32_t> sleeps;
    };
    const Case cases[] = {
        {0.05, {9, 9, 9, 9, 9, 5}},
        {0.009, {9}},
        {0.0105, {9, 1}},  // 10.5 ms: 1.5 ms left truncates to 1
        {0.0001, {1}},     // a remainder of 0 ms becomes 1
        {0, {}},
    };
    for (const Case& c : cases) {
        fake_clock_clear_sleeps();
        rt_delay(c.seconds);
        EXPECT_EQ(fake_clock_sleep_lengths(), c.sleeps) << c.seconds;
    }
}

TEST_F(Delay, OutOfRangeRaisesError5WithoutWaiting) {
    for (double seconds : {-0.001, -1.0, 2147483.648, 1e12, std::nan("")}) {
        reset_runtime_control();
        rt_delay(seconds);
        EXPECT_EQ(rt_control.error_pending, 5) << seconds;
    }
    EXPECT_TRUE(fake_clock_sleeps().empty());
}

TEST_F(Delay, TheLongestDelayIsAccepted) {
    fake_clock_set_mode(FAKE_SLEEP_MANUAL);
    harness_run_detached([] { rt_delay(2147483.647); }, "sleeper");
    ASSERT_TRUE(harness_wait_until([] { return sleeper_sleeps() >= 3; }));
    EXPECT_EQ(rt_control.error_pending, 0);
}

TEST_F(Delay, ReturnsAtOnceWhileAnErrorIsPending) {
    rt_control.error_pending = 9;
    rt_delay(1.0);
    EXPECT_TRUE(fake_clock_sleeps().empty());
}

class Limit : public CoreTest {};

TEST_F(Limit, FirstCallReturnsAtOnceThenPassesAreOnePeriodApart) {
    int64_t start = fake_clock_now();
    rt_limit(30);
    EXPECT_TRUE(fake_clock_sleeps().empty());
    EXPECT_EQ(rt_limit_previous_ms, static_cast<double>(start));

    rt_limit(30);  // a fast loop: waits the whole period
    EXPECT_EQ(fake_clock_sleep_lengths(), (std::vector<int32_t>{9, 9, 9, 6}));
    EXPECT_EQ(fake_clock_now() - start, 33);
    EXPECT_DOUBLE_EQ(rt_limit_previous_ms, start + 1000.0 / 30);

    // Every pass of a fast loop waits, though the truncated remainders wake
    // it up to 1 ms before its scheduled time.
    for (int i = 0; i < 28; ++i) {
        fake_clock_clear_sleeps();
        rt_limit(30);
        EXPECT_GE(total(fake_clock_sleep_lengths()), 32) << "pass " << i + 3;
    }
    // Thirty passes are 29 periods after the first: 966.7 ms, give or take
    // the truncation of the last remainder; the schedule itself does not drift.
    EXPECT_NEAR(static_cast<double>(fake_clock_now() - start), 29 * (1000.0 / 30), 1.0);
    EXPECT_NEAR(rt_limit_previous_ms, start + 29 * (1000.0 / 30), 1e-6);
}

TEST_F(Limit, ALatePassWithin16MsKeepsTheSchedule) {
    rt_limit(30);
    double first = rt_limit_previous_ms;
    fake_clock_advance(40);  // 6.7 ms late
    fake_clock_clear_sleeps();
    rt_limit(30);
    EXPECT_TRUE(fake_clock_sleeps().empty());
    EXPECT_DOUBLE_EQ(rt_limit_previous_ms, first + 1000.0 / 30);

    // So the next pass catches up: it waits only what is left of its period.
    rt_limit(30);
    EXPECT_EQ(total(fake_clock_sleep_lengths()), 26);  // 66.7 - 40 ms, truncated
}

TEST_F(Limit, APassMoreThan16MsLateRestartsTheSchedule) {
    rt_limit(30);
    fake_clock_advance(84);  // 50 ms after its due time
    int64_t now = fake_clock_now();
    rt_limit(30);
    EXPECT_TRUE(fake_clock_sleeps().empty());
    EXPECT_EQ(rt_limit_previous_ms, static_cast<double>(now));
    // No burst of catch-up passes: the next one waits a whole period.
    rt_limit(30);
    EXPECT_EQ(total(fake_clock_sleep_lengths()), 33);
}

TEST_F(Limit, TheBoundaryOfLateness) {
    struct Case {
        int64_t late_by;  // ms after the previous pass
        bool keeps_schedule;
    };
    // The period of rate 25 is exactly 40 ms, so the limit is exactly 56 ms.
    for (Case c : {Case{40, true}, Case{56, true}, Case{57, false}}) {
        rt_limit_previous_ms = 0;
        rt_limit(25);
        double first = rt_limit_previous_ms;
        fake_clock_advance(c.late_by);
        rt_limit(25);
        EXPECT_EQ(rt_limit_previous_ms, c.keeps_schedule ? first + 40 : static_cast<double>(fake_clock_now()))
            << c.late_by;
    }
}

TEST_F(Limit, AClockThatWentBackRestartsWithoutWaiting) {
    for (int64_t back : {100, 2}) {
        rt_limit_previous_ms = 0;
        rt_limit(30);
        fake_clock_advance(-back);
        fake_clock_clear_sleeps();
        rt_limit(30);
        EXPECT_TRUE(fake_clock_sleeps().empty()) << back;
        EXPECT_EQ(rt_limit_previous_ms, static_cast<double>(fake_clock_now())) << back;
    }
}

TEST_F(Limit, APassThatWokeLessThanAMillisecondEarlyStillWaits) {
    rt_limit(30);
    rt_limit_previous_ms += 0.5;  // scheduled half a millisecond ahead of the clock
    double scheduled = rt_limit_previous_ms;
    rt_limit(30);
    EXPECT_EQ(total(fake_clock_sleep_lengths()), 33);
    EXPECT_DOUBLE_EQ(rt_limit_previous_ms, scheduled + 1000.0 / 30);
}

TEST_F(Limit, BadRatesRaiseError5) {
    for (double rate : {0.0, -5.0, 0.01, std::nan("")}) {
        reset_runtime_control();
        rt_limit(rate);
        EXPECT_EQ(rt_control.error_pending, 5) << rate;
    }
    EXPECT_TRUE(fake_clock_sleeps().empty());
    EXPECT_EQ(rt_limit_previous_ms, 0.0);

    reset_runtime_control();
    rt_limit(0.0167);  // a period of 59.9 s is still allowed
    EXPECT_EQ(rt_control.error_pending, 0);
}

TEST_F(Limit, ReturnsAtOnceWhileAnErrorIsPending) {
    rt_limit(30);
    rt_control.error_pending = 6;
    rt_limit(30);
    EXPECT_TRUE(fake_clock_sleeps().empty());
}

}  // namespace
