// Turning the palette indices of a page into 32-bit frame pixels. Pages of
// up to 16 colours (the game's mode 12) go sixteen pixels at a time through
// byte shuffles where the processor has them; everything else, one pixel at
// a time through the palette.
#include <cstring>
#include "runtime/display/composer_internal.h"
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TOL_HAVE_SHUFFLE 1
#endif

namespace {

void expand_one_by_one(const uint8_t* pixels, size_t from, size_t n, const uint32_t* palette,
                       uint32_t* out) {
    for (size_t i = from; i < n; ++i) out[i] = palette[pixels[i]];
}

#ifdef TOL_HAVE_SHUFFLE
// Each colour channel of the 16 entries is a 16-byte table; a shuffle looks
// up 16 pixels in it at once, and the four channels are interleaved back into
// pixels. A block with a byte of 16 or more is done one pixel at a time.
// Returns the number of pixels done (a multiple of 16).
__attribute__((target("ssse3"))) size_t expand_16_colours(const uint8_t* pixels, size_t n,
                                                          const uint32_t* palette, uint32_t* out) {
    alignas(16) uint8_t planes[4][16];
    for (int i = 0; i < 16; ++i)
        for (int c = 0; c < 4; ++c) planes[c][i] = uint8_t(palette[i] >> (8 * c));
    const __m128i blue = _mm_load_si128(reinterpret_cast<const __m128i*>(planes[0]));
    const __m128i green = _mm_load_si128(reinterpret_cast<const __m128i*>(planes[1]));
    const __m128i red = _mm_load_si128(reinterpret_cast<const __m128i*>(planes[2]));
    const __m128i alpha = _mm_load_si128(reinterpret_cast<const __m128i*>(planes[3]));
    const __m128i high_nibbles = _mm_set1_epi8(char(0xF0));
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i index = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
        const __m128i high = _mm_and_si128(index, high_nibbles);
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(high, _mm_setzero_si128())) != 0xFFFF) {
            for (size_t k = i; k < i + 16; ++k) out[k] = palette[pixels[k]];
            continue;
        }
        const __m128i b = _mm_shuffle_epi8(blue, index);
        const __m128i g = _mm_shuffle_epi8(green, index);
        const __m128i r = _mm_shuffle_epi8(red, index);
        const __m128i a = _mm_shuffle_epi8(alpha, index);
        const __m128i bg_low = _mm_unpacklo_epi8(b, g), bg_high = _mm_unpackhi_epi8(b, g);
        const __m128i ra_low = _mm_unpacklo_epi8(r, a), ra_high = _mm_unpackhi_epi8(r, a);
        auto* o = reinterpret_cast<__m128i*>(out + i);
        _mm_storeu_si128(o, _mm_unpacklo_epi16(bg_low, ra_low));
        _mm_storeu_si128(o + 1, _mm_unpackhi_epi16(bg_low, ra_low));
        _mm_storeu_si128(o + 2, _mm_unpacklo_epi16(bg_high, ra_high));
        _mm_storeu_si128(o + 3, _mm_unpackhi_epi16(bg_high, ra_high));
    }
    return i;
}

bool have_shuffle() {
    static const bool supported = __builtin_cpu_supports("ssse3");
    return supported;
}
#endif

}  // namespace

void expand_palette_pixels(const uint8_t* pixels, size_t n, size_t colours,
                           const uint32_t* palette, uint32_t* out) {
    size_t done = 0;
#ifdef TOL_HAVE_SHUFFLE
    if (colours <= 16 && have_shuffle()) done = expand_16_colours(pixels, n, palette, out);
#else
    (void)colours;
#endif
    expand_one_by_one(pixels, done, n, palette, out);
}
