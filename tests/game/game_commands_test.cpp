// Commands at the prompt: walking the house in every direction from every
// room, the exact lines that are accepted (case, spaces, the GO forms),
// lines that match nothing, and the editing of the typed line.
#include <gtest/gtest.h>
#include <set>
#include <string>
#include "game_expect.h"
#include "tests/support/game_driver.h"

using namespace game_expect;

namespace {

// Every direction from every room, with every accepted spelling used
// somewhere: a possible move shows the new room, an impossible one shows the
// same room again (and nothing else). Walks the whole house depth first and
// comes back the same way, so every exit is taken in both directions.
TEST(GameCommands, EveryWayOutOfEveryRoomAndNoOtherWay) {
    GameStartOptions options;
    options.clock_rate = 8;
    start_at_first_prompt(options);

    const char* spellings[4][3] = {
        {"north", "n", "go north"}, {"east", "e", "go east"}, {"south", "s", "go south"}, {"west", "w", "go west"}};
    int used = 0;
    auto spelling = [&](int direction) { return spellings[direction][used++ % 3]; };
    auto way = [](const Exits& e, int direction) {
        return direction == 0 ? e.north : direction == 1 ? e.east : direction == 2 ? e.south : e.west;
    };

    std::set<int> visited;
    std::function<void(int)> explore = [&](int room) {
        visited.insert(room);
        expect_room(room);
        for (int d = 0; d < 4 && !HasFatalFailure(); d++) {
            int to = way(house.at(room), d);
            if (to == 0) {
                SCOPED_TRACE("no way " + std::to_string(d) + " from room " + std::to_string(room));
                command_then_prompt(spelling(d));
                expect_room(room);
            } else if (!visited.count(to)) {
                SCOPED_TRACE("room " + std::to_string(room) + " to " + std::to_string(to));
                command_then_prompt(spelling(d));
                explore(to);
                command_then_prompt(spelling((d + 2) % 4));
                expect_room(room);
            }
        }
    };
    explore(1);
    EXPECT_EQ(visited.size(), 9u);
}

// One move per command: from room 7 north leads to 4 and stops there,
// although the test for room 4 comes next.
TEST(GameCommands, AMoveIsMadeOnlyOncePerCommand) {
    start_at_first_prompt();
    walk({"w", "s", "s", "s"});
    expect_room(7);
    command_then_prompt("n");
    expect_room(4);
    command_then_prompt("s");
    command_then_prompt("e");
    expect_room(8);
    command_then_prompt("w");
    expect_room(7);
}

// A typed line and the room it leaves the player in, from room 1 (whose only
// way out is west, to room 2).
struct LineCase {
    const char* typed;
    int room_after;
};

TEST(GameCommands, LinesAreMatchedWholeAfterUpperCaseAndOuterSpaces) {
    start_at_first_prompt();
    const LineCase cases[] = {
        {"West", 2},         {"   east   ", 1},  {"GO  WEST", 1},   {"GOWEST", 1},     {"go w", 1},
        {"west west", 1},    {"north west", 1},  {"we", 1},         {"westward", 1},   {"   ", 1},
        {"", 1},             {"take knife", 1},  {"take", 1},       {"drink", 1},      {"drink beer", 1},
        {"unlock", 1},       {"unlock door", 1}, {"use", 1},        {"examine", 1},    {"leave", 1},
        {" w ", 2},          {"e", 1},
    };
    int room = 1;
    for (const LineCase& c : cases) {
        SCOPED_TRACE(std::string("typed \"") + c.typed + "\" in room " + std::to_string(room));
        command_then_prompt(c.typed);
        if (HasFatalFailure()) return;
        expect_room(c.room_after);
        room = c.room_after;
    }
}

// The prompt's echo, one key at a time: letters and spaces in upper case,
// Backspace removing the last one (nothing on an empty line), every other
// key ignored.
TEST(GameCommands, TheTypedLineIsEchoedInUpperCaseAndEditedWithBackspace) {
    start_at_first_prompt();
    auto echo_is = [](const std::string& shown) {
        uint64_t now = game_frame_number();
        EXPECT_TRUE(game_wait_screen([&](const FrameText& s) { return s.row(22, true) == shown; }, now))
            << "waiting for \"" << shown << "\"\n" << game_screen().dump();
    };
    game_key(8);
    game_key(8);
    game_type("w");
    echo_is("> W");
    game_type("E3,.!-");
    echo_is("> WE");
    game_type("zz");
    echo_is("> WEZZ");
    game_key(8);
    game_key(8);
    echo_is("> WE");
    game_type("s t");
    echo_is("> WES T");
    game_key(8);
    game_key(8);
    game_type("T");
    echo_is("> WEST");
    // Tab and Escape are ignored too.
    game_key(9);
    game_key(27);
    game_enter();
    ASSERT_TRUE(game_wait_prompt()) << game_screen().dump();
    expect_room(2);
}

// The typed line is printed like any item: what does not fit after "> " on
// the prompt's row starts at column 1 of the next row.
TEST(GameCommands, ALineTooLongForThePromptRowMovesToTheNextRow) {
    start_at_first_prompt();
    std::string longest(78, 'a');
    game_type(longest);
    uint64_t now = game_frame_number();
    ASSERT_TRUE(game_wait_screen([](const FrameText& s) { return s.row(22).size() == 80 && s.row(22)[79] == 'A'; },
                                 now))
        << game_screen().dump();
    EXPECT_EQ(game_screen().row(22), "> " + std::string(78, 'A'));
    EXPECT_EQ(game_screen().row(23, true), "");

    game_type("b");
    now = game_frame_number();
    ASSERT_TRUE(game_wait_screen([](const FrameText& s) { return s.row(23, true).size() == 79; }, now))
        << game_screen().dump();
    EXPECT_EQ(game_screen().row(22, true), ">");
    EXPECT_EQ(game_screen().row(23, true), std::string(78, 'A') + "B");

    game_enter();
    ASSERT_TRUE(game_wait_prompt());
    expect_room(1);
}

}  // namespace
