// Real key presses in the real window under an X server: xdotool types into
// the key probe (tests/e2e/key_probe), which runs the runtime and reports
// every code rt_keyhit and every entry rt_inkey gives it. Covers the
// character and special keys, the modifiers, Pause and Break, the lock keys
// with their start-up state, auto-repeat and the window's close request.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>
#include "platform/plat_keys.h"
#include "tests/support/run_command.h"
#include "tests/support/runtime_harness.h"
#include "tests/support/x_close_request.h"
#include "tests/support/child_process.h"

extern char** environ;

namespace {

const std::string kProbe = std::string(TOL_BINARY_DIR) + "/tests/e2e/keys_probe";

bool window_exists(unsigned long window) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XWindowAttributes attributes;
    bool exists = XGetWindowAttributes(d, window, &attributes) != 0;
    XCloseDisplay(d);
    return exists;
}

bool caps_lock_on() { return plat_read_key_state().caps_lock_on; }

using Entry = std::pair<int, int>;  // rt_inkey: (character, scan code or -1)

// The probe's report from line `from` on.
struct Events {
    std::vector<int> hits;
    std::vector<Entry> inkeys;
    std::vector<std::string> flags;  // "B417 B418 B496"
};

// F12 ends every burst of keys: once its release and its ring entry are
// reported, everything typed before it has been read.
const char* const kEnd = "F12";
constexpr int kEndCode = 0x8600;
const Entry kEndEntry{0, 0x86};

class KeyWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (DISPLAY is not set)";
        dir_ = make_scratch_dir("keys_test");
        ASSERT_FALSE(dir_.empty());
        report_path_ = dir_ + "/report.txt";
    }

    void TearDown() override {
        stop_child(pid_);
        // The server keeps its keyboard between tests: leave it as found.
        run_command("xdotool keyup Shift_L Shift_R Control_L Control_R Alt_L Alt_R a");
        if (caps_lock_on()) run_command("xdotool key Caps_Lock");
        remove_scratch_dir(dir_);
    }

    void start(bool trap = false) {
        std::vector<char*> argv = {const_cast<char*>(kProbe.c_str()), const_cast<char*>(report_path_.c_str())};
        std::string trap_arg = "--trap";
        if (trap) argv.push_back(trap_arg.data());
        argv.push_back(nullptr);
        ASSERT_EQ(posix_spawn(&pid_, kProbe.c_str(), nullptr, nullptr, argv.data(), environ), 0);
        ASSERT_TRUE(harness_wait_until([&] { return has_line(0, "ready"); })) << "the probe did not start";
        ASSERT_TRUE(harness_wait_until([&] {
            window_ = run_command("xdotool search --onlyvisible --name '^Untitled$' | head -n 1");
            return !window_.empty();
        })) << "the probe's window did not appear";
        // Keys go to the focused window; focus can only be given once it is mapped.
        ASSERT_TRUE(harness_wait_until([&] {
            run_command("xdotool windowfocus --sync " + window_);
            if (run_command("xdotool getwindowfocus") == window_) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return false;
        })) << "the probe's window did not take the focus";
    }

    std::vector<std::string> lines() {
        std::vector<std::string> out;
        std::ifstream f(report_path_);
        for (std::string line; std::getline(f, line);) out.push_back(line);
        return out;
    }

    // The whole report on one line, for failure messages.
    std::string report() {
        std::string all;
        for (const std::string& line : lines()) all += line + "; ";
        return all;
    }

    bool has_line(size_t from, const std::string& wanted) {
        std::vector<std::string> all = lines();
        for (size_t i = from; i < all.size(); i++)
            if (all[i] == wanted) return true;
        return false;
    }

    Events events(size_t from) {
        Events e;
        std::vector<std::string> all = lines();
        for (size_t i = from; i < all.size(); i++) {
            std::istringstream in(all[i]);
            std::string kind;
            in >> kind;
            if (kind == "hit") {
                int code = 0;
                in >> code;
                e.hits.push_back(code);
            } else if (kind == "inkey") {
                Entry entry;
                in >> entry.first >> entry.second;
                e.inkeys.push_back(entry);
            } else if (kind == "flags") {
                e.flags.push_back(all[i].substr(6));
            }
        }
        return e;
    }

    // Type the keys (xdotool key syntax), then F12; returns what the program
    // read for them, without F12's own codes.
    Events type(const std::string& keys) {
        size_t from = lines().size();
        run_command("xdotool key --delay 40 " + keys + " " + kEnd);
        EXPECT_TRUE(harness_wait_until([&] {
            return has_line(from, "hit " + std::to_string(-kEndCode)) &&
                   has_line(from, "inkey " + std::to_string(kEndEntry.first) + " " + std::to_string(kEndEntry.second));
        })) << "the program did not read the keys " << keys;
        Events e = events(from);
        std::erase(e.hits, kEndCode);
        std::erase(e.hits, -kEndCode);
        std::erase(e.inkeys, kEndEntry);
        return e;
    }

    // The probe's exit status, or -1 when it has not ended in time.
    int wait_exit() { return wait_child_exit(pid_, 20000); }

    std::string dir_, report_path_, window_;
    pid_t pid_ = 0;
};

struct TypedCase {
    const char* keys;
    std::vector<int> hits;
    std::vector<Entry> inkeys;
};

TEST_F(KeyWindowTest, KeysReachTheQueueAndTheRingWithTheirCodes) {
    // xdotool lets go of the modifiers before the key itself, so a shifted
    // key's release arrives unshifted.
    const TypedCase cases[] = {
        {"a", {97, -97}, {{97, -1}}},
        {"b Return", {98, -98, 13, -13}, {{98, -1}, {13, -1}}},
        {"shift+a", {100304, 65, -100304, -97}, {{65, -1}}},
        // xdotool holds the left modifier as well when it presses a right one.
        {"Shift_R", {100304, 100303, -100304, -100303}, {}},
        {"ctrl+a", {100306, 97, -100306, -97}, {{1, -1}}},
        {"Control_R", {100306, 100305, -100306, -100305}, {}},
        {"alt+a", {100308, 97, -100308, -97}, {{0, 30}}},
        {"shift+alt+a", {100304, 100308, 65, -100304, -100308, -97}, {{0, 30}}},
        {"F1", {15104, -15104}, {{0, 59}}},
        {"shift+F1", {100304, 15104, -100304, -15104}, {{0, 84}}},
        {"Up Down Left Right", {18432, -18432, 20480, -20480, 19200, -19200, 19712, -19712},
         {{0, 72}, {0, 80}, {0, 75}, {0, 77}}},
        {"Home End Prior Next", {18176, -18176, 20224, -20224, 18688, -18688, 20736, -20736},
         {{0, 71}, {0, 79}, {0, 73}, {0, 81}}},
        {"Delete", {21248, -21248}, {{0, 83}}},
        {"BackSpace Tab Escape space", {8, -8, 9, -9, 27, -27, 32, -32}, {{8, -1}, {9, -1}, {27, -1}, {32, -1}}},
        {"ctrl+Return", {100306, 13, -100306, -13}, {{10, -1}}},
        {"ctrl+BackSpace", {100306, 21248, -100306, -21248}, {{0, 0x93}}},
        {"alt+Return", {100308, -100308, -13}, {}},
    };
    start();
    for (const TypedCase& c : cases) {
        Events e = type(c.keys);
        EXPECT_EQ(e.hits, c.hits) << c.keys;
        EXPECT_EQ(e.inkeys, c.inkeys) << c.keys;
    }
}

TEST_F(KeyWindowTest, ModifiersSetAndClearTheShiftFlags) {
    start();
    const std::pair<const char*, const char*> steps[] = {
        {"keydown Shift_L", "2 0 16"},   {"keydown Control_L", "6 1 16"}, {"keydown Alt_L", "14 3 16"},
        {"keyup Alt_L", "6 1 16"},       {"keyup Control_L", "2 0 16"},   {"keyup Shift_L", "0 0 16"},
    };
    size_t from = lines().size();
    for (const auto& [step, flags] : steps) {
        size_t before = lines().size();
        run_command(std::string("xdotool ") + step);
        EXPECT_TRUE(harness_wait_until([&] { return has_line(before, std::string("flags ") + flags); })) << step;
    }
    EXPECT_EQ(events(from).hits, (std::vector<int>{100304, 100306, 100308, -100308, -100306, -100304}));
}

TEST_F(KeyWindowTest, PauseHoldsTheProgramAndTheNextKeyOnlyResumes) {
    start();
    Events e = type("Pause a b");
    EXPECT_EQ(e.hits, (std::vector<int>{-100019, -97, 98, -98}));
    EXPECT_EQ(e.inkeys, (std::vector<Entry>{{98, -1}}));
}

TEST_F(KeyWindowTest, HeldKeyRepeatsAsPressesWithOneRelease) {
    start();
    size_t from = lines().size();
    run_command("xdotool keydown a");
    // Held well past the server's auto-repeat delay.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    run_command("xdotool keyup a");
    ASSERT_TRUE(harness_wait_until([&] { return has_line(from, "hit -97"); }));
    std::vector<int> hits = events(from).hits;
    ASSERT_GE(hits.size(), 3u) << "the key did not repeat";
    EXPECT_EQ(hits.back(), -97);
    hits.pop_back();
    EXPECT_EQ(hits, std::vector<int>(hits.size(), 97)) << "a held key gives presses only, no releases between";
}

// The frame thread mirrors the lock keys every other pass, so their codes
// come a little after keys typed later; each step waits for its own code.
TEST_F(KeyWindowTest, CapsLockIsMirroredFromTheKeyboard) {
    ASSERT_FALSE(caps_lock_on());
    start();
    size_t from = lines().size();
    run_command("xdotool key Caps_Lock");
    EXPECT_TRUE(harness_wait_until([&] { return has_line(from, "hit 100301") && has_line(from, "flags 64 0 16"); }));
    Events letter = type("a");
    EXPECT_EQ(letter.hits, (std::vector<int>{65, -65})) << "Caps Lock gives capitals";
    EXPECT_EQ(letter.inkeys, (std::vector<Entry>{{65, -1}}));
    from = lines().size();
    run_command("xdotool key Caps_Lock");
    EXPECT_TRUE(harness_wait_until([&] { return has_line(from, "hit -100301") && has_line(from, "flags 0 0 16"); }));
    EXPECT_EQ(events(0).inkeys, (std::vector<Entry>{{65, -1}, kEndEntry})) << "lock changes make no ring entries";
}

TEST_F(KeyWindowTest, StartUpTakesTheLockAndModifierStateWithoutQueuingIt) {
    run_command("xdotool key Caps_Lock keydown Shift_L");
    ASSERT_TRUE(caps_lock_on());
    start();
    std::vector<std::string> first = lines();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.front(), "flags 66 0 16") << "Caps Lock and left Shift are in the flags from the start";
    run_command("xdotool keyup Shift_L");
    run_command("xdotool key Caps_Lock");
    ASSERT_TRUE(harness_wait_until([&] { return has_line(0, "hit -100301"); }));
    EXPECT_EQ(events(0).hits, (std::vector<int>{-100304, -100301}))
        << "only the releases: nothing was queued for the start-up state; report: " << report();
}

TEST_F(KeyWindowTest, CtrlPauseIsBreakAndEndsTheProgram) {
    start();
    run_command("xdotool key ctrl+Pause");
    EXPECT_EQ(wait_exit(), 0) << report();
}

TEST_F(KeyWindowTest, BreakKeyEndsTheProgram) {
    start();
    run_command("xdotool key Break");
    EXPECT_EQ(wait_exit(), 0) << report();
}

TEST_F(KeyWindowTest, CloseRequestEndsTheProgram) {
    start();
    ASSERT_TRUE(send_close_request(std::stoul(window_)));
    EXPECT_EQ(wait_exit(), 0) << report();
}

TEST_F(KeyWindowTest, CloseRequestLeavesTheWindowOpenForTheProgram) {
    start(/*trap=*/true);
    ASSERT_TRUE(send_close_request(std::stoul(window_)));
    ASSERT_TRUE(harness_wait_until([&] { return has_line(0, "close 1"); })) << "the close request did not arrive";
    EXPECT_TRUE(window_exists(std::stoul(window_)));
    Events e = type("q");
    EXPECT_EQ(e.hits, (std::vector<int>{113, -113})) << "the window still takes keys";
    run_command("xdotool key ctrl+Pause");
    EXPECT_TRUE(harness_wait_until([&] { return has_line(0, "close 3"); })) << "with the trap Break is a close request";
}

}  // namespace
