// The ways the game ends: leaving Tolmerand, the knife in the man's room and
// the quit commands, each with its screen, the keys it waits for and exit
// status 0; and Break or the close button during play.
#include <gtest/gtest.h>
#include <string>
#include "game/game_text.h"
#include "game_expect.h"
#include "tests/support/game_driver.h"
#include "tests/support/runtime_harness.h"

using namespace game_expect;

namespace {

const std::string end_prompt = "Press any key to continue";

// The passage in green from row 1, an empty row, and row 30 as given.
std::vector<std::string> ending_screen(std::vector<std::string> passage, const std::string& row30) {
    std::vector<std::string> rows = page(std::move(passage));
    rows[29] = row30;
    return rows;
}

bool shows(const std::vector<std::string>& rows, uint64_t after = 0) {
    return game_wait_screen([&](const FrameText& s) { return all_rows(s) == rows; }, after);
}

// After the screen has settled the program is still there, waiting.
void expect_still_waiting(const std::vector<std::string>& rows) {
    ASSERT_TRUE(game_wait_settled());
    EXPECT_EQ(all_rows(game_screen()), rows);
    EXPECT_FALSE(harness_exited());
}

TEST(GameEndings, LeavingShowsItsPassageUnderTheEndPromptWithoutAKey) {
    start_at_first_prompt();
    uint64_t before = game_frame_number();
    game_command("leave tolmerand");
    // The ending's own wait takes the first letter of the typed command, so
    // the end prompt follows at once.
    std::vector<std::string> expected = ending_screen(lines_of(game_text::ending_of_leaving), end_prompt);
    ASSERT_TRUE(shows(expected, before)) << game_screen().dump();
    FrameText screen = game_screen();
    for (int row = 1; row <= 6; row++) EXPECT_EQ(screen.cell(row, 1).fg, GREEN) << row;
    EXPECT_EQ(screen.cell(1, 1).bg, BLACK);
    EXPECT_EQ(screen.cell(30, 1).fg, GREEN);

    expect_still_waiting(expected);
    game_type("k");
    EXPECT_EQ(game_wait_exit(), 0);
}

TEST(GameEndings, TheKnifeInTheMansRoomAsksOnWhatThenEndsAfterThreeKeys) {
    start_at_first_prompt();
    walk({"west", "south", "south", "west"});
    expect_room(5);

    uint64_t before = game_frame_number();
    game_command("use knife");
    std::vector<std::string> on_what = page({"On what?"});
    ASSERT_TRUE(shows(on_what, before)) << game_screen().dump();
    expect_still_waiting(on_what);

    game_type("k");  // 1: past "On what?"
    std::vector<std::string> passage = ending_screen(lines_of(game_text::ending_of_the_knife), "");
    ASSERT_TRUE(shows(passage)) << game_screen().dump();
    EXPECT_EQ(game_screen().cell(1, 1).fg, GREEN);
    expect_still_waiting(passage);

    game_type("k");  // 2: the ending's own wait
    std::vector<std::string> with_prompt = ending_screen(lines_of(game_text::ending_of_the_knife), end_prompt);
    ASSERT_TRUE(shows(with_prompt)) << game_screen().dump();
    expect_still_waiting(with_prompt);

    game_type("k");  // 3: the end prompt
    EXPECT_EQ(game_wait_exit(), 0);
}

class GameQuit : public ::testing::TestWithParam<const char*> {};

TEST_P(GameQuit, LeavesTheRoomOnScreenUnderTheEndPromptAndEndsAfterAKey) {
    start_at_first_prompt();
    walk({"west"});
    std::string typed = GetParam();
    uint64_t before = game_frame_number();
    game_command(typed);

    std::string shown_typed;
    for (char c : typed) shown_typed += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::vector<std::string> expected = room_screen(2, shown_typed);
    expected[29] = end_prompt;
    auto quit_screen = [&](const FrameText& s) { return rows_without_countdown(s) == expected; };
    ASSERT_TRUE(game_wait_screen(quit_screen, before)) << game_screen().dump();
    EXPECT_TRUE(shows_countdown(game_screen()));
    EXPECT_EQ(game_screen().cell(30, 1).fg, LIGHT_GREY);

    ASSERT_TRUE(game_wait_settled());
    EXPECT_TRUE(quit_screen(game_screen())) << game_screen().dump();
    EXPECT_FALSE(harness_exited());
    game_type("k");
    EXPECT_EQ(game_wait_exit(), 0);
}

INSTANTIATE_TEST_SUITE_P(Words, GameQuit, ::testing::Values("END", "quit", "Exit", "q"));

TEST(GameEndings, BreakAtThePromptEndsTheGame) {
    start_at_first_prompt();
    game_break();
    EXPECT_EQ(game_wait_exit(), 0);
}

TEST(GameEndings, TheCloseButtonOnAPageEndsTheGame) {
    start_at_first_prompt();
    uint64_t before = game_frame_number();
    game_command("inventory");
    ASSERT_TRUE(game_wait_text(1, "INVENTORY...", before));
    game_close_window();
    EXPECT_EQ(game_wait_exit(), 0);
}

}  // namespace
