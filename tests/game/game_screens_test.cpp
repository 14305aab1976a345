// The game's screens as the player sees them: the introduction, the header
// with the room and prompt, and the help, inventory and description pages
// with the number of fresh keys each one needs before the room comes back.
#include <gtest/gtest.h>
#include "game/game_text.h"
#include "game_expect.h"
#include "tests/support/game_driver.h"

using namespace game_expect;

namespace {

TEST(GameScreens, IntroductionWaitsForOneKeyWithoutAPrompt) {
    game_start();
    ASSERT_TRUE(game_wait_text(7, "The trees watch.")) << game_screen().dump();
    FrameText intro = game_screen();
    std::vector<std::string> expected = {"", ""};
    for (std::string_view line : game_text::introduction) expected.emplace_back(line);
    EXPECT_EQ(all_rows(intro), page(expected)) << intro.dump();
    EXPECT_EQ(intro.cell(3, 1).fg, LIGHT_GREY);
    EXPECT_EQ(intro.cell(3, 1).bg, BLACK);

    // Still the introduction while the program keeps asking for a key.
    ASSERT_TRUE(game_wait_settled());
    EXPECT_EQ(all_rows(game_screen()), page(expected));

    game_type("x");
    ASSERT_TRUE(game_wait_prompt()) << game_screen().dump();
    expect_room(1);
}

TEST(GameScreens, HeaderRoomAndPromptHaveTheirRowsAndColours) {
    start_at_first_prompt();
    FrameText screen = game_screen();
    EXPECT_EQ(rows_without_countdown(screen), room_screen(1)) << screen.dump();

    // The countdown stands in columns 32 to 42 of row 2, nothing else there.
    std::string row2 = screen.row(2);
    EXPECT_EQ(row2.substr(0, 31), std::string(31, ' '));
    EXPECT_EQ(row2.substr(42), std::string(80 - 42, ' '));
    EXPECT_EQ(row2[35], ':') << row2;
    EXPECT_EQ(row2[38], '.') << row2;

    // The compass row spans all 80 columns; W sits in column 37, + in 39.
    std::string row15 = screen.row(15);
    EXPECT_EQ(row15.size(), 80u);
    EXPECT_EQ(row15[79], '*');
    EXPECT_EQ(row15[36], 'W');
    EXPECT_EQ(row15[38], '+');

    // Light grey on black everywhere, the prompt included.
    for (auto [row, col] : {std::pair{6, 26}, {15, 37}, {18, 1}, {20, 1}, {22, 1}, {2, 36}}) {
        EXPECT_EQ(screen.cell(row, col).fg, LIGHT_GREY) << row << "," << col;
        EXPECT_EQ(screen.cell(row, col).bg, BLACK) << row << "," << col;
    }
}

// A command that shows a page of its own, what the page shows, and how many
// fresh keys it takes to get back to the room.
struct PageCase {
    const char* command;
    std::vector<std::string> rows;
    int keys;
};

std::vector<PageCase> page_cases() {
    std::vector<std::string> help(game_text::help.begin(), game_text::help.end());
    return {
        {"help", help, 2},
        {"h", help, 2},
        {"inventory", {"INVENTORY...", "", "An average butterknife.", "", "PRESS ANY KEY..."}, 1},
        {"inv", {"INVENTORY...", "", "An average butterknife.", "", "PRESS ANY KEY..."}, 1},
        {"items", {"INVENTORY...", "", "An average butterknife.", "", "PRESS ANY KEY..."}, 1},
        {"i", {"INVENTORY...", "", "An average butterknife.", "", "PRESS ANY KEY..."}, 1},
        {"use knife", {"On what?"}, 1},
        {"examine knife", lines_of(game_text::the_knife), 1},
    };
}

// At the prompt of `room`: run the command, check its page, and count the
// keys it takes: after each but the last the page must still be there.
void check_page(const PageCase& c, int room) {
    SCOPED_TRACE(c.command);
    uint64_t before = game_frame_number();
    game_command(c.command);
    ASSERT_TRUE(game_wait_screen([&](const FrameText& s) { return all_rows(s) == page(c.rows); }, before))
        << game_screen().dump();
    FrameText shown = game_screen();
    EXPECT_EQ(shown.cell(1, 1).fg, LIGHT_GREY);
    EXPECT_FALSE(shows_countdown(shown));

    // The keys of the typed command are thrown away: the page waits for new ones.
    ASSERT_TRUE(game_wait_settled());
    EXPECT_EQ(all_rows(game_screen()), page(c.rows)) << "left without a key";
    for (int k = 1; k < c.keys; k++) {
        game_type("z");
        ASSERT_TRUE(game_wait_ring_empty());
        ASSERT_TRUE(game_wait_settled());
        EXPECT_EQ(all_rows(game_screen()), page(c.rows)) << "left after " << k << " key(s)";
    }
    game_type("z");
    ASSERT_TRUE(game_wait_prompt()) << game_screen().dump();
    expect_room(room);
}

TEST(GameScreens, PagesShowTheirTextAndNeedTheirKeysThenTheRoomReturns) {
    start_at_first_prompt();
    for (const PageCase& c : page_cases()) {
        check_page(c, 1);
        if (HasFatalFailure()) return;
    }
}

TEST(GameScreens, TheManIsDescribedOnlyInHisRoom) {
    start_at_first_prompt();
    // Elsewhere the line matches nothing: the room is simply shown again.
    command_then_prompt("examine man");
    expect_room(1);

    walk({"west", "south", "south", "west"});
    expect_room(5);
    check_page({"examine man", lines_of(game_text::the_man), 1}, 5);
    // "USE KNIFE" is not the ending anywhere else, and the knife is described in every room.
    walk({"east"});
    check_page({"use knife", {"On what?"}, 1}, 4);
    check_page({"examine knife", lines_of(game_text::the_knife), 1}, 4);
}

}  // namespace
