// The FontTable with the six built-in font handles, the glyph tables copied
// from the generated font data, and the two default colour tables computed
// from their rules: the VGA BIOS 256-colour palette and the 64-colour EGA one.
#include "runtime/screen/fonts_palettes.h"

#include <array>
#include <cstring>

#include "runtime/screen/font_data.h"

namespace {

constexpr int32_t kFontHandles = 49;  // handles 0 to 48; 32 and up are loaded fonts

// The built-in code page 437 fonts: 8x8, 8x14, 8x16 and their double-width
// forms for 40-column text screens. All are monospace.
struct BuiltinFont {
    int32_t handle, height, width;
};
constexpr BuiltinFont kBuiltinFonts[6] = {{8, 8, 8}, {14, 14, 8}, {16, 16, 8}, {9, 8, 16}, {15, 14, 16}, {17, 16, 16}};

enum class FontColumn { Height, Width, Options };

constexpr std::array<int32_t, kFontHandles> builtin_column(FontColumn column) {
    std::array<int32_t, kFontHandles> values{};
    for (const BuiltinFont& f : kBuiltinFonts)
        values[f.handle] = column == FontColumn::Height  ? f.height
                           : column == FontColumn::Width ? f.width
                                                         : FONT_OPTION_MONOSPACE;
    return values;
}

// Constant-initialised, so the table is usable before start-up runs.
std::array<int32_t, kFontHandles> font_heights = builtin_column(FontColumn::Height);
std::array<int32_t, kFontHandles> font_widths = builtin_column(FontColumn::Width);
std::array<int32_t, kFontHandles> font_option_bits = builtin_column(FontColumn::Options);
std::array<void*, kFontHandles> font_faces{};

constexpr uint32_t kOpaque = 0xFF000000u;

// A 6-bit DAC level as an 8-bit component, rounded to the nearest integer.
uint32_t level8(int level) { return static_cast<uint32_t>((level * 255 + 31) / 63); }

uint32_t rgb_levels(int r, int g, int b) { return kOpaque | (level8(r) << 16) | (level8(g) << 8) | level8(b); }

// EGA entry i: two bits per component, bit value 0xAA (high) and 0x55 (low).
uint32_t ega_colour(int i) {
    uint32_t r = 0xAA * ((i >> 2) & 1) + 0x55 * ((i >> 5) & 1);
    uint32_t g = 0xAA * ((i >> 1) & 1) + 0x55 * ((i >> 4) & 1);
    uint32_t b = 0xAA * (i & 1) + 0x55 * ((i >> 3) & 1);
    return kOpaque | (r << 16) | (g << 8) | b;
}

// The 16 colours are the EGA entries a 16-colour EGA display selects by
// default (6 is brown, 8 to 15 the bright colours).
constexpr int kDefaultEgaEntries[16] = {0, 1, 2, 3, 4, 5, 20, 7, 56, 57, 58, 59, 60, 61, 62, 63};

// 216 hue entries 32 to 247: nine groups of 24, each a walk around the colour
// wheel over five levels a < b < c < d < e.
void fill_hue_groups(uint32_t* out) {
    static constexpr int kLevelSets[9][5] = {
        {0, 16, 31, 47, 63}, {31, 39, 47, 55, 63}, {45, 49, 54, 58, 63},
        {0, 7, 14, 21, 28},  {14, 17, 21, 24, 28}, {20, 22, 24, 26, 28},
        {0, 4, 8, 12, 16},   {8, 10, 12, 14, 16},  {11, 12, 13, 15, 16},
    };
    int n = 32;
    for (const auto& set : kLevelSets) {
        const int a = set[0], e = set[4];
        const int up[4] = {set[0], set[1], set[2], set[3]};    // a, b, c, d
        const int down[4] = {set[4], set[3], set[2], set[1]};  // e, d, c, b
        for (int k = 0; k < 4; ++k) out[n++] = rgb_levels(up[k], a, e);    // red rises under blue
        for (int k = 0; k < 4; ++k) out[n++] = rgb_levels(e, a, down[k]);  // blue falls
        for (int k = 0; k < 4; ++k) out[n++] = rgb_levels(e, up[k], a);    // green rises
        for (int k = 0; k < 4; ++k) out[n++] = rgb_levels(down[k], e, a);  // red falls
        for (int k = 0; k < 4; ++k) out[n++] = rgb_levels(a, e, up[k]);    // blue rises
        for (int k = 0; k < 4; ++k) out[n++] = rgb_levels(a, down[k], e);  // green falls
    }
}

}  // namespace

FontTable rt_fonts = {kFontHandles, font_heights.data(), font_widths.data(), font_option_bits.data(),
                      font_faces.data()};

uint8_t font_glyphs_8x8[256 * 64];
uint8_t font_glyphs_8x16[256 * 128];
uint32_t palette_256[256];
uint32_t palette_64[64];

void fonts_palettes_init() {
    font_heights = builtin_column(FontColumn::Height);
    font_widths = builtin_column(FontColumn::Width);
    font_option_bits = builtin_column(FontColumn::Options);
    font_faces.fill(nullptr);
    rt_fonts = {kFontHandles, font_heights.data(), font_widths.data(), font_option_bits.data(), font_faces.data()};

    std::memcpy(font_glyphs_8x8, font_data_8x8, sizeof font_glyphs_8x8);
    std::memcpy(font_glyphs_8x16, font_data_8x16, sizeof font_glyphs_8x16);

    for (int i = 0; i < 64; ++i) palette_64[i] = ega_colour(i);

    for (int i = 0; i < 16; ++i) palette_256[i] = palette_64[kDefaultEgaEntries[i]];
    static constexpr int kGreyLevels[16] = {0, 5, 8, 11, 14, 17, 20, 24, 28, 32, 36, 40, 45, 50, 56, 63};
    for (int i = 0; i < 16; ++i) palette_256[16 + i] = rgb_levels(kGreyLevels[i], kGreyLevels[i], kGreyLevels[i]);
    fill_hue_groups(palette_256);
    for (int i = 248; i < 256; ++i) palette_256[i] = kOpaque;
}
