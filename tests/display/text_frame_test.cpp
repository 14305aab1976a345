// Frames of text pages: glyphs and colours, blinking characters, the cursor
// and its shapes, and incremental drawing that must always equal a frame
// drawn from scratch.
#include <gtest/gtest.h>
#include <random>
#include "display_fixture.h"
#include "runtime/screen/pages.h"

namespace {

constexpr int32_t kWidth = 640;  // 80 columns of 8 pixels

uint32_t pixel(const std::vector<uint32_t>& frame, int32_t x, int32_t y) {
    return frame[size_t(y) * kWidth + x];
}

// Rows of the 8x16 cell (col, row) that are entirely of colour.
std::vector<int32_t> rows_of_colour(const std::vector<uint32_t>& frame, int32_t col,
                                    int32_t row, int32_t fh, uint32_t colour) {
    std::vector<int32_t> rows;
    for (int32_t y = 0; y < fh; ++y) {
        bool all = true;
        for (int32_t x = 0; x < 8; ++x) all &= pixel(frame, col * 8 + x, row * fh + y) == colour;
        if (all) rows.push_back(y);
    }
    return rows;
}

TEST(TextFrame, CellsAreDrawnWithTheirGlyphsAndColours) {
    screen_setup(0);
    ScreenImage* page = display_page();
    put_cell(page, 0, 0, 'A', 0x1E);   // yellow on blue
    put_cell(page, 79, 24, 0xDB, 0x04);  // full block, red on black
    put_cell(page, 10, 5, 'g', 0x7F);  // white on grey, bright foreground
    put_cell(page, 11, 5, 'x', 0x8A);  // blinking green
    set_blink(false);
    ASSERT_TRUE(compose_publishes());
    const std::vector<uint32_t> frame = newest_frame();
    ASSERT_EQ(frame.size(), size_t(640 * 400));
    EXPECT_TRUE(same_frame(frame, reference_text_frame(page, false, -1, -1, -1, -1), kWidth));
    // The full block fills its cell except for its glyph's blank rows.
    EXPECT_EQ(pixel(frame, 79 * 8 + 3, 24 * 16 + 8), 0xFFAA0000u);
    // The 'A' has both colours in its cell, and nothing else.
    int yellow = 0, blue = 0;
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 8; ++x) {
            yellow += pixel(frame, x, y) == 0xFFFFFF55u;
            blue += pixel(frame, x, y) == 0xFF0000AAu;
        }
    EXPECT_GT(yellow, 0);
    EXPECT_GT(blue, 0);
    EXPECT_EQ(yellow + blue, 128);
}

TEST(TextFrame, FontsOfEveryHeightAndWidth) {
    struct Case {
        int32_t font, frame_width, frame_height;
    };
    for (const Case c : {Case{16, 640, 400}, Case{14, 640, 350}, Case{8, 640, 200},
                         Case{9, 1280, 200}, Case{15, 1280, 350}, Case{17, 1280, 400}}) {
        screen_setup(0);
        ScreenImage* page = display_page();
        img_set_font(c.font, page);
        for (int32_t i = 0; i < 80; ++i) put_cell(page, i, 3, uint8_t('0' + i), uint8_t(1 + i % 15));
        prev_frame_valid.store(0);
        set_blink(false);
        ASSERT_TRUE(compose_publishes()) << "font " << c.font;
        const FrameSlot& slot = frame_ring.slots[newest_slot()];
        EXPECT_EQ(slot.frame_width, c.frame_width) << "font " << c.font;
        EXPECT_EQ(slot.frame_height, c.frame_height) << "font " << c.font;
        EXPECT_TRUE(same_frame(newest_frame(), reference_text_frame(page, false, -1, -1, -1, -1),
                               c.frame_width))
            << "font " << c.font;
        consume_frames();
    }
}

TEST(TextFrame, BlinkingCharactersAndTheCursorShowInOppositePhases) {
    screen_setup(0);
    ScreenImage* page = display_page();
    put_cell(page, 2, 1, 0xDB, 0x9E);  // blinking yellow block on blue
    put_cell(page, 3, 1, 0xDB, 0x1E);  // the same, not blinking
    put_cell(page, 5, 1, ' ', 0x1E);   // the cursor's cell
    page->cursor_visible = 1;
    page->cursor_col = 6;
    page->cursor_row = 2;

    set_blink(true);
    ASSERT_TRUE(compose_publishes());
    std::vector<uint32_t> on = newest_frame();
    EXPECT_EQ(rows_of_colour(on, 2, 1, 16, 0xFF0000AAu).size(), 16u) << "block hidden";
    EXPECT_EQ(rows_of_colour(on, 5, 1, 16, 0xFFFFFF55u), std::vector<int32_t>{14}) << "cursor";
    EXPECT_TRUE(same_frame(on, reference_text_frame(page, true, 5, 1, 14, 14), kWidth));
    consume_frames();

    set_blink(false);
    ASSERT_TRUE(compose_publishes());
    std::vector<uint32_t> off = newest_frame();
    EXPECT_FALSE(rows_of_colour(off, 2, 1, 16, 0xFFFFFF55u).empty()) << "block shown";
    EXPECT_TRUE(rows_of_colour(off, 5, 1, 16, 0xFFFFFF55u).empty()) << "no cursor";
    EXPECT_TRUE(same_frame(off, reference_text_frame(page, false, 5, 1, 14, 14), kWidth));
    // The steady block looks the same in both phases.
    for (int32_t y = 16; y < 32; ++y)
        for (int32_t x = 24; x < 32; ++x) ASSERT_EQ(pixel(on, x, y), pixel(off, x, y));
    consume_frames();

    // Nothing changes within a phase.
    frame_count.store(frame_count.load() + 1);
    EXPECT_FALSE(compose_publishes());
}

TEST(TextFrame, CursorShapes) {
    // start, stop, then the lines drawn in cells 16, 14 and 8 pixels high
    // (first, last; -1 for none).
    struct Case {
        int32_t start, stop;
        int32_t lines[3][2];
    };
    const Case cases[] = {
        {0, 0, {{0, 0}, {0, 0}, {0, 0}}},
        {5, 0, {{-1, -1}, {-1, -1}, {-1, -1}}},
        {6, 2, {{2, 15}, {2, 13}, {2, 7}}},
        {31, 10, {{10, 15}, {10, 13}, {-1, -1}}},
        {20, 16, {{-1, -1}, {-1, -1}, {-1, -1}}},
        {2, 2, {{2, 2}, {2, 2}, {2, 2}}},
        {3, 3, {{3, 3}, {3, 3}, {3, 3}}},
        {4, 4, {{14, 14}, {13, 13}, {7, 7}}},
        {12, 12, {{14, 14}, {13, 13}, {7, 7}}},
        {3, 4, {{13, 14}, {12, 13}, {6, 7}}},
        {6, 7, {{13, 14}, {12, 13}, {6, 7}}},
        {5, 7, {{12, 14}, {11, 13}, {5, 7}}},
        {3, 6, {{8, 15}, {7, 13}, {4, 7}}},
        {4, 31, {{8, 15}, {7, 13}, {4, 7}}},
        {0, 1, {{0, 1}, {0, 1}, {0, 1}}},
        {0, 3, {{0, 3}, {0, 3}, {0, 3}}},
        {1, 2, {{1, 2}, {1, 2}, {1, 2}}},
        {1, 7, {{1, 15}, {1, 13}, {1, 7}}},
        {2, 3, {{2, 3}, {2, 3}, {2, 3}}},
        {2, 4, {{12, 14}, {11, 13}, {5, 7}}},
        {2, 9, {{2, 15}, {2, 13}, {2, 7}}},
    };
    const int32_t fonts[3] = {16, 14, 8};
    for (int f = 0; f < 3; ++f) {
        const int32_t fh = fonts[f];
        for (const Case& c : cases) {
            screen_setup(0);
            ScreenImage* page = display_page();
            img_set_font(fonts[f], page);
            put_cell(page, 7, 3, ' ', 0x1E);
            page->cursor_visible = 1;
            page->cursor_col = 8;
            page->cursor_row = 4;
            page->cursor_start = uint8_t(c.start);
            page->cursor_stop = uint8_t(c.stop);
            prev_frame_valid.store(0);
            set_blink(true);
            ASSERT_TRUE(compose_publishes());
            std::vector<int32_t> expected;
            for (int32_t y = c.lines[f][0]; y >= 0 && y <= c.lines[f][1]; ++y) expected.push_back(y);
            EXPECT_EQ(rows_of_colour(newest_frame(), 7, 3, fh, 0xFFFFFF55u), expected)
                << "start " << c.start << " stop " << c.stop << " cell height " << fh;
            consume_frames();
        }
    }
}

TEST(TextFrame, CursorWithDeferredLineEnd) {
    // cursor row and column, wrap_pending, then the cell the cursor shows in.
    struct Case {
        int16_t row, col;
        uint8_t wrap;
        int32_t shown_col, shown_row;
    };
    for (const Case c : {Case{5, 80, 2, 0, 5}, Case{25, 80, 2, 79, 24}, Case{5, 80, 1, 79, 4},
                         Case{1, 1, 0, 0, 0}}) {
        screen_setup(0);
        ScreenImage* page = display_page();
        page->cursor_visible = 1;
        page->cursor_row = c.row;
        page->cursor_col = c.col;
        page->wrap_pending = c.wrap;
        prev_frame_valid.store(0);
        set_blink(true);
        ASSERT_TRUE(compose_publishes());
        EXPECT_TRUE(same_frame(newest_frame(), reference_text_frame(page, true, c.shown_col, c.shown_row, 14, 14), kWidth))
            << "row " << c.row << " col " << c.col << " wrap " << int(c.wrap);
        consume_frames();
    }
}

TEST(TextFrame, MovingTheCursorRedrawsBothCells) {
    screen_setup(0);
    ScreenImage* page = display_page();
    page->cursor_visible = 1;
    set_blink(true);
    ASSERT_TRUE(compose_publishes());
    EXPECT_EQ(rows_of_colour(newest_frame(), 0, 0, 16, 0xFFAAAAAAu), std::vector<int32_t>{14});
    consume_frames();
    page->cursor_col = 5;
    page->cursor_row = 3;
    ASSERT_TRUE(compose_publishes());
    const std::vector<uint32_t> frame = newest_frame();
    EXPECT_TRUE(rows_of_colour(frame, 0, 0, 16, 0xFFAAAAAAu).empty());
    EXPECT_EQ(rows_of_colour(frame, 4, 2, 16, 0xFFAAAAAAu), std::vector<int32_t>{14});
}

TEST(TextFrame, ShowingTheCursorWaitsForTheNextBlinkFlip) {
    screen_setup(0);
    ScreenImage* page = display_page();
    set_blink(true);
    ASSERT_TRUE(compose_publishes());
    consume_frames();
    page->cursor_visible = 1;
    EXPECT_FALSE(compose_publishes());
    set_blink(false);
    ASSERT_TRUE(compose_publishes());
    consume_frames();
    set_blink(true);
    ASSERT_TRUE(compose_publishes());
    EXPECT_EQ(rows_of_colour(newest_frame(), 0, 0, 16, 0xFFAAAAAAu), std::vector<int32_t>{14});
}

TEST(TextFrame, PaletteChangeRedrawsEveryCell) {
    screen_setup(0);
    ScreenImage* page = display_page();
    put_cell(page, 40, 12, 'Z', 0x2F);
    set_blink(false);
    ASSERT_TRUE(compose_publishes());
    consume_frames();
    page->palette[2] = 0xFF102030u;
    page->palette[15] = 0xFF405060u;
    ASSERT_TRUE(compose_publishes());
    EXPECT_TRUE(same_frame(newest_frame(), reference_text_frame(page, false, -1, -1, -1, -1), kWidth));
}

// Random edits, cursor moves and blink flips: every frame drawn on top of
// the previous one equals the same page drawn from scratch.
TEST(TextFrame, IncrementalDrawingEqualsAFullRedraw) {
    screen_setup(0);
    ScreenImage* page = display_page();
    page->cursor_visible = 1;
    std::mt19937 rng(2024);
    bool blink = false;
    set_blink(blink);
    int32_t published = 0;
    for (int step = 0; step < 150; ++step) {
        const uint32_t what = rng() % 10;
        if (what < 5) {
            for (uint32_t n = rng() % 12; n > 0; --n)
                put_cell(page, int32_t(rng() % 80), int32_t(rng() % 25), uint8_t(rng()),
                         uint8_t(rng()));
        } else if (what < 7) {
            page->cursor_col = int16_t(1 + rng() % 80);
            page->cursor_row = int16_t(1 + rng() % 25);
            page->wrap_pending = rng() % 4 == 0 ? 2 : 0;
        } else if (what < 9) {
            blink = !blink;
            set_blink(blink);
        }  // else: nothing changes
        published += compose_publishes();
        consume_frames();
        int32_t col = page->cursor_col - 1, row = page->cursor_row - 1;
        if (page->wrap_pending == 2 && page->cursor_row < page->height) col = 0, row = page->cursor_row;
        ASSERT_TRUE(same_frame(newest_frame(), reference_text_frame(page, blink, col, row, 14, 14), kWidth))
            << "step " << step;
    }
    EXPECT_GT(published, 100);
}

}  // namespace
