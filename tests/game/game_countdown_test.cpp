// The countdown on row 2 and the ending of time: ten minutes from the key
// that dismisses the introduction, whole minutes rounded to the nearest
// second (so just below a whole minute the seconds go negative), the
// seconds-since-midnight clock starting again at midnight, and the time
// running out while typing or while a page waits for a key.
#include <gtest/gtest.h>
#include <string>
#include "game/game_text.h"
#include "game_expect.h"
#include "tests/support/game_driver.h"
#include "tests/support/runtime_harness.h"

using namespace game_expect;

namespace {

const std::string end_prompt = "Press any key to continue";

// With the clock held, let the editor make one more pass `ms` later and
// return the countdown that pass shows.
std::string countdown_after(int64_t ms) {
    uint64_t before = game_frame_number();
    game_advance_clock(ms);
    EXPECT_TRUE(game_wait_screen(shows_countdown, before)) << game_screen().dump();
    return countdown_of(game_screen());
}

// Start with the clock held, dismiss the introduction and wait until the
// editor's first pass: the time limit started at the dismissing key.
void start_held_at_first_prompt(int hours = 10, int minutes = 0, int seconds = 0) {
    GameStartOptions options;
    options.hold_clock = true;
    options.hours = hours;
    options.minutes = minutes;
    options.seconds = seconds;
    game_start(options);
    ASSERT_TRUE(game_wait_text(7, "The trees watch.")) << game_screen().dump();
    game_type("x");
    ASSERT_NE(game_wait_editor(), 0u) << game_screen().dump();
}

// The time since the introduction was dismissed, as the countdown shows it.
struct CountdownCase {
    int64_t advance_ms;  // clock step before the pass
    const char* shown;   // row 2 from column 32
};

TEST(GameCountdown, CountsDownFromTenMinutesWithNegativeSecondsJustBelowAMinute) {
    start_held_at_first_prompt();
    // Each step is longer than a frame period, so that it makes one pass.
    const CountdownCase cases[] = {
        {34, "  10:-0.034"},      // 599.966 s left: the nearest second is 600, ten minutes
        {466, "  10:-0.500"},     // 599.500: a half goes to the even 600
        {51, "   9:59.449"},      // 599.449
        {1448, "   9:58.001"},    // 598.001
        {538001, "   1: 0.000"},  // 60.000
        {300, "   1:-0.300"},     // 59.700: the nearest second is 60
        {200, "   1:-0.500"},     // 59.500
        {51, "   0:59.449"},      // 59.449
        {58950, "   0: 0.499"},   // 0.499
        {451, "   0: 0.048"},     // 0.048: still typing
    };
    for (const CountdownCase& c : cases) {
        EXPECT_EQ(countdown_after(c.advance_ms), c.shown) << "after " << c.advance_ms << " ms more";
        if (HasFailure()) return;
    }
    // The pass that finds exactly 0 left plays the ending of time.
    game_advance_clock(48);
    std::vector<std::string> ending = page(lines_of(game_text::ending_of_time));
    ending[29] = end_prompt;
    ASSERT_TRUE(game_wait_screen([&](const FrameText& s) { return all_rows(s) == ending; }))
        << game_screen().dump();
    EXPECT_EQ(game_screen().cell(1, 1).fg, LIGHT_GREY);
    ASSERT_TRUE(game_wait_settled());  // the end prompt has thrown away old keys
    game_type("k");
    EXPECT_EQ(game_wait_exit(), 0);
}

TEST(GameCountdown, AfterMidnightTheClockStartsAgainAndTheMinutesOverflowTheirField) {
    // Start-up waits for the next second: the time limit starts at 23:59:31.
    start_held_at_first_prompt(23, 59, 30);
    EXPECT_EQ(countdown_after(34), "  10:-0.034");
    // 00:00:00.500 reads as 0.5 s since midnight: 86,970.5 s "left", 1449
    // minutes, which need four digits in a field of three.
    EXPECT_EQ(countdown_after(29466), " %1449:30.500");
    // The game goes on: a command still works.
    game_run_clock();
    ASSERT_TRUE(game_wait_prompt());
    command_then_prompt("west");
    expect_room(2);
}

TEST(GameCountdown, TimeThatRanOutOnAPageEndsTheGameAtTheNextPrompt) {
    start_at_first_prompt();
    uint64_t before = game_frame_number();
    game_command("inventory");
    ASSERT_TRUE(game_wait_text(1, "INVENTORY...", before)) << game_screen().dump();
    ASSERT_TRUE(game_wait_settled());
    game_hold_clock();
    game_advance_clock(601000);
    // The page still waits for its key, whatever the time.
    ASSERT_TRUE(game_wait_settled());
    EXPECT_EQ(game_screen().row(1, true), "INVENTORY...");

    game_type("k");
    std::vector<std::string> ending = page(lines_of(game_text::ending_of_time));
    ending[29] = end_prompt;
    ASSERT_TRUE(game_wait_screen([&](const FrameText& s) { return all_rows(s) == ending; }))
        << game_screen().dump();
    ASSERT_TRUE(game_wait_settled());
    game_type("k");
    EXPECT_EQ(game_wait_exit(), 0);
}

}  // namespace
