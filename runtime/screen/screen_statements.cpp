// The screen statements on the write page: clear, colours per screen mode,
// cursor position and shape (with the 80x50 extension of the untouched
// start-up screen), the text window, and the cursor and width queries.
#include "runtime/screen/screen_statements.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/conv_memory.h"
#include "runtime/core/errors.h"
#include "runtime/screen/screen_internal.h"
#include "runtime/screen/text_output.h"

namespace {

// Graphics point to the centre of the viewport (in logical coordinates when
// the page has a logical window).
void centre_graphics_point(ScreenImage* w) {
    float extent_x = static_cast<float>(w->view_x2 - w->view_x1 + 1);
    float extent_y = static_cast<float>(w->view_y2 - w->view_y1 + 1);
    if (w->view_state == 2) {
        w->gfx_x = extent_x / w->win_scale_x / 2 + w->win_offset_x;
        w->gfx_y = extent_y / w->win_scale_y / 2 + w->win_offset_y;
    } else {
        w->gfx_x = extent_x / 2;
        w->gfx_y = extent_y / 2;
    }
}

// The viewport rectangle of a pixel page filled with a colour, clipped.
void fill_viewport(ScreenImage* w, uint32_t fill) {
    const int64_t x1 = std::max<int64_t>(std::min(w->view_x1, w->view_x2), 0);
    const int64_t x2 = std::min<int64_t>(std::max(w->view_x1, w->view_x2), w->width - 1);
    const int64_t y1 = std::max<int64_t>(std::min(w->view_y1, w->view_y2), 0);
    const int64_t y2 = std::min<int64_t>(std::max(w->view_y1, w->view_y2), w->height - 1);
    if (!w->data || x1 > x2 || y1 > y2) return;
    for (int64_t y = y1; y <= y2; ++y) {
        size_t at = static_cast<size_t>(y) * w->width + static_cast<size_t>(x1);
        size_t n = static_cast<size_t>(x2 - x1 + 1);
        if (w->bytes_per_unit == 4) {
            uint32_t* p = reinterpret_cast<uint32_t*>(w->data) + at;
            std::fill(p, p + n, fill);
        } else {
            std::memset(w->data + at, static_cast<uint8_t>(fill), n);
        }
    }
}

// Clears a pixel page (whole page, or the viewport while one is set).
void clear_pixels(ScreenImage* w, uint32_t fill, bool whole_page) {
    if (whole_page || w->view_state == 0)
        fill_pixel_rows(w, 0, w->height, fill);
    else
        fill_viewport(w, fill);
    centre_graphics_point(w);
}

bool in_range(uint32_t value, uint32_t low, uint32_t high) { return value >= low && value <= high; }

// Colour limits of rt_color per mode: inclusive bounds for fg and bg, and
// whether a border is accepted.
struct ColourLimits {
    uint32_t fg_max;
    uint32_t bg_max;
    bool border_ok;
};

bool colour_limits(uint32_t mode, ColourLimits* limits) {
    switch (mode) {
        case 0: *limits = {31, 15, true}; return true;
        case 7: case 8: case 12: *limits = {15, 15, false}; return true;
        case 13: case 256: *limits = {255, 255, false}; return true;
        case 11: *limits = {1, 1, false}; return true;
        case 32: *limits = {0xFFFFFFFFu, 0xFFFFFFFFu, false}; return true;
        case 9: *limits = {15, 63, false}; return true;
        case 10: *limits = {3, 8, false}; return true;
        case 2: *limits = {1, 15, false}; return true;
        case 1: *limits = {15, 0xFFFFFFFFu, false}; return true;
        default: return false;
    }
}

// rt_locate's extension of the untouched 80x25 start-up screen to 80x50:
// the 25 rows of text and the colours survive the rebuild.
void extend_to_80x50() {
    uint8_t saved[4000];
    std::memcpy(saved, ConvMemory + CONV_TEXT, sizeof saved);
    const uint32_t fg = rt_pages.write->fg_colour, bg = rt_pages.write->bg_colour;
    rt_width(80, 50);
    std::memcpy(ConvMemory + CONV_TEXT, saved, sizeof saved);
    if (rt_pages.write) {
        rt_pages.write->fg_colour = fg;
        rt_pages.write->bg_colour = bg;
    }
}

}  // namespace

void rt_cls(int32_t kind, uint32_t fill, int32_t flags) {
    if (screen_error_pending()) return;
    ScreenImage* w = rt_pages.write;
    if (!w) return;
    const bool kind_given = flags & 1;
    if (!(flags & 2)) {
        fill = w->bg_colour;
    } else if (w->bytes_per_unit != 4 && fill > w->colour_mask) {
        rt_error(5);
        return;
    }
    if (kind_given && (kind < 0 || kind > 2)) {
        rt_error(5);
        return;
    }
    text_clamp_cursor(w);
    w->cursor_row = w->view_top;
    w->cursor_col = 1;
    w->draw_angle = 0.0;
    w->draw_scale = 1.0;
    const uint8_t blank = text_attribute(w->fg_colour, fill);
    if (!kind_given) {
        if (w->is_text) {
            fill_text_rows(w, w->view_top, w->view_bottom, blank);
            fill_text_rows(w, w->height, w->height, blank);
        } else {
            clear_pixels(w, fill, false);
        }
    } else if (kind == 0) {
        if (w->is_text)
            fill_text_rows(w, 1, w->height, blank);
        else
            clear_pixels(w, fill, true);
    } else if (kind == 1) {
        if (!w->is_text) clear_pixels(w, fill, false);
    } else {
        if (w->is_text) {
            fill_text_rows(w, w->view_top, w->view_bottom, blank);
        } else {
            const int64_t fh = font_height_of(w->font);
            fill_pixel_rows(w, (w->view_top - 1) * fh, w->view_bottom * fh, fill);
        }
    }
    // The function-key label line is never shown, so there is nothing to redraw.
}

void rt_color(uint32_t fg, uint32_t bg, uint32_t border, int32_t flags) {
    (void)border;
    if (screen_error_pending()) return;
    ScreenImage* w = rt_pages.write;
    if (!w || (flags & 7) == 0) return;
    const bool fg_given = flags & 1, bg_given = flags & 2, border_given = flags & 4;
    ColourLimits limits;
    if (!colour_limits(w->mode, &limits) || (fg_given && !in_range(fg, 0, limits.fg_max)) ||
        (bg_given && !in_range(bg, 0, limits.bg_max)) || (border_given && !limits.border_ok)) {
        rt_error(5);
        return;
    }
    uint32_t* palette = w->palette;
    switch (w->mode) {
        case 0:
            if (fg_given) w->fg_colour = fg;
            if (bg_given) w->bg_colour = bg & 7;
            break;
        case 12: case 13: case 256: case 11: case 32:
            if (fg_given) w->fg_colour = fg;
            if (bg_given) w->bg_colour = bg;
            break;
        case 7: case 8: case 2:
            if (fg_given) w->fg_colour = fg;
            if (bg_given && palette) palette[0] = palette_256[bg];
            break;
        case 9:
            if (fg_given) w->fg_colour = fg;
            if (bg_given && palette) palette[0] = palette_64[bg];
            break;
        case 10:
            if (fg_given) w->fg_colour = fg;
            if (bg_given && palette) palette[4] = bg;
            break;
        case 1:
            if (!palette) break;
            if (fg_given) palette[0] = palette_256[fg];
            if (bg_given) {
                // Odd: cyan, magenta, light grey; even: green, red, brown.
                const int first = (bg & 1) ? 3 : 2;
                for (int i = 0; i < 3; ++i) palette[1 + i] = palette_256[first + 2 * i];
            }
            break;
        default:
            break;
    }
}

void rt_locate(int32_t row, int32_t col, int32_t cursor, int32_t start, int32_t stop, int32_t flags) {
    if (screen_error_pending()) return;
    ScreenImage* w = rt_pages.write;
    if (!w) return;
    const bool row_given = flags & 1, col_given = flags & 2, cursor_given = flags & 4, start_given = flags & 8,
               stop_given = flags & 16;
    int32_t rows = img_text_rows(w);
    int32_t columns = img_text_columns(w);
    if (row_given) {
        if (row < w->view_top) {
            rt_error(5);
            return;
        }
        if (row != rows && row > w->view_bottom) {
            if (!default_screen_untouched) {
                rt_error(5);
                return;
            }
            default_screen_untouched = 0;
            if (row > 50 || !w->is_text || (col_given && (col < 1 || col > columns))) {
                rt_error(5);
                return;
            }
            extend_to_80x50();
            w = rt_pages.write;
            if (!w || screen_error_pending()) return;
            rows = img_text_rows(w);
            columns = img_text_columns(w);
        }
    }
    if ((col_given && (col < 1 || col > columns)) || (cursor_given && cursor != 0 && cursor != 1) ||
        (start_given && !in_range(static_cast<uint32_t>(start), 0, 31)) ||
        (stop_given && !in_range(static_cast<uint32_t>(stop), 0, 31))) {
        rt_error(5);
        return;
    }
    if (row_given && row > rows) {
        // Only rows of the grid: a text window below the grid of a tiny image.
        rt_error(5);
        return;
    }
    if (row_given) {
        w->cursor_row = static_cast<int16_t>(row);
        w->wrap_pending = 0;
    }
    if (col_given) {
        w->cursor_col = static_cast<int16_t>(col);
        w->wrap_pending = 0;
    }
    if (!row_given && !col_given && w->wrap_pending) w->wrap_pending = 2;
    const bool screen_page = w->flags & IMG_SCREEN_PAGE;
    if (cursor_given) {
        w->cursor_visible = cursor != 0;
        if (screen_page)
            for (int32_t p = 0; p < rt_pages.count; ++p)
                if (ScreenImage* page = img_get(rt_pages.entries[p]); page && rt_pages.entries[p])
                    page->cursor_visible = w->cursor_visible;
    }
    if (start_given || stop_given) {
        if (start_given) w->cursor_start = static_cast<uint8_t>(start);
        if (stop_given) w->cursor_stop = static_cast<uint8_t>(stop);
        if (screen_page)
            for (int32_t p = 0; p < rt_pages.count; ++p)
                if (ScreenImage* page = img_get(rt_pages.entries[p]); page && rt_pages.entries[p]) {
                    page->cursor_start = w->cursor_start;
                    page->cursor_stop = w->cursor_stop;
                }
    }
}

int32_t rt_csrlin() {
    if (screen_error_pending()) return 0;
    const ScreenImage* w = rt_pages.write;
    if (!w) return 0;
    if (w->wrap_pending) return w->cursor_row < w->view_bottom ? w->cursor_row + 1 : w->view_bottom;
    return w->cursor_row;
}

int32_t rt_pos() {
    if (screen_error_pending()) return 0;
    const ScreenImage* w = rt_pages.write;
    if (!w) return 0;
    return w->wrap_pending ? 1 : w->cursor_col;
}

void rt_view_print(int32_t top, int32_t bottom, int32_t given) {
    if (screen_error_pending()) return;
    ScreenImage* w = rt_pages.write;
    if (!w) return;
    const int32_t rows = std::min(img_text_rows(w), 32767);
    if (given) {
        if (top < 1 || top > bottom || bottom > rows) {
            rt_error(5);
            return;
        }
        w->view_top = static_cast<int16_t>(top);
        w->view_bottom = static_cast<int16_t>(bottom);
        w->cursor_row = static_cast<int16_t>(top);
    } else {
        w->view_top = 1;
        w->view_bottom = static_cast<int16_t>(std::max(rows, 1));
        w->cursor_row = 1;
    }
    w->cursor_col = 1;
    w->wrap_pending = 0;
}

int32_t rt_image_width(int32_t handle, int32_t use_handle) {
    if (screen_error_pending()) return 0;
    const ScreenImage* image = rt_pages.write;
    if (use_handle) image = image_for_handle(handle);
    return image ? image->width : 0;
}

void rt_control_chars(int32_t setting) {
    if (screen_error_pending()) return;
    control_chars_off = setting == 2 ? 1 : 0;
}
