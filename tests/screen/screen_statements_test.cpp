// The screen statements: clear (kinds, fill colour, the last row of a text
// page), colours per mode, cursor position and shape with the 80x50
// extension of the untouched start-up screen, the text window, and the
// cursor and width queries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/screen/screen_fixture.h"

namespace {

using Statements = ScreenTest;

// Text rows 1 .. rows, each "row N", placed with the cursor statement.
void label_rows(int rows) {
    for (int r = 1; r <= rows; ++r) {
        rt_locate(r, 1, 0, 0, 0, 3);
        Bytes text("row " + std::to_string(r));
        rt_print(text.get(), 0);
    }
}

TEST_F(Statements, ClearInMode12FillsWithTheBackground) {
    mode12();
    print("text");
    locate(20, 40);
    rt_color(7, 1, 0, 3);
    rt_cls(0, 0, 0);
    const ScreenImage* w = write();
    for (int i = 0; i < 640 * 480; ++i) ASSERT_EQ(w->data[i], 1) << "pixel " << i;
    EXPECT_EQ(row(), 1);
    EXPECT_EQ(col(), 1);
    EXPECT_EQ(w->palette[1], 0xFF0000AAu);
    EXPECT_EQ(w->gfx_x, 320.0f);
    EXPECT_EQ(w->gfx_y, 240.0f);
}

TEST_F(Statements, ClearKeepsADeferredLineEnd) {
    mode12();
    raw_print(std::string(80, 'a'), 0);
    rt_cls(0, 0, 0);
    EXPECT_EQ(row(), 1);
    EXPECT_EQ(col(), 1);
    EXPECT_EQ(write()->wrap_pending, 1);
    raw_print("next", 0);
    EXPECT_EQ(screen_rows(), (std::vector<std::string>{"", "next"})) << "starts on view_top + 1";
}

TEST_F(Statements, ClearKindsOnATextPage) {
    struct Case {
        int32_t kind, flags;
        std::vector<int> cleared;  // rows blank afterwards (window is 5 to 10)
    };
    std::vector<int> window = {5, 6, 7, 8, 9, 10};
    std::vector<int> window_and_last = window;
    window_and_last.push_back(25);
    std::vector<int> all;
    for (int r = 1; r <= 25; ++r) all.push_back(r);
    const Case cases[] = {{0, 0, window_and_last}, {0, 1, all}, {1, 1, {}}, {2, 1, window}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " flags " << c.flags);
        rt_view_print(0, 0, 0);
        label_rows(25);
        rt_view_print(5, 10, 1);
        locate(7, 3);
        rt_cls(c.kind, 0, c.flags);
        ASSERT_EQ(take_error(), 0);
        EXPECT_EQ(row(), 5);
        EXPECT_EQ(col(), 1);
        for (int r = 1; r <= 25; ++r) {
            bool blank = std::find(c.cleared.begin(), c.cleared.end(), r) != c.cleared.end();
            EXPECT_EQ(screen_row(r, true), blank ? "" : "row " + std::to_string(r)) << "row " << r;
        }
    }
}

TEST_F(Statements, ClearFillColourOnATextPage) {
    rt_color(14, 0, 0, 3);
    rt_cls(0, 3, 3);
    ASSERT_EQ(take_error(), 0);
    const uint8_t* cells = write()->data;
    for (int i = 0; i < 80 * 25; ++i) {
        ASSERT_EQ(cells[2 * i], 0x20);
        ASSERT_EQ(cells[2 * i + 1], 0x3E);
    }
}

TEST_F(Statements, ClearTextWindowOfAPixelPage) {
    mode12();
    label_rows(30);
    rt_view_print(3, 4, 1);
    write()->gfx_x = 1.0f;
    rt_cls(2, 5, 3);
    ASSERT_EQ(take_error(), 0);
    for (int r = 1; r <= 30; ++r) {
        if (r == 3 || r == 4) {
            EXPECT_EQ(screen_row(r, true), "");
            EXPECT_EQ(screen_cell(r, 1).bg, 5u);
        } else {
            EXPECT_EQ(screen_row(r, true), "row " + std::to_string(r));
        }
    }
    EXPECT_EQ(write()->gfx_x, 1.0f) << "kind 2 leaves the graphics point";
}

TEST_F(Statements, ClearInsideAViewportFillsOnlyTheViewport) {
    mode12();
    ScreenImage* w = write();
    w->view_state = 1;
    w->view_x1 = 8;
    w->view_y1 = 16;
    w->view_x2 = 15;
    w->view_y2 = 31;
    rt_cls(0, 9, 2);
    ASSERT_EQ(take_error(), 0);
    EXPECT_EQ(w->data[16 * 640 + 8], 9);
    EXPECT_EQ(w->data[31 * 640 + 15], 9);
    EXPECT_EQ(w->data[16 * 640 + 16], 0);
    EXPECT_EQ(w->data[15 * 640 + 8], 0);
    EXPECT_EQ(w->gfx_x, 4.0f) << "centre of the viewport";
    EXPECT_EQ(w->gfx_y, 8.0f);
    rt_cls(0, 9, 3);
    EXPECT_EQ(w->data[0], 9) << "kind 0 clears the whole page regardless";
}

TEST_F(Statements, ClearErrorsChangeNothing) {
    mode12();
    print("stay");
    locate(5, 5);
    struct Case {
        int32_t kind;
        uint32_t fill;
        int32_t flags;
    };
    const Case cases[] = {{3, 0, 1}, {-1, 0, 1}, {0, 16, 2}, {0, 0xFFFFFFFF, 3}, {7, 1, 3}};
    for (const Case& c : cases) {
        rt_cls(c.kind, c.fill, c.flags);
        EXPECT_EQ(take_error(), 5) << "kind " << c.kind << " fill " << c.fill;
        EXPECT_EQ(screen_row(1, true), "stay");
        EXPECT_EQ(row(), 5);
    }
}

struct ColourCase {
    int32_t mode;
    uint32_t fg, bg, border;
    int32_t flags;
    int32_t error;
};

TEST_F(Statements, ColourLimitsPerMode) {
    const ColourCase cases[] = {
        {0, 31, 15, 0, 3, 0},    {0, 32, 0, 0, 1, 5},      {0, 0, 16, 0, 2, 5},     {0, 7, 0, 99, 7, 0},
        {12, 15, 15, 0, 3, 0},   {12, 16, 0, 0, 1, 5},     {12, 0, 16, 0, 2, 5},    {12, 1, 1, 1, 7, 5},
        {12, 0xFFFFFFFF, 0, 0, 1, 5},                      {13, 255, 255, 0, 3, 0}, {13, 256, 0, 0, 1, 5},
        {11, 1, 1, 0, 3, 0},     {11, 2, 0, 0, 1, 5},      {9, 15, 63, 0, 3, 0},    {9, 0, 64, 0, 2, 5},
        {10, 3, 8, 0, 3, 0},     {10, 4, 0, 0, 1, 5},      {10, 0, 9, 0, 2, 5},     {2, 1, 15, 0, 3, 0},
        {2, 2, 0, 0, 1, 5},      {1, 15, 0xFFFFFFFF, 0, 3, 0},                      {1, 16, 0, 0, 1, 5},
        {7, 15, 15, 0, 3, 0},    {8, 0, 16, 0, 2, 5},      {1, 0, 0, 0, 4, 5},
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " colour " << c.fg << "," << c.bg << ","
                                          << c.border << " flags " << c.flags);
        rt_screen(c.mode, 0, 0, 1);
        ScreenImage* w = write();
        const uint32_t fg = w->fg_colour, bg = w->bg_colour;
        std::vector<uint32_t> palette(w->palette, w->palette + 256);
        rt_color(c.fg, c.bg, c.border, c.flags);
        EXPECT_EQ(take_error(), c.error);
        if (c.error) {
            EXPECT_EQ(w->fg_colour, fg);
            EXPECT_EQ(w->bg_colour, bg);
            EXPECT_EQ(std::memcmp(palette.data(), w->palette, 256 * 4), 0) << "nothing changed";
        }
    }
}

TEST_F(Statements, ColourEffectsPerMode) {
    // Text mode: the background keeps 3 bits; 16 to 31 blink.
    rt_color(16, 0, 0, 3);
    EXPECT_EQ(write()->fg_colour, 16u);
    rt_color(1, 9, 0, 3);
    EXPECT_EQ(write()->bg_colour, 1u);
    EXPECT_EQ(write()->draw_colour, 7u) << "draw colour is not changed";

    rt_screen(13, 0, 0, 1);
    rt_color(200, 100, 0, 3);
    EXPECT_EQ(write()->fg_colour, 200u);
    EXPECT_EQ(write()->bg_colour, 100u);

    // Modes 7, 8 and 2: the background is palette entry 0.
    for (int32_t mode : {7, 8, 2}) {
        rt_screen(mode, 0, 0, 1);
        rt_color(1, 9, 0, 3);
        EXPECT_EQ(write()->fg_colour, 1u) << "mode " << mode;
        EXPECT_EQ(write()->bg_colour, 0u) << "mode " << mode;
        EXPECT_EQ(write()->palette[0], palette_256[9]) << "mode " << mode;
    }
    rt_screen(9, 0, 0, 1);
    rt_color(3, 63, 0, 3);
    EXPECT_EQ(write()->fg_colour, 3u);
    EXPECT_EQ(write()->palette[0], palette_64[63]);
    rt_screen(10, 0, 0, 1);
    rt_color(2, 8, 0, 3);
    EXPECT_EQ(write()->fg_colour, 2u);
    EXPECT_EQ(write()->palette[4], 8u);

    // Mode 1: the foreground picks the background colour, the background the palette.
    rt_screen(1, 0, 0, 1);
    rt_color(4, 1, 0, 3);
    EXPECT_EQ(write()->fg_colour, 3u);
    EXPECT_EQ(write()->palette[0], palette_256[4]);
    EXPECT_EQ(write()->palette[1], palette_256[3]);
    EXPECT_EQ(write()->palette[2], palette_256[5]);
    EXPECT_EQ(write()->palette[3], palette_256[7]);
    rt_color(0, 2, 0, 2);
    EXPECT_EQ(write()->palette[1], palette_256[2]);
    EXPECT_EQ(write()->palette[2], palette_256[4]);
    EXPECT_EQ(write()->palette[3], palette_256[6]);

    // Nothing given: nothing happens, not even an error.
    rt_screen(12, 0, 0, 1);
    rt_color(99, 99, 99, 0);
    EXPECT_EQ(take_error(), 0);
}

TEST_F(Statements, LocateLimitsInMode12) {
    mode12();
    struct Case {
        int32_t row, col, cursor, start, stop, flags, error;
    };
    const Case cases[] = {
        {30, 1, 0, 0, 0, 3, 0},  {29, 80, 0, 0, 0, 3, 0}, {31, 1, 0, 0, 0, 3, 5}, {0, 1, 0, 0, 0, 3, 5},
        {-5, 1, 0, 0, 0, 1, 5},  {1, 0, 0, 0, 0, 3, 5},   {1, 81, 0, 0, 0, 2, 5}, {0, 0, 2, 0, 0, 4, 5},
        {0, 0, -1, 0, 0, 4, 5},  {0, 0, 0, 32, 0, 8, 5},  {0, 0, 0, 0, -1, 16, 5}, {0, 0, 1, 0, 31, 28, 0},
        {31, 1, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "row " << c.row << " col " << c.col << " flags " << c.flags);
        locate(10, 10);
        rt_locate(c.row, c.col, c.cursor, c.start, c.stop, c.flags);
        EXPECT_EQ(take_error(), c.error);
        if (c.error) {
            EXPECT_EQ(row(), 10);
            EXPECT_EQ(col(), 10);
        } else {
            EXPECT_EQ(row(), (c.flags & 1) ? c.row : 10);
            EXPECT_EQ(col(), (c.flags & 2) ? c.col : 10);
        }
    }
}

TEST_F(Statements, LocateExtendsTheUntouchedStartUpScreen) {
    label_rows(25);
    rt_color(14, 1, 0, 3);
    rt_locate(26, 5, 0, 0, 0, 3);
    ASSERT_EQ(take_error(), 0);
    EXPECT_EQ(default_screen_untouched, 0);
    const ScreenImage* w = write();
    EXPECT_EQ(w->width, 80);
    EXPECT_EQ(w->height, 50);
    EXPECT_EQ(w->font, 8);
    EXPECT_EQ(row(), 26);
    EXPECT_EQ(col(), 5);
    EXPECT_EQ(w->fg_colour, 14u) << "colours restored";
    EXPECT_EQ(w->bg_colour, 1u);
    for (int r = 1; r <= 25; ++r) EXPECT_EQ(screen_row(r, true), "row " + std::to_string(r));
    for (int r = 26; r <= 50; ++r) EXPECT_EQ(screen_row(r, true), "");
    for (int p = 1; p < 8; ++p) EXPECT_EQ(img_get(rt_pages.entries[p])->height, 50);
}

TEST_F(Statements, ExtensionIsUsedUpByAFailedAttempt) {
    rt_locate(51, 1, 0, 0, 0, 3);
    EXPECT_EQ(take_error(), 5);
    EXPECT_EQ(default_screen_untouched, 0);
    EXPECT_EQ(write()->height, 25);
    rt_locate(26, 1, 0, 0, 0, 3);
    EXPECT_EQ(take_error(), 5);
    EXPECT_EQ(write()->height, 25);
}

TEST_F(Statements, ExtensionChecksTheColumnFirst) {
    rt_locate(30, 81, 0, 0, 0, 3);
    EXPECT_EQ(take_error(), 5);
    EXPECT_EQ(write()->height, 25);
    EXPECT_EQ(default_screen_untouched, 0);
}

TEST_F(Statements, NoExtensionAfterTheScreenWasChanged) {
    mode12();
    rt_screen(0, 0, 0, 1);
    rt_locate(26, 1, 0, 0, 0, 3);
    EXPECT_EQ(take_error(), 5);
    EXPECT_EQ(write()->height, 25);
}

TEST_F(Statements, LocateWithNeitherRowNorColumnKeepsTheDeferredLineEnd) {
    mode12();
    raw_print(std::string(80, 'a'), 0);
    rt_locate(0, 0, 1, 0, 0, 4);
    ASSERT_EQ(take_error(), 0);
    EXPECT_EQ(write()->wrap_pending, 2);
    EXPECT_EQ(rt_pos(), 1);
    EXPECT_EQ(rt_csrlin(), 2);
    raw_print("b", 0);
    EXPECT_EQ(screen_row(2, true), "b");
    locate(3, 3);
    EXPECT_EQ(write()->wrap_pending, 0);
}

TEST_F(Statements, CursorShapeAndVisibilityGoToEveryPage) {
    rt_locate(0, 0, 1, 6, 7, 4 | 8 | 16);
    ASSERT_EQ(take_error(), 0);
    for (int p = 0; p < 8; ++p) {
        const ScreenImage* page = img_get(rt_pages.entries[p]);
        EXPECT_EQ(page->cursor_visible, 1) << "page " << p;
        EXPECT_EQ(page->cursor_start, 6) << "page " << p;
        EXPECT_EQ(page->cursor_stop, 7) << "page " << p;
    }
    rt_locate(0, 0, 0, 0, 2, 16);
    EXPECT_EQ(img_get(rt_pages.entries[5])->cursor_start, 6);
    EXPECT_EQ(img_get(rt_pages.entries[5])->cursor_stop, 2);
    EXPECT_EQ(img_get(rt_pages.entries[5])->cursor_visible, 1);
}

TEST_F(Statements, CursorQueries) {
    mode12();
    struct Case {
        int row, col, length;
        int csrlin, pos;
    };
    // A deferred line end reports where it will lead: the next row, column 1
    // (the window's last row when the cursor is on or below it).
    const Case cases[] = {{5, 1, 3, 5, 4}, {5, 1, 80, 6, 1}, {29, 1, 80, 29, 1}, {30, 1, 80, 29, 1}, {28, 71, 10, 29, 1}};
    for (const Case& c : cases) {
        locate(c.row, c.col);
        raw_print(std::string(c.length, 'x'), 0);
        EXPECT_EQ(rt_csrlin(), c.csrlin) << "row " << c.row << " length " << c.length;
        EXPECT_EQ(rt_pos(), c.pos) << "row " << c.row << " length " << c.length;
    }
}

TEST_F(Statements, TextWindowOnTheLastRow) {
    mode12();
    label_rows(29);
    rt_view_print(30, 30, 1);
    ASSERT_EQ(take_error(), 0);
    EXPECT_EQ(row(), 30);
    EXPECT_EQ(col(), 1);
    for (const char* text : {"first", "second"}) {
        raw_print(text, 0);
        EXPECT_EQ(screen_row(30, true), text);
        raw_print("", 1);
        EXPECT_EQ(screen_row(30, true), "") << "the line end blanks row 30";
        EXPECT_EQ(row(), 30);
    }
    for (int r = 1; r <= 29; ++r) EXPECT_EQ(screen_row(r, true), "row " + std::to_string(r));
}

TEST_F(Statements, TextWindowArguments) {
    mode12();
    struct Case {
        int32_t top, bottom;
        int32_t error;
    };
    const Case cases[] = {{1, 30, 0}, {10, 10, 0}, {0, 5, 5}, {6, 5, 5}, {1, 31, 5}, {-1, -1, 5}};
    for (const Case& c : cases) {
        locate(2, 3);
        raw_print(std::string(78, 'w'), 0);
        rt_view_print(c.top, c.bottom, 1);
        EXPECT_EQ(take_error(), c.error) << c.top << " to " << c.bottom;
        if (c.error) {
            EXPECT_EQ(write()->wrap_pending, 1) << "unchanged";
            continue;
        }
        EXPECT_EQ(write()->view_top, c.top);
        EXPECT_EQ(write()->view_bottom, c.bottom);
        EXPECT_EQ(row(), c.top);
        EXPECT_EQ(col(), 1);
        EXPECT_EQ(write()->wrap_pending, 0);
        rt_view_print(0, 0, 0);
    }
    rt_view_print(5, 9, 1);
    rt_view_print(0, 0, 0);
    EXPECT_EQ(write()->view_top, 1);
    EXPECT_EQ(write()->view_bottom, 30) << "the whole page, last row included";
    EXPECT_EQ(row(), 1);
}

TEST_F(Statements, ImageWidth) {
    EXPECT_EQ(rt_image_width(0, 0), 80);
    mode12();
    EXPECT_EQ(rt_image_width(0, 0), 640);
    int32_t image = img_create(123, 45, 256);
    EXPECT_EQ(rt_image_width(-image, 1), 123);
    EXPECT_EQ(rt_image_width(3, 1), 640);
    EXPECT_EQ(rt_pages.count, 4) << "page 3 was created";
    EXPECT_EQ(rt_image_width(-77, 1), 0);
    EXPECT_EQ(take_error(), 258);
    rt_control.error_pending = 5;
    EXPECT_EQ(rt_image_width(0, 0), 0);
}

TEST_F(Statements, ControlCharsSwitch) {
    for (auto [setting, off] : {std::pair{2, 1}, {1, 0}, {2, 1}, {0, 0}, {-2, 0}}) {
        rt_control_chars(setting);
        EXPECT_EQ(control_chars_off, off) << "setting " << setting;
    }
}

TEST_F(Statements, NothingChangesWhileAnErrorIsPending) {
    mode12();
    print("keep");
    locate(4, 6);
    const std::vector<std::function<void()>> statements = {
        [] { rt_cls(0, 0, 0); },          [] { rt_color(2, 1, 0, 3); },     [] { rt_locate(1, 1, 1, 0, 0, 7); },
        [] { rt_view_print(2, 3, 1); },   [] { rt_control_chars(2); },      [] { rt_pcopy(0, 1); },
        [] { rt_screen(13, 0, 0, 1); },   [] { rt_width(80, 50); },
    };
    for (size_t i = 0; i < statements.size(); ++i) {
        rt_control.error_pending = 5;
        statements[i]();
        EXPECT_EQ(take_error(), 5) << "statement " << i;
        EXPECT_EQ(screen_rows(), std::vector<std::string>{"keep"}) << "statement " << i;
        EXPECT_EQ(row(), 4);
        EXPECT_EQ(col(), 6);
        EXPECT_EQ(write()->fg_colour, 15u);
        EXPECT_EQ(write()->view_bottom, 29);
        EXPECT_EQ(write()->cursor_visible, 0);
        EXPECT_EQ(control_chars_off, 0);
        EXPECT_EQ(rt_pages.count, 1);
    }
    rt_control.error_pending = 5;
    EXPECT_EQ(rt_csrlin(), 0);
    EXPECT_EQ(rt_pos(), 0);
}

}  // namespace
