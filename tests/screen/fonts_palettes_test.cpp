// The colour tables computed at start-up against the well-known VGA and EGA
// values, the FontTable's built-in handles, and glyph rows checked by eye.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/screen/font_data.h"
#include "runtime/screen/fonts_palettes.h"

namespace {

class FontsPalettes : public ::testing::Test {
protected:
    void SetUp() override { fonts_palettes_init(); }
};

TEST_F(FontsPalettes, SixteenColoursAreTheClassicTable) {
    const uint32_t expected[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
                                   0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(palette_256[i], 0xFF000000u | expected[i]) << "entry " << i;
}

TEST_F(FontsPalettes, GreyRampRoundsSixBitLevels) {
    // Levels 0, 5, 8, 11, 14, 17, 20, 24, 28, 32, 36, 40, 45, 50, 56, 63 as L * 255 / 63 rounded.
    const uint32_t grey[16] = {0x00, 0x14, 0x20, 0x2D, 0x39, 0x45, 0x51, 0x61,
                               0x71, 0x82, 0x92, 0xA2, 0xB6, 0xCA, 0xE3, 0xFF};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(palette_256[16 + i], 0xFF000000u | grey[i] * 0x010101u) << "entry " << 16 + i;
}

TEST_F(FontsPalettes, HueGroupsWalkTheColourWheel) {
    struct Case {
        int entry;
        uint32_t rgb;
    };
    const Case cases[] = {
        {32, 0x0000FF},  {33, 0x4100FF},  {36, 0xFF00FF},  {40, 0xFF0000}, {44, 0xFFFF00}, {48, 0x00FF00},
        {52, 0x00FFFF},  {55, 0x0041FF},  {56, 0x7D7DFF},  {80, 0xB6B6FF}, {104, 0x000071}, {176, 0x000041},
        {200, 0x202041}, {224, 0x2D2D41}, {247, 0x2D3141},
    };
    for (const Case& c : cases) EXPECT_EQ(palette_256[c.entry], 0xFF000000u | c.rgb) << "entry " << c.entry;
    for (int i = 248; i < 256; ++i) EXPECT_EQ(palette_256[i], 0xFF000000u) << "entry " << i;
    for (int i = 0; i < 256; ++i) EXPECT_EQ(palette_256[i] >> 24, 0xFFu) << "entry " << i;
}

TEST_F(FontsPalettes, EgaTableFromItsBits) {
    struct Case {
        int entry;
        uint32_t rgb;
    };
    const Case cases[] = {{0, 0x000000},  {1, 0x0000AA},  {7, 0xAAAAAA},  {8, 0x000055}, {9, 0x0000FF},
                          {20, 0xAA5500}, {36, 0xFF0000}, {56, 0x555555}, {62, 0xFFFF55}, {63, 0xFFFFFF}};
    for (const Case& c : cases) EXPECT_EQ(palette_64[c.entry], 0xFF000000u | c.rgb) << "entry " << c.entry;
}

TEST_F(FontsPalettes, FontTableHasTheSixBuiltIns) {
    ASSERT_EQ(rt_fonts.count, 49);
    struct Case {
        int handle, height, width;
    };
    const Case builtins[] = {{8, 8, 8}, {14, 14, 8}, {16, 16, 8}, {9, 8, 16}, {15, 14, 16}, {17, 16, 16}};
    for (const Case& c : builtins) {
        EXPECT_EQ(rt_fonts.font_height[c.handle], c.height) << "handle " << c.handle;
        EXPECT_EQ(rt_fonts.font_width[c.handle], c.width) << "handle " << c.handle;
        EXPECT_EQ(rt_fonts.font_options[c.handle], FONT_OPTION_MONOSPACE) << "handle " << c.handle;
        EXPECT_EQ(rt_fonts.font_face[c.handle], nullptr);
    }
    for (int h : {0, 7, 10, 13, 18, 32, 48}) EXPECT_EQ(rt_fonts.font_height[h], 0) << "handle " << h;
}

// Glyph rows as '#' (on) and '.' (off).
std::string glyph_rows(const uint8_t* table, int per_glyph, int code, int first_row, int rows) {
    std::string out;
    for (int r = first_row; r < first_row + rows; ++r) {
        for (int x = 0; x < 8; ++x) {
            uint8_t v = table[code * per_glyph + r * 8 + x];
            EXPECT_TRUE(v == 0 || v == 255);
            out += v ? '#' : '.';
        }
        out += '\n';
    }
    return out;
}

std::string repeat_row(const std::string& row, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += row + "\n";
    return s;
}

TEST_F(FontsPalettes, GlyphsCopiedIntoPlaceMatchTheGeneratedTables) {
    EXPECT_EQ(std::memcmp(font_glyphs_8x16, font_data_8x16, sizeof font_glyphs_8x16), 0);
    EXPECT_EQ(std::memcmp(font_glyphs_8x8, font_data_8x8, sizeof font_glyphs_8x8), 0);
}

// Rows checked by eye against the VGA font when the tables were generated.
TEST_F(FontsPalettes, PinnedGlyphRows) {
    EXPECT_EQ(glyph_rows(font_glyphs_8x16, 128, 'A', 2, 10),
              "...#....\n"
              "..###...\n"
              ".##.##..\n"
              "##...##.\n"
              "##...##.\n"
              "#######.\n"
              "##...##.\n"
              "##...##.\n"
              "##...##.\n"
              "##...##.\n");
    EXPECT_EQ(glyph_rows(font_glyphs_8x16, 128, 0x01, 2, 10),
              ".######.\n"
              "#......#\n"
              "#.#..#.#\n"
              "#......#\n"
              "#......#\n"
              "#.####.#\n"
              "#..##..#\n"
              "#......#\n"
              "#......#\n"
              ".######.\n");
    EXPECT_EQ(glyph_rows(font_glyphs_8x16, 128, 0xB3, 0, 16), repeat_row("...##...", 16));
    EXPECT_EQ(glyph_rows(font_glyphs_8x16, 128, 0xDB, 0, 16), repeat_row("########", 16));
    // 0xF9 (bullet operator) is two rows of two pixels, 0xFA (middle dot) one.
    EXPECT_EQ(glyph_rows(font_glyphs_8x16, 128, 0xF9, 6, 4), "........\n...##...\n...##...\n........\n");
    EXPECT_EQ(glyph_rows(font_glyphs_8x16, 128, 0xFA, 7, 3), "........\n...##...\n........\n");
    EXPECT_EQ(glyph_rows(font_glyphs_8x8, 64, 'A', 0, 8),
              "..###...\n"
              ".##.##..\n"
              "##...##.\n"
              "#######.\n"
              "##...##.\n"
              "##...##.\n"
              "##...##.\n"
              "........\n");
    // The cent sign of code page 437 (the 8x8 font's own code page has o-slash there).
    EXPECT_EQ(glyph_rows(font_glyphs_8x8, 64, 0x9B, 0, 8),
              "...##...\n"
              "...##...\n"
              ".######.\n"
              "##......\n"
              "##......\n"
              ".######.\n"
              "...##...\n"
              "...##...\n");
    for (int code : {0, 0x20, 0xFF}) {
        for (int i = 0; i < 128; ++i) ASSERT_EQ(font_glyphs_8x16[code * 128 + i], 0) << "code " << code;
        for (int i = 0; i < 64; ++i) ASSERT_EQ(font_glyphs_8x8[code * 64 + i], 0) << "code " << code;
    }
}

}  // namespace
