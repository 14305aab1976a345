// The generated source tables of the built-in glyphs (the build writes them
// from the VGA console fonts, see tools/fontgen.cpp). Code page 437 order,
// one byte per pixel (0 or 255), 8 bytes per row: glyph c at c * 64 in the
// 8x8 table and at c * 128 in the 8x16 table. fonts_palettes_init copies them
// into font_glyphs_8x8 and font_glyphs_8x16.
#pragma once
#include <cstdint>

extern const uint8_t font_data_8x8[256 * 64];
extern const uint8_t font_data_8x16[256 * 128];
