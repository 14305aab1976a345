// Test helper: reads a 32-bit frame, or a screenshot file of the window, back
// as text.
//
// The picture is cut into cells of 8 x `cell_height` pixels from the top
// left (a 640x480 frame of the game's mode 12 gives 80 columns by 30 rows of
// 8x16 cells; a remainder at the right or bottom edge is ignored) and every
// cell is matched against the built-in code page 437 glyphs (glyph_match.h).
// Colours are compared exactly, as 0xRRGGBB (alpha ignored). A cell whose
// pixels match no glyph (more than two colours, a partial redraw, a scaled
// window) reads as the marker character ('?' by default) with `known` false,
// so a wrong picture never reads as plausible text.
//
//     FrameText text;
//     std::string error;
//     ASSERT_TRUE(frame_text_from_file("shot.png", &text, &error)) << error;
//     EXPECT_EQ(text.row(1, true), "Tolmerand");
//     EXPECT_EQ(text.cell(2, 1).fg, 0xAAAAAAu);
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct FrameCell {
    uint8_t ch = '?';       // code page 437 character code
    bool known = false;     // false: the pixels match no glyph
    bool fg_known = false;  // false for a one-colour cell (a space)
    uint32_t fg = 0;        // 0xRRGGBB of the glyph's lit pixels
    uint32_t bg = 0;        // 0xRRGGBB of the other pixels
};

struct FrameText {
    int columns = 0;
    int rows = 0;
    std::vector<FrameCell> cells;  // row-major

    // 1-based; a position outside the grid gives an unknown cell.
    FrameCell cell(int row, int col) const;
    // One row as text; with `trim`, trailing spaces removed.
    std::string row(int row, bool trim = false, char unknown = '?') const;
    // All rows; with `trim` (the default) each trimmed, trailing empty rows dropped.
    std::vector<std::string> lines(bool trim = true, char unknown = '?') const;
    // Every row joined with '\n' (trimmed), for readable failure messages.
    std::string dump() const;
};

// From pixels 0xAARRGGBB, row-major from the top, `width` x `height`.
FrameText frame_text_from_pixels(const uint32_t* pixels, int width, int height, int cell_height = 16);

// Loads an image file (PNG, PPM, anything ImageMagick's convert reads) as
// 0xFF000000 | 0xRRGGBB pixels. False with a message in `error` when the
// file cannot be read.
bool load_image_pixels(const std::string& path, int* width, int* height, std::vector<uint32_t>* pixels,
                       std::string* error = nullptr);

// Loads a screenshot and reads it as text.
bool frame_text_from_file(const std::string& path, FrameText* out, std::string* error = nullptr,
                          int cell_height = 16);
