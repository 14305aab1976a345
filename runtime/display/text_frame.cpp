// Text-page frames: cells drawn with the built-in glyph tables, blinking
// characters, the cursor shapes, and the caches that let a frame redraw only
// the cells that changed since the previous one.
#include <cstdlib>
#include <cstring>
#include <utility>
#include "runtime/display/composer_internal.h"
#include "runtime/screen/fonts_palettes.h"

namespace {

// The cells, palette, blink phase and cursor cell of the last text frame,
// and room for the page's cells as they are read for the next one.
uint8_t* cell_copy = nullptr;
uint8_t* cells_now = nullptr;
size_t cell_copy_size = 0;
uint32_t palette_copy[256];
bool prev_blink = false;
int32_t prev_cursor_col = -1;
int32_t prev_cursor_row = -1;

struct Glyph {
    const uint8_t* rows;  // 8 bytes per glyph row, 0 = background
    int32_t height;       // glyph rows in the table
    bool double_width;    // each glyph byte covers two frame pixels
};

Glyph glyph_of(int32_t font, int32_t fw, int32_t fh, uint8_t c) {
    switch (font) {
    case 8: return {font_glyphs_8x8 + c * 64, 8, false};
    case 9: return {font_glyphs_8x8 + c * 64, 8, true};
    case 14: return {font_glyphs_8x16 + c * 128 + 8, 14, false};
    case 15: return {font_glyphs_8x16 + c * 128 + 8, 14, true};
    case 16: return {font_glyphs_8x16 + c * 128, 16, false};
    case 17: return {font_glyphs_8x16 + c * 128, 16, true};
    default: break;
    }
    // Other handles are drawn with the built-in design nearest their height.
    const bool wide = fw >= 16;
    if (fh <= 8) return {font_glyphs_8x8 + c * 64, 8, wide};
    if (fh <= 14) return {font_glyphs_8x16 + c * 128 + 8, 14, wide};
    return {font_glyphs_8x16 + c * 128, 16, wide};
}

struct CellStyle {
    int32_t font, fw, fh, frame_width;
    bool blink_on;
    bool cursor_drawn;  // the cursor shows in this frame
    int32_t cursor_first, cursor_last;
};

void draw_cell(const CellStyle& st, const uint32_t* palette, uint32_t* pixels,
               int32_t col, int32_t row, uint8_t c, uint8_t a, bool is_cursor) {
    int32_t fg_index = a & 15;
    const int32_t bg_index = (a >> 4) & 7;
    if ((a & 128) && st.blink_on) fg_index = bg_index;
    const uint32_t fg = palette[fg_index];
    const uint32_t bg = palette[bg_index];
    const Glyph g = glyph_of(st.font, st.fw, st.fh, c);
    uint32_t* top = pixels + size_t(row) * st.fh * st.frame_width + size_t(col) * st.fw;
    for (int32_t y = 0; y < st.fh; ++y) {
        uint32_t* out = top + size_t(y) * st.frame_width;
        if (y >= g.height) {
            for (int32_t x = 0; x < st.fw; ++x) out[x] = bg;
            continue;
        }
        const uint8_t* bits = g.rows + y * 8;
        for (int32_t x = 0; x < st.fw; ++x) {
            const int32_t gx = g.double_width ? x / 2 : x;
            out[x] = gx < 8 && bits[gx] ? fg : bg;
        }
    }
    if (is_cursor && st.cursor_drawn) {
        const uint32_t colour = palette[a & 15];
        for (int32_t y = st.cursor_first; y <= st.cursor_last; ++y) {
            uint32_t* out = top + size_t(y) * st.frame_width;
            for (int32_t x = 0; x < st.fw; ++x) out[x] = colour;
        }
    }
}

}  // namespace

void font_cell_size(int32_t font, int32_t* fw, int32_t* fh) {
    if (font >= 0 && font < rt_fonts.count && rt_fonts.font_width && rt_fonts.font_height &&
        rt_fonts.font_width[font] > 0 && rt_fonts.font_height[font] > 0) {
        *fw = rt_fonts.font_width[font];
        *fh = rt_fonts.font_height[font];
        return;
    }
    switch (font) {
    case 8: *fw = 8; *fh = 8; return;
    case 9: *fw = 16; *fh = 8; return;
    case 14: *fw = 8; *fh = 14; return;
    case 15: *fw = 16; *fh = 14; return;
    case 17: *fw = 16; *fh = 16; return;
    default: *fw = 8; *fh = 16; return;
    }
}

bool cursor_shape_lines(int32_t s, int32_t e, int32_t fh, int32_t* first, int32_t* last) {
    // The bottom line: the 16-pixel cell keeps its last line free.
    const int32_t b = fh == 16 ? 14 : fh - 1;
    int32_t f, l;
    if (e == 0) {
        if (s != 0) return false;
        f = 0, l = 0;
    } else if (e < s) {
        f = e, l = fh - 1;
    } else if (s == e) {
        f = l = s <= 3 ? s : b;
    } else if (s >= 3) {
        if (e == s + 1) f = b - 1, l = b;
        else if (e == s + 2) f = b - 2, l = b;
        else f = fh - fh / 2, l = fh - 1;
    } else if (s <= 1) {
        f = s, l = e <= 3 ? e : fh - 1;
    } else {  // s == 2
        if (e == 3) f = 2, l = 3;
        else if (e == 4) f = b - 2, l = b;
        else f = 2, l = fh - 1;
    }
    if (f >= fh) return false;
    if (f < 0) f = 0;
    if (l > fh - 1) l = fh - 1;
    if (l < f) return false;
    *first = f;
    *last = l;
    return true;
}

int32_t text_frame_changed(const TextFrameInput& in, bool* valid) {
    const size_t bytes = size_t(in.cols) * in.rows * 2;
    if (bytes != cell_copy_size) {
        auto* copy = static_cast<uint8_t*>(composer_alloc(bytes));
        auto* now = static_cast<uint8_t*>(composer_alloc(bytes));
        if (copy == nullptr || now == nullptr) {
            std::free(copy);
            std::free(now);
            return -1;
        }
        std::free(cell_copy);
        std::free(cells_now);
        cell_copy = copy;
        cells_now = now;
        cell_copy_size = bytes;
        *valid = false;
    }
    if (!*valid) {
        std::memcpy(palette_copy, in.palette, sizeof palette_copy);
    } else if (std::memcmp(in.palette, palette_copy, sizeof palette_copy) != 0) {
        std::memcpy(palette_copy, in.palette, sizeof palette_copy);
        *valid = false;
    }
    if (!*valid) return 1;
    if (in.blink_on != prev_blink) return 1;
    if (in.cursor_col != prev_cursor_col || in.cursor_row != prev_cursor_row) return 1;
    PageReadScope reading;
    return std::memcmp(in.page->data, cell_copy, bytes) != 0 ? 1 : 0;
}

void text_frame_draw(const TextFrameInput& in, bool valid, uint32_t* pixels) {
    const ScreenImage* page = in.page;
    CellStyle st{};
    st.font = page->font;
    st.fw = in.fw;
    st.fh = in.fh;
    st.frame_width = in.cols * in.fw;
    st.blink_on = in.blink_on;
    st.cursor_drawn = page->cursor_visible == 1 && in.blink_on &&
                      cursor_shape_lines(page->cursor_start, page->cursor_stop, in.fh,
                                         &st.cursor_first, &st.cursor_last);

    const bool blink_flipped = in.blink_on != prev_blink;
    const bool cursor_moved = in.cursor_col != prev_cursor_col || in.cursor_row != prev_cursor_row;
    {
        PageReadScope reading;
        std::memcpy(cells_now, page->data, cell_copy_size);
    }
    const uint8_t* data = cells_now;
    const uint32_t* palette = in.palette;
    const size_t row_bytes = size_t(in.cols) * 2;
    for (int32_t row = 0; row < in.rows; ++row) {
        // A row whose cells are as they were, with no blink flip and no
        // cursor in it now or before, keeps its pixels as a whole.
        if (valid && !blink_flipped && row != in.cursor_row && row != prev_cursor_row &&
            std::memcmp(data + row * row_bytes, cell_copy + row * row_bytes, row_bytes) == 0)
            continue;
        for (int32_t col = 0; col < in.cols; ++col) {
            const size_t i = (size_t(row) * in.cols + col) * 2;
            const uint8_t c = data[i];
            const uint8_t a = data[i + 1];
            const bool same = c == cell_copy[i] && a == cell_copy[i + 1];
            const bool is_cursor = col == in.cursor_col && row == in.cursor_row;
            const bool was_cursor = col == prev_cursor_col && row == prev_cursor_row;
            if (valid && same && !((a & 128) && blink_flipped) &&
                !(is_cursor && (blink_flipped || cursor_moved)) && !(was_cursor && cursor_moved))
                continue;
            draw_cell(st, palette, pixels, col, row, c, a, is_cursor);
        }
    }
    std::swap(cell_copy, cells_now);
    prev_blink = in.blink_on;
    prev_cursor_col = in.cursor_col;
    prev_cursor_row = in.cursor_row;
}
