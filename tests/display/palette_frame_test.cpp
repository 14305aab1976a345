// Frames of palette pages (the game's mode 12) and 32-bit pages: what a
// frame holds, when a new one is published and when not, and the end-of-call
// hand-overs (frame_done, auto_display, the mode-change hand-shake).
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <random>
#include "display_fixture.h"
#include "runtime/core/control.h"
#include "runtime/display/window.h"
#include "runtime/screen/pages.h"

namespace {

// A mode-12 page with a few pixels set to distinct colours.
ScreenImage* mode12_with_marks() {
    screen_setup(12);
    ScreenImage* page = display_page();
    page->data[0] = 1;                  // top left
    page->data[639] = 4;                // top right
    page->data[640 * 479] = 14;         // bottom left
    page->data[640 * 240 + 320] = 15;   // middle
    return page;
}

TEST(PaletteFrame, FrameIsThePageThroughItsPalette) {
    ScreenImage* page = mode12_with_marks();
    ASSERT_TRUE(compose_publishes());
    const FrameSlot& slot = frame_ring.slots[newest_slot()];
    EXPECT_EQ(slot.frame_width, 640);
    EXPECT_EQ(slot.frame_height, 480);
    EXPECT_EQ(slot.byte_size, 640 * 480 * 4);
    EXPECT_EQ(frame_size_width.load(), 640);
    EXPECT_EQ(frame_size_height.load(), 480);
    const std::vector<uint32_t> frame = newest_frame();
    for (size_t i = 0; i < frame.size(); ++i)
        ASSERT_EQ(frame[i], page->palette[page->data[i]]) << "pixel " << i;
    EXPECT_EQ(frame[0], 0xFF0000AAu);
    EXPECT_EQ(frame[639], 0xFFAA0000u);
    EXPECT_EQ(frame[640 * 479], 0xFFFFFF55u);
    EXPECT_EQ(frame[1], 0xFF000000u);
    EXPECT_EQ(prev_frame_valid.load(), 1);
}

TEST(PaletteFrame, EveryPixelOfEveryPageShapeGoesThroughThePalette) {
    // A page of the screen mode, or an image of that mode with a width that
    // does not divide into blocks of 16, shown as the display page.
    struct Case {
        int32_t mode, image_width, image_height;
    };
    for (const Case c : {Case{12, 0, 0}, Case{13, 0, 0}, Case{12, 37, 3}, Case{7, 0, 0}}) {
        screen_setup(c.mode);
        ScreenImage* page = display_page();
        if (c.image_width) {
            page = img_get(img_create(c.image_width, c.image_height, c.mode));
            rt_pages.display.store(page);
        }
        const size_t n = size_t(page->width) * page->height;
        for (size_t i = 0; i < n; ++i) page->data[i] = uint8_t((i * 7 + i / 13) & page->colour_mask);
        page->data[n / 2] = 200;  // a byte beyond 16 colours: its palette entry
        page->palette[200] = 0xFF0A0B0Cu;
        ASSERT_TRUE(compose_publishes()) << "mode " << c.mode;
        const std::vector<uint32_t> frame = newest_frame();
        ASSERT_EQ(frame.size(), n);
        for (size_t i = 0; i < n; ++i)
            ASSERT_EQ(frame[i], page->palette[page->data[i]]) << "mode " << c.mode << " pixel " << i;
        consume_frames();
    }
}

TEST(PaletteFrame, UnchangedPageIsNotComposedAgain) {
    mode12_with_marks();
    ASSERT_TRUE(compose_publishes());
    const int32_t first = newest_slot();
    for (int i = 0; i < 5; ++i) {
        frame_done.store(0);
        rt_control.auto_display.store(-1);
        EXPECT_FALSE(compose_publishes());
        // The call still ends: rt_display's wait and the full-screen wait end.
        EXPECT_EQ(frame_done.load(), 1);
        EXPECT_EQ(rt_control.auto_display.load(), 0);
    }
    EXPECT_EQ(newest_slot(), first);
}

TEST(PaletteFrame, PixelChangePublishesTheNewPixels) {
    ScreenImage* page = mode12_with_marks();
    ASSERT_TRUE(compose_publishes());
    page->data[640 * 100 + 7] = 12;
    ASSERT_TRUE(compose_publishes());
    EXPECT_EQ(newest_frame()[640 * 100 + 7], 0xFFFF5555u);
}

TEST(PaletteFrame, PaletteChangeAlonePublishes) {
    ScreenImage* page = mode12_with_marks();
    ASSERT_TRUE(compose_publishes());
    page->palette[1] = 0xFF123456u;
    ASSERT_TRUE(compose_publishes());
    EXPECT_EQ(newest_frame()[0], 0xFF123456u);
    // Entries beyond the mode's 16 colours are not part of the picture.
    page->palette[200] = 0xFF010203u;
    EXPECT_FALSE(compose_publishes());
}

TEST(PaletteFrame, PageCopyRestoringTheComposedPixelsPublishesNothing) {
    mode12_with_marks();
    rt_pcopy(0, 1);  // save the screen, as the command editor does
    ASSERT_TRUE(compose_publishes());
    ScreenImage* page = display_page();
    std::memset(page->data + 640 * 200, 9, 640 * 16);  // a typed line
    ASSERT_TRUE(compose_publishes());
    rt_pcopy(1, 0);  // restore: differs from the last frame
    ASSERT_TRUE(compose_publishes());
    rt_pcopy(1, 0);  // restore again: identical
    EXPECT_FALSE(compose_publishes());
    std::memset(page->data + 640 * 200, 9, 640 * 16);
    ASSERT_TRUE(compose_publishes());
    rt_pcopy(1, 0);
    std::memset(page->data + 640 * 200, 9, 640 * 16);  // the same line printed again
    EXPECT_FALSE(compose_publishes());
}

// Frames are drawn incrementally: a recycled buffer gets only the rows that
// changed after the frame it holds. Random edits (rows, single pixels,
// colours, page copies, a byte beyond the mode's colours, screen
// statements), with the display thread consuming at an uneven pace so that
// buffers of every age come back, must always give the whole page through
// its palette.
TEST(PaletteFrame, IncrementalFramesEqualTheWholePage) {
    ScreenImage* page = mode12_with_marks();
    rt_pcopy(0, 1);
    std::mt19937 rng(1234);
    int32_t published = 0, waiting = 0;
    for (int step = 0; step < 300; ++step) {
        page = display_page();
        const uint32_t what = rng() % 12;
        if (what < 5) {
            for (uint32_t n = 1 + rng() % 3; n > 0; --n) {
                const uint32_t row = rng() % 480, rows = 1 + rng() % 20;
                std::memset(page->data + row * 640, int(rng() % 16), std::min(rows, 480 - row) * 640);
            }
        } else if (what == 5) {
            page->data[rng() % (640 * 480)] = uint8_t(rng() % 16);
        } else if (what == 6) {
            page->palette[rng() % 16] = 0xFF000000u | (rng() & 0xFFFFFF);
        } else if (what == 7) {
            page->data[rng() % (640 * 480)] = 200;  // shows palette entry 200
            page->palette[200] = 0xFF000000u | (rng() & 0xFFFFFF);
        } else if (what == 8) {
            rt_pcopy(rng() % 2, 1 - rng() % 2);
        } else if (what == 9 && rng() % 4 == 0) {
            rt_screen(12, 0, 0, 1);
        }  // else: nothing changes
        published += compose_publishes();
        // The display keeps up most of the time, and now and then falls
        // behind by a few frames.
        if (++waiting > int32_t(rng() % 6)) {
            consume_frames();
            waiting = 0;
        }
        page = display_page();
        const std::vector<uint32_t> frame = newest_frame();
        ASSERT_EQ(frame.size(), size_t{640 * 480});
        for (size_t i = 0; i < frame.size(); ++i)
            ASSERT_EQ(frame[i], page->palette[page->data[i]]) << "step " << step << ", pixel " << i;
    }
    EXPECT_GT(published, 200);
}

TEST(PaletteFrame, ScreenStatementForcesANewFrame) {
    mode12_with_marks();
    ASSERT_TRUE(compose_publishes());
    prev_frame_valid.store(0);  // what the screen statement does on a page change
    EXPECT_TRUE(compose_publishes());
    EXPECT_FALSE(compose_publishes());
}

TEST(PaletteFrame, ModeChangeAlwaysComposesTheNewPage) {
    screen_setup(0);
    ASSERT_TRUE(compose_publishes());
    EXPECT_EQ(frame_ring.slots[newest_slot()].frame_width, 640);
    EXPECT_EQ(frame_ring.slots[newest_slot()].frame_height, 400);
    consume_frames();
    rt_screen(12, 0, 0, 1);
    ASSERT_TRUE(compose_publishes());
    EXPECT_EQ(frame_ring.slots[newest_slot()].frame_height, 480);
    consume_frames();
    rt_screen(0, 0, 0, 1);
    ASSERT_TRUE(compose_publishes());
    EXPECT_EQ(frame_ring.slots[newest_slot()].frame_height, 400);
}

TEST(TruecolourFrame, EveryCallCopiesThePageUnchanged) {
    screen_setup(12);
    const int32_t index = img_create(5, 3, 32);
    ASSERT_NE(index, 0);
    ScreenImage* image = img_get(index);
    auto* pixels = reinterpret_cast<uint32_t*>(image->data);
    for (int i = 0; i < 15; ++i) pixels[i] = 0x80000000u + uint32_t(i) * 0x010203u;
    rt_pages.display.store(image);
    ASSERT_TRUE(compose_publishes());
    EXPECT_EQ(frame_ring.slots[newest_slot()].frame_width, 5);
    EXPECT_EQ(frame_ring.slots[newest_slot()].frame_height, 3);
    EXPECT_EQ(newest_frame(), std::vector<uint32_t>(pixels, pixels + 15));
    consume_frames();
    EXPECT_TRUE(compose_publishes());
}

TEST(ComposeCall, HiddenScreenComposesNothing) {
    mode12_with_marks();
    screen_hidden.store(1);
    frame_done.store(0);
    EXPECT_FALSE(compose_publishes());
    EXPECT_EQ(frame_done.load(), 1);
    screen_hidden.store(0);
    EXPECT_TRUE(compose_publishes());
}

TEST(ComposeCall, ModeChangeHandshakeKeepsTheComposerAway) {
    mode12_with_marks();
    screen_handshake.store(1);  // the screen statement asks
    rt_control.auto_display.store(-1);
    frame_done.store(0);
    EXPECT_FALSE(compose_publishes());
    EXPECT_EQ(screen_handshake.load(), 2);
    EXPECT_EQ(frame_done.load(), 1);
    EXPECT_EQ(rt_control.auto_display.load(), 0);
    EXPECT_FALSE(compose_publishes());  // still fenced while the word is 2
    EXPECT_EQ(screen_handshake.load(), 2);
    screen_handshake.store(0);  // released
    EXPECT_TRUE(compose_publishes());
}

TEST(ComposeCall, AutoDisplayHandOverOnlyTurnsMinusOneToZero) {
    mode12_with_marks();
    struct Case {
        int32_t before, after;
    };
    for (const Case c : {Case{-1, 0}, Case{1, 1}, Case{0, 0}}) {
        rt_control.auto_display.store(c.before);
        compose_frame();
        EXPECT_EQ(rt_control.auto_display.load(), c.after) << "from " << c.before;
    }
}

TEST(ComposeCall, NoDisplayPageComposesNothing) {
    rt_pages.display.store(nullptr);
    rt_control.auto_display.store(-1);
    EXPECT_FALSE(compose_publishes());
    EXPECT_EQ(frame_done.load(), 1);
    EXPECT_EQ(rt_control.auto_display.load(), 0);
    EXPECT_EQ(frame_ring.oldest_slot.load(), 0);
}

}  // namespace
