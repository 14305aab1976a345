// Test helper: reads a screen page of the runtime back as text.
//
// On a text page (mode 0) every cell gives its character byte and attribute
// directly. On a palette pixel page (modes 1 to 13 and 8-bit images) every
// text cell of the page's font (8x16 in mode 12, so 80 columns by 30 rows) is
// matched against the built-in glyphs (glyph_match.h): the character and its
// foreground and background palette indices come back; a cell whose pixels
// match no glyph reads as the marker character ('?' by default) with
// `known` false. A cell of one colour reads as a space (so a full block
// reads as a space in its colour), and where a glyph's pixels also fit its
// inverse glyph the reading whose background is the page's most common
// colour wins. 32-bit pages are read the same way and give colours as
// 0xRRGGBB.
//
// Rows and columns are 1-based, as in the runtime's cursor. Characters are
// code page 437 bytes, so plain ASCII text compares directly:
//
//     EXPECT_EQ(screen_row(1, true), "Hello");
//     EXPECT_EQ(screen_rows(), (std::vector<std::string>{"Hello", "", ...}));
//
// Call only on the program thread (or while nothing else writes the page).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct ScreenImage;

// Which page role to read.
enum class ScreenPage { Write, Display };

struct ScreenCell {
    uint8_t ch = '?';
    bool known = false;     // false: pixels matching no glyph
    bool fg_known = false;  // false on a pixel page for a one-colour cell (a space)
    uint32_t fg = 0;        // text page: attribute bits 0-3; pixel page: palette index
    uint32_t bg = 0;        // text page: attribute bits 4-6; pixel page: palette index
    bool blink = false;     // text page: attribute bit 7
};

// Text grid of the page: columns and rows of cells (0 when there is no page).
int screen_columns(ScreenPage page = ScreenPage::Write);
int screen_rows_count(ScreenPage page = ScreenPage::Write);

// One cell; a position outside the grid gives an unknown cell.
ScreenCell screen_cell(int row, int col, ScreenPage page = ScreenPage::Write);

// One row as text, one character per column. With `trim`, trailing spaces
// are removed. Unknown cells read as `unknown`.
std::string screen_row(int row, bool trim = false, ScreenPage page = ScreenPage::Write, char unknown = '?');

// All rows top to bottom; with `trim` (the default) each row is trimmed and
// trailing empty rows are dropped, so a cleared screen gives an empty vector.
std::vector<std::string> screen_rows(bool trim = true, ScreenPage page = ScreenPage::Write, char unknown = '?');

// The same for any image record (a page or a program's own image).
int image_columns(const ScreenImage* image);
int image_rows(const ScreenImage* image);
ScreenCell image_cell(const ScreenImage* image, int row, int col);
std::string image_row(const ScreenImage* image, int row, bool trim = false, char unknown = '?');
std::vector<std::string> image_rows_text(const ScreenImage* image, bool trim = true, char unknown = '?');

// Removes trailing spaces (shared with frame_text).
std::string trim_right(std::string s);
// Drops trailing empty strings (shared with frame_text).
void drop_trailing_empty(std::vector<std::string>* rows);
