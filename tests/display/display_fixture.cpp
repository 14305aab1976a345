// Helpers of the frame-composer tests (see display_fixture.h).
#include "display_fixture.h"
#include <cstring>
#include "runtime/core/conv_memory.h"
#include "runtime/screen/fonts_palettes.h"
#include "runtime/screen/pages.h"
#include "runtime/strings/rt_string.h"

void screen_setup(int32_t mode) {
    conv_memory_clear();
    rts_init();
    img_table_init();
    fonts_palettes_init();
    rt_screen(mode, 0, 0, 1);
}

ScreenImage* display_page() { return rt_pages.display.load(); }

int32_t newest_slot() { return frame_ring.newest_slot.load(); }

std::vector<uint32_t> newest_frame() {
    const int32_t s = newest_slot();
    if (s == 0) return {};
    const FrameSlot& slot = frame_ring.slots[s];
    return std::vector<uint32_t>(slot.pixels,
                                 slot.pixels + size_t(slot.frame_width) * slot.frame_height);
}

int32_t consume_frames() {
    const int32_t s = frame_ring_take_newest();
    if (s == 0) return 0;
    frame_ring.slots[s].presented.store(1);
    frame_ring_release_older();
    return s;
}

bool compose_publishes() {
    const int32_t before = newest_slot();
    compose_frame();
    return newest_slot() != before;
}

int32_t allocated_slots() {
    int32_t n = 0;
    for (int32_t s = 1; s <= FRAME_RING_SLOTS; ++s) n += frame_ring.slots[s].pixels != nullptr;
    return n;
}

namespace {

// Glyph row y (0-based) of character c in font, as 8 bytes; null past the
// glyph's rows.
const uint8_t* glyph_row(int32_t font, uint8_t c, int32_t y) {
    switch (font) {
    case 8: case 9: return y < 8 ? font_glyphs_8x8 + c * 64 + y * 8 : nullptr;
    case 14: case 15: return y < 14 ? font_glyphs_8x16 + c * 128 + (y + 1) * 8 : nullptr;
    default: return y < 16 ? font_glyphs_8x16 + c * 128 + y * 8 : nullptr;
    }
}

}  // namespace

std::vector<uint32_t> reference_text_frame(const ScreenImage* page, bool blink_on,
                                           int32_t cursor_col, int32_t cursor_row,
                                           int32_t cursor_first, int32_t cursor_last) {
    const int32_t font = page->font;
    const bool wide = font == 9 || font == 15 || font == 17;
    const int32_t fw = wide ? 16 : 8;
    const int32_t fh = (font == 8 || font == 9) ? 8 : (font == 14 || font == 15) ? 14 : 16;
    const int32_t width = page->width * fw;
    std::vector<uint32_t> frame(size_t(width) * page->height * fh);
    for (int32_t row = 0; row < page->height; ++row) {
        for (int32_t col = 0; col < page->width; ++col) {
            const uint8_t c = page->data[(row * page->width + col) * 2];
            const uint8_t a = page->data[(row * page->width + col) * 2 + 1];
            const uint32_t bg = page->palette[(a >> 4) & 7];
            const uint32_t fg = (a & 0x80) && blink_on ? bg : page->palette[a & 15];
            const bool cursor_here = page->cursor_visible && blink_on && cursor_first >= 0 &&
                                     col == cursor_col && row == cursor_row;
            for (int32_t y = 0; y < fh; ++y) {
                const uint8_t* bits = glyph_row(font, c, y);
                for (int32_t x = 0; x < fw; ++x) {
                    uint32_t colour = bits && bits[wide ? x / 2 : x] ? fg : bg;
                    if (cursor_here && y >= cursor_first && y <= cursor_last)
                        colour = page->palette[a & 15];
                    frame[size_t(row * fh + y) * width + col * fw + x] = colour;
                }
            }
        }
    }
    return frame;
}

void put_cell(ScreenImage* page, int32_t col, int32_t row, uint8_t c, uint8_t a) {
    page->data[(row * page->width + col) * 2] = c;
    page->data[(row * page->width + col) * 2 + 1] = a;
}

void set_blink(bool on) { frame_count.store(on ? 8 : 0); }

::testing::AssertionResult same_frame(const std::vector<uint32_t>& actual,
                                      const std::vector<uint32_t>& expected, int32_t width) {
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure()
               << "frame of " << actual.size() << " pixels, expected " << expected.size();
    for (size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i])
            return ::testing::AssertionFailure()
                   << "pixel (" << i % width << ", " << i / width << ") is " << std::hex
                   << actual[i] << ", expected " << expected[i];
    }
    return ::testing::AssertionSuccess();
}
