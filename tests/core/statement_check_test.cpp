// The per-statement check on a real program thread: a pause holds it at the
// statement boundary, stopping parks it for good, and due events are served.
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include "core_fixture.h"
#include "runtime/core/errors.h"
#include "runtime/core/runtime.h"
#include "runtime/core/traps.h"

namespace {

class StatementCheck : public CoreTest {
protected:
    static inline std::atomic<int> passes{0};

    // A program that counts its statements and checks after each one.
    static void start_counting_program() {
        passes = 0;
        harness_run_detached([] {
            for (uint32_t line = 1;; ++line) {
                passes.fetch_add(1);
                if (rt_control.check_requested.load() != 0) rt_check_statement(line);
                std::this_thread::yield();
            }
        }, "program");
        ASSERT_TRUE(harness_wait_until([] { return passes.load() > 10; }));
    }

    static size_t sleeps_of(int32_t ms) {
        size_t n = 0;
        for (const FakeSleep& s : fake_clock_sleeps()) n += (s.thread == "program" && s.ms == ms);
        return n;
    }
};

TEST_F(StatementCheck, PauseHoldsTheProgramUntilItIsCleared) {
    start_counting_program();
    rt_control.paused = 1;
    rt_control.check_requested = 1;

    // Once it sleeps in the pause loop (10 ms steps) it runs no statement.
    ASSERT_TRUE(harness_wait_until([] { return sleeps_of(10) >= 1; }));
    int held_at = passes.load();
    ASSERT_TRUE(harness_wait_until([] { return sleeps_of(10) >= 20; }));
    EXPECT_EQ(passes.load(), held_at);
    EXPECT_EQ(rt_control.check_requested, 0) << "the check clears the request on entry";

    rt_control.paused = 0;
    EXPECT_TRUE(harness_wait_until([held_at] { return passes.load() > held_at + 10; }));
    EXPECT_EQ(rt_control.parked, 0);
}

TEST_F(StatementCheck, StoppingParksTheProgramForGood) {
    start_counting_program();
    rt_control.stopping = 1;
    rt_control.check_requested = 1;
    ASSERT_TRUE(harness_wait_until([] { return (rt_control.parked & 1) != 0; }));
    int parked_at = passes.load();
    // It sleeps in 16 ms steps and never comes back to the program.
    ASSERT_TRUE(harness_wait_until([] { return sleeps_of(16) >= 5; }));
    EXPECT_EQ(passes.load(), parked_at);
    EXPECT_EQ(rt_control.parked, 1) << "only the program thread's bit";
}

TEST_F(StatementCheck, StoppingDuringAPauseParks) {
    start_counting_program();
    rt_control.paused = 1;
    rt_control.check_requested = 1;
    ASSERT_TRUE(harness_wait_until([] { return sleeps_of(10) >= 1; }));
    rt_control.stopping = 1;
    EXPECT_TRUE(harness_wait_until([] { return (rt_control.parked & 1) != 0; }));
}

TEST(ParkProgramThread, ParksBeforeAndAfterStopping) {
    reset_runtime_control();
    fake_clock_install();
    harness_run_detached([] { rt_park_program_thread(); }, "program");
    ASSERT_TRUE(harness_wait_until([] { return rt_control.parked == 1; }));
    rt_control.stopping = 1;
    size_t before = fake_clock_sleeps().size();
    ASSERT_TRUE(harness_wait_until([before] { return fake_clock_sleeps().size() > before + 3; }));
    for (const FakeSleep& s : fake_clock_sleeps()) EXPECT_EQ(s.ms, 16);
    EXPECT_EQ(rt_control.parked, 1);
}

class EventDispatch : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        rt_traps_init();
        rt_timers_init();
    }
};

TEST_F(EventDispatch, DefaultTrapKeys) {
    const int32_t expected[KEY_TRAP_COUNT] = {0, 0x3B00, 0x3C00, 0x3D00, 0x3E00, 0x3F00, 0x4000, 0x4100, 0x4200,
                                              0x4300, 0x4400, 0x4800, 0x4B00, 0x4D00, 0x5000, 0, 0, 0, 0, 0, 0, 0,
                                              0, 0, 0, 0, 0, 0, 0, 0, 0x8500, 0x8600};
    for (int32_t i = 0; i < KEY_TRAP_COUNT; ++i) {
        EXPECT_EQ(rt_key_traps[i].key, expected[i]) << "trap " << i;
        EXPECT_EQ(rt_key_traps[i].state, TRAP_OFF) << "trap " << i;
    }
}

TEST_F(EventDispatch, TheTimerWithoutAHandlerNeverFires) {
    rt_timers[0].state = TRAP_ON;
    for (double now = 0; now < 100; now += 0.5) rt_scan_timers(now);
    EXPECT_EQ(rt_timers[0].waiting, 0);
    EXPECT_EQ(rt_control.check_requested, 0);
}

std::atomic<int> handler_calls{0};

TEST_F(EventDispatch, ADueTimerIsServicedAtTheCheckAndWakesASleep) {
    handler_calls = 0;
    rt_timers[0].handler = [] { handler_calls.fetch_add(1); };
    rt_timers[0].state = TRAP_ON;
    rt_timers[0].interval = 1.0;
    rt_scan_timers(10.0);  // the first scan only starts the interval
    rt_scan_timers(11.0);  // exactly one interval: not yet
    EXPECT_EQ(rt_timers[0].waiting, 0);
    rt_scan_timers(11.5);
    EXPECT_EQ(rt_timers[0].waiting, 1);
    EXPECT_EQ(rt_control.check_requested, 1);

    rt_check_statement(1);
    EXPECT_EQ(handler_calls, 1);
    EXPECT_EQ(rt_timers[0].waiting, 0);
    EXPECT_EQ(key_wake, 1);

    // Far behind: the next firing time restarts from now.
    rt_scan_timers(30.0);
    EXPECT_EQ(rt_timers[0].last_fired, 30.0);
}

TEST_F(EventDispatch, AnErrorRaisedDuringAWaitIsReportedWithLineZero) {
    rt_timers[0].handler = [] { rt_error(13); };
    rt_timers[0].state = TRAP_ON;
    rt_timers[0].waiting = 1;
    rt_delay(0.1);
    auto calls = harness_msgbox_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].caption, "Unhandled Error #13");
    EXPECT_EQ(calls[0].text, "Line:0\nType mismatch\nContinue?");
}

TEST_F(EventDispatch, ArmedKeyTrapsAreCountedDown) {
    handler_calls = 0;
    rt_key_traps[3].handler = [] { handler_calls.fetch_add(1); };
    rt_key_traps[3].state = TRAP_ON;
    rt_key_traps[3].pending = 2;
    rt_key_traps[4].pending = 1;  // not armed: left alone
    rt_check_statement(1);
    EXPECT_EQ(rt_key_traps[3].pending, 1);
    EXPECT_EQ(rt_key_traps[4].pending, 1);
    EXPECT_EQ(handler_calls, 1);
}

}  // namespace
