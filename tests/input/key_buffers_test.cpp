// Capacity and wrap-around of the KeyRing and the KeyHitQueue, and the two
// writer threads (display and frame) sharing the queue and the held-key list
// with a reader.
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include "tests/input/input_test_support.h"

namespace {

class KeyBufferTest : public ::testing::Test {
protected:
    void SetUp() override { reset_keyboard(); }
};

TEST_F(KeyBufferTest, RingStartsEmptyAtSlot30) {
    EXPECT_EQ(ring_head(), 30);
    EXPECT_EQ(ring_tail(), 30);
    EXPECT_EQ(ConvMemory[BIOS_KEY_HEAD + 1], 0);
    EXPECT_EQ(ConvMemory[BIOS_KEY_TAIL + 1], 0);
    EXPECT_TRUE(drain_ring().empty());
}

TEST_F(KeyBufferTest, RingEntryBytesLieAtTheTailOffset) {
    rt_key_press('m');
    EXPECT_EQ(ConvMemory[0x400 + 30], 'm');
    EXPECT_EQ(ConvMemory[0x401 + 30], 50);
    EXPECT_EQ(ring_tail(), 32);
    EXPECT_EQ(ring_head(), 30);
}

TEST_F(KeyBufferTest, SixteenthUnreadKeyIsDroppedFromTheRingOnly) {
    const char keys[] = "abcdefghijklmnop";  // 16 keys
    for (int i = 0; i < 16; i++) rt_key_press(keys[i]);
    std::vector<RingEntry> ring = drain_ring();
    ASSERT_EQ(ring.size(), 15u);
    for (int i = 0; i < 15; i++) EXPECT_EQ(ring[i].first, keys[i]);
    EXPECT_EQ(drain_queue().size(), 16u) << "the queue still gets every press";
    rt_key_press('z');
    EXPECT_EQ(drain_ring(), (std::vector<RingEntry>{{'z', 44}})) << "room again after reading";
}

TEST_F(KeyBufferTest, RingWrapsFromSlot60ToSlot30) {
    ConvMemory[BIOS_KEY_HEAD] = 60;
    ConvMemory[BIOS_KEY_TAIL] = 60;
    rt_key_press('1');
    EXPECT_EQ(ring_tail(), 30);
    rt_key_press('2');
    EXPECT_EQ(ring_tail(), 32);
    EXPECT_EQ(ConvMemory[0x400 + 60], '1');
    EXPECT_EQ(ConvMemory[0x400 + 30], '2');
    uint8_t c = 0, s = 0;
    ASSERT_TRUE(key_ring_take(&c, &s));
    EXPECT_EQ(c, '1');
    EXPECT_EQ(ring_head(), 30);
    ASSERT_TRUE(key_ring_take(&c, &s));
    EXPECT_EQ(c, '2');
    EXPECT_EQ(ring_head(), 32);
}

TEST_F(KeyBufferTest, RingWordsPokedOutOfRangeStayInsideTheRing) {
    ConvMemory[BIOS_KEY_HEAD] = 0xF1;
    ConvMemory[BIOS_KEY_TAIL] = 0xF1;
    uint8_t before_end = ConvMemory[0x400 + 0xF1];
    rt_key_press('q');
    EXPECT_EQ(ConvMemory[0x400 + 0xF1], before_end);
    EXPECT_EQ(drain_ring(), (std::vector<RingEntry>{{'q', 16}}));
}

TEST_F(KeyBufferTest, QueueOverflowKeepsTheNewest8191) {
    // Codes of no particular key, so that none of them pauses or breaks.
    for (int32_t i = 1; i <= 8192; i++) rt_key_press(300000 + i);
    std::vector<int32_t> codes = drain_queue();
    ASSERT_EQ(codes.size(), 8191u);
    EXPECT_EQ(codes.front(), 300002);
    EXPECT_EQ(codes.back(), 308192);
    for (size_t i = 1; i < codes.size(); i++) ASSERT_EQ(codes[i], codes[i - 1] + 1);
}

TEST_F(KeyBufferTest, QueueWrapsAroundItsEnd) {
    for (int round = 0; round < 3; round++) {
        for (int32_t i = 1; i <= 5000; i++) rt_key_press(400000 + i);
        std::vector<int32_t> codes = drain_queue();
        ASSERT_EQ(codes.size(), 5000u) << round;
        EXPECT_EQ(codes.front(), 400001);
        EXPECT_EQ(codes.back(), 405000);
    }
}

// The display thread presses and releases character keys while the frame
// thread mirrors lock-key changes; the program thread reads the queue the
// whole time. Every code must arrive exactly once and in each writer's
// order, and the held-key list must end empty and free of duplicates.
TEST_F(KeyBufferTest, TwoWritersAndAReaderLoseNothing) {
    constexpr int kRounds = 20000;
    std::atomic<bool> writers_done{false};
    std::vector<int32_t> seen;
    seen.reserve(4 * kRounds);

    auto queued = [] {
        std::lock_guard<std::mutex> lock(key_state_mutex);
        return (key_hit_queue.write - key_hit_queue.read) & KEY_HIT_QUEUE_MASK;
    };
    // Writers stay well inside the queue's capacity: nothing may be dropped.
    auto wait_for_room = [&] {
        while (queued() > 4000) std::this_thread::yield();
    };

    std::thread reader([&] {
        for (;;) {
            int32_t c = key_hit_queue_pop();
            if (c != 0) {
                seen.push_back(c);
            } else if (writers_done.load()) {
                if ((c = key_hit_queue_pop()) == 0) break;
                seen.push_back(c);
            }
        }
    });
    std::thread display([&] {
        for (int i = 0; i < kRounds; i++) {
            wait_for_room();
            int32_t key = 'a' + i % 26;
            rt_on_char_key(key, true, 0);
            rt_on_char_key(key, true, 0);  // an auto-repeat
            rt_on_char_key(key, false, 0);
        }
    });
    std::thread frame([&] {
        for (int i = 0; i < kRounds; i++) {
            wait_for_room();
            rt_key_press(KEY_CAPS_LOCK_STATE);
            rt_update_shift_flags();
            rt_key_release(KEY_CAPS_LOCK_STATE);
        }
    });
    display.join();
    frame.join();
    writers_done.store(true);
    reader.join();

    std::vector<int32_t> chars, locks;
    for (int32_t c : seen) (c == KEY_CAPS_LOCK_STATE || c == -KEY_CAPS_LOCK_STATE ? locks : chars).push_back(c);
    ASSERT_EQ(chars.size(), 3u * kRounds);
    ASSERT_EQ(locks.size(), 2u * kRounds);
    for (int i = 0; i < kRounds; i++) {
        int32_t key = 'a' + i % 26;
        ASSERT_EQ(chars[3 * i], key) << i;
        ASSERT_EQ(chars[3 * i + 1], key) << i;
        ASSERT_EQ(chars[3 * i + 2], -key) << i;
        ASSERT_EQ(locks[2 * i], KEY_CAPS_LOCK_STATE) << i;
        ASSERT_EQ(locks[2 * i + 1], -KEY_CAPS_LOCK_STATE) << i;
    }
    EXPECT_TRUE(held_codes().empty());
    EXPECT_LE(held_keys.capacity, 2) << "one slot per key held at once";
}

}  // namespace
