// Helpers of the headless game tests: the expected screens
// (tests/support/game_screens.h) and the steps that drive the headless game
// (tests/support/game_driver.h) from one prompt to the next.
#pragma once
#include <gtest/gtest.h>
#include <string_view>
#include "tests/support/game_driver.h"
#include "tests/support/game_screens.h"

namespace game_expect {

// Start the game, dismiss the introduction and wait for the first prompt.
inline void start_at_first_prompt(const GameStartOptions& options = {}) {
    game_start(options);
    ASSERT_TRUE(game_wait_text(7, "The trees watch.")) << game_screen().dump();
    game_type("x");
    ASSERT_TRUE(game_wait_prompt()) << game_screen().dump();
}

// Type a command at the prompt and wait for the next prompt.
inline void command_then_prompt(std::string_view line) {
    game_command(line);
    ASSERT_TRUE(game_wait_prompt()) << "after \"" << line << "\":\n" << game_screen().dump();
}

// The screen at the prompt shows this room with nothing typed.
inline void expect_room(int room) {
    FrameText screen = game_screen();
    EXPECT_EQ(rows_without_countdown(screen), room_screen(room)) << screen.dump();
    EXPECT_TRUE(shows_countdown(screen)) << screen.dump();
}

// Walk to a room by a list of commands.
inline void walk(std::initializer_list<std::string_view> commands) {
    for (std::string_view c : commands) {
        command_then_prompt(c);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace game_expect
