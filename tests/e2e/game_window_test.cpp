// The real game in its real window under an X server: xdotool types, and
// screenshots of the window (ImageMagick's import) are read back as text.
// Each of the three endings and a quit command end the process with status
// 0, as do the window's close button and Break during play.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include "game/game_text.h"
#include "tests/support/frame_text.h"
#include "tests/support/game_screens.h"
#include "tests/support/run_command.h"
#include "tests/support/x_close_request.h"
#include "tests/support/child_process.h"
#include "tests/support/runtime_harness.h"

extern char** environ;

using namespace game_expect;

namespace {

const std::string kGame = std::string(TOL_BINARY_DIR) + "/tolmerand";
const std::string kEndPrompt = "Press any key to continue";

// Polls condition every 100 ms; false after timeout_ms. A guard against
// hangs, not a timing assertion.
// Conditions here take screenshots or run xdotool: poll every 100 ms.
bool wait_until(const std::function<bool()>& condition, int timeout_ms = 30000) {
    return harness_wait_until(condition, timeout_ms, 100);
}

class GameWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (DISPLAY is not set)";
        dir_ = make_scratch_dir("game_window");
        ASSERT_FALSE(dir_.empty());
        shot_ = dir_ + "/shot.png";
    }

    void TearDown() override {
        stop_child(pid_);
        remove_scratch_dir(dir_);
    }

    // Start the game (with its clocks thirty times faster under faketime
    // when `fast`), find its window and give it the keyboard.
    void start(bool fast = false) {
        std::vector<std::string> args;
        if (fast) args = {"faketime", "-f", "+0 x30"};
        args.push_back(kGame);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ASSERT_EQ(posix_spawnp(&pid_, argv[0], nullptr, nullptr, argv.data(), environ), 0);
        ASSERT_TRUE(wait_until([&] {
            window_ = run_command("xdotool search --name '^Untitled$' | head -n 1");
            return !window_.empty();
        })) << "the game's window did not appear";
        run_command("xdotool windowmove " + window_ + " 0 0");
        run_command("xdotool windowfocus --sync " + window_);
    }

    FrameText screen() {
        FrameText text;
        run_command("import -window " + window_ + " '" + shot_ + "'");
        frame_text_from_file(shot_, &text);
        return text;
    }

    // Waits for a screenshot that satisfies pred; keeps the last one read.
    bool wait_screen(const std::function<bool(const FrameText&)>& pred, int timeout_ms = 30000) {
        return wait_until(
            [&] {
                last_ = screen();
                return pred(last_);
            },
            timeout_ms);
    }

    bool wait_rows(const std::vector<std::string>& rows, int timeout_ms = 30000) {
        return wait_screen([&](const FrameText& s) { return all_rows(s) == rows; }, timeout_ms);
    }

    // The prompt of a room, with the countdown running: the command editor
    // is reading keys (what is typed before it starts is thrown away).
    bool wait_room(int room) {
        return wait_screen(
            [&](const FrameText& s) { return rows_without_countdown(s) == room_screen(room) && shows_countdown(s); });
    }

    void type(const std::string& text) { run_command("xdotool type --delay 60 '" + text + "'"); }
    void key(const std::string& name) { run_command("xdotool key " + name); }
    // A key that answers a page or the end prompt. Those throw away the keys
    // already waiting right after they are drawn; the pause keeps the answer
    // from arriving in the same instant on a busy machine.
    void answer() {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        key("space");
    }
    void command(const std::string& line) {
        type(line);
        key("Return");
    }

    // Start, dismiss the introduction and wait for the first prompt.
    void start_playing(bool fast = false) {
        start(fast);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(wait_screen([](const FrameText& s) { return s.row(7, true) == "The trees watch."; }))
            << last_.dump();
        key("space");
        ASSERT_TRUE(wait_room(1)) << last_.dump();
    }

    // The process's exit status, or -1 when it has not ended within the time.
    int wait_exit(int timeout_ms = 30000) { return wait_child_exit(pid_, timeout_ms); }

    bool running() { return waitpid(pid_, nullptr, WNOHANG) == 0; }

    std::vector<std::string> ending(std::vector<std::string> passage, const std::string& row30) {
        std::vector<std::string> rows = page(std::move(passage));
        rows[29] = row30;
        return rows;
    }

    pid_t pid_ = 0;
    std::string window_;
    std::string dir_, shot_;
    FrameText last_;
};

TEST_F(GameWindow, LeavingTolmerandEndsAfterOneKeyUnderTheEndPrompt) {
    start_playing();
    command("leave tolmerand");
    ASSERT_TRUE(wait_rows(ending(lines_of(game_text::ending_of_leaving), kEndPrompt))) << last_.dump();
    EXPECT_EQ(last_.cell(1, 1).fg, GREEN);
    EXPECT_TRUE(running());
    answer();
    EXPECT_EQ(wait_exit(), 0);
}

TEST_F(GameWindow, TheKnifeInTheMansRoomEndsAfterThreeKeys) {
    start_playing();
    const std::pair<const char*, int> path[] = {{"west", 2}, {"south", 3}, {"south", 4}, {"west", 5}};
    for (auto [line, room] : path) {
        command(line);
        ASSERT_TRUE(wait_room(room)) << line << "\n" << last_.dump();
    }
    command("use knife");
    ASSERT_TRUE(wait_rows(page({"On what?"}))) << last_.dump();
    answer();
    ASSERT_TRUE(wait_rows(ending(lines_of(game_text::ending_of_the_knife), ""))) << last_.dump();
    answer();
    ASSERT_TRUE(wait_rows(ending(lines_of(game_text::ending_of_the_knife), kEndPrompt))) << last_.dump();
    EXPECT_TRUE(running());
    answer();
    EXPECT_EQ(wait_exit(), 0);
}

TEST_F(GameWindow, QuitLeavesTheRoomUnderTheEndPromptAndEndsAfterAKey) {
    start_playing();
    command("quit");
    std::vector<std::string> expected = room_screen(1, "QUIT");
    expected[29] = kEndPrompt;
    ASSERT_TRUE(wait_screen([&](const FrameText& s) { return rows_without_countdown(s) == expected; }))
        << last_.dump();
    answer();
    EXPECT_EQ(wait_exit(), 0);
}

TEST_F(GameWindow, TheTimeRunsOutAfterTenMinutes) {
    start_playing(true);  // ten minutes in twenty seconds
    ASSERT_TRUE(wait_rows(ending(lines_of(game_text::ending_of_time), kEndPrompt), 90000)) << last_.dump();
    EXPECT_EQ(last_.cell(1, 1).fg, LIGHT_GREY);
    answer();
    EXPECT_EQ(wait_exit(), 0);
}

TEST_F(GameWindow, TheCloseButtonEndsAGameInPlay) {
    start_playing();
    ASSERT_TRUE(send_close_request(std::stoul(window_)));
    EXPECT_EQ(wait_exit(), 0);
}

TEST_F(GameWindow, BreakEndsAGameInPlay) {
    start_playing();
    command("west");
    ASSERT_TRUE(wait_room(2)) << last_.dump();
    key("ctrl+Pause");
    EXPECT_EQ(wait_exit(), 0);
}

}  // namespace
