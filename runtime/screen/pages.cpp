// The PageList and its display, write and source roles; the screen statement
// that builds the pages of a mode (with the mode-change hand-shake with the
// frame composer), the page copy, and the width statement of text mode.
#include "runtime/screen/pages.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/plat_time.h"
#include "runtime/core/conv_memory.h"
#include "runtime/core/errors.h"
#include "runtime/core/runtime.h"
#include "runtime/display/frame_composer.h"
#include "runtime/screen/screen_internal.h"

namespace {

int32_t initial_entries[1] = {0};

// A pending request of the width statement for the next text screen.
struct WidthRequest {
    bool pending = false;
    int32_t columns = 80;
    int32_t rows = 25;
} width_request;

// Grows the PageList to at least `count` entries, the new ones 0.
bool pages_reserve(int64_t count) {
    if (count <= rt_pages.count) return true;
    if (count > INT32_MAX) return false;
    int32_t* grown = rt_pages.entries == initial_entries
                         ? static_cast<int32_t*>(std::malloc(count * sizeof(int32_t)))
                         : static_cast<int32_t*>(std::realloc(rt_pages.entries, count * sizeof(int32_t)));
    if (!grown) return false;
    if (rt_pages.entries == initial_entries) grown[0] = initial_entries[0];
    std::fill(grown + rt_pages.count, grown + count, 0);
    rt_pages.entries = grown;
    rt_pages.count = static_cast<int32_t>(count);
    return true;
}

int32_t page_index(int32_t page) {
    return (page >= 0 && page < rt_pages.count) ? rt_pages.entries[page] : 0;
}

// The record of an image index; null for 0, which names no page.
ScreenImage* record(int32_t index) { return index ? img_get(index) : nullptr; }

void set_display(int32_t index) {
    rt_pages.display_page = index;
    rt_pages.display.store(record(index), std::memory_order_release);
}

void set_write_and_source(int32_t index) {
    rt_pages.write_page = rt_pages.source_page = index;
    rt_pages.write = rt_pages.source = record(index);
}

// Text size of a page as the screen statement notes it before a mode change.
void text_grid(const ScreenImage* image, int32_t* columns, int32_t* rows) {
    if (!image) {
        *columns = *rows = 0;
    } else if (image->is_text) {
        *columns = image->width;
        *rows = image->height;
    } else {
        int32_t fw = font_width_of(image->font), fh = font_height_of(image->font);
        *columns = image->width / (fw ? fw : 1);
        *rows = fh ? image->height / fh : 0;
    }
}

// Font of a text screen: 8x16 up to 30 rows, 8x8 beyond; double width for 40 columns.
int32_t text_screen_font(int32_t columns, int32_t rows) {
    int32_t font = rows <= 30 ? 16 : 8;
    return columns == 40 ? font + 1 : font;
}

[[noreturn]] void screen_out_of_memory() {
    rt_error(257);  // critical: the program cannot go on without a screen
    std::abort();
}

// Mode 0: eight text pages, as many as fit inside the video text area of
// ConvMemory, the rest with memory of their own.
void build_text_screen(int32_t columns, int32_t rows) {
    int32_t font = text_screen_font(columns, rows);
    int32_t stride = columns * rows * 2;
    if (columns == 80 && rows == 25) stride = 4096;
    if (columns == 40 && rows == 25) stride = 2048;
    int32_t inside = std::min<int32_t>(8, static_cast<int32_t>(CONV_TEXT_SIZE) / stride);
    if (!pages_reserve(8)) screen_out_of_memory();
    for (int32_t i = 0; i < 8; ++i) {
        int32_t index = i < inside ? img_wrap(ConvMemory + CONV_TEXT + i * stride, columns, rows, 0)
                                   : img_create(columns, rows, 0);
        if (!index) screen_out_of_memory();
        ScreenImage* page = img_get(index);
        img_set_font(font, page);
        page->flags |= IMG_SCREEN_PAGE;
        rt_pages.entries[i] = index;
    }
    for (uint32_t i = 0; i < CONV_TEXT_SIZE; i += 2) {
        ConvMemory[CONV_TEXT + i] = 0x20;
        ConvMemory[CONV_TEXT + i + 1] = 0x07;
    }
}

// Frees every page of the current mode; a program's own image used as page 0
// stays alive and stops being a screen page.
void free_mode_pages() {
    // Pages 1, 2, ... first and page 0 last, so that page 0's index is on top
    // of the free stack and becomes page 0 of the next mode.
    for (int32_t p = 1; p < rt_pages.count; ++p) {
        if (rt_pages.entries[p]) img_release(rt_pages.entries[p]);
        rt_pages.entries[p] = 0;
    }
    int32_t first = rt_pages.entries[0];
    if (first) {
        if (rt_pages.page0_is_user_image)
            img_get(first)->flags ^= IMG_SCREEN_PAGE;
        else
            img_release(first);
    }
    rt_pages.count = 1;
    rt_pages.entries[0] = 0;
    rt_pages.page0_is_user_image = 0;
    set_display(0);
    set_write_and_source(0);
}

// Builds page 0 of a new mode. `grid_columns` x `grid_rows` is the text size
// the previous page 0 showed: 80x60 (or 80x43) text carries over to the
// matching pixel modes with the 8x8 font.
void build_mode(int32_t mode, int32_t grid_columns, int32_t grid_rows) {
    int32_t index = 0;
    if (mode < 0) {
        index = -mode;
        img_get(index)->flags |= IMG_SCREEN_PAGE;
        rt_pages.page0_is_user_image = 1;
    } else if (mode == 13) {
        std::memset(ConvMemory + CONV_MODE13, 0, 64000);
        index = img_wrap(ConvMemory + CONV_MODE13, 320, 200, 13);
    } else if (mode == 12 || mode == 11 || mode == 10 || mode == 9) {
        bool vga = mode >= 11;
        index = img_create(640, vga ? 480 : 350, mode);
        if (index && grid_columns == 80 && grid_rows == (vga ? 60 : 43)) img_set_font(8, img_get(index));
    } else if (mode == 8 || mode == 2) {
        index = img_create(640, 200, mode);
    } else if (mode == 7 || mode == 1) {
        index = img_create(320, 200, mode);
    } else {
        build_text_screen(width_request.pending ? width_request.columns : 80,
                          width_request.pending ? width_request.rows : 25);
        width_request.pending = false;
        index = rt_pages.entries[0];
    }
    if (!index) screen_out_of_memory();
    rt_pages.entries[0] = index;
    img_get(index)->flags |= IMG_SCREEN_PAGE;
    set_display(index);
    set_write_and_source(index);
}

// Text window of the write page over the whole grid but its last row, with
// the cursor kept inside; the page's default colours.
void reset_write_page_window() {
    ScreenImage* w = rt_pages.write;
    img_reset_colours();
    int32_t rows = img_text_rows(w);
    w->view_top = 1;
    w->view_bottom = static_cast<int16_t>(std::max(rows, 1));
    if (w->cursor_row > w->view_bottom) w->cursor_row = 1;
    w->view_bottom = static_cast<int16_t>(std::max(rows - 1, 1));
    text_clamp_cursor(w);
}

// Keeps the frame composer away while pages are freed and rebuilt.
bool handshake_begin() {
    if (rt_control.auto_display.load() == 0 || rt_control.threads_started.load() == 0) return false;
    int32_t idle = 0;
    screen_handshake.compare_exchange_strong(idle, 1);
    // Once shutdown has begun the frame thread composes no more and waits for
    // this thread to park, so the wait must not outlast it.
    while (screen_handshake.load() != 2) {
        if (rt_control.stopping.load()) rt_park_program_thread();
        plat_sleep_ms(0);
    }
    return true;
}

}  // namespace

PageList rt_pages = {initial_entries, 1, 0, 0, 0, nullptr, nullptr, nullptr, 0, 0};
int32_t default_screen_untouched = 1;

void pages_reset() {
    if (rt_pages.entries != initial_entries) std::free(rt_pages.entries);
    initial_entries[0] = 0;
    rt_pages.entries = initial_entries;
    rt_pages.count = 1;
    rt_pages.active_page_number = 0;
    rt_pages.page0_is_user_image = 0;
    width_request.pending = false;
    set_display(0);
    set_write_and_source(0);
}

void page_ensure(int32_t page) {
    if (page < 0) return;
    if (!pages_reserve(static_cast<int64_t>(page) + 1)) {
        rt_error(7);
        return;
    }
    if (rt_pages.entries[page]) return;
    ScreenImage* first = record(rt_pages.entries[0]);
    if (!first) return;
    int32_t index = img_create(first->width, first->height, first->mode);
    if (!index) {
        rt_error(7);
        return;
    }
    ScreenImage* image = img_get(index);
    if (image->mode != 32) {
        // All pages of a mode share page 0's palette.
        std::free(image->palette);
        image->flags &= ~IMG_OWNS_PALETTE;
        image->palette = first->palette;
    }
    image->flags |= IMG_SCREEN_PAGE;
    img_set_font(first->font, image);
    rt_pages.entries[page] = index;
}

ScreenImage* image_for_handle(int32_t handle) {
    if (handle < 0) {
        if (!img_handle_valid(handle)) {
            rt_error(258);
            return nullptr;
        }
        return img_get(-handle);
    }
    page_ensure(handle);
    return record(page_index(handle));
}

void rt_screen(int32_t mode, int32_t active, int32_t visual, int32_t flags) {
    if (screen_error_pending()) return;
    const bool mode_given = flags & 1, active_given = flags & 4;
    bool visual_given = flags & 8;
    if (default_screen_untouched && !(flags == 1 && mode == 0)) default_screen_untouched = 0;

    // Every argument is checked before any page is created, freed or rebuilt.
    if (mode_given) {
        if (mode < 0) {
            if (!img_handle_valid(mode)) {
                rt_error(258);
                return;
            }
            // Another page of the current mode cannot become page 0: the mode
            // change frees those pages.
            int32_t index = -mode;
            for (int32_t p = 1; p < rt_pages.count; ++p)
                if (rt_pages.entries[p] == index) {
                    rt_error(5);
                    return;
                }
        } else if ((mode >= 3 && mode <= 6) || mode > 13) {
            rt_error(5);
            return;
        }
    }
    if ((active_given && active < 0) || (visual_given && visual < 0)) {
        rt_error(5);
        return;
    }
    if (active_given && !visual_given) {
        visual = active;
        visual_given = true;
    }

    const ScreenImage* first = record(rt_pages.entries[0]);
    bool mode_change = false;
    if (mode_given) {
        if (mode < 0)
            mode_change = rt_pages.entries[0] != -mode;
        else
            mode_change = !first || first->mode != mode;
    }
    if (width_request.pending) mode_change = true;
    bool page_change = false;
    if (!mode_change) {
        if (active_given) {
            page_ensure(active);
            int32_t index = page_index(active);
            if (!index) return;
            page_change |= index != rt_pages.write_page || index != rt_pages.source_page;
        }
        if (visual_given) {
            page_ensure(visual);
            int32_t index = page_index(visual);
            if (!index) return;
            page_change |= index != rt_pages.display_page;
        }
    }
    if (!mode_change && !page_change) return;

    const bool fenced = mode_change && handshake_begin();
    prev_frame_valid.store(0);

    if (mode_change) {
        int32_t grid_columns, grid_rows;
        text_grid(first, &grid_columns, &grid_rows);
        free_mode_pages();
        build_mode(mode_given ? mode : 0, grid_columns, grid_rows);
        rt_pages.write->draw_angle = 0.0;
        rt_pages.write->draw_scale = 1.0;
        rt_pages.active_page_number = 0;
    }

    if (active_given) {
        page_ensure(active);
        int32_t index = page_index(active);
        if (index && (index != rt_pages.write_page || index != rt_pages.source_page)) {
            ScreenImage* previous = rt_pages.write;
            set_write_and_source(index);
            reset_write_page_window();
            ScreenImage* w = rt_pages.write;
            if (active != rt_pages.active_page_number && !w->is_text && previous) {
                // The graphics state (viewport to turtle scale) follows the active page.
                auto* from = reinterpret_cast<const uint8_t*>(&previous->view_x1);
                auto* to = reinterpret_cast<uint8_t*>(&w->view_x1);
                std::memmove(to, from, offsetof(ScreenImage, draw_scale) + sizeof(double) -
                                           offsetof(ScreenImage, view_x1));
            }
        }
        if (index) rt_pages.active_page_number = active;
    }
    if (visual_given) {
        page_ensure(visual);
        int32_t index = page_index(visual);
        if (index && index != rt_pages.display_page) {
            set_display(index);
            reset_write_page_window();
        }
    }

    if (fenced) screen_handshake.store(0);
}

void rt_pcopy(int32_t from, int32_t to) {
    if (screen_error_pending()) return;
    auto resolve = [](int32_t value) -> int32_t {
        if (value < 0) {
            if (!img_handle_valid(value)) {
                rt_error(5);
                return 0;
            }
            return -value;
        }
        page_ensure(value);
        return page_index(value);
    };
    int32_t source = resolve(from);
    if (!source) return;
    int32_t target = resolve(to);
    if (!target || source == target) return;
    const ScreenImage* s = img_get(source);
    ScreenImage* t = img_get(target);
    if (s->bytes_per_unit != t->bytes_per_unit || s->width != t->width || s->height != t->height ||
        (s->bytes_per_unit == 1 && t->colour_mask < s->colour_mask)) {
        rt_error(5);
        return;
    }
    std::memmove(t->data, s->data, static_cast<size_t>(s->width) * s->height * s->bytes_per_unit);
}

void rt_width(int32_t columns, int32_t rows) {
    if (screen_error_pending()) return;
    const ScreenImage* first = record(rt_pages.entries[0]);
    bool size_ok = (columns == 40 || columns == 80) &&
                   (rows == 25 || rows == 30 || rows == 43 || rows == 50 || rows == 60);
    if (!size_ok || !first || !first->is_text || rt_pages.page0_is_user_image) {
        rt_error(5);
        return;
    }
    default_screen_untouched = 0;
    width_request = {true, columns, rows};
    rt_screen(0, 0, 0, 1);
}
