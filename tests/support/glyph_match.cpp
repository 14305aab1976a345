// Test helper: cell-of-pixels to character matching against the built-in
// glyph tables, through a lookup of every glyph's bit pattern.
#include "tests/support/glyph_match.h"

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/screen/font_data.h"

namespace {

// Bit pattern of a cell: one byte per pixel row, bit 7 the leftmost pixel.
using Pattern = std::string;

// Codes per glyph pattern for one cell height, built on first use.
const std::map<Pattern, std::vector<uint8_t>>* glyph_index(int cell_height) {
    static std::map<int, std::map<Pattern, std::vector<uint8_t>>> indexes;
    if (cell_height != 8 && cell_height != 14 && cell_height != 16) return nullptr;
    auto [it, fresh] = indexes.try_emplace(cell_height);
    if (fresh) {
        for (int c = 0; c < 256; ++c) {
            const uint8_t* glyph = cell_height == 8    ? font_data_8x8 + c * 64
                                   : cell_height == 14 ? font_data_8x16 + c * 128 + 8
                                                       : font_data_8x16 + c * 128;
            Pattern p(cell_height, '\0');
            for (int r = 0; r < cell_height; ++r)
                for (int x = 0; x < 8; ++x)
                    if (glyph[r * 8 + x]) p[r] = static_cast<char>(p[r] | (0x80 >> x));
            it->second[p].push_back(static_cast<uint8_t>(c));
        }
    }
    return &it->second;
}

bool printable_ascii(uint8_t c) { return c >= 0x21 && c <= 0x7E; }

}  // namespace

uint32_t most_common_colour(const uint32_t* colours, size_t count) {
    std::unordered_map<uint32_t, size_t> counts;
    uint32_t best = 0;
    size_t best_count = 0;
    for (size_t i = 0; i < count; ++i) {
        size_t n = ++counts[colours[i]];
        if (n > best_count) {
            best_count = n;
            best = colours[i];
        }
    }
    return best;
}

GlyphMatch match_glyph_cell(const uint32_t* colours, int stride, int cell_height, const uint32_t* preferred_bg) {
    GlyphMatch result;
    const auto* index = glyph_index(cell_height);
    if (!index) return result;

    // The cell's colours: one or two, else nothing matches.
    uint32_t a = colours[0], b = a;
    bool two = false;
    for (int r = 0; r < cell_height; ++r)
        for (int x = 0; x < 8; ++x) {
            uint32_t v = colours[r * stride + x];
            if (v == a) continue;
            if (!two) {
                b = v;
                two = true;
            } else if (v != b) {
                return result;
            }
        }
    if (!two) {
        result = {' ', true, false, 0, a};
        return result;
    }

    Pattern of_a(cell_height, '\0');
    int count_a = 0;
    for (int r = 0; r < cell_height; ++r)
        for (int x = 0; x < 8; ++x)
            if (colours[r * stride + x] == a) {
                of_a[r] = static_cast<char>(of_a[r] | (0x80 >> x));
                ++count_a;
            }
    Pattern of_b = of_a;
    for (char& row : of_b) row = static_cast<char>(~row);

    // Candidate readings: (code, fg, bg, lit pixel count).
    struct Reading {
        uint8_t code;
        uint32_t fg, bg;
        int lit;
    };
    std::vector<Reading> readings;
    if (auto it = index->find(of_a); it != index->end())
        for (uint8_t c : it->second) readings.push_back({c, a, b, count_a});
    if (auto it = index->find(of_b); it != index->end())
        for (uint8_t c : it->second) readings.push_back({c, b, a, cell_height * 8 - count_a});
    if (readings.empty()) return result;

    auto better = [preferred_bg](const Reading& x, const Reading& y) {
        if (printable_ascii(x.code) != printable_ascii(y.code)) return printable_ascii(x.code);
        if (preferred_bg && (x.bg == *preferred_bg) != (y.bg == *preferred_bg)) return x.bg == *preferred_bg;
        if (x.lit != y.lit) return x.lit < y.lit;
        return x.code < y.code;
    };
    Reading best = readings[0];
    for (const Reading& r : readings)
        if (better(r, best)) best = r;
    result = {best.code, true, true, best.fg, best.bg};
    return result;
}
