// Start-up seeding and the frame thread's poll of the lock keys, with the
// operating system's key state supplied by a test hook.
#include <gtest/gtest.h>
#include "platform/plat_keys.h"
#include "tests/input/input_test_support.h"

namespace {

PlatKeyState os_state;
PlatKeyState read_os_state() { return os_state; }

class LockKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset_keyboard();
        os_state = PlatKeyState{};
        os_state.valid = true;
        plat_set_key_state_hook(read_os_state);
    }
    void TearDown() override { plat_set_key_state_hook(nullptr); }
};

TEST_F(LockKeyTest, CapsLockChangesArePressesAndReleases) {
    os_state.caps_lock_on = true;
    rt_poll_lock_keys();
    EXPECT_EQ(rt_key_is_down(KEY_CAPS_LOCK_STATE), 1);
    EXPECT_EQ(shift_flags().b417, 0x40);
    EXPECT_EQ(key_wake.load(), 1);
    rt_poll_lock_keys();  // unchanged: nothing new
    os_state.caps_lock_on = false;
    rt_poll_lock_keys();
    EXPECT_EQ(shift_flags().b417, 0);
    EXPECT_EQ(drain_queue(), (std::vector<int32_t>{100301, -100301}));
    EXPECT_TRUE(drain_ring().empty());
}

TEST_F(LockKeyTest, NumLockAndScrollLock) {
    os_state.num_lock_on = true;
    os_state.scroll_lock_on = true;
    rt_poll_lock_keys();
    EXPECT_EQ(shift_flags().b417, 0x30);
    EXPECT_EQ(rt_key_is_down(KEY_SCROLL_LOCK_STATE), 1);
    EXPECT_EQ(drain_queue(), std::vector<int32_t>{100300}) << "the Scroll Lock state is never queued";
    os_state.scroll_lock_on = false;
    rt_poll_lock_keys();
    EXPECT_EQ(shift_flags().b417, 0x20);
    EXPECT_TRUE(drain_queue().empty());
}

TEST_F(LockKeyTest, NumLockOnWhileCtrlHeldPausesAndTheFlagsStillFollow) {
    feed({special_down(GLUT_CTRL_L)});
    os_state.num_lock_on = true;
    rt_poll_lock_keys();
    EXPECT_EQ(rt_control.paused.load() & 1, 1);
    EXPECT_EQ(shift_flags().b417 & 0x20, 0x20);
}

TEST_F(LockKeyTest, CapsLockChangeDuringAPauseOnlyResumes) {
    feed({hook_down(KEY_PAUSE), hook_up(KEY_PAUSE)});
    drain_queue();
    os_state.caps_lock_on = true;
    rt_poll_lock_keys();
    EXPECT_EQ(rt_control.paused.load() & 1, 0);
    EXPECT_TRUE(drain_queue().empty());
    EXPECT_EQ(rt_key_is_down(KEY_CAPS_LOCK_STATE), 1) << "the state is mirrored all the same";
}

TEST_F(LockKeyTest, NoDisplayChangesNothing) {
    feed({special_down(GLUT_SHIFT_L)});
    drain_queue();
    os_state = PlatKeyState{};
    os_state.caps_lock_on = true;  // valid is false: ignored
    rt_poll_lock_keys();
    EXPECT_EQ(rt_key_is_down(KEY_CAPS_LOCK_STATE), 0);
    EXPECT_TRUE(drain_queue().empty());
}

TEST_F(LockKeyTest, SeedingListsHeldKeysButQueuesNothing) {
    os_state.left_shift = os_state.right_ctrl = os_state.left_alt = true;
    os_state.caps_lock_on = os_state.scroll_lock_on = true;
    ConvMemory[BIOS_KEY_HEAD] = ConvMemory[BIOS_KEY_TAIL] = 0;
    rt_keyboard_init();
    EXPECT_EQ(held_codes(), (std::vector<int32_t>{200011, 100304, 100305, 100308, 100301}));
    EXPECT_EQ(shift_flags(), (ShiftFlags{0x02 | 0x04 | 0x08 | 0x10 | 0x40, 0x02, 0x11}));
    EXPECT_TRUE(drain_queue().empty());
    EXPECT_EQ(ring_head(), 30);
    EXPECT_EQ(ring_tail(), 30);
    EXPECT_EQ(rt_control.paused.load(), 0);
}

TEST_F(LockKeyTest, SeedingTheScrollLockKeyHeld) {
    os_state.scroll_lock_held = true;
    rt_keyboard_init();
    EXPECT_EQ(held_codes(), (std::vector<int32_t>{100302, 200011})) << "a held Scroll Lock key toggles its state";
    EXPECT_EQ(shift_flags().b418 & 0x10, 0x10);
}

TEST_F(LockKeyTest, SeedingNumLockWithCtrlHeldDoesNotPause) {
    os_state.left_ctrl = true;
    os_state.num_lock_on = true;
    rt_keyboard_init();
    EXPECT_EQ(rt_control.paused.load() & 1, 0);
    EXPECT_EQ(rt_key_is_down(KEY_NUM_LOCK_STATE), 1);
    EXPECT_EQ(shift_flags().b417, 0x04 | 0x20);
}

TEST_F(LockKeyTest, SeedingWithoutADisplayStillEmptiesTheBuffers) {
    os_state = PlatKeyState{};
    rt_key_press('a');
    rt_keyboard_init();
    EXPECT_TRUE(drain_queue().empty());
    EXPECT_TRUE(drain_ring().empty());
    EXPECT_EQ(shift_flags(), (ShiftFlags{0, 0, 0x10}));
}

}  // namespace
