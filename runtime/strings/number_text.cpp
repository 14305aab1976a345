// The plain number-to-text conversions (the string of a number): integers
// with a sign or a leading space, and floating-point values in the shortest
// of fixed or scientific notation with 7 (single) or 16 (double) digits.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "runtime/strings/number_format.h"
#include "runtime/strings/string_space_internal.h"

namespace {

// A new temporary holding text; room is the longest text of the type, so the
// string is allocated once and only its length set afterwards.
RtString* text_result(const char* text, int length, uint32_t room) {
    if (length < 0) length = 0;
    if (static_cast<uint32_t>(length) > room) room = static_cast<uint32_t>(length);
    RtString* s = rts_new(room, 1);
    std::memcpy(s->data, text, static_cast<size_t>(length));
    s->len = length;
    return s;
}

// A "% .NE" conversion normalised to three exponent digits: sign character,
// digit, point, mantissa digits, "E", exponent sign, three exponent digits.
int scientific(char* buf, size_t size, double value, int mantissa_digits) {
    int n = std::snprintf(buf, size, "% .*E", mantissa_digits, value);
    int full = 3 + mantissa_digits + 5;  // " d." + digits + "E+ddd"
    if (n == full - 1) {
        std::memmove(buf + full - 2, buf + full - 3, 3);  // the two digits and the terminator
        buf[full - 3] = '0';
        n = full;
    }
    return n;
}

struct FloatStyle {
    int digits;           // significant digits of the first conversion
    int fixed_max_exp;    // fixed notation while the exponent is at most this
    int fixed_min_gap;    // ... and exponent - digits is at least this
    char letter;          // exponent letter of scientific notation
};

// The shared post-processing of single and double: buf holds a normalised
// scientific conversion with style.digits significant digits.
RtString* float_text(double value, const char* buf, const FloatStyle& style, uint32_t room) {
    // Digit k (1-based) sits at buf[k] for k = 1 and at buf[k + 1] after the point.
    int digits = style.digits;
    for (int i = style.digits + 1; i >= 1; --i) {
        if (i == 2) continue;
        if (buf[i] != '0') break;
        --digits;
    }
    if (digits == 0) return text_result(" 0", 2, room);

    const char* e_text = buf + style.digits + 2;  // "E+ddd"
    int exponent = (e_text[2] - '0') * 100 + (e_text[3] - '0') * 10 + (e_text[4] - '0');
    if (e_text[1] == '-') exponent = -exponent;

    char out[400];
    int n;
    if (exponent <= style.fixed_max_exp && exponent - digits >= style.fixed_min_gap) {
        int decimals = digits - exponent - 1;
        if (decimals < 0) decimals = 0;
        n = std::snprintf(out, sizeof out, "% .*f", decimals, value);
        if (n > 1 && out[1] == '0' && n > 2) {  // a value below 1 shows no leading zero
            std::memmove(out + 1, out + 2, static_cast<size_t>(n - 1));
            --n;
        }
    } else {
        n = 0;
        out[n++] = buf[0];
        out[n++] = buf[1];
        if (digits >= 2) {
            out[n++] = '.';
            // mantissa digits 2..digits sit at buf[3..digits+1]
            std::memcpy(out + n, buf + 3, static_cast<size_t>(digits - 1));
            n += digits - 1;
        }
        n += std::snprintf(out + n, sizeof out - static_cast<size_t>(n), "%c%c%0*d", style.letter,
                           exponent < 0 ? '-' : '+', std::abs(exponent) >= 100 ? 3 : 2, std::abs(exponent));
    }
    return text_result(out, n, room);
}

// Infinities and NaN have no digits: their C text stands as it is.
RtString* non_finite_text(double value, uint32_t room) {
    char out[16];
    int n = std::snprintf(out, sizeof out, "% E", value);
    return text_result(out, n, room);
}

}  // namespace

RtString* rts_str_int(int32_t value) {
    char buf[16];
    return text_result(buf, std::snprintf(buf, sizeof buf, "% i", value), 11);
}

RtString* rts_str_int64(int64_t value) {
    char buf[32];
    return text_result(buf, std::snprintf(buf, sizeof buf, "% " PRId64, value), 20);
}

RtString* rts_str_uint(uint32_t value) {
    char buf[16];
    return text_result(buf, std::snprintf(buf, sizeof buf, " %u", value), 11);
}

RtString* rts_str_uint64(uint64_t value) {
    char buf[32];
    return text_result(buf, std::snprintf(buf, sizeof buf, " %" PRIu64, value), 21);
}

RtString* rts_str_single(float value) {
    constexpr uint32_t room = 16;
    double v = value;
    if (!std::isfinite(v)) return non_finite_text(v, room);
    char buf[40];
    scientific(buf, sizeof buf, v, 6);
    return float_text(v, buf, FloatStyle{7, 6, -8, 'E'}, room);
}

RtString* rts_str_double(double value) {
    constexpr uint32_t room = 32;
    if (!std::isfinite(value)) return non_finite_text(value, room);
    char buf[48];
    scientific(buf, sizeof buf, value, 15);
    if (buf[17] == '9') {
        // The 16th digit is unreliable: use 15 digits and a zero in its place.
        char shorter[48];
        scientific(shorter, sizeof shorter, value, 14);
        std::memcpy(buf, shorter, 17);
        buf[17] = '0';
        std::memcpy(buf + 18, shorter + 17, 6);
    }
    return float_text(value, buf, FloatStyle{16, 15, -17, 'D'}, room);
}

RtString* rts_str_extended(long double value) { return rts_str_double(static_cast<double>(value)); }
