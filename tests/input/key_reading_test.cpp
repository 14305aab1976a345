// The program thread's key reading: rt_inkey, rt_keyhit, rt_keydown and the
// END statement's key wait.
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include "runtime/core/errors.h"
#include "runtime/input/key_reading.h"
#include "tests/input/input_test_support.h"
#include "tests/support/runtime_harness.h"

namespace {

// rt_inkey's result as bytes; its temporary is released again.
std::string inkey() {
    uint32_t mark = rts_temp_mark();
    RtString* s = rt_inkey();
    std::string bytes(reinterpret_cast<const char*>(s->data), s->len);
    rts_release_temps(mark, 0);
    return bytes;
}

class KeyReadingTest : public ::testing::Test {
protected:
    void SetUp() override { reset_keyboard(); }
};

TEST_F(KeyReadingTest, NothingPressedReadsEmptyAgainAndAgain) {
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(inkey(), "");
        EXPECT_EQ(rt_keyhit(), 0);
    }
}

TEST_F(KeyReadingTest, QueueAndRingAreReadIndependently) {
    feed({char_down('a'), char_up('a'), char_down('b'), char_up('b'), char_down(13), char_up(13)});
    std::vector<int32_t> codes;
    for (int i = 0; i < 7; i++) codes.push_back(rt_keyhit());
    EXPECT_EQ(codes, (std::vector<int32_t>{97, -97, 98, -98, 13, -13, 0}));
    EXPECT_EQ(inkey(), "a");
    EXPECT_EQ(inkey(), "b");
    EXPECT_EQ(inkey(), "\r");
    EXPECT_EQ(inkey(), "");
}

TEST_F(KeyReadingTest, InkeyResultsForSpecialKeys) {
    struct Case {
        std::vector<KeyStep> steps;
        std::string expected;
    };
    const Case cases[] = {
        {{special_down(1)}, std::string("\0\x3B", 2)},
        {{special_down(101)}, std::string("\0\x48", 2)},
        {{char_down(127)}, std::string("\0\x53", 2)},
        {{char_down(8)}, "\b"},
        {{char_down(27)}, "\x1B"},
        {{special_down(GLUT_ALT_L), char_down('a', KEY_MOD_ALT), special_up(GLUT_ALT_L)}, std::string("\0\x1E", 2)},
        {{special_down(GLUT_CTRL_L), char_down(1, KEY_MOD_CTRL), special_up(GLUT_CTRL_L)}, "\x01"},
        {{char_down(0, KEY_MOD_CTRL)}, std::string("\0", 1)},
    };
    for (const Case& c : cases) {
        feed(c.steps);
        EXPECT_EQ(inkey(), c.expected);
        EXPECT_EQ(inkey(), "");
    }
}

TEST_F(KeyReadingTest, InkeyWrapsFromTheLastSlot) {
    ConvMemory[BIOS_KEY_HEAD] = ConvMemory[BIOS_KEY_TAIL] = 58;
    feed({char_down('x'), char_down('y'), char_down('z')});
    EXPECT_EQ(inkey(), "x");
    EXPECT_EQ(ring_head(), 60);
    EXPECT_EQ(inkey(), "y");
    EXPECT_EQ(ring_head(), 30);
    EXPECT_EQ(inkey(), "z");
    EXPECT_EQ(inkey(), "");
}

TEST_F(KeyReadingTest, FifteenOfSixteenPressesAreReadInOrder) {
    for (char c : std::string("ABCDEFGHIJKLMNOP")) feed({char_down(c, KEY_MOD_SHIFT)});
    std::string read;
    for (std::string k; !(k = inkey()).empty();) read += k;
    EXPECT_EQ(read, "ABCDEFGHIJKLMNO");
}

TEST_F(KeyReadingTest, PendingErrorReadsNothingAndKeepsTheEntry) {
    feed({char_down('q')});
    rt_control.error_pending.store(9);
    EXPECT_EQ(inkey(), "");
    rt_control.error_pending.store(0);
    EXPECT_EQ(inkey(), "q");
}

TEST_F(KeyReadingTest, KeydownFollowsTheHeldKey) {
    EXPECT_EQ(rt_keydown(100304), 0);
    feed({special_down(GLUT_SHIFT_L)});
    EXPECT_EQ(rt_keydown(100304), -1);
    feed({special_up(GLUT_SHIFT_L)});
    EXPECT_EQ(rt_keydown(100304), 0);
    EXPECT_EQ(rt_control.error_pending.load(), 0);
}

TEST_F(KeyReadingTest, KeydownOfZeroOrLessIsIllegal) {
    harness_install_hooks();
    for (int32_t code : {0, -5}) {
        rt_control.error_pending.store(0);
        EXPECT_EQ(rt_keydown(code), 0);
        EXPECT_EQ(rt_control.error_pending.load(), 5) << code;
    }
}

// The END prompt's wait, run on a thread of its own as the program thread
// would run it.
class AnyKeyWaitTest : public KeyReadingTest {
protected:
    std::atomic<bool> done{false};
    void start_wait() {
        std::thread([this] {
            rt_wait_any_key();
            done.store(true);
        }).detach();
    }
    // Long enough for the waiting thread to have looked at the ring many
    // times; the result does not depend on it.
    static void let_it_run() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }
};

TEST_F(AnyKeyWaitTest, DiscardsEarlierKeysAndEndsOnANewOne) {
    feed({char_down('o'), char_up('o'), char_down('p')});
    start_wait();
    let_it_run();
    EXPECT_FALSE(done.load());
    EXPECT_TRUE(drain_ring().empty()) << "keys typed before the prompt are discarded";

    feed({special_down(GLUT_SHIFT_L), special_up(GLUT_SHIFT_L)});
    feed({hook_down(KEY_PAUSE), hook_up(KEY_PAUSE), char_down('r')});  // the resuming key is swallowed
    let_it_run();
    EXPECT_FALSE(done.load()) << "keys without a ring entry do not end the wait";

    feed({char_down('x')});
    ASSERT_TRUE(harness_wait_until([&] { return done.load(); }));
    EXPECT_EQ(inkey(), "") << "the key that ended the wait was consumed";
}

TEST_F(AnyKeyWaitTest, EndsOnAKeyEvenWithAnErrorPending) {
    rt_control.error_pending.store(9);
    start_wait();
    let_it_run();
    feed({char_down('y')});
    EXPECT_TRUE(harness_wait_until([&] { return done.load(); }));
}

TEST_F(AnyKeyWaitTest, ParksWhenTheProgramIsStopping) {
    rt_control.parked.store(0);
    start_wait();
    rt_control.stopping.store(1);
    ASSERT_TRUE(harness_wait_until([] { return (rt_control.parked.load() & 1) != 0; }));
    feed({char_down('x')});
    let_it_run();
    EXPECT_FALSE(done.load());
}

}  // namespace
