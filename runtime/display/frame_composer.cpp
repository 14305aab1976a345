// compose_frame: turns the display page into a 32-bit frame in the
// FrameRing when something visible changed since the last frame. Palette
// pages and 32-bit pages are composed here; text pages in text_frame.cpp.
#include "runtime/display/frame_composer.h"
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/core/timing.h"
#include "runtime/display/composer_internal.h"
#include "runtime/display/window.h"
#include "runtime/screen/pages.h"

std::atomic<int32_t> frame_count{0};
std::atomic<int32_t> screen_handshake{0};
std::atomic<int32_t> prev_frame_valid{0};
std::atomic<int32_t> frame_done{0};
std::atomic<int32_t> frame_size_width{0};
std::atomic<int32_t> frame_size_height{0};

namespace {

// prev_frame_valid: 0 invalid (rt_screen clears it whenever pages change),
// 1 the last published frame matches the caches, 2 a composition is under
// way. Only the composer writes 1 and 2, so a clear that arrives while a
// frame is being composed survives the end of that composition.
constexpr int32_t FRAME_COMPOSING = 2;

enum class PageKind { none, text, palette, truecolour };

// The kind of page the last published frame came from: the text and palette
// caches are separate, so a frame of another kind never counts as valid.
PageKind last_kind = PageKind::none;

// Palette-page caches: the pixel bytes and colours as last composed.
uint8_t* pixel_copy = nullptr;
size_t pixel_copy_size = 0;
uint32_t pixel_palette_copy[256];

// Incremental drawing of palette pages. Every palette-page composition takes
// the next serial; its buffer keeps the serial of the frame it holds
// (FrameSlot::content_serial) when it is recycled. The caches remember the
// serial at which each pixel row and the colours last changed, so a
// recycled buffer needs only the rows that changed after its frame: at the
// game's prompt, the countdown and the typed line, not the whole screen.
uint64_t* row_serial = nullptr;
size_t row_serial_count = 0;
size_t row_width = 0;  // the page width the rows were counted in
uint64_t palette_serial = 0;
uint64_t last_serial = 0;

// Claims the previous frame for this composition; true when it is valid.
bool begin_composition() {
    return prev_frame_valid.exchange(FRAME_COMPOSING) == 1;
}

// Ends a composition that got past begin_composition: the previous frame
// stays valid, or becomes the newly published one (valid true), or is
// invalid (a failed allocation: compose afresh next time). A clear made by
// rt_screen meanwhile is kept.
void end_composition(bool valid) {
    int32_t expected = FRAME_COMPOSING;
    prev_frame_valid.compare_exchange_strong(expected, valid ? 1 : 0);
}

void publish(int32_t s, PageKind kind) {
    last_kind = kind;
    if (kind != PageKind::palette) frame_ring.slots[s].content_serial = 0;
    ring_publish(s);
}

// Mode 10 is a monochrome mode: entries 4 to 7 hold the attribute levels
// 0 to 8 of attributes 0 to 3, each a pair of intensities (off, normal,
// bright) between which the level alternates; entries 0 to 3 show the
// intensity of the current phase, which flips every 512 ms.
void mode10_palette(uint32_t* palette) {
    static const uint8_t phases[9][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 1}, {1, 0},
                                         {1, 2}, {2, 2}, {2, 0}, {2, 1}};
    static const uint32_t intensity[3] = {0xFF000000u, 0xFFAAAAAAu, 0xFFFFFFFFu};
    const int phase = (rt_clock_ms() >> 9) & 1;
    for (int i = 0; i < 4; ++i) {
        const uint32_t level = palette[4 + i];
        palette[i] = level < 9 ? intensity[phases[level][phase]] : intensity[0];
    }
}

enum class Outcome { unchanged, published, failed };

Outcome compose_palette_page(const ScreenImage& page, bool valid) {
    uint32_t palette[256];
    {
        PageReadScope reading;
        std::memcpy(palette, page.palette, sizeof palette);
    }
    if (page.mode == 10) mode10_palette(palette);
    const size_t n = size_t{page.width} * page.height;
    const int bits = page.bits_per_unit;
    const size_t colours = bits >= 8 ? 256 : size_t{1} << bits;

    if (n == pixel_copy_size && valid &&
        std::memcmp(palette, pixel_palette_copy, colours * 4) == 0) {
        PageReadScope reading;
        if (std::memcmp(page.data, pixel_copy, n) == 0) return Outcome::unchanged;
    }

    if (n != pixel_copy_size) {
        auto* resized = static_cast<uint8_t*>(composer_alloc(n));
        if (resized == nullptr) return Outcome::failed;
        std::free(pixel_copy);
        pixel_copy = resized;
        pixel_copy_size = n;
        valid = false;
    }
    const size_t width = page.width, height = page.height;
    if (width != row_width) {
        row_width = width;
        valid = false;
    }
    if (height > row_serial_count) {
        auto* rows = static_cast<uint64_t*>(composer_alloc(height * sizeof(uint64_t)));
        if (rows == nullptr) return Outcome::failed;
        std::free(row_serial);
        row_serial = rows;
        row_serial_count = height;
        valid = false;
    }
    const int32_t s = ring_take_slot(page.width, page.height);
    if (s == 0) return Outcome::failed;
    FrameSlot& slot = frame_ring.slots[s];
    const uint64_t serial = ++last_serial;

    // Bring the caches up to date, noting what changed. All 256 colours
    // count: a byte beyond the mode's colours shows the palette's entry for
    // it rather than a stale one.
    if (!valid) {
        {
            PageReadScope reading;
            std::memcpy(pixel_copy, page.data, n);
        }
        std::fill(row_serial, row_serial + height, serial);
        palette_serial = serial;
    } else {
        PageReadScope reading;
        for (size_t y = 0; y < height; ++y) {
            const uint8_t* now = page.data + y * width;
            uint8_t* copy = pixel_copy + y * width;
            if (std::memcmp(now, copy, width) != 0) {
                std::memcpy(copy, now, width);
                row_serial[y] = serial;
            }
        }
    }
    if (palette_serial != serial && std::memcmp(palette, pixel_palette_copy, sizeof pixel_palette_copy) != 0)
        palette_serial = serial;
    std::memcpy(pixel_palette_copy, palette, sizeof pixel_palette_copy);

    // A buffer of unknown content, or one drawn with other colours, is drawn
    // whole; otherwise only the runs of rows changed after its frame.
    uint32_t* out = slot.pixels;
    const uint64_t held = slot.content_serial;
    if (held == 0 || held < palette_serial) {
        expand_palette_pixels(pixel_copy, n, colours, pixel_palette_copy, out);
    } else {
        for (size_t y = 0; y < height;) {
            if (row_serial[y] <= held) {
                ++y;
                continue;
            }
            size_t end = y + 1;
            while (end < height && row_serial[end] > held) ++end;
            expand_palette_pixels(pixel_copy + y * width, (end - y) * width, colours, pixel_palette_copy,
                                  out + y * width);
            y = end;
        }
    }
    slot.content_serial = serial;
    publish(s, PageKind::palette);
    return Outcome::published;
}

Outcome compose_truecolour_page(const ScreenImage& page) {
    const int32_t s = ring_take_slot(page.width, page.height);
    if (s == 0) return Outcome::failed;
    {
        PageReadScope reading;
        std::memcpy(frame_ring.slots[s].pixels, page.data, size_t{page.width} * page.height * 4);
    }
    publish(s, PageKind::truecolour);
    return Outcome::published;
}

Outcome compose_text_page(const ScreenImage& page, bool valid) {
    uint32_t palette[256];
    {
        PageReadScope reading;
        std::memcpy(palette, page.palette, sizeof palette);
    }
    TextFrameInput in{};
    in.page = &page;
    in.palette = palette;
    in.cols = page.width;
    in.rows = page.height;
    font_cell_size(page.font, &in.fw, &in.fh);
    in.blink_on = (frame_count.load(std::memory_order_relaxed) & 8) != 0;
    // With the line end of a full last column still deferred, the cursor is
    // shown where the next character will go: column 1 of the next row.
    if (page.wrap_pending == 2 && page.cursor_row < page.height) {
        in.cursor_col = 0;
        in.cursor_row = page.cursor_row;
    } else {
        in.cursor_col = page.cursor_col - 1;
        in.cursor_row = page.cursor_row - 1;
    }

    const int64_t frame_width = int64_t{in.cols} * in.fw;
    const int64_t frame_height = int64_t{in.rows} * in.fh;
    if (frame_width * frame_height * 4 > INT32_MAX) return Outcome::failed;
    const int32_t changed = text_frame_changed(in, &valid);
    if (changed < 0) return Outcome::failed;
    if (changed == 0) return Outcome::unchanged;

    const int32_t newest = frame_ring.newest_slot.load(std::memory_order_relaxed);
    const int32_t s = ring_take_slot(static_cast<int32_t>(frame_width),
                                     static_cast<int32_t>(frame_height));
    if (s == 0) return Outcome::failed;
    FrameSlot& slot = frame_ring.slots[s];
    // Only changed cells are drawn, over a copy of the previous frame.
    const FrameSlot& previous = frame_ring.slots[newest];
    if (valid && (newest == 0 || previous.pixels == nullptr ||
                  previous.frame_width != slot.frame_width ||
                  previous.frame_height != slot.frame_height))
        valid = false;
    if (valid) std::memcpy(slot.pixels, previous.pixels, static_cast<size_t>(slot.byte_size));
    text_frame_draw(in, valid, slot.pixels);
    publish(s, PageKind::text);
    return Outcome::published;
}

PageKind page_kind(const ScreenImage& page) {
    if (page.is_text || page.mode == 0) return PageKind::text;
    if (page.bytes_per_unit == 4) return PageKind::truecolour;
    return PageKind::palette;
}

void frame_size_of(const ScreenImage& page, PageKind kind) {
    int32_t w = page.width;
    int32_t h = page.height;
    if (kind == PageKind::text) {
        int32_t fw = 8, fh = 16;
        font_cell_size(page.font, &fw, &fh);
        w *= fw;
        h *= fh;
    }
    frame_size_width.store(w, std::memory_order_relaxed);
    frame_size_height.store(h, std::memory_order_relaxed);
}

// Answers a mode change that asks the composer to keep away.
void answer_handshake() {
    int32_t expected = 1;
    if (screen_handshake.compare_exchange_strong(expected, 2)) plat_sleep_ms(0);
}

// End of every call that got past the start: answer the hand-shake, hand the
// last automatic frame over to rt_display, and report the call done.
void finish_call() {
    answer_handshake();
    int32_t expected = -1;
    rt_control.auto_display.compare_exchange_strong(expected, 0);
    frame_done.store(1);
}

}  // namespace

void compose_frame() {
    answer_handshake();
    if (screen_hidden.load()) {
        frame_done.store(1);
        return;
    }
    const ScreenImage* live = rt_pages.display.load(std::memory_order_acquire);
    if (screen_handshake.load() != 0 || live == nullptr) {
        finish_call();
        return;
    }
    // The record as it is now; the program thread may change it meanwhile.
    ScreenImage page;
    {
        PageReadScope reading;
        std::memcpy(&page, live, sizeof page);
    }
    const PageKind kind = page_kind(page);
    if (page.data == nullptr || page.width == 0 || page.height == 0 ||
        (kind != PageKind::truecolour && page.palette == nullptr)) {
        finish_call();
        return;
    }
    frame_size_of(page, kind);

    ring_free_spent();
    if (ring_full()) {
        // The display thread has not moved past any of the 64 frames; the
        // page is composed again once it has.
        frame_done.store(1);
        return;
    }

    const bool valid = begin_composition() && last_kind == kind;
    Outcome outcome;
    switch (kind) {
    case PageKind::text: outcome = compose_text_page(page, valid); break;
    case PageKind::truecolour: outcome = compose_truecolour_page(page); break;
    default: outcome = compose_palette_page(page, valid); break;
    }
    end_composition(outcome == Outcome::published || (outcome == Outcome::unchanged && valid));
    finish_call();
}
