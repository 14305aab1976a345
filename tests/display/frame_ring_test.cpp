// The FrameRing's bookkeeping: the full ring, freeing consumed slots while
// the four newest stay allocated, recycling buffers, frames that cannot be
// allocated, and a display thread consuming at its own pace while frames are
// composed (this one also runs under ThreadSanitizer).
#include <gtest/gtest.h>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include "display_fixture.h"
#include "platform/plat_process.h"
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/screen/pages.h"

namespace {

// A mode-12 page whose whole picture is palette entry `colour`.
void fill_page(uint8_t colour) {
    ScreenImage* page = display_page();
    std::memset(page->data, colour, size_t(page->width) * page->height);
}

// Publishes a frame of a different picture than the newest one.
void compose_new_picture(int n) {
    fill_page(uint8_t(n % 2 ? 1 : 2));
    ASSERT_TRUE(compose_publishes()) << "picture " << n;
}

std::atomic<int> allocations{0};
std::atomic<bool> fail_allocations{false};
void* counting_alloc(size_t bytes) {
    allocations.fetch_add(1);
    return fail_allocations.load() ? nullptr : std::malloc(bytes);
}

TEST(FrameRing, FullRingComposesNothingUntilTheDisplayMovesOn) {
    screen_setup(12);
    for (int n = 0; n < 64; ++n) compose_new_picture(n);
    EXPECT_EQ(frame_ring.oldest_slot.load(), 1);
    EXPECT_EQ(newest_slot(), 64);
    EXPECT_EQ(allocated_slots(), 64);

    fill_page(7);
    rt_control.auto_display.store(-1);
    frame_done.store(0);
    EXPECT_FALSE(compose_publishes());
    EXPECT_EQ(frame_done.load(), 1);
    // Without the end-of-call step: the last automatic frame is still wanted.
    EXPECT_EQ(rt_control.auto_display.load(), -1);

    ASSERT_EQ(consume_frames(), 64);
    ASSERT_TRUE(compose_publishes());  // the waiting picture, now that slots are free
    EXPECT_EQ(newest_slot(), 1);       // 64 wraps to 1
    EXPECT_EQ(newest_frame()[0], display_page()->palette[7]);
    EXPECT_EQ(rt_control.auto_display.load(), 0);
}

TEST(FrameRing, ConsumedSlotsAreFreedButTheFourNewestStay) {
    screen_setup(12);
    for (int n = 0; n < 10; ++n) compose_new_picture(n);
    consume_frames();  // slots 1 to 9 consumed, 10 presented
    compose_new_picture(10);
    // Slots 1 to 6 freed (one buffer moved to the new slot 11); 7 to 11 left.
    EXPECT_EQ(frame_ring.oldest_slot.load(), 8);
    for (int32_t s = 1; s <= 7; ++s) EXPECT_EQ(frame_ring.slots[s].pixels, nullptr) << s;
    for (int32_t s = 8; s <= 11; ++s) EXPECT_NE(frame_ring.slots[s].pixels, nullptr) << s;
}

TEST(FrameRing, UnconsumedFramesAreNeverFreed) {
    screen_setup(12);
    for (int n = 0; n < 10; ++n) compose_new_picture(n);
    for (int n = 10; n < 20; ++n) compose_new_picture(n);
    EXPECT_EQ(frame_ring.oldest_slot.load(), 1);
    EXPECT_EQ(allocated_slots(), 20);
}

TEST(FrameRing, ConsumedBuffersOfTheSameSizeAreRecycled) {
    screen_setup(12);
    compose_set_alloc_hook(counting_alloc);
    for (int n = 0; n < 8; ++n) {
        compose_new_picture(n);
        consume_frames();
    }
    const int warm = allocations.load();
    for (int n = 8; n < 200; ++n) {
        compose_new_picture(n);
        consume_frames();
    }
    EXPECT_EQ(allocations.load(), warm) << "steady composition allocates nothing";
    EXPECT_LE(allocated_slots(), 5);
    compose_set_alloc_hook(nullptr);
}

TEST(FrameRing, UnallocatableFrameIsSkippedAndComposedLater) {
    screen_setup(12);
    ScreenImage* page = display_page();
    ASSERT_TRUE(compose_publishes());
    consume_frames();
    const int32_t before = newest_slot();

    compose_set_alloc_hook(counting_alloc);
    fail_allocations.store(true);
    page->data[123] = 5;
    rt_control.auto_display.store(-1);
    EXPECT_FALSE(compose_publishes());
    EXPECT_EQ(newest_slot(), before);
    EXPECT_EQ(rt_control.auto_display.load(), 0) << "rt_display must not hang";
    EXPECT_EQ(frame_done.load(), 1);
    EXPECT_FALSE(compose_publishes());

    fail_allocations.store(false);
    // The page is unchanged since the failed calls, but it was never shown.
    ASSERT_TRUE(compose_publishes());
    EXPECT_EQ(newest_frame()[123], page->palette[5]);
    EXPECT_FALSE(compose_publishes());
    compose_set_alloc_hook(nullptr);
}

TEST(FrameRing, UnallocatableTextFrameLeavesNoStaleCache) {
    screen_setup(0);
    ScreenImage* page = display_page();
    set_blink(false);
    ASSERT_TRUE(compose_publishes());
    consume_frames();

    compose_set_alloc_hook(counting_alloc);
    fail_allocations.store(true);
    put_cell(page, 3, 2, 'Q', 0x1E);
    page->palette[0] = 0xFF336699u;  // recolours the background of every cell
    EXPECT_FALSE(compose_publishes());
    fail_allocations.store(false);
    ASSERT_TRUE(compose_publishes());
    EXPECT_TRUE(same_frame(newest_frame(), reference_text_frame(page, false, -1, -1, -1, -1), 640));
    compose_set_alloc_hook(nullptr);
}

// The display thread at a random pace while the program composes as fast as
// it can: every frame the display sees is whole (all of one colour), frames
// arrive in order, and the ring never reaches its consistency stop.
std::atomic<int> exit_status{-1};
[[noreturn]] void record_exit(int status) {
    exit_status.store(status);
    for (;;) plat_sleep_ms(1000);
}

TEST(FrameRing, DisplayThreadAtRandomPaceSeesOnlyWholeFramesInOrder) {
    screen_setup(12);
    rt_pages.display.load()->width = 64;  // a small picture keeps the run short
    rt_pages.display.load()->height = 32;
    plat_set_exit_hook(record_exit);
    ScreenImage* page = display_page();
    for (int i = 0; i < 16; ++i) page->palette[i] = 0xFF000000u | uint32_t(i);
    // Frame n shows colour n % 16 in its pixels; the palette holds n's
    // sequence in the high bytes so that order can be checked.
    constexpr int kFrames = 3000;
    std::atomic<bool> done{false};
    std::atomic<int> torn{0}, out_of_order{0}, seen{0};
    std::thread display([&] {
        std::mt19937 rng(7);
        uint32_t last = 0;
        while (!done.load()) {
            const int32_t s = frame_ring_take_newest();
            if (s != 0) {
                const FrameSlot& slot = frame_ring.slots[s];
                const uint32_t first = slot.pixels[0];
                for (int32_t i = 1; i < slot.frame_width * slot.frame_height; ++i)
                    if (slot.pixels[i] != first) torn.fetch_add(1);
                if (first < last) out_of_order.fetch_add(1);
                last = first;
                frame_ring.slots[s].presented.store(1);
                frame_ring_release_older();
                seen.fetch_add(1);
            }
            const int pause = int(rng() % 4);
            if (pause) std::this_thread::sleep_for(std::chrono::microseconds(pause * 200));
        }
    });
    std::mt19937 rng(11);
    for (int n = 1; n <= kFrames; ++n) {
        // Colours climb: the palette entry of the picture carries n.
        const uint8_t colour = uint8_t(n % 16);
        page->palette[colour] = 0xFF000000u | uint32_t(n);
        std::memset(page->data, colour, 64 * 32);
        compose_frame();
        if (rng() % 8 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    done.store(true);
    display.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(out_of_order.load(), 0);
    EXPECT_GT(seen.load(), 0);
    EXPECT_EQ(exit_status.load(), -1);
    // Everything left is between oldest and newest.
    EXPECT_LE(allocated_slots(), FRAME_RING_SLOTS);
    const int32_t oldest = frame_ring.oldest_slot.load();
    int32_t held = 1;
    for (int32_t s = oldest; s != newest_slot(); s = frame_ring_next(s)) ++held;
    EXPECT_EQ(allocated_slots(), held);
}

// The program thread writes the page while it is composed: frames may show
// a half-written state, but nothing breaks, and once the writing stops the
// next frame is the page as it is.
TEST(FrameRing, PageWrittenWhileComposedGivesAConsistentFrameAfterwards) {
    for (const int32_t mode : {0, 12}) {
        screen_setup(mode);
        ScreenImage* page = display_page();
        const size_t bytes = size_t(page->width) * page->height * page->bytes_per_unit;
        std::atomic<bool> stop{false};
        std::thread program([&] {
            std::mt19937 rng(5);
            while (!stop.load()) {
                for (int k = 0; k < 64; ++k) page->data[rng() % bytes] = uint8_t(rng() % 16);
                page->cursor_col = int16_t(1 + rng() % 80);
                page->palette[rng() % 16] = 0xFF000000u | (rng() & 0xFFFFFF);
            }
        });
        for (int n = 0; n < 100; ++n) {
            compose_frame();
            consume_frames();
        }
        stop.store(true);
        program.join();
        prev_frame_valid.store(0);
        set_blink(false);
        ASSERT_TRUE(compose_publishes());
        const std::vector<uint32_t> frame = newest_frame();
        if (mode == 0) {
            EXPECT_TRUE(same_frame(frame, reference_text_frame(page, false, -1, -1, -1, -1), 640));
        } else {
            for (size_t i = 0; i < frame.size(); ++i)
                ASSERT_EQ(frame[i], page->palette[page->data[i]]) << "pixel " << i;
        }
        consume_frames();
    }
}

}  // namespace
