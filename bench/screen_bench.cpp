// Text output costs on the game's 640x480 page, each beside the plain
// operation it is budgeted against:
// - printing an 80-character line: at most 2 x a plain loop that stores the
//   same glyph pixels (one byte store per pixel, colour chosen per pixel);
// - a line end on the window's last row, scrolling rows 1 to 29: at most
//   1.3 x a memmove of the same 28 text rows plus the fill of one text row.
// The 80x25 text page's scroll is measured beside its own block move.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "runtime/core/conv_memory.h"
#include "runtime/screen/fonts_palettes.h"
#include "runtime/screen/pages.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/text_output.h"
#include "runtime/strings/rt_string.h"

namespace {

constexpr int kRowBytes = 640;
constexpr int kTextRow = 16 * kRowBytes;  // pixel bytes of one text row in mode 12

ScreenImage* screen_mode(int32_t mode) {
    if (img_next_index() < 2) {
        conv_memory_clear();
        img_table_init();
        fonts_palettes_init();
    }
    rt_screen(mode, 0, 0, 1);
    return rt_pages.write;
}

const std::string kLine =
    "The hall smells of dust and old wax; a staircase climbs into the dark above.X";

void BM_PrintLine80(benchmark::State& state) {
    ScreenImage* page = screen_mode(12);
    std::string text = kLine.substr(0, 80);
    RtString s{};
    s.data = reinterpret_cast<uint8_t*>(text.data());
    s.len = 80;
    for (auto _ : state) {
        page->cursor_col = 1;
        page->cursor_row = 5;
        page->wrap_pending = 0;
        rt_print(&s, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PrintLine80);

// Baseline: the same 80 glyphs stored pixel by pixel.
void BM_PrintLine80_PlainGlyphLoop(benchmark::State& state) {
    ScreenImage* page = screen_mode(12);
    const std::string text = kLine.substr(0, 80);
    const uint8_t fg = 15, bg = 0;
    for (auto _ : state) {
        uint8_t* row = page->data + 4 * kTextRow;
        for (int c = 0; c < 80; ++c) {
            const uint8_t* glyph = font_glyphs_8x16 + static_cast<uint8_t>(text[c]) * 128;
            uint8_t* cell = row + c * 8;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 8; ++x) cell[y * kRowBytes + x] = glyph[y * 8 + x] ? fg : bg;
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PrintLine80_PlainGlyphLoop);

void BM_ScrollRows1To29(benchmark::State& state) {
    ScreenImage* page = screen_mode(12);
    for (auto _ : state) {
        page->cursor_row = 29;
        text_newline();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScrollRows1To29);

// Baseline: the block move of text rows 2 to 29 and the fill of row 29.
void BM_ScrollRows1To29_Memmove(benchmark::State& state) {
    ScreenImage* page = screen_mode(12);
    for (auto _ : state) {
        std::memmove(page->data, page->data + kTextRow, 28 * kTextRow);
        std::memset(page->data + 28 * kTextRow, 0, kTextRow);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScrollRows1To29_Memmove);

void BM_ScrollTextPage(benchmark::State& state) {
    ScreenImage* page = screen_mode(0);
    for (auto _ : state) {
        page->cursor_row = 24;
        text_newline();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScrollTextPage);

void BM_ScrollTextPage_Memmove(benchmark::State& state) {
    ScreenImage* page = screen_mode(0);
    for (auto _ : state) {
        std::memmove(page->data, page->data + 160, 23 * 160);
        for (int i = 0; i < 160; i += 2) {
            page->data[23 * 160 + i] = 0x20;
            page->data[23 * 160 + i + 1] = 0x07;
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScrollTextPage_Memmove);

}  // namespace
