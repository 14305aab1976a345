// Pause during a command: the program stops at its next statement boundary
// (the editor draws no more passes), and the key that lets it go on is not
// typed into the command.
#include <gtest/gtest.h>
#include "game_expect.h"
#include "runtime/core/control.h"
#include "runtime/display/frame_composer.h"
#include "runtime/input/keyboard.h"
#include "tests/support/game_driver.h"
#include "tests/support/runtime_harness.h"

using namespace game_expect;

namespace {

// The program thread is held in the pause: it sleeps in 10 ms steps.
bool held_in_pause() {
    fake_clock_clear_sleeps();
    return harness_wait_until([] {
        int steps = 0;
        for (const FakeSleep& s : fake_clock_sleeps())
            if (s.thread == "program" && s.ms == 10) steps++;
        return steps >= 5;
    });
}

TEST(GamePause, PauseHoldsTheCommandAndTheResumingKeyIsNotTyped) {
    start_at_first_prompt();
    game_type("we");
    uint64_t now = game_frame_number();
    ASSERT_TRUE(game_wait_screen([](const FrameText& s) { return s.row(22, true) == "> WE"; }, now));

    rt_window_hook(2, KEY_PAUSE, 1);
    rt_window_hook(2, KEY_PAUSE, -1);
    ASSERT_TRUE(held_in_pause());
    // No pass is drawn while paused, even with the clock running.
    uint64_t paused_at = game_frame_number();
    int32_t frames = frame_count.load();
    ASSERT_TRUE(harness_wait_until([&] { return frame_count.load() >= frames + 4; }));
    EXPECT_EQ(game_frame_number(), paused_at);

    game_type("x");  // only lets the game go on
    ASSERT_TRUE(harness_wait_until([] { return (rt_control.paused.load() & 1) == 0; }));
    game_type("st");
    now = game_frame_number();
    ASSERT_TRUE(game_wait_screen([](const FrameText& s) { return s.row(22, true) == "> WEST"; }, now))
        << game_screen().dump();
    game_enter();
    ASSERT_TRUE(game_wait_prompt());
    expect_room(2);
}

}  // namespace
