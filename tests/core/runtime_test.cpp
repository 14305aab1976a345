// The whole runtime started headless through the harness: the state start-up
// leaves, the worker threads, and every ending converging on exit status 0.
// Each test starts the runtime once, so each needs a process of its own
// (ctest runs every test that way).
#include <gtest/gtest.h>
#include <dirent.h>
#include <unistd.h>
#include <atomic>
#include <climits>
#include <fstream>
#include <set>
#include <string>
#include "platform/plat_process.h"
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/core/conv_memory.h"
#include "runtime/core/errors.h"
#include "runtime/core/runtime.h"
#include "runtime/core/timing.h"
#include "runtime/core/traps.h"
#include "runtime/display/frame_composer.h"
#include "runtime/input/key_reading.h"
#include "runtime/input/keyboard.h"
#include "runtime/screen/pages.h"
#include "runtime/screen/text_output.h"
#include "runtime/strings/rt_string.h"
#include "tests/support/runtime_harness.h"
#include "tests/support/screen_text.h"

extern char** environ;

namespace {

// Test programs talk to the test through these.
std::atomic<int> go{0};        // the test lets the program go on
std::atomic<int> progress{0};  // how far the program got

// A program's statement loop: check when asked, as the game does.
[[noreturn]] void statement_loop() {
    for (uint32_t line = 100;; ++line) {
        if (rt_control.check_requested.load()) rt_check_statement(line);
        plat_sleep_ms(5);
    }
}

void wait_for_go() {
    while (go.load() == 0) plat_sleep_ms(1);
}

std::set<std::string> thread_names() {
    std::set<std::string> names;
    DIR* dir = opendir("/proc/self/task");
    if (dir == nullptr) return names;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
        std::string name;
        std::getline(comm, name);
        names.insert(name);
    }
    closedir(dir);
    return names;
}

// Fast loops in these tests sleep for real, 1 ms at most per sleep.
void start_with(ProgramEntry program, const std::vector<std::string>& args = {}) {
    fake_clock_install(5000000, FAKE_SLEEP_MANUAL);
    fake_clock_set_time_of_day(12, 34, 56, 300);
    harness_start_runtime(program, args);
}

// Start a program that runs statements (checking when asked) for ever, and
// wait until it is running.
void start_statement_loop() {
    start_with([] {
        progress = 1;
        statement_loop();
    });
    ASSERT_TRUE(harness_wait_until([] { return progress.load() == 1; }));
}

std::atomic<bool> started_on_program_thread{false};
std::atomic<int> x87_bits{0};

TEST(HeadlessRuntime, StartUpStateAndThreads) {
    start_with(
        [] {
            started_on_program_thread = harness_on_program_thread();
            x87_bits = plat_x87_precision_bits();
            progress = 1;
            statement_loop();
        },
        {"alpha", "beta"});
    ASSERT_TRUE(harness_wait_until([] { return progress.load() == 1; }));
    EXPECT_TRUE(started_on_program_thread);
#if defined(__i386__) || defined(__x86_64__)
    EXPECT_EQ(x87_bits, 0x300) << "the program thread computes with a 64-bit mantissa";
#endif

    // The clock base sits at the start of the second after start-up began.
    EXPECT_EQ(rt_clock_base.clock_ms, 5000000 + 700);
    EXPECT_EQ(rt_clock_base.time_of_day_ms, (12 * 3600 + 34 * 60 + 57) * 1000LL);

    EXPECT_STREQ(rt_command_line(), "alpha beta");
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_STREQ(cwd, TOL_BINARY_DIR "/tests");
    int environment = 0;
    for (char** e = environ; *e; ++e) ++environment;
    EXPECT_EQ(rt_environment_count, environment);

    EXPECT_EQ(rt_control.threads_started, 1);
    EXPECT_EQ(rt_control.window_created, 0) << "no window in a headless start";
    EXPECT_EQ(default_screen_untouched, 1);
    EXPECT_EQ(rt_key_traps[1].key, 0x3B00);
    EXPECT_EQ(rt_timers[0].present, 1);
    EXPECT_EQ(rt_timers[0].handler, nullptr);
    ASSERT_NE(rt_pages.display.load(), nullptr);
    EXPECT_EQ(rt_pages.display.load()->width, 80);
    EXPECT_EQ(rt_pages.display.load()->height, 25);

    // The threads start while the program already runs.
    std::set<std::string> names;
    EXPECT_TRUE(harness_wait_until([&names] {
        names = thread_names();
        return names.count("program") + names.count("frame") + names.count("event") == 3;
    }));
    for (const char* name : {"program", "frame", "event"}) EXPECT_EQ(names.count(name), 1u) << name;

    // The frame thread counts frames and composes them while display is automatic.
    int frames = frame_count.load();
    ASSERT_TRUE(harness_wait_until([frames] { return frame_count.load() >= frames + 3; }));
    EXPECT_NE(frame_ring.newest_slot.load(), 0) << "a frame of the start-up screen was published";

    harness_request_exit();
    EXPECT_EQ(harness_wait_exit(), 0);
    EXPECT_EQ(rt_control.stopping, 1);
    EXPECT_EQ(rt_control.parked, 3);
}

TEST(HeadlessRuntime, FrameThreadKeepsTheBiosTickCount) {
    start_with([] { statement_loop(); });
    std::atomic_ref<uint8_t>(ConvMemory[BIOS_TICKS + 3]).store(0xAA);
    fake_clock_advance(2000);  // 12:34:59.000
    auto ticks = [] {
        uint32_t t = 0;
        for (int i = 2; i >= 0; --i) t = (t << 8) | std::atomic_ref<uint8_t>(ConvMemory[BIOS_TICKS + i]).load();
        return t;
    };
    // (12 h 34 min 59 s) x 18.2 ticks a second, truncated: 824,441 = 0x0C9479.
    ASSERT_TRUE(harness_wait_until([&ticks] { return ticks() == 824441u; })) << ticks();
    fake_clock_advance(86399999 - 45299000);  // 23:59:59.999: 1,572,479.98 ticks
    ASSERT_TRUE(harness_wait_until([&ticks] { return ticks() == 1572479u; })) << ticks();
    fake_clock_advance(1);  // midnight
    ASSERT_TRUE(harness_wait_until([&ticks] { return ticks() == 0u; })) << ticks();
    EXPECT_EQ(std::atomic_ref<uint8_t>(ConvMemory[BIOS_TICKS + 3]).load(), 0xAA) << "the fourth byte is left alone";
    harness_request_exit();
    EXPECT_EQ(harness_wait_exit(), 0);
}

TEST(HeadlessRuntime, AProgramThatReturnsEndsWithStatusZero) {
    start_with([] { progress = 1; });
    EXPECT_EQ(harness_wait_exit(), 0);
    EXPECT_EQ(progress, 1);
    EXPECT_EQ(rt_control.parked, 3);
    EXPECT_TRUE(harness_msgbox_calls().empty());
}

TEST(HeadlessRuntime, TheNoAnswerOfTheErrorDialogEndsWithStatusZero) {
    harness_queue_msgbox_answer(PLAT_MB_RESULT_YES);
    harness_queue_msgbox_answer(PLAT_MB_RESULT_NO);
    start_with([] {
        rt_error(9);
        rt_check_statement(54);  // Yes: goes on
        progress = 1;
        rt_error(0);
        rt_check_statement(55);  // No: the program ends here
        progress = 2;
        statement_loop();
    });
    EXPECT_EQ(harness_wait_exit(), 0);
    EXPECT_EQ(progress, 1);
    auto calls = harness_msgbox_calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].caption, "Unhandled Error #9");
    EXPECT_EQ(calls[0].text, "Line:54\nSubscript out of range\nContinue?");
    EXPECT_EQ(calls[1].caption, "Unhandled Error #5");
    EXPECT_EQ(calls[1].text, "Line:55\nIllegal function call\nContinue?");
    EXPECT_EQ(rt_control.exit_requested, 1);
    EXPECT_EQ(rt_control.parked, 3);
}

TEST(HeadlessRuntime, TheCloseButtonEndsWithStatusZero) {
    start_statement_loop();
    EXPECT_EQ(rt_window_hook(1, 0, 0), 0);  // the window's close request
    EXPECT_EQ(harness_wait_exit(), 0);
    EXPECT_EQ(rt_control.close_requests, 1);
    EXPECT_EQ(rt_control.parked, 3);
}

TEST(HeadlessRuntime, TheBreakKeyEndsWithStatusZero) {
    start_statement_loop();
    rt_window_hook(2, KEY_BREAK, 1);
    rt_window_hook(2, KEY_BREAK, -1);
    EXPECT_EQ(harness_wait_exit(), 0);
    EXPECT_EQ(rt_control.exit_requested, 1);
}

TEST(HeadlessRuntime, WithAnExitTrapCloseRequestsAreLeftToTheProgram) {
    start_with([] {
        rt_control.exit_trap = 1;
        progress = 1;
        // The program reads the request and ends by itself.
        while (rt_control.close_requests.load() == 0) plat_sleep_ms(1);
        progress = 2;
        wait_for_go();
        rt_control.exit_requested = 1;
        statement_loop();
    });
    ASSERT_TRUE(harness_wait_until([] { return progress.load() == 1; }));
    rt_window_hook(1, 0, 0);
    ASSERT_TRUE(harness_wait_until([] { return progress.load() == 2; }));
    int frames = frame_count.load();
    ASSERT_TRUE(harness_wait_until([frames] { return frame_count.load() >= frames + 3; }));
    EXPECT_FALSE(harness_exited()) << "several frame passes saw the request and left it alone";
    go = 1;
    EXPECT_EQ(harness_wait_exit(), 0);
}

TEST(HeadlessRuntime, ACriticalErrorEndsAtOnceWithStatusZero) {
    start_with([] {
        rt_error(505);
        progress = 1;
    });
    EXPECT_EQ(harness_wait_exit(), 0);
    EXPECT_EQ(progress, 0) << "rt_error does not return from a critical error";
    auto calls = harness_msgbox_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].caption, "Critical Error #5");
    EXPECT_EQ(calls[0].text, "Out of memory");
    EXPECT_EQ(calls[0].buttons, PLAT_MB_OK);
    EXPECT_EQ(rt_control.stopping, 0) << "the exit sequence is not run";
}

std::atomic<int> auto_after_first{99};
std::atomic<int> done_after_second{0};
std::atomic<int> auto_after_switch_back{0};

TEST(HeadlessRuntime, DisplayHandsTheFirstFrameToTheFrameThreadThenComposesItself) {
    start_with([] {
        rt_display();  // automatic display: the frame thread composes this one
        auto_after_first = rt_control.auto_display.load();
        frame_done = 0;
        rt_display();  // now on this thread
        done_after_second = frame_done.load();
        rt_auto_display();
        auto_after_switch_back = rt_control.auto_display.load();
        progress = 1;
        statement_loop();
    });
    ASSERT_TRUE(harness_wait_until([] { return progress.load() == 1; }));
    EXPECT_EQ(auto_after_first, 0);
    EXPECT_EQ(done_after_second, 1);
    EXPECT_EQ(auto_after_switch_back, 1);
    // Automatic again: the frame thread composes on its own.
    int frames = frame_count.load();
    ASSERT_TRUE(harness_wait_until([frames] { return frame_count.load() >= frames + 2; }));
    harness_request_exit();
    EXPECT_EQ(harness_wait_exit(), 0);
}

TEST(HeadlessRuntime, ADisplayRequestDuringTheShutdownDoesNotHoldItUp) {
    start_with([] {
        wait_for_go();
        rt_display();  // the frame thread composes no more: parks instead
        progress = 1;
    });
    harness_request_exit();
    ASSERT_TRUE(harness_wait_until([] { return rt_control.stopping.load() == 1; }));
    go = 1;
    EXPECT_EQ(harness_wait_exit(), 0);
    EXPECT_EQ(progress, 0);
}

TEST(HeadlessRuntime, AModeChangeDuringTheShutdownDoesNotHoldItUp) {
    start_with([] {
        wait_for_go();
        rt_screen(12, 0, 0, 1);  // its hand-shake gets no answer now: parks instead
        progress = 1;
    });
    harness_request_exit();
    ASSERT_TRUE(harness_wait_until([] { return rt_control.stopping.load() == 1; }));
    go = 1;
    EXPECT_EQ(harness_wait_exit(), 0);
    EXPECT_EQ(progress, 0);
}

void press_key(unsigned char key) {
    rt_on_char_key(key, true, 0);
    rt_on_char_key(key, false, 0);
}

// Zero-length sleeps (yields) of the program thread so far.
size_t program_yields() {
    size_t n = 0;
    for (const FakeSleep& s : fake_clock_sleeps()) n += s.thread == "program" && s.ms == 0;
    return n;
}

void end_program() {
    rt_control.auto_display = 0;  // END shows its prompt all the same
    uint32_t mark = rts_temp_mark();
    rt_print(rts_from_cstring("The story ends."), 1);
    rts_release_temps(mark, 0);
    progress = 1;
    wait_for_go();
    rt_end();
}

TEST(HeadlessRuntime, EndShowsThePromptDropsOldKeysAndEndsOnANewOne) {
    start_with(end_program);
    ASSERT_TRUE(harness_wait_until([] { return progress.load() == 1; }));
    press_key('q');  // typed before the prompt: discarded
    go = 1;
    ASSERT_TRUE(harness_wait_until([] { return rt_control.auto_display.load() == 1; }));
    size_t yields = program_yields();
    ASSERT_TRUE(harness_wait_until([yields] { return program_yields() > yields + 50; }));
    EXPECT_FALSE(harness_exited()) << "the key typed before the prompt does not end it";
    EXPECT_EQ(screen_row(1, true, ScreenPage::Display), "The story ends.");
    EXPECT_EQ(screen_row(25, true, ScreenPage::Display), "Press any key to continue");

    press_key('x');
    EXPECT_EQ(harness_wait_exit(), 0);
    EXPECT_EQ(rt_control.exit_requested, 1);
    EXPECT_EQ(rt_control.exit_trap, 0);
}

TEST(HeadlessRuntime, ClosingTheWindowDuringTheEndPromptEndsWithoutAKey) {
    start_with(end_program);
    ASSERT_TRUE(harness_wait_until([] { return progress.load() == 1; }));
    go = 1;
    ASSERT_TRUE(harness_wait_until([] { return rt_control.auto_display.load() == 1; }));
    rt_window_hook(1, 0, 0);
    EXPECT_EQ(harness_wait_exit(), 0);
    EXPECT_EQ(rt_control.exit_requested, 0);
}

TEST(HeadlessRuntime, TheSeedPromptReadsANumber) {
    start_with([] {
        rt_rnd_state = 0x123456;
        progress = 1;
        rt_randomize(0, 0);
        progress = 2;
        statement_loop();
    });
    ASSERT_TRUE(harness_wait_until([] { return progress.load() == 1; }));
    // Line input polls for keys in 10 ms sleeps: the prompt is complete then.
    ASSERT_TRUE(harness_wait_until([] {
        for (const FakeSleep& s : fake_clock_sleeps()) {
            if (s.thread == "program" && s.ms == 10) return true;
        }
        return false;
    }));
    EXPECT_EQ(screen_row(1, true, ScreenPage::Display), "Random-number seed (-32768 to 32767)?");
    for (unsigned char key : {'-', '2', '\r'}) press_key(key);
    ASSERT_TRUE(harness_wait_until([] { return progress.load() == 2; }));
    EXPECT_EQ(rt_rnd_state, 0xFFFE56u) << "the value's 16 bits above the state's low byte";
    EXPECT_EQ(screen_row(1, true, ScreenPage::Display), "Random-number seed (-32768 to 32767)? -2");
    harness_request_exit();
    EXPECT_EQ(harness_wait_exit(), 0);
}

}  // namespace
