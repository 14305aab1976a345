// Key presses and releases as the window delivers them, and what they leave
// in the KeyHitQueue, the KeyRing, the HeldKeyList and the shift-flag bytes.
#include <gtest/gtest.h>
#include <ostream>
#include "tests/input/input_test_support.h"

std::ostream& operator<<(std::ostream& os, const ShiftFlags& f) {
    return os << "{0x417=" << f.b417 << ", 0x418=" << f.b418 << ", 0x496=" << f.b496 << "}";
}

namespace {

constexpr int32_t SHIFT = KEY_MOD_SHIFT, CTRL = KEY_MOD_CTRL, ALT = KEY_MOD_ALT;

struct KeyCase {
    const char* name;
    std::vector<KeyStep> steps;
    std::vector<int32_t> queue;
    std::vector<RingEntry> ring;
};

// Each case starts from a clean keyboard. Modifiers are pressed through the
// special-key callback, as freeglut reports them, before the key they modify.
const KeyCase kKeyCases[] = {
    {"plain letter", {char_down('a')}, {97}, {{97, 30}}},
    {"letter release queues the negative code only", {char_down('a'), char_up('a')}, {97, -97}, {{97, 30}}},
    {"shifted letter", {special_down(GLUT_SHIFT_L), char_down('A', SHIFT)}, {100304, 65}, {{65, 30}}},
    {"ctrl letter arrives as its control code",
     {special_down(GLUT_CTRL_L), char_down(1, CTRL)}, {100306, 97}, {{1, 30}}},
    {"ctrl shift letter queues the capital",
     {special_down(GLUT_CTRL_L), special_down(GLUT_SHIFT_R), char_down(1, CTRL | SHIFT)},
     {100306, 100303, 65}, {{1, 30}}},
    {"alt letter gives the extended entry", {special_down(GLUT_ALT_L), char_down('a', ALT)}, {100308, 97}, {{0, 30}}},
    {"ctrl and alt together (AltGr) take the alt column",
     {special_down(GLUT_CTRL_L), special_down(GLUT_ALT_R), char_down(17, CTRL | ALT)}, {100306, 100307, 113},
     {{0, 16}}},
    {"F1", {special_down(1)}, {15104}, {{0, 59}}},
    {"shift F1", {special_down(GLUT_SHIFT_L), special_down(1)}, {100304, 15104}, {{0, 84}}},
    {"ctrl F10", {special_down(GLUT_CTRL_R), special_down(10)}, {100305, 0x4400}, {{0, 103}}},
    {"alt F12", {special_down(GLUT_ALT_L), special_down(12)}, {100308, 0x8600}, {{0, 0x8C}}},
    {"delete arrives as character 127", {char_down(127)}, {21248}, {{0, 83}}},
    {"ctrl backspace arrives as 127 and is ctrl delete",
     {special_down(GLUT_CTRL_L), char_down(127, CTRL)}, {100306, 21248}, {{0, 0x93}}},
    {"up arrow", {special_down(101)}, {0x4800}, {{0, 72}}},
    {"ctrl left arrow", {special_down(GLUT_CTRL_L), special_down(100)}, {100306, 0x4B00}, {{0, 0x73}}},
    {"tab", {char_down(9)}, {9}, {{9, 15}}},
    {"shift tab", {special_down(GLUT_SHIFT_L), char_down(9, SHIFT)}, {100304, 9}, {{0, 15}}},
    {"ctrl enter arrives as 10", {special_down(GLUT_CTRL_L), char_down(10, CTRL)}, {100306, 13}, {{10, 28}}},
    {"backspace", {char_down(8)}, {8}, {{8, 14}}},
    {"escape", {char_down(27)}, {27}, {{27, 1}}},
    {"space", {char_down(' ')}, {32}, {{32, 57}}},
    {"shifted digit shares the digit's row", {special_down(GLUT_SHIFT_L), char_down('!', SHIFT)},
     {100304, 33}, {{33, 2}}},
    {"ctrl 2 gives the extended form", {special_down(GLUT_CTRL_L), char_down('2', CTRL)}, {100306, 50}, {{0, 3}}},
    {"ctrl 6 gives code 30", {special_down(GLUT_CTRL_L), char_down('6', CTRL)}, {100306, 54}, {{30, 7}}},
    {"ctrl backslash gives code 28", {special_down(GLUT_CTRL_L), char_down('\\', CTRL)}, {100306, 92}, {{28, 43}}},
    {"alt minus", {special_down(GLUT_ALT_L), char_down('-', ALT)}, {100308, 45}, {{0, 0x82}}},
    {"a key with no value in its mode is queued without a ring entry",
     {special_down(GLUT_CTRL_L), char_down('1', CTRL)}, {100306, 49}, {}},
    {"alt tab has no ring entry", {special_down(GLUT_ALT_L), char_down(9, ALT)}, {100308, 9}, {}},
    {"alt enter is taken on the press, its release still queued",
     {special_down(GLUT_ALT_L), char_down(13, ALT), char_up(13, ALT)}, {100308, -13}, {}},
    {"character 0 (ctrl @)", {char_down(0, CTRL), char_up(0, CTRL)}, {200013, -200013}, {{0, 0}}},
    {"character without a scan code keeps its code", {char_down(0xE9)}, {0xE9}, {{0xE9, 0}}},
    {"shift alone", {special_down(GLUT_SHIFT_L), special_up(GLUT_SHIFT_L)}, {100304, -100304}, {}},
    {"break queues only its release", {hook_down(KEY_BREAK), hook_up(KEY_BREAK)}, {-100318}, {}},
    {"pause queues only its release", {hook_down(KEY_PAUSE), hook_up(KEY_PAUSE)}, {-100019}, {}},
    {"special key outside the map is ignored", {special_down(109), special_down(200), special_up(200)}, {}, {}},
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class KeyCaseTest : public ::testing::TestWithParam<KeyCase> {
protected:
    void SetUp() override { reset_keyboard(); }
};

TEST_P(KeyCaseTest, QueueAndRing) {
    const KeyCase& c = GetParam();
    feed(c.steps);
    EXPECT_EQ(drain_queue(), c.queue);
    EXPECT_EQ(drain_ring(), c.ring);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyCaseTest, ::testing::ValuesIn(kKeyCases),
                         [](const ::testing::TestParamInfo<KeyCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; p++)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

class KeyEventTest : public ::testing::Test {
protected:
    void SetUp() override { reset_keyboard(); }
};

// The letters' scan codes follow the rows of the PC keyboard.
TEST_F(KeyEventTest, LetterScanCodesFollowKeyboardRows) {
    const std::pair<const char*, int> rows[] = {{"qwertyuiop", 16}, {"asdfghjkl", 30}, {"zxcvbnm", 44}};
    for (const auto& [letters, first_scan] : rows) {
        for (int i = 0; letters[i]; i++) {
            int lower = letters[i], upper = lower - 32, scan = first_scan + i;
            feed({char_down(lower), char_up(lower), char_down(upper), char_up(upper)});
            EXPECT_EQ(drain_ring(), (std::vector<RingEntry>{{lower, scan}, {upper, scan}})) << letters[i];
            feed({special_down(GLUT_ALT_L), char_down(lower, ALT), char_up(lower, ALT), special_up(GLUT_ALT_L)});
            EXPECT_EQ(drain_ring(), (std::vector<RingEntry>{{0, scan}})) << "Alt+" << letters[i];
            feed({special_down(GLUT_CTRL_L), char_down(lower - 96, CTRL), char_up(lower - 96, CTRL),
                  special_up(GLUT_CTRL_L)});
            // Ctrl+J arrives as 10, which is how Ctrl+Enter arrives too: it is Ctrl+Enter.
            RingEntry ctrl_entry = lower == 'j' ? RingEntry{10, 28} : RingEntry{lower - 96, scan};
            EXPECT_EQ(drain_ring(), (std::vector<RingEntry>{ctrl_entry})) << "Ctrl+" << letters[i];
        }
    }
}

TEST_F(KeyEventTest, FunctionKeysInEveryMode) {
    for (int n = 1; n <= 10; n++) {
        int scan = 58 + n;
        feed({special_down(n), special_up(n)});
        feed({special_down(GLUT_SHIFT_R), special_down(n), special_up(n), special_up(GLUT_SHIFT_R)});
        feed({special_down(GLUT_CTRL_R), special_down(n), special_up(n), special_up(GLUT_CTRL_R)});
        feed({special_down(GLUT_ALT_R), special_down(n), special_up(n), special_up(GLUT_ALT_R)});
        EXPECT_EQ(drain_ring(), (std::vector<RingEntry>{{0, scan}, {0, scan + 25}, {0, scan + 35}, {0, scan + 45}}))
            << "F" << n;
    }
}

TEST_F(KeyEventTest, ShiftFlagBytesFollowHeldModifiers) {
    struct FlagCase {
        int32_t glut_key;
        ShiftFlags flags;
    };
    const FlagCase cases[] = {
        {GLUT_SHIFT_R, {0x01, 0x00, 0x10}}, {GLUT_SHIFT_L, {0x02, 0x00, 0x10}}, {GLUT_CTRL_R, {0x04, 0x00, 0x11}},
        {GLUT_CTRL_L, {0x04, 0x01, 0x10}},  {GLUT_ALT_R, {0x08, 0x00, 0x12}},   {GLUT_ALT_L, {0x08, 0x02, 0x10}},
    };
    for (const FlagCase& c : cases) {
        feed({special_down(c.glut_key)});
        EXPECT_EQ(shift_flags(), c.flags) << c.glut_key;
        feed({special_up(c.glut_key)});
        EXPECT_EQ(shift_flags(), (ShiftFlags{0, 0, 0x10})) << c.glut_key;
    }
    feed({special_down(GLUT_SHIFT_L), special_down(GLUT_CTRL_R), special_down(GLUT_ALT_L)});
    EXPECT_EQ(shift_flags(), (ShiftFlags{0x0E, 0x02, 0x11}));
}

TEST_F(KeyEventTest, ShiftAloneWakesButMakesNoRingEntry) {
    feed({special_down(GLUT_SHIFT_L)});
    EXPECT_EQ(key_wake.load(), 1);
    EXPECT_EQ(shift_flags().b417 & 0x02, 0x02);
    key_wake.store(0);
    feed({special_up(GLUT_SHIFT_L)});
    EXPECT_EQ(key_wake.load(), 0) << "a release never wakes a sleeper";
    EXPECT_EQ(shift_flags().b417 & 0x02, 0);
    EXPECT_TRUE(drain_ring().empty());
}

TEST_F(KeyEventTest, ReleaseOfADifferentCharacterLeavesThePressListed) {
    // Shift let go before the letter: the release arrives unshifted.
    feed({special_down(GLUT_SHIFT_L), char_down('B', SHIFT), special_up(GLUT_SHIFT_L), char_up('b')});
    EXPECT_EQ(held_codes(), std::vector<int32_t>{'B'});
    EXPECT_EQ(drain_queue(), (std::vector<int32_t>{100304, 66, -100304, -98}));
}

TEST_F(KeyEventTest, ReleaseOfAKeyNeverPressedChangesNothing) {
    feed({char_down('x'), special_down(GLUT_SHIFT_L)});
    feed({char_up('q'), special_up(GLUT_CTRL_L)});
    EXPECT_EQ(held_codes(), (std::vector<int32_t>{'x', 100304}));
    EXPECT_EQ(shift_flags().b417, 0x02);
}

TEST_F(KeyEventTest, AutoRepeatQueuesEveryPressButListsTheKeyOnce) {
    for (int i = 0; i < 100; i++) feed({char_down('k')});
    EXPECT_EQ(held_codes(), std::vector<int32_t>{'k'});
    EXPECT_EQ(held_keys.capacity, 1) << "repeats must not grow the list";
    EXPECT_EQ(drain_queue(), std::vector<int32_t>(100, 'k'));
    EXPECT_EQ(drain_ring().size(), 15u);
    feed({char_up('k')});
    EXPECT_TRUE(held_codes().empty());
}

TEST_F(KeyEventTest, HeldListKeepsOrderOfFirstPressAndClosesGaps) {
    feed({char_down('a'), special_down(GLUT_SHIFT_L), char_down('c', SHIFT), char_down('a')});
    EXPECT_EQ(held_codes(), (std::vector<int32_t>{'a', 100304, 'c'}));
    feed({special_up(GLUT_SHIFT_L)});
    EXPECT_EQ(held_codes(), (std::vector<int32_t>{'a', 'c'}));
    EXPECT_EQ(rt_key_is_down('c'), 1);
    EXPECT_EQ(rt_key_is_down(100304), 0);
}

TEST_F(KeyEventTest, InsertTogglesInsertModeOnlyOnAFreshUnmodifiedPress) {
    auto insert_mode = [] { return (shift_flags().b417 & 0x80) != 0; };
    feed({special_down(108)});
    EXPECT_TRUE(insert_mode());
    EXPECT_EQ(shift_flags().b418 & 0x80, 0x80) << "the Insert key itself is held";
    feed({special_down(108), special_down(108)});  // auto-repeat
    EXPECT_TRUE(insert_mode());
    feed({special_up(108)});
    EXPECT_EQ(shift_flags().b418 & 0x80, 0) << "releasing Insert updates the flags";
    feed({special_down(108), special_up(108)});
    EXPECT_FALSE(insert_mode());
    feed({special_down(GLUT_SHIFT_L), special_down(108), special_up(108), special_up(GLUT_SHIFT_L)});
    EXPECT_FALSE(insert_mode()) << "Shift+Insert does not toggle";
    EXPECT_EQ(drain_ring(), (std::vector<RingEntry>{{0, 82}, {0, 82}, {0, 82}, {0, 82}, {0, 82}}));
}

TEST_F(KeyEventTest, ScrollLockKeyTogglesScrollStateOnFirstPressOnly) {
    rt_key_press(KEY_SCROLL_LOCK);
    EXPECT_EQ(rt_key_is_down(KEY_SCROLL_LOCK_STATE), 1);
    EXPECT_EQ(shift_flags().b417 & 0x10, 0x10);
    EXPECT_EQ(shift_flags().b418 & 0x10, 0x10);
    rt_key_press(KEY_SCROLL_LOCK);  // auto-repeat
    EXPECT_EQ(rt_key_is_down(KEY_SCROLL_LOCK_STATE), 1);
    rt_key_release(KEY_SCROLL_LOCK);
    rt_key_press(KEY_SCROLL_LOCK);
    EXPECT_EQ(rt_key_is_down(KEY_SCROLL_LOCK_STATE), 0);
    EXPECT_EQ(drain_queue(), (std::vector<int32_t>{100302, 100302, -100302, 100302}));
}

TEST_F(KeyEventTest, BreakRequestsTheExitOrACloseWhenTrapped) {
    feed({hook_down(KEY_BREAK)});
    EXPECT_EQ(rt_control.exit_requested.load(), 1);
    EXPECT_EQ(rt_control.close_requests.load(), 0);
    EXPECT_EQ(key_wake.load(), 1);

    reset_keyboard();
    rt_control.exit_trap.store(1);
    feed({hook_down(KEY_BREAK)});
    EXPECT_EQ(rt_control.exit_requested.load(), 0);
    EXPECT_EQ(rt_control.close_requests.load(), 2);
}

TEST_F(KeyEventTest, PauseHoldsUntilTheNextKeyWhichIsSwallowed) {
    feed({hook_down(KEY_PAUSE)});
    EXPECT_EQ(rt_control.paused.load() & 1, 1);
    EXPECT_EQ(rt_control.check_requested.load(), 1);
    feed({hook_up(KEY_PAUSE)});
    EXPECT_EQ(rt_control.paused.load() & 1, 1) << "Pause's own release does not resume";

    feed({special_down(GLUT_SHIFT_L)});
    EXPECT_EQ(rt_control.paused.load() & 1, 0);
    EXPECT_EQ(held_codes(), std::vector<int32_t>{100304}) << "the resuming key is held";
    EXPECT_EQ(shift_flags().b417 & 0x02, 0) << "but the flags are not recomputed";
    feed({char_down('A', SHIFT)});
    EXPECT_EQ(drain_queue(), (std::vector<int32_t>{-100019, 65}));
    EXPECT_EQ(drain_ring(), (std::vector<RingEntry>{{65, 30}}));
}

TEST_F(KeyEventTest, NumLockTurnedOnWithCtrlHeldPauses) {
    feed({special_down(GLUT_CTRL_L)});
    rt_key_press(KEY_NUM_LOCK_STATE);
    EXPECT_EQ(rt_control.paused.load() & 1, 1);
    EXPECT_EQ(drain_queue(), std::vector<int32_t>{100306});
}

TEST_F(KeyEventTest, WindowHookKinds) {
    EXPECT_EQ(rt_window_hook(1, 0, 0), 0);
    EXPECT_EQ(rt_control.close_requests.load(), 1);
    EXPECT_EQ(rt_control.exit_requested.load(), 0) << "closing only asks; the program decides";
    EXPECT_EQ(rt_window_hook(2, 'a', 1), -1);
    EXPECT_EQ(rt_window_hook(2, KEY_PAUSE, 1), 0);
    EXPECT_EQ(rt_window_hook(7, 0, 0), -1);
    EXPECT_EQ(rt_window_hook(0, 0, 0), -1);
    EXPECT_TRUE(drain_queue().empty()) << "the refused code was not pressed";
}

TEST_F(KeyEventTest, ScanCodeBufferGetsMakeAndBreakCodesWithoutRepeats) {
    feed({char_down('a'), char_down('a'), char_up('a'), special_down(GLUT_SHIFT_L), special_up(GLUT_SHIFT_L),
          special_down(1), char_down(0xE9)});
    std::vector<int32_t> bytes;
    for (int32_t b; (b = scan_code_read()) >= 0;) bytes.push_back(b);
    EXPECT_EQ(bytes, (std::vector<int32_t>{30, 158, 42, 170, 59}));
}

TEST_F(KeyEventTest, ScanCodeBufferKeepsTheNewest256) {
    for (int i = 0; i < 300; i++) {
        rt_key_press('a');
        rt_key_release('a');
    }
    std::vector<int32_t> bytes;
    for (int32_t b; (b = scan_code_read()) >= 0;) bytes.push_back(b);
    ASSERT_EQ(bytes.size(), 256u);
    EXPECT_EQ(bytes.front(), 30);
    EXPECT_EQ(bytes.back(), 158);
}

}  // namespace
