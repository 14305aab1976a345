// Test helper: recognises the character drawn in one text cell of pixels by
// matching it against the built-in code page 437 glyphs (the same tables the
// runtime draws with). Shared by screen_text (palette pages) and frame_text
// (32-bit frames and screenshots).
#pragma once
#include <cstddef>
#include <cstdint>

// What one cell shows. Colours are whatever values the caller passed in
// (palette indices for pages, 0xRRGGBB for frames).
struct GlyphMatch {
    uint8_t ch = '?';        // code page 437 character code
    bool known = false;      // false: the pixels match no glyph (more than two
                             // colours, or a shape no glyph has)
    bool fg_known = false;   // false for a cell of one colour (a space: no
                             // foreground pixel shows)
    uint32_t fg = 0;         // colour of the glyph's lit pixels
    uint32_t bg = 0;         // colour of the other pixels
};

// Matches a cell of 8 x `cell_height` colour values, row-major, `stride`
// values between rows. `cell_height` is 16 (8x16 font), 14 (8x14: rows 1 to
// 14 of the 8x16 glyphs) or 8 (8x8 font); other heights never match.
//
// A cell of one colour reads as a space in that background colour. A cell of
// two colours reads as the glyph whose lit pixels are exactly the pixels of
// one of the colours. Where the same pixels fit several readings (a glyph
// and its inverse such as 0x07 and 0x08, or glyphs drawn alike), the reading
// is chosen in this order: a printable ASCII character (0x21 to 0x7E); then
// the reading whose background is `preferred_bg` (when given: typically the
// picture's most common colour, the screen's background); then the reading
// whose background covers more pixels; then the lower code.
GlyphMatch match_glyph_cell(const uint32_t* colours, int stride, int cell_height,
                            const uint32_t* preferred_bg = nullptr);

// The most common of `count` colour values (0 when count is 0).
uint32_t most_common_colour(const uint32_t* colours, size_t count);
