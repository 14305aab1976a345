// The runtime harness: runs the console runtime in a test process without a
// window, on a fake clock, and catches the process exit.
//
// What it gives a test:
//
// 1. A fake clock (fake_clock_install). It replaces the millisecond clock,
//    the calendar time, the local time of day and the millisecond sleep of
//    platform/plat_time.h, so every timing rule of the runtime can be checked
//    exactly and fast. Its time moves only as the test or the sleeps say:
//    - FAKE_SLEEP_ADVANCES (the default): a sleep of n ms made by any thread
//      except the frame and event threads moves the clock on by n ms and
//      returns at once (after a yield). A program that waits 2 s therefore
//      returns after about no real time with the clock 2 s later. Once the
//      program thread has parked (rt_control.parked bit 0), sleeps are real
//      again so that a parked thread does not spin.
//    - FAKE_SLEEP_MANUAL: the clock stands still until the test moves it
//      (fake_clock_set / fake_clock_advance); sleeps sleep for real, but at
//      most 1 ms, so a wait notices a moved clock quickly. Good for driving a
//      program in lock-step with the test (e.g. one rt_limit pass per advance).
//    The frame and event threads (named "frame" and "event") always sleep for
//    real and their sleeps are neither logged nor counted as time.
//    Every other sleep is logged (fake_clock_sleeps) with the clock reading
//    at which it started and the name of the thread.
//    The calendar: the fake wall-clock time is the fake millisecond clock
//    plus an offset set by fake_clock_set_wall / fake_clock_set_time_of_day;
//    the calendar time is its whole seconds and the local time of day is that
//    value modulo one day (the fake calendar is in local time). A read of the
//    calendar that would see the same second as the previous read first
//    moves the clock on by 1 ms, as real time passes during start-up's busy
//    wait for the next second: so start-up, started at 12:00:00.300, finishes
//    with the clock base exactly at 12:00:01.000, 700 ms later.
//
// 2. A headless start (harness_start_runtime): the real start-up steps 1 to
//    13 (rt_start_runtime: tables, working directory, strings, clock base,
//    keyboard, mode 0, the program, event and frame threads), without the
//    window. The test's program runs on the program thread exactly as the
//    game would; the frame thread composes frames and carries out the exit.
//    Before starting, the harness installs:
//    - an exit hook: plat_exit records the status and then blocks the
//      calling thread for ever instead of ending the process
//      (harness_wait_exit reads the status);
//    - a message-box hook: no dialog is shown; every box is recorded
//      (harness_msgbox_calls) and answered from a queue of answers
//      (harness_queue_msgbox_answer), or, when the queue is empty, with Yes for
//      a Yes/No box and OK for an OK box;
//    - a key-state hook: the operating system's lock and modifier keys all
//      read as off and up, so no X display is needed.
//    The runtime can be started once per process (ctest runs every test in a
//    process of its own). Install the fake clock before starting, or start-up
//    waits up to one real second for the next calendar second.
//
// 3. The exit: harness_wait_exit waits for plat_exit and returns its status;
//    harness_request_exit asks for the orderly exit as the Break key does.
//    A program that returns from its entry function also ends the runtime
//    through the orderly exit.
//
// Nothing here is reachable from the shipped executable: the hooks exist only
// in test code.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "platform/plat_msgbox.h"
#include "runtime/core/runtime.h"

// ---- Fake clock ------------------------------------------------------------

enum FakeSleepMode { FAKE_SLEEP_ADVANCES, FAKE_SLEEP_MANUAL };

// Install the fake clock at start_ms. Avoid 0: rt_limit reads a previous-pass
// time of 0 as "no pass yet". The wall clock starts at 10:00:00.000 of day
// 19,000 (calendar 1,641,636,000) unless set.
void fake_clock_install(int64_t start_ms = 1000000, FakeSleepMode mode = FAKE_SLEEP_ADVANCES);
// Restore the real clock and sleep.
void fake_clock_uninstall();
void fake_clock_set_mode(FakeSleepMode mode);

int64_t fake_clock_now();
void fake_clock_set(int64_t ms);
void fake_clock_advance(int64_t ms);

// Make the wall clock read calendar_seconds + ms_into_second at the current
// fake millisecond clock value.
void fake_clock_set_wall(int64_t calendar_seconds, int32_t ms_into_second = 0);
// The same, as a time of day on day 19,000.
void fake_clock_set_time_of_day(int hours, int minutes, int seconds, int ms = 0);
// Make the calendar time invalid (-1), or its conversion to local time fail.
void fake_clock_set_calendar_invalid(bool invalid);
void fake_clock_set_local_time_fails(bool fails);

struct FakeSleep {
    int64_t at_ms;       // fake clock when the sleep began
    int32_t ms;          // requested length
    std::string thread;  // name of the sleeping thread
};
// The sleeps made so far by threads other than frame and event.
std::vector<FakeSleep> fake_clock_sleeps();
// Only the lengths, for compact comparisons.
std::vector<int32_t> fake_clock_sleep_lengths();
void fake_clock_clear_sleeps();

// ---- Message boxes and exit ---------------------------------------------------

struct MsgBoxCall {
    std::string text;
    std::string caption;
    PlatMsgBoxButtons buttons;
    PlatMsgBoxResult answer;
};

// Install the exit, message-box and key-state hooks (harness_start_runtime
// does it too). For tests that raise errors without starting the runtime.
void harness_install_hooks();

void harness_queue_msgbox_answer(PlatMsgBoxResult answer);
std::vector<MsgBoxCall> harness_msgbox_calls();

bool harness_exited();
// The exit status, or -1 when plat_exit was not called within timeout_ms.
int harness_wait_exit(int timeout_ms = 20000);

// Run fn on a detached thread of its own named name, e.g. to raise a
// critical error whose exit then blocks that thread, not the test.
void harness_run_detached(std::function<void()> fn, const char* name = "detached");

// ---- The headless runtime ------------------------------------------------------

// Start the runtime without a window; program runs on the program thread.
// args are the command-line arguments after the program name.
void harness_start_runtime(ProgramEntry program, const std::vector<std::string>& args = {});

// True on the program thread of a runtime the harness started.
bool harness_on_program_thread();

// Ask for the orderly exit (exit_requested, as the Break key does).
void harness_request_exit();

// Poll condition every poll_ms milliseconds until it holds; false after
// timeout_ms. A guard against hangs, not a timing assertion. Conditions that
// run a command (xdotool, import) want a longer poll than the default.
bool harness_wait_until(const std::function<bool()>& condition, int timeout_ms = 20000, int poll_ms = 1);
