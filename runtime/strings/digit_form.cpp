// Digit forms of floating-point values for the formatted print: read from the
// C runtime's "% .255E" text, or computed exactly from the binary value with
// integer arithmetic (the common, fast case).
#include "runtime/strings/digit_form.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int DIGITS_ROOM = 320;
char c_text_digits[DIGITS_ROOM];
char exact_digits[DIGITS_ROOM];

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Decimal digits of v, most significant first; returns how many.
int integer_digits(unsigned __int128 v, char* out) {
    char reversed[40];
    int n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
    } while (v != 0);
    for (int i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
    return n;
}

// The digits of a fraction f / 2^k (f > 0, f < 2^k) up to its end, appended
// after count digits; a digit before the first significant one is left out
// but still lowers the exponent.
template <typename U>
void fraction_digits(U f, int k, DigitForm* form) {
    const U mask = (static_cast<U>(1) << k) - 1;
    while (f != 0) {
        f *= 10;
        int digit = static_cast<int>(f >> k);
        f &= mask;
        --form->exponent;
        if (form->count == 0 && digit == 0) continue;
        form->digits[form->count++] = static_cast<char>('0' + digit);
    }
}

}  // namespace

bool digit_form_from_c_text(double value, DigitForm* form) {
    char text[DIGITS_ROOM + 16];
    int n = std::snprintf(text, sizeof text, "% .255E", value);
    if (n <= 0 || n >= static_cast<int>(sizeof text)) return false;
    if (text[0] != ' ' && text[0] != '-') return false;
    form->negative = text[0] == '-';
    form->digits = c_text_digits;
    form->count = 0;
    form->exponent = 0;
    int i = 1;
    while (is_digit(text[i])) form->digits[form->count++] = text[i++];
    if (text[i] == '.') {
        ++i;
        while (is_digit(text[i])) {
            form->digits[form->count++] = text[i++];
            --form->exponent;
        }
    }
    if (form->count == 0 || text[i] != 'E') return false;
    ++i;
    int sign = text[i] == '-' ? -1 : (text[i] == '+' ? 1 : 0);
    if (sign == 0 || !is_digit(text[i + 1])) return false;
    ++i;
    int exponent = 0;
    while (is_digit(text[i]) && exponent < 100000) exponent = exponent * 10 + (text[i++] - '0');
    if (text[i] != '\0') return false;
    form->exponent += sign * exponent;
    return true;
}

bool digit_form_exact(double value, DigitForm* form) {
    if (!std::isfinite(value)) return false;
    form->negative = std::signbit(value);
    form->digits = exact_digits;
    form->count = 0;
    form->exponent = 0;
    if (value == 0) {
        form->digits[form->count++] = '0';
        return true;
    }
    int e2 = 0;
    double f = std::frexp(std::fabs(value), &e2);  // |value| = f x 2^e2, 0.5 <= f < 1
    uint64_t m = static_cast<uint64_t>(std::ldexp(f, 53));
    int e = e2 - 53;  // |value| = m x 2^e exactly
    int zeros = __builtin_ctzll(m);
    m >>= zeros;
    e += zeros;
    const int bits = 64 - __builtin_clzll(m);

    if (e >= 0) {
        if (bits + e > 128) return false;
        form->count = integer_digits(static_cast<unsigned __int128>(m) << e, form->digits);
        return true;
    }
    const int k = -e;  // |value| = m / 2^k, m odd, so the fraction is never zero
    if (k > 124) return false;
    if (k < bits) form->count = integer_digits(m >> k, form->digits);
    if (k <= 60) {
        fraction_digits<uint64_t>(m & ((uint64_t{1} << k) - 1), k, form);
    } else {
        fraction_digits<unsigned __int128>(m, k, form);  // k > 60 > 53 bits: m is all fraction
    }
    return true;
}
