// Printing: the deferred line end, wrapping, fitting items, scrolling of the
// text window only, tab stops, the control characters, print zones, colours
// and print modes on pixel pages, the console image, and that no store ever
// lands outside a page's data.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "runtime/core/control.h"
#include "tests/screen/screen_fixture.h"
#include "tests/support/runtime_harness.h"

namespace {

class TextOutput : public ScreenTest, public ::testing::WithParamInterface<int32_t> {};

// The same print rules hold on the 80x25 text page and the 80x30 grid of mode 12.
INSTANTIATE_TEST_SUITE_P(Modes, TextOutput, ::testing::Values(0, 12),
                         [](const auto& info) { return "mode" + std::to_string(info.param); });

TEST_P(TextOutput, EightyCharactersDeferTheLineEnd) {
    rt_screen(GetParam(), 0, 0, 1);
    raw_print(std::string(80, 'a'), 0);
    EXPECT_EQ(row(), 1);
    EXPECT_EQ(col(), 80);
    EXPECT_EQ(write()->wrap_pending, 1);

    // An empty print without line end changes nothing.
    raw_print("", 0);
    EXPECT_EQ(write()->wrap_pending, 1);
    EXPECT_EQ(row(), 1);

    // The statement's line end turns the deferred one into exactly one.
    raw_print("", 1);
    EXPECT_EQ(write()->wrap_pending, 0);
    EXPECT_EQ(row(), 2);
    EXPECT_EQ(col(), 1);
}

TEST_P(TextOutput, NonEmptyPrintAfterADeferredLineEndStartsANewLine) {
    rt_screen(GetParam(), 0, 0, 1);
    raw_print(std::string(80, 'a'), 0);
    raw_print("b", 0);
    EXPECT_EQ(write()->wrap_pending, 0);
    EXPECT_EQ(screen_row(2, true), "b");
    EXPECT_EQ(row(), 2);
    EXPECT_EQ(col(), 2);
}

TEST_P(TextOutput, LineEndsOfLongAndExactLines) {
    struct Case {
        int length, end_row;
        const char* row2;
    };
    // 80 characters with a line end: one line end, not two. 81: the last
    // character on row 2, the cursor on row 3.
    const Case cases[] = {{79, 2, ""}, {80, 2, ""}, {81, 3, "x"}, {160, 3, ""}, {161, 4, ""}};
    rt_screen(GetParam(), 0, 0, 1);
    for (const Case& c : cases) {
        rt_cls(0, 0, 1);
        SCOPED_TRACE("length " + std::to_string(c.length));
        raw_print(std::string(c.length, 'x'), 1);
        EXPECT_EQ(row(), c.end_row);
        EXPECT_EQ(col(), 1);
        EXPECT_EQ(write()->wrap_pending, 0);
        EXPECT_EQ(screen_row(1), std::string(std::min(c.length, 80), 'x') + std::string(80 - std::min(c.length, 80), ' '));
        if (c.length == 81) {
            EXPECT_EQ(screen_row(2, true), c.row2);
        }
    }
}

TEST_P(TextOutput, PrintFitMovesItemsThatDoNotFit) {
    rt_screen(GetParam(), 0, 0, 1);
    struct Case {
        int start_col, length;
        bool new_line;
    };
    const Case cases[] = {{70, 20, true}, {61, 20, false}, {62, 20, true}, {1, 200, false}, {80, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "column " << c.start_col << " length " << c.length);
        locate(5, c.start_col);
        Bytes item(std::string(c.length, 'y'));
        rt_print_fit(item.get());
        EXPECT_EQ(row(), c.new_line ? 6 : 5);
        EXPECT_EQ(col(), c.new_line ? 1 : c.start_col);
    }
    // Nothing while a line end is deferred.
    locate(5, 1);
    raw_print(std::string(80, 'z'), 0);
    Bytes item("long item");
    rt_print_fit(item.get());
    EXPECT_EQ(row(), 5);
    EXPECT_EQ(write()->wrap_pending, 1);
}

TEST_P(TextOutput, LineEndBelowTheWindowScrollsOnlyTheWindow) {
    rt_screen(GetParam(), 0, 0, 1);
    const int rows = screen_rows_count();
    for (int r = 1; r <= rows; ++r) {
        locate(r, 1);
        raw_print("row " + std::to_string(r), 0);
    }
    const std::vector<std::string> before = screen_rows();
    rt_color(7, 1, 0, 3);
    locate(rows - 1, 1);
    raw_print("", 1);
    EXPECT_EQ(row(), rows - 1);
    EXPECT_EQ(col(), 1);
    const std::vector<std::string> after = screen_rows(false);
    for (int r = 1; r <= rows - 2; ++r) EXPECT_EQ(trim_right(after[r - 1]), before[r]) << "row " << r;
    EXPECT_EQ(after[rows - 2], std::string(80, ' ')) << "the new window row";
    for (int c = 1; c <= 80; ++c) ASSERT_EQ(screen_cell(rows - 1, c).bg, 1u) << "filled with the background";
    EXPECT_EQ(trim_right(after[rows - 1]), "row " + std::to_string(rows)) << "the last row never moves";
}

TEST_P(TextOutput, LineEndOnTheLastRowScrollsTheWindowAndMovesUp) {
    rt_screen(GetParam(), 0, 0, 1);
    const int rows = screen_rows_count();
    locate(1, 1);
    raw_print("top", 0);
    locate(rows, 1);
    raw_print("last", 1);
    EXPECT_EQ(row(), rows - 1);
    EXPECT_EQ(screen_row(rows, true), "last");
    EXPECT_EQ(screen_row(1, true), "") << "the window scrolled";
}

TEST_P(TextOutput, TabStops) {
    rt_screen(GetParam(), 0, 0, 1);
    struct Case {
        int start_col, end_col;
        bool pending;
    };
    const Case cases[] = {{1, 9, false}, {8, 9, false}, {9, 17, false}, {2, 9, false}, {72, 73, false},
                          {73, 80, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE("column " + std::to_string(c.start_col));
        locate(3, 1);
        raw_print(std::string(80, 'x'), 0);
        locate(3, c.start_col);
        raw_print("\t", 0);
        EXPECT_EQ(row(), 3);
        EXPECT_EQ(col(), c.end_col);
        EXPECT_EQ(write()->wrap_pending, c.pending);
        const int last_space = c.pending ? 80 : c.end_col - 1;
        std::string expected = std::string(c.start_col - 1, 'x') + std::string(last_space - c.start_col + 1, ' ');
        expected += std::string(80 - expected.size(), 'x');
        EXPECT_EQ(screen_row(3), expected);
    }
}

TEST_P(TextOutput, BellSleepsAndPrintsNothing) {
    rt_screen(GetParam(), 0, 0, 1);
    fake_clock_install();
    locate(4, 7);
    raw_print("\x07", 0);
    const std::vector<int32_t> sleeps = fake_clock_sleep_lengths();
    fake_clock_uninstall();
    EXPECT_EQ(sleeps, std::vector<int32_t>{250});
    EXPECT_EQ(row(), 4);
    EXPECT_EQ(col(), 7);
    EXPECT_TRUE(screen_rows().empty());
}

struct ControlCase {
    int code, row, col, expect_row, expect_col;
};

// Each control character printed alone at its position, then the cursor checked.
void expect_control_moves(const std::vector<ControlCase>& cases) {
    for (const ControlCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "code " << c.code << " at " << c.row << "," << c.col);
        rt_locate(c.row, c.col, 0, 0, 0, 3);
        Bytes code(std::string(1, static_cast<char>(c.code)));
        rt_print(code.get(), 0);
        EXPECT_EQ(rt_pages.write->cursor_row, c.expect_row);
        EXPECT_EQ(rt_pages.write->cursor_col, c.expect_col);
        EXPECT_TRUE(screen_rows().empty()) << "nothing printed";
    }
}

TEST_P(TextOutput, ControlCharactersMoveTheCursor) {
    rt_screen(GetParam(), 0, 0, 1);
    const int last = screen_rows_count();  // window 1 .. last - 1
    const int bottom = last - 1;
    expect_control_moves({
        {10, 5, 10, 6, 1},           {13, 5, 10, 6, 1},           {11, 5, 10, 1, 1},
        {28, 5, 10, 5, 11},          {28, 5, 80, 6, 1},           {28, bottom, 80, bottom, 80},
        {28, last, 80, last, 80},    {28, last, 5, last, 6},      {29, 5, 10, 5, 9},
        {29, 5, 1, 4, 80},           {29, 1, 1, 1, 1},            {29, last, 1, last, 1},
        {29, last, 5, last, 4},      {30, 5, 10, 4, 10},          {30, 1, 10, 1, 10},
        {30, last, 10, last, 10},    {31, 5, 10, 6, 10},          {31, bottom, 10, bottom, 10},
        {31, last, 10, last, 10},    {10, bottom, 4, bottom, 1},
    });
}

TEST_P(TextOutput, ControlCharactersInsideATextWindow) {
    rt_screen(GetParam(), 0, 0, 1);
    rt_view_print(5, 10, 1);
    expect_control_moves({{11, 8, 10, 5, 1}, {29, 5, 1, 5, 1}, {30, 5, 3, 5, 3}, {31, 10, 3, 10, 3},
                          {28, 10, 80, 10, 80}, {10, 10, 3, 10, 1}});
}

TEST_P(TextOutput, FormFeedClearsTheScreen) {
    rt_screen(GetParam(), 0, 0, 1);
    print("some text");
    print("more");
    raw_print("\x0C" "after", 0);
    EXPECT_EQ(screen_rows(), std::vector<std::string>{"after"});
}

TEST_P(TextOutput, ControlCharactersOffPrintGlyphs) {
    rt_screen(GetParam(), 0, 0, 1);
    fake_clock_install();
    rt_control_chars(2);
    raw_print(std::string("\x07\x09\x0A\x0D\x1C", 5), 0);
    const std::vector<int32_t> sleeps = fake_clock_sleep_lengths();
    fake_clock_uninstall();
    EXPECT_TRUE(sleeps.empty());
    EXPECT_EQ(row(), 1);
    EXPECT_EQ(col(), 6);
    const uint8_t expected[] = {0x07, 0x09, 0x0A, 0x0D, 0x1C};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(screen_cell(1, i + 1).ch, expected[i]) << "column " << i + 1;
    rt_control_chars(0);
    raw_print("\x0A", 0);
    EXPECT_EQ(row(), 2);
}

TEST_P(TextOutput, PrintZones) {
    rt_screen(GetParam(), 0, 0, 1);
    struct Case {
        int start, end;
    };
    const Case cases[] = {{1, 15}, {2, 15}, {14, 15}, {15, 29}, {43, 57}, {56, 57}, {57, 80}, {70, 80}, {79, 80}};
    for (const Case& c : cases) {
        locate(2, c.start);
        rt_print_zone();
        EXPECT_EQ(row(), 2) << "from column " << c.start;
        EXPECT_EQ(col(), c.end) << "from column " << c.start;
        EXPECT_EQ(write()->wrap_pending, 0);
    }
    // From the last column the space fills it and defers the line end; the
    // next zone then just starts the new line.
    locate(2, 80);
    rt_print_zone();
    EXPECT_EQ(col(), 80);
    EXPECT_EQ(write()->wrap_pending, 1);
    rt_print_zone();
    EXPECT_EQ(row(), 3);
    EXPECT_EQ(col(), 1);
    EXPECT_EQ(write()->wrap_pending, 0);
}

using PixelText = ScreenTest;

TEST_F(PixelText, ColoursOfPrintedText) {
    mode12();
    rt_color(7, 0, 0, 3);
    print("Hi");
    rt_color(2, 0, 0, 3);
    print("Go");
    EXPECT_EQ(screen_rows(), (std::vector<std::string>{"Hi", "Go"}));
    EXPECT_EQ(screen_cell(1, 1).fg, 7u);
    EXPECT_EQ(screen_cell(2, 1).fg, 2u);
    EXPECT_EQ(screen_cell(2, 2).bg, 0u);
    EXPECT_EQ(write()->palette[2], 0xFF00AA00u);
}

TEST_F(PixelText, GlyphPixelsAreStoredWithTheColourMask) {
    mode12();
    write()->fg_colour = 0x1E;  // only the low 4 bits reach a 4-bit page
    write()->bg_colour = 0x13;
    raw_print("\xDB ", 0);
    const uint8_t* data = write()->data;
    EXPECT_EQ(data[0], 0x0E);
    EXPECT_EQ(data[8], 0x03);
    EXPECT_EQ(data[15 * 640 + 7], 0x0E);
}

TEST_F(PixelText, PrintModesKeepForegroundOrBackground) {
    mode12();
    rt_cls(0, 4, 2);  // the whole page in colour 4
    write()->print_mode = 1;
    raw_print("A", 0);
    ScreenCell fg_only = screen_cell(1, 1);
    EXPECT_EQ(fg_only.ch, 'A');
    EXPECT_EQ(fg_only.fg, 15u);
    EXPECT_EQ(fg_only.bg, 4u);
    write()->print_mode = 2;
    raw_print("B", 0);
    ScreenCell bg_only = screen_cell(1, 2);
    EXPECT_EQ(bg_only.ch, 'B');
    EXPECT_EQ(bg_only.fg, 4u) << "lit pixels keep what was there";
    EXPECT_EQ(bg_only.bg, 0u);
}

TEST_F(PixelText, Font8And14Glyphs) {
    mode12();
    img_set_font(8, write());
    raw_print("Small", 0);
    EXPECT_EQ(image_row(write(), 1, true), "Small");
    EXPECT_EQ(image_rows(write()), 60);
    rt_screen(9, 0, 0, 1);
    raw_print("EGA", 0);
    EXPECT_EQ(screen_row(1, true), "EGA");
}

TEST_F(PixelText, TextPageCellsGetTheComposedAttribute) {
    rt_color(20, 1, 0, 3);
    raw_print("x", 0);
    const uint8_t* cell = write()->data;
    EXPECT_EQ(cell[0], 'x');
    EXPECT_EQ(cell[1], 0x80 | 0x10 | 4);
    ScreenCell c = screen_cell(1, 1);
    EXPECT_TRUE(c.blink);
    EXPECT_EQ(c.fg, 4u);
    EXPECT_EQ(c.bg, 1u);
}

TEST_F(PixelText, PrintWidth) {
    mode12();
    Bytes abc("abc"), empty("");
    EXPECT_EQ(rt_print_width(abc.get(), 0, 0), 24);
    EXPECT_EQ(rt_print_width(empty.get(), 0, 0), 0);
    EXPECT_EQ(rt_print_width(abc.get(), 1, 1), 24) << "page 1, created on use";
    EXPECT_EQ(rt_pages.count, 2);
    EXPECT_EQ(rt_print_width(abc.get(), -12345, 1), 0);
    EXPECT_EQ(take_error(), 258);
    rt_screen(0, 0, 0, 1);
    EXPECT_EQ(rt_print_width(abc.get(), 0, 0), 0);
    EXPECT_EQ(take_error(), 5) << "no pixel width on a text page";
}

TEST_F(PixelText, ConsoleImagePrintsToStandardOutput) {
    mode12();
    write()->is_console = 1;
    ::testing::internal::CaptureStdout();
    raw_print(std::string("ab\0cd", 5), 1);
    raw_print("xy", 0);
    rt_print_zone();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "ab\nxy ");
    write()->is_console = 0;
    EXPECT_EQ(row(), 1);
    EXPECT_EQ(col(), 1);
    EXPECT_TRUE(screen_rows().empty());
}

TEST_F(PixelText, PrintingDoesNothingWhileAnErrorIsPending) {
    mode12();
    rt_control.error_pending = 5;
    raw_print("hidden", 1);
    Bytes item("x");
    rt_print_fit(item.get());
    rt_print_zone();
    rt_control.error_pending = 0;
    EXPECT_EQ(row(), 1);
    EXPECT_EQ(col(), 1);
    EXPECT_TRUE(screen_rows().empty());
}

TEST_F(PixelText, ThirtyTwoBitPages) {
    int32_t index = img_create(160, 64, 32);
    rt_screen(-index, 0, 0, 1);
    ASSERT_EQ(take_error(), 0);
    raw_print("RGB", 1);
    EXPECT_EQ(screen_row(1, true), "RGB");
    ScreenCell c = screen_cell(1, 1);
    EXPECT_EQ(c.fg, 0xFFFFFFu);
    EXPECT_EQ(c.bg, 0x000000u);
    // A half-transparent foreground is blended over the background.
    write()->fg_colour = 0x80FF0000u;
    write()->blend_off = 0;
    locate(2, 1);
    raw_print("\xDB", 0);
    const uint32_t* px = reinterpret_cast<const uint32_t*>(write()->data);
    EXPECT_EQ(px[16 * 160] & 0xFFFFFF, 0x800000u);
    write()->blend_off = 1;
    locate(2, 2);
    raw_print("\xDB", 0);
    EXPECT_EQ(px[16 * 160 + 8], 0x80FF0000u);
}

// Images of every awkward size as the write page, with guard bytes around
// their memory: nothing that printing, scrolling, clearing or the cursor
// statements do may write outside the image.
TEST_F(PixelText, NoStoreLandsOutsideThePage) {
    struct Case {
        int32_t width, height, mode;
    };
    const Case cases[] = {{5, 5, 256}, {12, 20, 256}, {9, 17, 32}, {100, 7, 256}, {1, 1, 0}, {3, 2, 0}, {7, 40, 256}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " mode " << c.mode);
        const size_t unit = c.mode == 32 ? 4 : c.mode == 0 ? 2 : 1;
        const size_t bytes = static_cast<size_t>(c.width) * c.height * unit;
        std::vector<uint8_t> memory(bytes + 256, 0xEE);
        int32_t index = img_wrap(memory.data() + 128, c.width, c.height, c.mode);
        ASSERT_NE(index, 0);
        rt_screen(-index, 0, 0, 1);
        ASSERT_EQ(take_error(), 0);
        // Each statement runs on its own: an error one raises must not
        // silence the ones after it.
        const std::vector<std::function<void()>> statements = {
            [] { print(std::string("Hello\tworld") + "\x1C\x1C\x1F\x1F\x1D\x1E" + std::string(70, '#')); },
            [] { raw_print(std::string(200, 'z'), 0); },
            [] { raw_print("\x0B\x0A\x0D", 1); },
            [] { rt_print_zone(); },
            [] { rt_cls(2, 0, 1); },
            [] { rt_locate(1, 1, 1, 0, 31, 31); },
            [] { rt_locate(2, 2, 0, 0, 0, 3); },
            [] { rt_view_print(0, 0, 0); },
            [] { raw_print(std::string(30, 'q'), 1); },
            [] { rt_cls(0, 0, 0); },
            [] { rt_cls(0, 0, 1); },
            [] { rt_view_print(1, 1, 1); },
            [] { raw_print("\t\t\t\t\t" + std::string(50, 'w'), 0); },
            [] { rt_print_zone(); },
        };
        for (int round = 0; round < 3; ++round)
            for (const auto& statement : statements) {
                statement();
                take_error();
            }
        take_error();
        for (size_t i = 0; i < 128; ++i) {
            ASSERT_EQ(memory[i], 0xEE) << "before the image, byte " << i;
            ASSERT_EQ(memory[128 + bytes + i], 0xEE) << "after the image, byte " << i;
        }
        rt_screen(12, 0, 0, 1);
        std::free(img_get(index)->palette);
        img_free_index(index);
    }
}

}  // namespace
