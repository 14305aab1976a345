// Test helper: screen pages read back as text (see screen_text.h).
#include "tests/support/screen_text.h"

#include <algorithm>

#include "runtime/screen/fonts_palettes.h"
#include "runtime/screen/pages.h"
#include "runtime/screen/screen_image.h"
#include "tests/support/glyph_match.h"

namespace {

const ScreenImage* page_of(ScreenPage page) {
    return page == ScreenPage::Write ? rt_pages.write : rt_pages.display.load();
}

int cell_height(const ScreenImage* image) {
    int font = image->font;
    if (font < 0 || font >= rt_fonts.count || rt_fonts.font_width[font] != 8) return 0;
    return rt_fonts.font_height[font];
}

// The page's most common colour: the background a glyph reading prefers.
uint32_t page_background(const ScreenImage* image) {
    if (!image || image->is_text || !image->data) return 0;
    size_t n = static_cast<size_t>(image->width) * image->height;
    if (image->bytes_per_unit == 1) {
        size_t counts[256] = {};
        for (size_t i = 0; i < n; ++i) ++counts[image->data[i]];
        return static_cast<uint32_t>(std::max_element(counts, counts + 256) - counts);
    }
    std::vector<uint32_t> colours(n);
    const uint32_t* px = reinterpret_cast<const uint32_t*>(image->data);
    for (size_t i = 0; i < n; ++i) colours[i] = px[i] & 0xFFFFFFu;
    return most_common_colour(colours.data(), n);
}

ScreenCell read_cell(const ScreenImage* image, int row, int col, uint32_t background);

std::string read_row(const ScreenImage* image, int row, bool trim, char unknown, uint32_t background) {
    std::string text;
    const int columns = image_columns(image);
    for (int col = 1; col <= columns; ++col) {
        ScreenCell cell = read_cell(image, row, col, background);
        text.push_back(cell.known ? static_cast<char>(cell.ch) : unknown);
    }
    return trim ? trim_right(text) : text;
}

}  // namespace

std::string trim_right(std::string s) {
    size_t end = s.find_last_not_of(' ');
    s.erase(end == std::string::npos ? 0 : end + 1);
    return s;
}

void drop_trailing_empty(std::vector<std::string>* rows) {
    while (!rows->empty() && rows->back().empty()) rows->pop_back();
}

int image_columns(const ScreenImage* image) {
    if (!image) return 0;
    if (image->is_text) return image->width;
    return cell_height(image) ? image->width / 8 : 0;
}

int image_rows(const ScreenImage* image) {
    if (!image) return 0;
    if (image->is_text) return image->height;
    int h = cell_height(image);
    return h ? image->height / h : 0;
}

ScreenCell image_cell(const ScreenImage* image, int row, int col) {
    return read_cell(image, row, col, page_background(image));
}

namespace {

ScreenCell read_cell(const ScreenImage* image, int row, int col, uint32_t background) {
    ScreenCell cell;
    if (!image || !image->data || row < 1 || col < 1 || row > image_rows(image) || col > image_columns(image))
        return cell;
    if (image->is_text) {
        const uint8_t* p = image->data + ((row - 1) * image->width + (col - 1)) * 2;
        cell.ch = p[0];
        cell.known = cell.fg_known = true;
        cell.fg = p[1] & 15;
        cell.bg = (p[1] >> 4) & 7;
        cell.blink = (p[1] & 128) != 0;
        return cell;
    }
    const int h = cell_height(image);
    uint32_t colours[8 * 16];
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < 8; ++x) {
            size_t at = static_cast<size_t>((row - 1) * h + r) * image->width + (col - 1) * 8 + x;
            colours[r * 8 + x] = image->bytes_per_unit == 4
                                     ? reinterpret_cast<const uint32_t*>(image->data)[at] & 0xFFFFFFu
                                     : image->data[at];
        }
    GlyphMatch m = match_glyph_cell(colours, 8, h, &background);
    cell.ch = m.ch;
    cell.known = m.known;
    cell.fg_known = m.fg_known;
    cell.fg = m.fg;
    cell.bg = m.bg;
    return cell;
}

}  // namespace

std::string image_row(const ScreenImage* image, int row, bool trim, char unknown) {
    return read_row(image, row, trim, unknown, page_background(image));
}

std::vector<std::string> image_rows_text(const ScreenImage* image, bool trim, char unknown) {
    std::vector<std::string> rows;
    const int count = image_rows(image);
    const uint32_t background = page_background(image);
    for (int row = 1; row <= count; ++row) rows.push_back(read_row(image, row, trim, unknown, background));
    if (trim) drop_trailing_empty(&rows);
    return rows;
}

int screen_columns(ScreenPage page) { return image_columns(page_of(page)); }
int screen_rows_count(ScreenPage page) { return image_rows(page_of(page)); }

ScreenCell screen_cell(int row, int col, ScreenPage page) { return image_cell(page_of(page), row, col); }

std::string screen_row(int row, bool trim, ScreenPage page, char unknown) {
    return image_row(page_of(page), row, trim, unknown);
}

std::vector<std::string> screen_rows(bool trim, ScreenPage page, char unknown) {
    return image_rows_text(page_of(page), trim, unknown);
}
