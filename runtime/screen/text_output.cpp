// Printing on the write page: characters at the text cursor, the control
// characters, the right-edge wrap with its deferred line end, scrolling of
// the text window, item fitting, print zones and the console image.
#include "runtime/screen/text_output.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/plat_time.h"
#include "runtime/core/errors.h"
#include "runtime/screen/screen_internal.h"
#include "runtime/screen/screen_statements.h"

int32_t control_chars_off = 0;
int32_t labels_drawing = 0;

namespace {

constexpr int32_t kBellMs = 250;

// Glyph source of a built-in font: the 8x8 or 8x16 table (8x14 is rows 1 to
// 14 of the 8x16 glyphs); false for fonts without built-in glyphs.
bool glyph_source(int32_t font, const uint8_t** base, int32_t* per_glyph) {
    switch (font) {
        case 8: case 9: *base = font_glyphs_8x8; *per_glyph = 64; return true;
        case 14: case 15: *base = font_glyphs_8x16 + 8; *per_glyph = 128; return true;
        case 16: case 17: *base = font_glyphs_8x16; *per_glyph = 128; return true;
        default: return false;
    }
}

// Font width used for the wrap rules of a pixel page.
int32_t pixel_font_width(const ScreenImage* w) {
    int32_t fw = font_width_of(w->font);
    return fw > 0 ? fw : 8;
}

bool uses_four_byte_codes(const ScreenImage* w) {
    return w->font >= 0 && w->font < rt_fonts.count && (rt_fonts.font_options[w->font] & FONT_OPTION_FOUR_BYTE_CODES);
}

uint64_t replicate(uint8_t b) { return 0x0101010101010101ull * b; }

// A glyph of 8 pixel columns drawn into a 1-byte image, the cell wholly
// inside: one 8-byte store per glyph row, glyph bytes (0 or 255) used as masks.
void draw_glyph_fast(ScreenImage* w, const uint8_t* glyph, int32_t rows, int64_t x0, int64_t y0) {
    const uint64_t fg = replicate(static_cast<uint8_t>(w->fg_colour & w->colour_mask));
    const uint64_t bg = replicate(static_cast<uint8_t>(w->bg_colour & w->colour_mask));
    uint8_t* dst = w->data + static_cast<size_t>(y0) * w->width + static_cast<size_t>(x0);
    const size_t stride = w->width;
    switch (w->print_mode) {
        case 3:
            for (int32_t r = 0; r < rows; ++r, dst += stride, glyph += 8) {
                uint64_t g;
                std::memcpy(&g, glyph, 8);
                uint64_t out = (g & fg) | (~g & bg);
                std::memcpy(dst, &out, 8);
            }
            break;
        case 1:
        case 2:
            for (int32_t r = 0; r < rows; ++r, dst += stride, glyph += 8) {
                uint64_t g, old;
                std::memcpy(&g, glyph, 8);
                std::memcpy(&old, dst, 8);
                uint64_t out = w->print_mode == 1 ? (g & fg) | (~g & old) : (~g & bg) | (g & old);
                std::memcpy(dst, &out, 8);
            }
            break;
        default:
            break;
    }
}

// Codes 7, 9 to 13 and 28 to 31.
constexpr uint32_t kControlCodes = (1u << 7) | (0x1Fu << 9) | (0xFu << 28);
bool is_control_char(uint32_t code) { return code < 32 && ((kControlCodes >> code) & 1) != 0; }

// What printing on a 1-byte pixel page with an 8-pixel-wide built-in font
// and both colours stored (print mode 3, the game's case) needs, worked out
// once per printed string, so that a run of characters inside a row is
// drawn with nothing looked up per character: each glyph is its rows of
// 8-byte stores.
struct GlyphPen {
    uint8_t* data;
    size_t stride;
    const uint8_t* base;  // glyph table
    int32_t per_glyph;    // bytes per glyph in the table
    int32_t fh;           // glyph rows
    int32_t cols, rows;   // cells wholly inside the page
    uint64_t fg, bg;      // colours in every byte
};

bool glyph_pen_for(const ScreenImage* w, GlyphPen* pen) {
    if (w->is_text || w->bytes_per_unit != 1 || w->print_mode != 3 || !w->data) return false;
    if (font_width_of(w->font) != 8 || !glyph_source(w->font, &pen->base, &pen->per_glyph)) return false;
    pen->fh = font_height_of(w->font);
    if (pen->fh <= 0) return false;
    pen->data = w->data;
    pen->stride = w->width;
    pen->cols = w->width / 8;
    pen->rows = w->height / pen->fh;
    pen->fg = replicate(static_cast<uint8_t>(w->fg_colour & w->colour_mask));
    pen->bg = replicate(static_cast<uint8_t>(w->bg_colour & w->colour_mask));
    return true;
}

// The rows of one glyph. The values are taken into locals first: the stores
// go through byte pointers, which may alias anything in memory, so fields
// read through a pointer would be read again after every store.
template <int32_t Rows>
inline void pen_rows(const uint8_t* glyph, uint8_t* dst, size_t stride, uint64_t fg, uint64_t bg, int32_t rows) {
    const int32_t n = Rows > 0 ? Rows : rows;
    for (int32_t r = 0; r < n; ++r, dst += stride, glyph += 8) {
        uint64_t g;
        std::memcpy(&g, glyph, 8);
        const uint64_t out = (g & fg) | (~g & bg);
        std::memcpy(dst, &out, 8);
    }
}

// A colour over a 32-bit pixel: replaced when blending is off, else blended
// by the colour's alpha.
uint32_t blend_over(uint32_t src, uint32_t dst) {
    uint32_t a = src >> 24;
    if (a == 255) return src;
    if (a == 0) return dst;
    auto mix = [&](int shift) {
        uint32_t s = (src >> shift) & 255, d = (dst >> shift) & 255;
        return ((s * a + d * (255 - a) + 127) / 255) << shift;
    };
    uint32_t da = dst >> 24;
    uint32_t out_a = a + (da * (255 - a) + 127) / 255;
    return (out_a << 24) | mix(16) | mix(8) | mix(0);
}

// Any glyph cell, pixel by pixel, clipped to the image: cells at the edge
// of an image whose size is not a whole number of cells, double-width
// fonts and 32-bit images.
void draw_glyph_clipped(ScreenImage* w, const uint8_t* glyph, int32_t fw, int32_t fh, int64_t x0, int64_t y0) {
    const bool on = w->print_mode == 3 || w->print_mode == 1;
    const bool off = w->print_mode == 3 || w->print_mode == 2;
    const int32_t bpu = w->bytes_per_unit;
    for (int32_t r = 0; r < fh; ++r) {
        int64_t y = y0 + r;
        if (y < 0 || y >= w->height) continue;
        for (int32_t c = 0; c < fw; ++c) {
            int64_t x = x0 + c;
            if (x < 0 || x >= w->width) continue;
            bool lit = glyph[r * 8 + c * 8 / fw] != 0;
            if (lit ? !on : !off) continue;
            uint32_t colour = lit ? w->fg_colour : w->bg_colour;
            size_t at = static_cast<size_t>(y) * w->width + static_cast<size_t>(x);
            if (bpu == 1) {
                w->data[at] = static_cast<uint8_t>(colour & w->colour_mask);
            } else if (bpu == 4) {
                uint32_t* p = reinterpret_cast<uint32_t*>(w->data) + at;
                *p = w->blend_off ? colour : blend_over(colour, *p);
            }
        }
    }
}

// Prints the longest run of the next characters that are printable and land
// before the last column of a row wholly inside the page, so that no
// right-edge rule applies inside it. Returns how many were printed: 0 when
// the next character needs the general path.
int32_t pen_print_run(const GlyphPen& pen, ScreenImage* w, const uint8_t* text, int32_t n, bool controls) {
    const int32_t col = w->cursor_col, row = w->cursor_row;
    if (row < 1 || row > pen.rows || col < 1 || col >= pen.cols) return 0;
    n = std::min(n, pen.cols - col);
    const size_t stride = pen.stride;
    const uint64_t fg = pen.fg, bg = pen.bg;
    const uint8_t* base = pen.base;
    const size_t per_glyph = static_cast<size_t>(pen.per_glyph);
    const int32_t fh = pen.fh;
    uint8_t* dst = pen.data + static_cast<size_t>(row - 1) * fh * stride + static_cast<size_t>(col - 1) * 8;
    int32_t k = 0;
    for (; k < n; ++k, dst += 8) {
        const uint8_t c = text[k];
        if (controls && is_control_char(c)) break;
        if (fh == 16)
            pen_rows<16>(base + c * per_glyph, dst, stride, fg, bg, 16);
        else
            pen_rows<0>(base + c * per_glyph, dst, stride, fg, bg, fh);
    }
    w->cursor_col = static_cast<int16_t>(col + k);
    return k;
}

// Scrolls the text window of the write page up by one text row.
void scroll_window(ScreenImage* w) {
    if (!w->data) return;
    const int64_t top = w->view_top, bottom = w->view_bottom;
    if (w->is_text) {
        const size_t row_bytes = static_cast<size_t>(w->width) * 2;
        const int64_t last = std::min<int64_t>(bottom, w->height);
        if (last > top)
            std::memmove(w->data + (top - 1) * row_bytes, w->data + top * row_bytes,
                         static_cast<size_t>(last - top) * row_bytes);
        fill_text_rows(w, bottom, bottom, text_attribute(w->fg_colour, w->bg_colour));
        return;
    }
    const int64_t fh = font_height_of(w->font);
    if (fh <= 0) return;
    const size_t row_bytes = static_cast<size_t>(w->width) * w->bytes_per_unit;
    const int64_t y_top = (top - 1) * fh;
    const int64_t y_end = std::min<int64_t>(bottom * fh, w->height);
    if (y_end - y_top > fh)
        std::memmove(w->data + y_top * row_bytes, w->data + (y_top + fh) * row_bytes,
                     static_cast<size_t>(y_end - y_top - fh) * row_bytes);
    fill_pixel_rows(w, (bottom - 1) * fh, bottom * fh, w->bg_colour);
}

// Prints one character as a glyph at the cursor, advances the cursor and
// applies the right-edge rule. Returns true when it ended the line.
bool put_and_advance(ScreenImage* w, uint32_t code, bool last, int32_t line_end) {
    text_put_char(code);
    ++w->cursor_col;
    const int32_t fw = w->is_text ? 1 : pixel_font_width(w);
    const bool beyond = w->is_text ? w->cursor_col > w->width
                                   : static_cast<int64_t>(w->cursor_col - 1) * fw > static_cast<int64_t>(w->width) - fw;
    if (!beyond) return false;
    if (last && !line_end) {
        // The line end is deferred: the next printing decides what it becomes.
        w->cursor_col = static_cast<int16_t>(std::clamp<int32_t>(w->width / fw, 1, 32767));
        w->wrap_pending = 1;
        return false;
    }
    text_newline();
    return true;
}

// Control characters 7, 10 to 13 and 28 to 31 (tab is handled by the caller).
void control_char(ScreenImage* w, uint32_t code) {
    const int32_t columns = img_text_columns(w);
    switch (code) {
        case 7:
            plat_sleep_ms(kBellMs);
            break;
        case 10:
        case 13:
            text_newline();
            break;
        case 11:
            w->cursor_col = 1;
            w->cursor_row = w->view_top;
            break;
        case 12:
            rt_cls(0, 0, 0);
            break;
        case 28:
            if (w->cursor_row >= w->view_bottom && w->cursor_col >= columns) break;
            if (++w->cursor_col > columns) {
                ++w->cursor_row;
                w->cursor_col = 1;
            }
            break;
        case 29:
            if ((w->cursor_row == w->view_top || w->cursor_row > w->view_bottom) && w->cursor_col == 1) break;
            if (--w->cursor_col < 1) {
                --w->cursor_row;
                w->cursor_col = static_cast<int16_t>(std::max(columns, 1));
            }
            break;
        case 30:
            if (w->view_top < w->cursor_row && w->cursor_row <= w->view_bottom) --w->cursor_row;
            break;
        case 31:
            if (w->view_top <= w->cursor_row && w->cursor_row < w->view_bottom) ++w->cursor_row;
            break;
        default:
            break;
    }
    text_clamp_cursor(w);
}


void print_to_console(RtString* s, int32_t line_end) {
    if (s && s->len > 0) {
        const void* zero = std::memchr(s->data, 0, static_cast<size_t>(s->len));
        size_t n = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - s->data) : static_cast<size_t>(s->len);
        std::fwrite(s->data, 1, n, stdout);
    }
    if (line_end) {
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
}

}  // namespace

void text_put_char(uint32_t code) {
    ScreenImage* w = rt_pages.write;
    if (!w || !w->data) return;
    const int64_t col = w->cursor_col, row = w->cursor_row;
    if (w->is_text) {
        if (col < 1 || col > w->width || row < 1 || row > w->height) return;
        uint8_t* cell = w->data + ((row - 1) * w->width + (col - 1)) * 2;
        cell[0] = static_cast<uint8_t>(code);
        cell[1] = text_attribute(w->fg_colour, w->bg_colour);
        return;
    }
    const uint8_t* base;
    int32_t per_glyph;
    if (!glyph_source(w->font, &base, &per_glyph)) return;
    const int32_t fw = font_width_of(w->font), fh = font_height_of(w->font);
    const uint8_t* glyph = base + static_cast<size_t>(code & 0xFF) * per_glyph;
    const int64_t x0 = (col - 1) * fw, y0 = (row - 1) * fh;
    if (w->bytes_per_unit == 1 && fw == 8 && x0 >= 0 && y0 >= 0 && x0 + fw <= w->width && y0 + fh <= w->height)
        draw_glyph_fast(w, glyph, fh, x0, y0);
    else
        draw_glyph_clipped(w, glyph, fw, fh, x0, y0);
}

void text_newline() {
    ScreenImage* w = rt_pages.write;
    if (!w) return;
    text_clamp_cursor(w);
    w->cursor_col = 1;
    if (w->cursor_row + 1 <= w->view_bottom) {
        ++w->cursor_row;
        return;
    }
    // Below the window's last row (also from the row under the window): the
    // window scrolls and the cursor stays on its last row.
    scroll_window(w);
    w->cursor_row = w->view_bottom;
}

void rt_print(RtString* s, int32_t line_end) {
    if (screen_error_pending()) return;
    ScreenImage* w = rt_pages.write;
    if (!w) return;
    if (w->is_console) {
        print_to_console(s, line_end);
        return;
    }
    text_clamp_cursor(w);
    const int32_t len = s ? std::max(s->len, 0) : 0;
    if (w->wrap_pending) {
        if (len > 0) {
            w->wrap_pending = 0;
            text_newline();
        } else if (line_end) {
            w->wrap_pending = 0;
        }
    }
    const bool controls = !control_chars_off && !labels_drawing;
    const bool four_byte = uses_four_byte_codes(w);
    GlyphPen pen_storage;
    const GlyphPen* pen = !four_byte && glyph_pen_for(w, &pen_storage) ? &pen_storage : nullptr;
    bool made_line_end = false;
    for (int32_t i = 0; i < len; ++i) {
        if (pen) {
            const int32_t printed = pen_print_run(*pen, w, s->data + i, len - i, controls);
            if (printed > 0) {
                made_line_end = false;
                i += printed - 1;
                continue;
            }
        }
        uint32_t code = s->data[i];
        if (four_byte) {
            if (len - i < 4) break;
            std::memcpy(&code, s->data + i, 4);  // little-endian 32-bit code
            i += 3;
        }
        const bool last = i == len - 1;
        made_line_end = false;
        if (controls && is_control_char(code)) {
            if (code != 9) {
                control_char(w, code);
                continue;
            }
            // Tab: spaces up to and including the next column that is a
            // multiple of 8. A tab that reaches the right edge ends there
            // (with the line end made or deferred), so a page narrower than
            // 8 columns cannot make it run for ever.
            for (;;) {
                const bool again = w->cursor_col % 8 != 0;
                made_line_end = put_and_advance(w, ' ', last, line_end);
                if (!again || w->wrap_pending || made_line_end) break;
            }
            continue;
        }
        made_line_end = put_and_advance(w, code, last, line_end);
    }
    if (line_end && !made_line_end) text_newline();
}

void rt_print_fit(RtString* s) {
    if (screen_error_pending()) return;
    ScreenImage* w = rt_pages.write;
    if (!w || w->is_console || w->wrap_pending || w->cursor_col == 1) return;
    const int64_t len = s ? std::max(s->len, 0) : 0;
    if (w->is_text) {
        if (w->cursor_col + len - 1 > w->width) text_newline();
        return;
    }
    const int64_t fw = pixel_font_width(w);
    const int64_t chars = uses_four_byte_codes(w) ? len / 4 : len;
    if ((w->cursor_col - 1) * fw + chars * fw > w->width) text_newline();
}

void rt_print_zone() {
    if (screen_error_pending()) return;
    ScreenImage* w = rt_pages.write;
    if (!w) return;
    static uint8_t space_byte = ' ';
    static RtString space = [] {
        RtString s{};
        s.data = &space_byte;
        s.len = 1;
        s.is_literal = 1;
        return s;
    }();
    if (w->is_console) {
        rt_print(&space, 0);
        return;
    }
    if (w->wrap_pending) {
        text_newline();
        w->wrap_pending = 0;
        return;
    }
    const int32_t columns = img_text_columns(w);
    for (int32_t n = 0; n <= columns; ++n) {
        rt_print(&space, 0);
        const int32_t c = w->cursor_col;
        if (c == 1 || ((c - 1) % 14 == 0 && c <= columns - 13) || c >= columns) break;
    }
}

int32_t rt_print_width(RtString* s, int32_t handle, int32_t use_handle) {
    if (screen_error_pending()) return 0;
    const ScreenImage* image = rt_pages.write;
    if (use_handle) image = image_for_handle(handle);
    if (!image) return 0;
    if (image->is_text) {
        rt_error(5);
        return 0;
    }
    const int64_t len = s ? std::max(s->len, 0) : 0;
    const int64_t fw = pixel_font_width(image);
    const int64_t chars = uses_four_byte_codes(image) ? len / 4 : len;
    return static_cast<int32_t>(std::min<int64_t>(chars * fw, INT32_MAX));
}
