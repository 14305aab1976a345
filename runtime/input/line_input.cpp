// rt_input: the line-input statement. The user edits one line on the write
// page; every keystroke that would make the line invalid for its variables
// is taken back, and every valid line is stored into the variables at once.
// Two copies of the page are kept: the page as it was when input started
// (restored and reprinted after a removal) and the page without the drawn
// cursor (pixel pages have no cursor of their own).
#include "runtime/input/line_input.h"
#include <cstdlib>
#include <cstring>
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/core/errors.h"
#include "runtime/input/key_reading.h"
#include "runtime/input/line_fields.h"
#include "runtime/screen/fonts_palettes.h"
#include "runtime/screen/pages.h"
#include "runtime/screen/text_output.h"
#include "runtime/strings/rt_string.h"

InputTarget rt_input_targets[RT_INPUT_MAX_TARGETS];

namespace {

struct PageCopy {
    uint8_t* bytes;
    size_t size;
};

size_t page_bytes(const ScreenImage* page) {
    return static_cast<size_t>(page->width) * page->height * page->bytes_per_unit;
}

PageCopy page_copy(const ScreenImage* page, ErrorCode on_failure) {
    size_t size = page_bytes(page);
    uint8_t* bytes = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (!bytes) {
        rt_error(on_failure);  // a critical error: it ends the process
        return {nullptr, 0};
    }
    std::memcpy(bytes, page->data, size);
    return {bytes, size};
}

void page_refresh(PageCopy& copy, const ScreenImage* page) {
    if (copy.bytes) std::memcpy(copy.bytes, page->data, copy.size);
}

void page_restore(const PageCopy& copy, ScreenImage* page) {
    if (copy.bytes) std::memcpy(page->data, copy.bytes, copy.size);
}

struct InputState {
    ScreenImage* page;
    int32_t count;
    uint8_t line[INPUT_LINE_MAX + 1];
    int32_t len;
    int16_t start_row, start_col;
    uint8_t start_wrap;
    PageCopy at_start;     // the page when input started
    PageCopy clean;        // the page without the drawn cursor
};

void print_bytes(const uint8_t* bytes, int32_t len) {
    RtString* s = rts_from_literal(bytes, len);
    rt_print(s, 0);
}

// Pixel pages: a one-line cursor under the cell the next character goes to,
// at the same line a text page draws its default cursor.
void draw_cursor(InputState& st) {
    ScreenImage* page = st.page;
    if (page->is_text || page->wrap_pending || page->font < 0 || page->font >= rt_fonts.count) return;
    int32_t fw = rt_fonts.font_width ? rt_fonts.font_width[page->font] : 0;
    int32_t fh = rt_fonts.font_height ? rt_fonts.font_height[page->font] : 0;
    if (fw <= 0 || fh <= 0) return;
    int32_t x0 = (page->cursor_col - 1) * fw;
    int32_t y = (page->cursor_row - 1) * fh + (fh == 16 ? 14 : fh - 1);
    if (x0 < 0 || y < 0 || x0 + fw > page->width || y >= page->height) return;
    uint8_t* row = page->data + static_cast<size_t>(y) * page->width * page->bytes_per_unit;
    for (int32_t x = x0; x < x0 + fw; x++) {
        if (page->bytes_per_unit == 4)
            std::memcpy(row + x * 4, &page->fg_colour, 4);
        else if (page->bytes_per_unit == 1)
            row[x] = static_cast<uint8_t>(page->fg_colour & page->colour_mask);
    }
}

// After every change: remember the page without the cursor, then draw it.
void show_cursor(InputState& st) {
    if (st.page->is_text) return;
    page_refresh(st.clean, st.page);
    draw_cursor(st);
}

void hide_cursor(InputState& st) {
    if (!st.page->is_text) page_restore(st.clean, st.page);
}

void store(InputState& st) { input_store_line(st.line, st.len, rt_input_targets, st.count); }

// Append one character when the line stays valid, and echo it.
bool append(InputState& st, uint8_t c) {
    if (st.len >= INPUT_LINE_MAX) return false;
    st.line[st.len] = c;
    if (!input_line_valid(st.line, st.len + 1, rt_input_targets, st.count)) return false;
    st.len++;
    print_bytes(&c, 1);
    store(st);
    return true;
}

// Remove the last character: the page goes back to how it was when input
// started and the rest of the line is printed again.
void remove_last(InputState& st) {
    if (st.len == 0) return;
    st.len--;
    page_restore(st.at_start, st.page);
    st.page->cursor_row = st.start_row;
    st.page->cursor_col = st.start_col;
    st.page->wrap_pending = st.start_wrap;
    if (st.len > 0) print_bytes(st.line, st.len);
    store(st);
}

// One key of the editor; false when the key ends input.
bool edit(InputState& st, uint8_t key) {
    switch (key) {
        case 13: return false;
        case 8: remove_last(st); break;
        case 9: {
            int32_t spaces = 8 - st.len % 8;
            while (spaces-- > 0 && append(st, ' ')) {}
            break;
        }
        case 7: print_bytes(&key, 1); break;
        case 10: case 11: case 12: case 28: case 29: case 30: case 31: break;
        default: append(st, key); break;
    }
    return true;
}

// Wait for one key that makes a one-character rt_inkey result; false when
// input must end without one (the program is stopping, or an error arose).
bool read_key(uint32_t mark, uint8_t* key) {
    for (;;) {
        plat_sleep_ms(10);
        if (rt_control.stopping.load() || rt_control.error_pending.load()) return false;
        RtString* s = rt_inkey();
        bool single = s->len == 1;
        if (single) *key = s->data[0];
        rts_release_temps(mark, 0);
        if (single) return true;
    }
}

}  // namespace

void rt_input(int32_t count, int32_t newline) {
    if (rt_control.error_pending.load()) return;
    ScreenImage* page = rt_pages.write;
    if (count < 0 || count > RT_INPUT_MAX_TARGETS || !page || !page->data) {
        rt_error(5);
        return;
    }
    for (int32_t i = 0; i < count; i++) {
        if (!input_target_valid(rt_input_targets[i].type) || !rt_input_targets[i].variable) {
            rt_error(5);
            return;
        }
    }
    int32_t auto_display_before = rt_control.auto_display.exchange(1);
    uint8_t cursor_before = page->cursor_visible;
    page->cursor_visible = 1;
    uint32_t mark = rts_temp_mark();
    for (int32_t i = 0; i < count; i++) input_clear_variable(rt_input_targets[i]);

    InputState st;
    st.page = page;
    st.count = count;
    st.len = 0;
    st.start_row = page->cursor_row;
    st.start_col = page->cursor_col;
    st.start_wrap = page->wrap_pending;
    st.at_start = page_copy(page, 516);
    st.clean = page_copy(page, 517);
    show_cursor(st);

    uint8_t key = 0;
    bool entered = false;
    while (read_key(mark, &key)) {
        hide_cursor(st);
        if (!edit(st, key)) {
            entered = true;
            break;
        }
        rts_release_temps(mark, 0);
        show_cursor(st);
    }
    if (!entered) hide_cursor(st);
    if (entered && newline) rt_print(rts_empty_string, 1);
    rts_release_temps(mark, 0);
    page->cursor_visible = cursor_before;
    std::free(st.at_start.bytes);
    std::free(st.clean.bytes);

    if (auto_display_before == 0) {
        // Show the finished line once more, then leave composition to the
        // program as before.
        if (!rt_control.threads_started.load()) {
            rt_control.auto_display.store(0);
            return;
        }
        rt_control.auto_display.store(-1);
        while (rt_control.auto_display.load() != 0 && !rt_control.stopping.load()) plat_sleep_ms(1);
    }
}
