// The screen statement: the start-up text screen, the switch to mode 12 and
// the other modes, page roles, the hand-shake with the frame composer, its
// argument errors, the width statement, and the page copy.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "runtime/display/frame_composer.h"
#include "tests/screen/screen_fixture.h"

namespace {

using ScreenMode = ScreenTest;

// Frees an image the test made, with its memory.
void discard(int32_t index) {
    std::free(img_get(index)->data);
    std::free(img_get(index)->palette);
    img_free_index(index);
}

TEST_F(ScreenMode, StartUpTextScreenHasEightPagesInTheVideoArea) {
    ASSERT_GE(rt_pages.count, 8);
    for (int p = 0; p < 8; ++p) {
        SCOPED_TRACE("page " + std::to_string(p));
        EXPECT_EQ(rt_pages.entries[p], 2 + p);
        const ScreenImage* page = img_get(rt_pages.entries[p]);
        EXPECT_EQ(page->is_text, 1);
        EXPECT_EQ(page->width, 80);
        EXPECT_EQ(page->height, 25);
        EXPECT_EQ(page->font, 16);
        EXPECT_EQ(page->data, ConvMemory + 0xB8000 + p * 4096);
        EXPECT_EQ(page->flags & IMG_OWNS_DATA, 0u);
        EXPECT_NE(page->flags & IMG_SCREEN_PAGE, 0u);
        EXPECT_EQ(page->view_top, 1);
        EXPECT_EQ(page->view_bottom, 24);
        EXPECT_EQ(page->cursor_visible, 0);
        EXPECT_EQ(page->fg_colour, 7u);
        if (p > 0) {
            EXPECT_NE(page->palette, img_get(rt_pages.entries[0])->palette) << "own palette";
        }
    }
    EXPECT_EQ(rt_pages.display_page, 2);
    EXPECT_EQ(rt_pages.write_page, 2);
    EXPECT_EQ(rt_pages.source_page, 2);
    EXPECT_EQ(rt_pages.display.load(), img_get(2));
    EXPECT_EQ(rt_pages.write, img_get(2));
    for (uint32_t i = 0; i < 65536; i += 2) {
        ASSERT_EQ(ConvMemory[0xB8000 + i], 0x20);
        ASSERT_EQ(ConvMemory[0xB8001 + i], 0x07);
    }
    EXPECT_EQ(default_screen_untouched, 1);
}

TEST_F(ScreenMode, Mode12ReusesIndexTwoAndPageOneGetsIndexNine) {
    mode12();
    EXPECT_EQ(rt_pages.entries[0], 2);
    EXPECT_EQ(rt_pages.count, 1);
    const ScreenImage* page0 = rt_pages.write;
    EXPECT_EQ(page0, img_get(2));
    EXPECT_EQ(rt_pages.display.load(), page0);
    EXPECT_EQ(page0->width, 640);
    EXPECT_EQ(page0->height, 480);
    EXPECT_EQ(page0->mode, 12);
    EXPECT_EQ(page0->font, 16);
    EXPECT_EQ(page0->fg_colour, 15u);
    EXPECT_EQ(page0->bg_colour, 0u);
    EXPECT_EQ(page0->view_top, 1);
    EXPECT_EQ(page0->view_bottom, 29);
    EXPECT_EQ(page0->cursor_row, 1);
    EXPECT_EQ(page0->cursor_col, 1);
    EXPECT_EQ(std::memcmp(page0->palette, palette_256, 16 * 4), 0);
    EXPECT_NE(page0->flags & IMG_SCREEN_PAGE, 0u);
    EXPECT_EQ(default_screen_untouched, 0);
    for (int p = 3; p <= 9; ++p) EXPECT_FALSE(img_handle_valid(-p)) << "old page index " << p << " freed";

    rt_pcopy(0, 1);
    ASSERT_EQ(take_error(), 0);
    ASSERT_GE(rt_pages.count, 2);
    EXPECT_EQ(rt_pages.entries[1], 9);
    const ScreenImage* page1 = img_get(9);
    EXPECT_EQ(page1->palette, page0->palette) << "pages of a mode share page 0's palette";
    EXPECT_EQ(page1->flags & IMG_OWNS_PALETTE, 0u);
    EXPECT_NE(page1->flags & IMG_SCREEN_PAGE, 0u);
    EXPECT_EQ(rt_pages.write, page0) << "the copy does not change roles";
}

TEST_F(ScreenMode, ModeChangeKeepsAnEightyBySixtyGrid) {
    mode12();
    img_set_font(8, rt_pages.write);
    rt_screen(11, 0, 0, 1);
    ASSERT_EQ(take_error(), 0);
    EXPECT_EQ(rt_pages.write->mode, 11);
    EXPECT_EQ(rt_pages.write->font, 8);
    EXPECT_EQ(rt_pages.write->view_bottom, 59);
    rt_screen(0, 0, 0, 1);
    rt_screen(12, 0, 0, 1);
    EXPECT_EQ(rt_pages.write->font, 16) << "after 80x25 text, 80x30";
}

TEST_F(ScreenMode, EveryModeBuildsItsPageZero) {
    struct Case {
        int32_t mode, width, height, font;
    };
    const Case cases[] = {{1, 320, 200, 8},  {2, 640, 200, 8},  {7, 320, 200, 8},   {8, 640, 200, 8},
                          {9, 640, 350, 14}, {10, 640, 350, 14}, {11, 640, 480, 16}, {12, 640, 480, 16},
                          {13, 320, 200, 8}, {0, 80, 25, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode));
        rt_screen(c.mode, 0, 0, 1);
        ASSERT_EQ(take_error(), 0);
        const ScreenImage* w = rt_pages.write;
        EXPECT_EQ(w->mode, c.mode);
        EXPECT_EQ(w->width, c.width);
        EXPECT_EQ(w->height, c.height);
        EXPECT_EQ(w->font, c.font);
        EXPECT_EQ(rt_pages.display.load(), w);
        EXPECT_NE(w->flags & IMG_SCREEN_PAGE, 0u);
    }
}

TEST_F(ScreenMode, Mode13LivesInConvMemoryAndIsCleared) {
    std::memset(ConvMemory + 0xA0000, 0x55, 64000);
    rt_screen(13, 0, 0, 1);
    ASSERT_EQ(take_error(), 0);
    EXPECT_EQ(rt_pages.write->data, ConvMemory + 0xA0000);
    for (int i = 0; i < 64000; ++i) ASSERT_EQ(ConvMemory[0xA0000 + i], 0);
}

TEST_F(ScreenMode, SameModeAgainChangesNothing) {
    mode12();
    print("keep me");
    prev_frame_valid = 1;
    const ScreenImage* before = rt_pages.write;
    rt_screen(12, 0, 0, 1);
    EXPECT_EQ(take_error(), 0);
    EXPECT_EQ(rt_pages.write, before);
    EXPECT_EQ(screen_row(1, true), "keep me");
    EXPECT_EQ(prev_frame_valid.load(), 1) << "no change, so the composer's frame stays valid";
}

TEST_F(ScreenMode, BadArgumentsRaiseErrorsAndChangeNothing) {
    mode12();
    print("still here");
    int32_t image = img_create(16, 16, 256);
    discard(image);  // a handle that is no longer valid
    struct Case {
        int32_t mode, active, visual, flags, error;
    };
    const Case cases[] = {
        {3, 0, 0, 1, 5},    {4, 0, 0, 1, 5},    {6, 0, 0, 1, 5},     {14, 0, 0, 1, 5},   {32, 0, 0, 1, 5},
        {256, 0, 0, 1, 5},  {-image, 0, 0, 1, 258}, {-1, 0, 0, 1, 258}, {-100000, 0, 0, 1, 258},
        {12, -1, 0, 5, 5},  {12, 0, -1, 9, 5},  {0, -1, 0, 4, 5},    {4, 1, 1, 13, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " active " << c.active << " visual " << c.visual);
        const int32_t next = img_next_index();
        rt_screen(c.mode, c.active, c.visual, c.flags);
        EXPECT_EQ(take_error(), c.error);
        EXPECT_EQ(rt_pages.entries[0], 2);
        EXPECT_EQ(rt_pages.write, img_get(2));
        EXPECT_EQ(rt_pages.count, 1) << "no page was created";
        EXPECT_EQ(img_next_index(), next);
        EXPECT_EQ(screen_row(1, true), "still here");
    }
}

TEST_F(ScreenMode, NothingHappensWhileAnErrorIsPending) {
    rt_control.error_pending = 5;
    rt_screen(12, 0, 0, 1);
    EXPECT_EQ(rt_pages.write->mode, 0);
    EXPECT_EQ(default_screen_untouched, 1);
}

TEST_F(ScreenMode, ActiveAndVisualPages) {
    mode12();
    rt_color(2, 1, 0, 3);
    rt_screen(0, 1, 2, 4 | 8);
    ASSERT_EQ(take_error(), 0);
    ASSERT_GE(rt_pages.count, 3);
    EXPECT_EQ(rt_pages.write, img_get(rt_pages.entries[1]));
    EXPECT_EQ(rt_pages.source, rt_pages.write);
    EXPECT_EQ(rt_pages.display.load(), img_get(rt_pages.entries[2]));
    EXPECT_EQ(rt_pages.active_page_number, 1);
    EXPECT_EQ(rt_pages.write->fg_colour, 15u) << "colours reset on a page switch";
    EXPECT_EQ(rt_pages.write->view_bottom, 29);
    EXPECT_EQ(rt_pages.write->mode, 12);

    // Only the active page given: it becomes the visual page too.
    rt_screen(0, 0, 0, 4);
    ASSERT_EQ(take_error(), 0);
    EXPECT_EQ(rt_pages.write, img_get(rt_pages.entries[0]));
    EXPECT_EQ(rt_pages.display.load(), rt_pages.write);
    EXPECT_EQ(rt_pages.active_page_number, 0);
}

TEST_F(ScreenMode, EachPageKeepsItsOwnCursor) {
    rt_screen(0, 3, 0, 4 | 8);
    ASSERT_EQ(take_error(), 0);
    locate(25, 10);
    rt_screen(0, 0, 0, 4 | 8);
    EXPECT_EQ(row(), 1);
    EXPECT_EQ(col(), 1);
    rt_screen(0, 3, 3, 4 | 8);
    EXPECT_EQ(row(), 25) << "the last row is inside the grid, so it stays";
    EXPECT_EQ(col(), 10);
    EXPECT_EQ(write()->view_bottom, 24);
}

TEST_F(ScreenMode, BareModeZeroKeepsTheUntouchedFlagOtherCallsClearIt) {
    rt_screen(0, 0, 0, 1);
    EXPECT_EQ(default_screen_untouched, 1);
    rt_screen(0, 0, 0, 1 | 4);
    EXPECT_EQ(default_screen_untouched, 0);
}

TEST_F(ScreenMode, UserImageAsPageZero) {
    int32_t index = img_create(320, 240, 256);
    rt_screen(-index, 0, 0, 1);
    ASSERT_EQ(take_error(), 0);
    EXPECT_EQ(rt_pages.entries[0], index);
    EXPECT_EQ(rt_pages.write, img_get(index));
    EXPECT_EQ(rt_pages.page0_is_user_image, 1);
    EXPECT_NE(img_get(index)->flags & IMG_SCREEN_PAGE, 0u);
    rt_screen(-index, 0, 0, 1);
    EXPECT_EQ(take_error(), 0) << "already page 0: no change";
    rt_screen(12, 0, 0, 1);
    ASSERT_EQ(take_error(), 0);
    EXPECT_TRUE(img_handle_valid(-index)) << "the program's image outlives the mode";
    EXPECT_EQ(img_get(index)->flags & IMG_SCREEN_PAGE, 0u);
    EXPECT_EQ(rt_pages.page0_is_user_image, 0);
}

TEST_F(ScreenMode, AnotherPageOfTheModeCannotBecomePageZero) {
    // Page 3 of the text screen would be freed by the mode change.
    rt_screen(-rt_pages.entries[3], 0, 0, 1);
    EXPECT_EQ(take_error(), 5);
    EXPECT_EQ(rt_pages.write->mode, 0);
    EXPECT_TRUE(img_handle_valid(-rt_pages.entries[3]));
}

TEST_F(ScreenMode, ModeChangeHandshakesWithTheComposer) {
    rt_control.threads_started = 1;
    rt_control.auto_display = 1;
    screen_handshake = 0;
    prev_frame_valid = 1;
    std::atomic<bool> saw_request{false};
    std::thread composer([&] {
        while (screen_handshake.load() != 1) std::this_thread::yield();
        saw_request = true;
        screen_handshake = 2;
    });
    rt_screen(12, 0, 0, 1);
    composer.join();
    rt_control.threads_started = 0;
    EXPECT_TRUE(saw_request);
    EXPECT_EQ(screen_handshake.load(), 0) << "released after the rebuild";
    EXPECT_EQ(prev_frame_valid.load(), 0);
    EXPECT_EQ(rt_pages.write->mode, 12);
}

TEST_F(ScreenMode, NoHandshakeWithoutThreadsOrInManualDisplay) {
    for (int32_t threads : {0, 1}) {
        rt_control.threads_started = threads;
        rt_control.auto_display = threads ? 0 : 1;
        screen_handshake = 0;
        rt_screen(threads ? 12 : 1, 0, 0, 1);
        EXPECT_EQ(screen_handshake.load(), 0);
    }
    rt_control.threads_started = 0;
    rt_control.auto_display = 1;
}

TEST_F(ScreenMode, PageChangeInvalidatesThePreviousFrame) {
    prev_frame_valid = 1;
    rt_screen(0, 0, 1, 8);
    EXPECT_EQ(prev_frame_valid.load(), 0);
    EXPECT_EQ(rt_pages.display.load(), img_get(rt_pages.entries[1]));
}

TEST_F(ScreenMode, WidthRebuildsTheTextScreen) {
    struct Case {
        int32_t columns, rows, font, stride;
    };
    const Case cases[] = {{80, 50, 8, 8000}, {40, 25, 17, 2048}, {80, 43, 8, 6880}, {80, 25, 16, 4096}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.columns << "x" << c.rows);
        rt_width(c.columns, c.rows);
        ASSERT_EQ(take_error(), 0);
        EXPECT_EQ(default_screen_untouched, 0);
        for (int p = 0; p < 8; ++p) {
            const ScreenImage* page = img_get(rt_pages.entries[p]);
            EXPECT_EQ(page->width, c.columns);
            EXPECT_EQ(page->height, c.rows);
            EXPECT_EQ(page->font, c.font);
            EXPECT_EQ(page->view_bottom, c.rows - 1);
            EXPECT_EQ(page->data, ConvMemory + 0xB8000 + p * c.stride);
        }
    }
    // 80x60 pages no longer all fit: pages 6 and 7 get memory of their own.
    rt_width(80, 60);
    ASSERT_EQ(take_error(), 0);
    EXPECT_EQ(img_get(rt_pages.entries[5])->data, ConvMemory + 0xB8000 + 5 * 9600);
    EXPECT_NE(img_get(rt_pages.entries[6])->flags & IMG_OWNS_DATA, 0u);
}

TEST_F(ScreenMode, WidthRejectsOtherSizesAndPixelModes) {
    for (auto [columns, rows] : {std::pair{81, 25}, {80, 26}, {0, 0}, {-80, 25}, {80, -1}}) {
        rt_width(columns, rows);
        EXPECT_EQ(take_error(), 5) << columns << "x" << rows;
        EXPECT_EQ(rt_pages.write->height, 25);
    }
    mode12();
    rt_width(80, 50);
    EXPECT_EQ(take_error(), 5);
    EXPECT_EQ(rt_pages.write->mode, 12);
}

TEST_F(ScreenMode, PageCopy) {
    mode12();
    print("original");
    rt_pcopy(0, 1);
    ASSERT_EQ(take_error(), 0);
    const ScreenImage* page1 = img_get(rt_pages.entries[1]);
    EXPECT_EQ(std::memcmp(page1->data, rt_pages.write->data, 307200), 0);
    EXPECT_EQ(image_row(page1, 1, true), "original");

    rt_cls(0, 0, 0);
    print("changed");
    rt_pcopy(1, 0);
    ASSERT_EQ(take_error(), 0);
    EXPECT_EQ(screen_row(1, true), "original");
    EXPECT_EQ(row(), 2) << "the cursor is not copied";

    rt_pcopy(0, 0);
    EXPECT_EQ(take_error(), 0);
}

TEST_F(ScreenMode, PageCopyChecksItsArguments) {
    mode12();
    int32_t big = img_create(640, 480, 256);
    int32_t small = img_create(320, 200, 12);
    int32_t wide = img_create(640, 480, 32);
    int32_t freed = img_create(640, 480, 12);
    discard(freed);
    struct Case {
        int32_t from, to, error;
    };
    const Case cases[] = {
        {-small, 0, 5}, {0, -small, 5}, {0, -wide, 5}, {-big, 0, 5} /* target mask 15 < 255 */,
        {0, -big, 0},   {-freed, 0, 5}, {0, -freed, 5}, {-1, 0, 5}, {0, -100000, 5},
    };
    for (const Case& c : cases) {
        rt_pcopy(c.from, c.to);
        EXPECT_EQ(take_error(), c.error) << c.from << " -> " << c.to;
    }
}

}  // namespace
