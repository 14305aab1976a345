// rts_val: the number at the start of a text. Blanks (spaces and tabs) are
// skipped everywhere, also between digits; "&H" and "&O" start hexadecimal
// and octal numbers; otherwise a decimal number with an optional exponent
// introduced by D or E. Whatever follows the number is ignored.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "runtime/strings/number_format.h"
#include "runtime/strings/string_space_internal.h"

namespace {

bool is_blank(uint8_t c) { return c == ' ' || c == '\t'; }

int digit_value(uint8_t c, int radix) {
    int v = 99;
    if (c >= '0' && c <= '9') v = c - '0';
    if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    return v < radix ? v : -1;
}

// "&H..." or "&O..." from the character after the "&". The value is the
// 64-bit two's-complement pattern of the digits, so &HFFFFFFFFFFFFFFFF is -1.
long double radix_number(const uint8_t* s, int32_t i, int32_t length) {
    if (length - i < 2) return 0;
    while (i < length && is_blank(s[i])) ++i;
    if (i >= length) return 0;
    int radix = 0;
    if (s[i] == 'H' || s[i] == 'h') radix = 16;
    if (s[i] == 'O' || s[i] == 'o') radix = 8;
    if (radix == 0) return 0;
    ++i;
    uint64_t value = 0;
    int significant = 0;  // digits from the first non-zero one
    int first = 0;
    for (; i < length; ++i) {
        if (is_blank(s[i])) continue;
        int v = digit_value(s[i], radix);
        if (v < 0) break;
        if (significant == 0 && v == 0) continue;
        if (significant == 0) first = v;
        ++significant;
        bool too_large = radix == 16 ? significant > 16 : (significant > 22 || (significant == 22 && first >= 2));
        if (too_large) {
            rt_error(6);
            return 0;
        }
        value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(v);
    }
    return static_cast<long double>(static_cast<int64_t>(value));
}

constexpr int MAX_DIGITS = 256;
constexpr int MAX_EXPONENT_DIGITS = 18;

}  // namespace

long double rts_val(RtString* text) {
    const uint8_t* s = text->data;
    const int32_t length = text->len;
    int32_t i = 0;
    while (i < length && is_blank(s[i])) ++i;
    if (i >= length) return 0;
    if (s[i] == '&') return radix_number(s, i + 1, length);

    enum State { START, INTEGER, FRACTION, MARK, EXPONENT } state = START;
    bool negative = false;
    bool exponent_negative = false;
    char digits[MAX_DIGITS];
    int count = 0;             // significant digits kept
    int64_t integer_digits = 0;  // significant digits before the point (may exceed what is kept)
    int64_t point_zeros = 0;     // zeros between the point and the first significant digit
    bool fraction_significant = false;
    bool exponent_given = false;
    int64_t exponent = 0;
    int exponent_length = 0;

    for (; i < length; ++i) {
        const uint8_t c = s[i];
        if (is_blank(c)) continue;
        if (c == '-' || c == '+') {
            if (state == START) {
                negative = c == '-';
                state = INTEGER;
            } else if (state == MARK) {
                exponent_negative = c == '-';
                state = EXPONENT;
            } else {
                break;
            }
        } else if (c == '.') {
            if (state != START && state != INTEGER) break;
            state = FRACTION;
        } else if (c == 'D' || c == 'E' || c == 'd' || c == 'e') {
            if (state == MARK || state == EXPONENT) break;
            state = MARK;
        } else if (c >= '0' && c <= '9') {
            if (state == MARK || state == EXPONENT) {
                state = EXPONENT;
                exponent_given = true;
                if (exponent_length == 0 && c == '0') continue;  // leading zeros do not count
                if (exponent_length == MAX_EXPONENT_DIGITS) break;
                exponent = exponent * 10 + (c - '0');
                ++exponent_length;
                continue;
            }
            if (state == START) state = INTEGER;
            if (count == 0 && integer_digits == 0 && c == '0') {
                if (state == FRACTION) ++point_zeros;
                continue;  // not significant
            }
            if (state == INTEGER) ++integer_digits;
            if (state == FRACTION) fraction_significant = true;
            if (count < MAX_DIGITS) digits[count++] = static_cast<char>(c);
        } else {
            break;
        }
    }
    if (count == 0) return 0;
    if (exponent_negative) exponent = -exponent;

    if (!exponent_given && !fraction_significant && integer_digits <= 19) {
        // A whole number: exact as a 64-bit integer when it fits.
        uint64_t v = 0;
        for (int k = 0; k < count; ++k) v = v * 10 + static_cast<uint64_t>(digits[k] - '0');
        uint64_t limit = negative ? (uint64_t{1} << 63) : (uint64_t{1} << 63) - 1;
        if (integer_digits < 19 || v <= limit) {
            if (!negative) return static_cast<long double>(v);
            return v == (uint64_t{1} << 63) ? static_cast<long double>(INT64_MIN)
                                            : -static_cast<long double>(static_cast<int64_t>(v));
        }
    }

    // d.ddd...E<exponent>, read back as an extended-precision value.
    char buffer[MAX_DIGITS + 48];
    int n = 0;
    if (negative) buffer[n++] = '-';
    buffer[n++] = digits[0];
    if (count > 1) {
        buffer[n++] = '.';
        for (int k = 1; k < count; ++k) buffer[n++] = digits[k];
    }
    int64_t decimal_exponent = (integer_digits > 0 ? integer_digits - 1 : -point_zeros - 1) + exponent;
    n += std::snprintf(buffer + n, sizeof buffer - static_cast<size_t>(n), "E%lld",
                       static_cast<long long>(decimal_exponent));
    return std::strtold(buffer, nullptr);
}
