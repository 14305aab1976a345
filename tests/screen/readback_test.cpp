// The read-back helpers of tests/support: pages, 32-bit frames and
// screenshot files read as text, with the colours of each cell, and cells
// that match no glyph reported as unknown.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "tests/screen/screen_fixture.h"
#include "tests/support/frame_text.h"
#include "tests/support/glyph_match.h"

namespace {

using Readback = ScreenTest;

// The display page turned into 0xAARRGGBB pixels through its palette, as the
// frame composer does for palette pages.
std::vector<uint32_t> frame_of(const ScreenImage* page) {
    std::vector<uint32_t> frame(static_cast<size_t>(page->width) * page->height);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = page->palette[page->data[i]];
    return frame;
}

TEST_F(Readback, WriteAndDisplayPagesAreReadSeparately) {
    rt_screen(0, 1, 0, 4 | 8);
    print("on page one");
    EXPECT_EQ(screen_rows(), std::vector<std::string>{"on page one"});
    EXPECT_TRUE(screen_rows(true, ScreenPage::Display).empty());
    EXPECT_EQ(screen_row(1), "on page one" + std::string(69, ' '));
    EXPECT_EQ(screen_columns(), 80);
    EXPECT_EQ(screen_rows_count(), 25);
}

TEST_F(Readback, OutsideTheGridIsUnknown) {
    mode12();
    EXPECT_FALSE(screen_cell(0, 1).known);
    EXPECT_FALSE(screen_cell(31, 1).known);
    EXPECT_FALSE(screen_cell(1, 81).known);
    EXPECT_TRUE(screen_cell(30, 80).known);
}

TEST_F(Readback, PixelPageCellsGiveCharacterAndPaletteIndices) {
    mode12();
    rt_color(14, 1, 0, 3);
    raw_print("Az~", 0);
    for (int c = 1; c <= 3; ++c) {
        ScreenCell cell = screen_cell(1, c);
        EXPECT_TRUE(cell.known);
        EXPECT_TRUE(cell.fg_known);
        EXPECT_EQ(cell.ch, "Az~"[c - 1]);
        EXPECT_EQ(cell.fg, 14u);
        EXPECT_EQ(cell.bg, 1u);
    }
    ScreenCell blank = screen_cell(1, 4);
    EXPECT_EQ(blank.ch, ' ');
    EXPECT_FALSE(blank.fg_known);
    EXPECT_EQ(blank.bg, 0u);
}

TEST_F(Readback, ScribbledCellsReadAsTheMarker) {
    mode12();
    raw_print("ok", 0);
    ScreenImage* w = write();
    w->data[5 * 640 + 9] = 7;  // a third colour inside cell 2
    w->data[3 * 640 + 16] = 15;  // a stray pixel in cell 3: a shape no glyph has
    EXPECT_EQ(screen_row(1, true), "o??");
    EXPECT_EQ(screen_row(1, true, ScreenPage::Write, '#'), "o##");
    EXPECT_FALSE(screen_cell(1, 2).known);
}

TEST_F(Readback, InverseGlyphsPreferTheScreenBackground) {
    mode12();
    rt_control_chars(2);
    raw_print(std::string("\x07\x08\x09\x0A\xDC\xDF\xB0\xB2", 8), 0);
    const uint8_t expected[] = {0x07, 0x08, 0x09, 0x0A, 0xDC, 0xDF, 0xB0, 0xB2};
    for (int c = 1; c <= 8; ++c) {
        ScreenCell cell = screen_cell(1, c);
        EXPECT_EQ(cell.ch, expected[c - 1]) << "column " << c;
        EXPECT_EQ(cell.fg, 15u) << "column " << c;
        EXPECT_EQ(cell.bg, 0u) << "column " << c;
    }
}

TEST_F(Readback, FramesReadAsTextWithRgbColours) {
    mode12();
    rt_color(2, 0, 0, 3);
    print("Tolmerand");
    rt_color(14, 4, 0, 3);
    print("> go north");
    const std::vector<uint32_t> frame = frame_of(write());
    FrameText text = frame_text_from_pixels(frame.data(), 640, 480);
    EXPECT_EQ(text.columns, 80);
    EXPECT_EQ(text.rows, 30);
    EXPECT_EQ(text.lines(), (std::vector<std::string>{"Tolmerand", "> go north"})) << text.dump();
    EXPECT_EQ(text.cell(1, 1).fg, 0x00AA00u);
    EXPECT_EQ(text.cell(1, 1).bg, 0x000000u);
    EXPECT_EQ(text.cell(2, 3).fg, 0xFFFF55u);
    EXPECT_EQ(text.cell(2, 3).bg, 0xAA0000u);
    EXPECT_FALSE(text.cell(31, 1).known);
}

TEST_F(Readback, FramesOfOtherSizesAndCellHeights) {
    mode12();
    img_set_font(8, write());
    raw_print("tiny", 0);
    std::vector<uint32_t> frame = frame_of(write());
    // Only the top-left 100x20 pixels, as a frame of their own.
    std::vector<uint32_t> part;
    for (int y = 0; y < 20; ++y) part.insert(part.end(), frame.begin() + y * 640, frame.begin() + y * 640 + 100);
    FrameText text = frame_text_from_pixels(part.data(), 100, 20, 8);
    EXPECT_EQ(text.columns, 12);
    EXPECT_EQ(text.rows, 2);
    EXPECT_EQ(text.row(1, true), "tiny");
    EXPECT_EQ(frame_text_from_pixels(part.data(), 100, 20, 16).row(1, true), "????") << "wrong cell height";
    EXPECT_EQ(frame_text_from_pixels(nullptr, 0, 0).rows, 0);
}

TEST_F(Readback, ScreenshotFilesReadAsText) {
    mode12();
    rt_color(7, 0, 0, 3);
    print("From a file");
    const std::vector<uint32_t> frame = frame_of(write());
    char dir_template[] = "/tmp/tol_readback_XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::string dir = dir_template;
    const std::string ppm = dir + "/shot.ppm", png = dir + "/shot.png";
    FILE* f = std::fopen(ppm.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fprintf(f, "P6\n# written by the test\n640 480\n255\n");
    for (uint32_t px : frame) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(px >> 16), static_cast<unsigned char>(px >> 8),
                                      static_cast<unsigned char>(px)};
        std::fwrite(rgb, 1, 3, f);
    }
    std::fclose(f);
    ASSERT_EQ(std::system(("convert " + ppm + " " + png).c_str()), 0);

    FrameText text;
    std::string error;
    ASSERT_TRUE(frame_text_from_file(png, &text, &error)) << error;
    EXPECT_EQ(text.lines(), std::vector<std::string>{"From a file"});
    EXPECT_EQ(text.cell(1, 1).fg, 0xAAAAAAu);

    EXPECT_FALSE(frame_text_from_file(dir + "/missing.png", &text, &error));
    EXPECT_NE(error.find("missing.png"), std::string::npos);
    std::remove(ppm.c_str());
    std::remove(png.c_str());
    rmdir(dir.c_str());
}

TEST(GlyphMatch, OneColourCellsAreSpaces) {
    std::vector<uint32_t> cell(8 * 16, 0x123456);
    GlyphMatch m = match_glyph_cell(cell.data(), 8, 16);
    EXPECT_TRUE(m.known);
    EXPECT_FALSE(m.fg_known);
    EXPECT_EQ(m.ch, ' ');
    EXPECT_EQ(m.bg, 0x123456u);
    EXPECT_FALSE(match_glyph_cell(cell.data(), 8, 12).known) << "no font of that height";
}

TEST(GlyphMatch, MostCommonColour) {
    const uint32_t colours[] = {3, 1, 3, 2, 3, 1};
    EXPECT_EQ(most_common_colour(colours, 6), 3u);
    EXPECT_EQ(most_common_colour(colours, 0), 0u);
}

}  // namespace
