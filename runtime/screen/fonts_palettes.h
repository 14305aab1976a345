// The FontTable with the built-in code page 437 fonts (8x8, 8x14, 8x16 and
// their double-width forms) and the default 256- and 64-colour tables.
#pragma once
#include <cstdint>

struct FontTable {
    int32_t count;       // handles 0 .. count - 1
    int32_t* font_height;
    int32_t* font_width;
    int32_t* font_options;
    void** font_face;
};

extern FontTable rt_fonts;

constexpr int32_t FONT_OPTION_FOUR_BYTE_CODES = 1 << 5;
constexpr int32_t FONT_OPTION_MONOSPACE = 1 << 4;

// One byte per glyph pixel (0 or 255), rows top first, 8 bytes per row.
extern uint8_t font_glyphs_8x8[256 * 64];
extern uint8_t font_glyphs_8x16[256 * 128];

// Default colour tables, 0xAARRGGBB with alpha 0xFF.
extern uint32_t palette_256[256];
extern uint32_t palette_64[64];

// Start-up: fill the font table and copy the glyphs and colour tables into place.
void fonts_palettes_init();
