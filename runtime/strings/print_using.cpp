// The formatted print: the converters that turn a number into its digit form,
// and the engine that scans a format for "#" fields and string fields, lays
// the value out in its field and appends the text to the output string.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core/control.h"
#include "runtime/strings/digit_form.h"
#include "runtime/strings/number_format.h"
#include "runtime/strings/string_space_internal.h"

namespace {

// ---- engine state (program thread only) ------------------------------------

// The number waiting for its field and the letter its exponent is printed with.
char int_digits[32] = "0";
DigitForm number{int_digits, 1, 0, false};
char exponent_letter = 'E';

// The text one call produces, appended to the output in one step.
struct TextBuffer {
    char* data = nullptr;
    size_t size = 0;
    size_t capacity = 0;

    void reserve(size_t more) {
        if (size + more <= capacity) return;
        size_t grown = capacity ? capacity : 256;
        while (grown < size + more) grown *= 2;
        char* p = static_cast<char*>(std::realloc(data, grown));
        if (!p) rts_out_of_memory(257);
        data = p;
        capacity = grown;
    }
    void put(char c) {
        if (size == capacity) reserve(1);
        data[size++] = c;
    }
    void put(char c, int64_t times) {
        if (times <= 0) return;
        reserve(static_cast<size_t>(times));
        std::memset(data + size, c, static_cast<size_t>(times));
        size += static_cast<size_t>(times);
    }
    void put(const uint8_t* bytes, int32_t n) {
        if (n <= 0) return;
        reserve(static_cast<size_t>(n));
        std::memcpy(data + size, bytes, static_cast<size_t>(n));
        size += static_cast<size_t>(n);
    }
};
TextBuffer text;

bool error_pending() { return rt_control.error_pending.load() != 0; }

// ---- field scan -------------------------------------------------------------

struct Field {
    bool leading_plus = false;
    bool dollar = false;
    bool star = false;
    bool comma = false;
    bool point = false;
    bool trailing_plus = false;
    bool trailing_minus = false;
    int32_t positions = 0;   // integer positions
    int32_t fraction = 0;    // fraction digits
    int32_t exponent = 0;    // exponent digits: 0, 2 or 3
    int32_t end = 0;         // one past the field's last character
};

bool run_of(const uint8_t* f, int32_t length, int32_t at, char c, int32_t n) {
    if (at + n > length) return false;
    for (int32_t i = 0; i < n; ++i) {
        if (f[at + i] != c) return false;
    }
    return true;
}

// A numeric field starting at p: states 0 (nothing yet), 1 (after a leading
// plus), 2 (integer positions), 3 (after the point), 4 (after the exponent marks).
bool scan_numeric_field(const uint8_t* f, int32_t length, int32_t p, Field* field) {
    *field = Field{};
    int state = 0;
    int32_t i = p;
    while (i < length) {
        const uint8_t c = f[i];
        if (state >= 2 && (c == '+' || c == '-')) {
            (c == '+' ? field->trailing_plus : field->trailing_minus) = true;
            ++i;
            break;
        }
        if ((state == 2 || state == 3) && c == '^') {
            if (run_of(f, length, i, '^', 5)) {
                field->exponent = 3;
                i += 5;
            } else if (run_of(f, length, i, '^', 4)) {
                field->exponent = 2;
                i += 4;
            } else {
                break;
            }
            state = 4;
            continue;
        }
        if (state == 3 && c == '#') {
            ++field->fraction;
        } else if (state == 2 && c == ',') {
            field->comma = true;
            ++field->positions;
        } else if (state <= 2 && c == '#') {
            ++field->positions;
            state = 2;
        } else if (state <= 2 && c == '.') {
            field->point = true;
            state = 3;
        } else if (state <= 1 && run_of(f, length, i, '*', 2)) {
            field->star = true;
            field->positions += 2;
            if (i + 2 < length && f[i + 2] == '$') {
                field->dollar = true;
                ++i;
            }
            ++i;
            state = 2;
        } else if (state <= 1 && run_of(f, length, i, '$', 2)) {
            field->dollar = true;
            field->positions += 1;
            ++i;
            state = 2;
        } else if (state == 0 && c == '+') {
            field->leading_plus = true;
            state = 1;
        } else {
            break;
        }
        ++i;
    }
    field->end = i;
    return state >= 2 && (field->positions > 0 || field->fraction > 0);
}

// A string field at p: -1 for "&", its width for "!" and "\ ... \", else 0.
int32_t string_field_width(const uint8_t* f, int32_t length, int32_t p) {
    if (f[p] == '&') return -1;
    if (f[p] == '!') return 1;
    if (f[p] == '\\') {
        int32_t j = p + 1;
        while (j < length && f[j] == ' ') ++j;
        if (j < length && f[j] == '\\') return j - p + 1;
    }
    return 0;
}

// ---- number layout ----------------------------------------------------------

int decimal_width(int64_t v) {
    int n = 1;
    for (v = v < 0 ? -v : v; v >= 10; v /= 10) ++n;
    return n;
}

// Half-up rounding of the digit form at index k: digits from k on become
// zeros and one is added below them. A carry out of the first digit makes the
// number one digit longer (the count stays: the last digit, a zero, goes).
void round_digits(int32_t k) {
    char* d = number.digits;
    for (int32_t i = k; i < number.count; ++i) d[i] = '0';
    int32_t i = k - 1;
    while (i >= 0 && d[i] == '9') d[i--] = '0';
    if (i >= 0) {
        ++d[i];
        return;
    }
    std::memmove(d + 1, d, static_cast<size_t>(number.count - 1));
    d[0] = '1';
    ++number.exponent;
}

// One layout pass of the waiting number in field f. Returns false, having
// rounded the digits, when the layout must be redone.
bool lay_out(Field f, bool rounded) {
    const bool negative = number.negative;
    const char* d = number.digits;
    int32_t first = 0;  // index of the first digit in use
    int64_t n = number.count;
    const int64_t x = number.exponent;
    const bool sign_given = f.leading_plus || f.trailing_plus || f.trailing_minus;
    const bool scientific = f.exponent > 0;
    int64_t positions = f.positions;
    int64_t fraction = f.fraction;
    int64_t exponent_digits = f.exponent;
    bool point = f.point;
    bool sign_place = false;
    bool zero_sign = false;
    bool overflow = false;
    int64_t total = 0;

    // 1. The sign place, and the commas' share of the positions.
    if (scientific) {
        if (!sign_given) {
            sign_place = true;
            if (--positions < 0) {
                positions = 0;
                if (--fraction <= 0) {
                    fraction = 0;
                    point = false;
                    positions = 1;
                }
            }
        }
    } else {
        if (negative && !sign_given) {
            sign_place = true;
            --positions;
        }
        if (f.comma) {
            total = positions;
            positions -= positions / 4;
        }
    }
    // 2. An integer part of a single 0 shows no digit without integer positions.
    if (n + x == 1 && d[0] == '0' && positions <= 0) {
        first = 1;
        --n;
    }
    // 3. Overflow.
    int64_t e_value = 0;
    if (scientific) {
        if (!negative && sign_place && positions == 0) {
            if (fraction == 0) {
                sign_place = false;
                positions = 1;
            } else {
                zero_sign = true;
            }
        }
        if (positions == 0 && fraction == 0) {
            overflow = true;
            positions = 1;
        }
        e_value = positions == 0 ? n + x : n + x - positions;
        if (decimal_width(e_value) > exponent_digits) {
            overflow = true;
            exponent_digits = decimal_width(e_value);
        }
    } else if (n + x > positions) {
        overflow = true;
        positions = n + x;
        if (f.comma) total = positions + (positions - 1) / 3;
    }

    // 4. Emit. Digits come from the form in order, then zeros.
    int64_t next = first;
    const int64_t end = first + n;
    auto digit = [&]() { return next < end ? d[next++] : '0'; };

    if (overflow) text.put('%');
    if (f.leading_plus) text.put(negative ? '-' : '+');
    bool zeros_pending = false;  // unshown leading zeros of the fraction remain
    if (scientific) {
        if (f.dollar) text.put('$');
        if (sign_place) text.put(negative ? '-' : (zero_sign ? '0' : ' '));
        for (int64_t i = 0; i < positions; ++i) text.put(digit());
        if (point) {
            text.put('.');
            for (int64_t i = 0; i < fraction; ++i) text.put(digit());
        }
    } else {
        int64_t width = f.comma ? total : positions;
        int64_t t = n + x;
        int64_t lead = 0;
        if (t < 0) {
            lead = -t;
            t = 0;
        }
        int64_t shown = f.comma && t > 0 ? t + (t - 1) / 3 : t;
        int64_t pad = width - shown;
        bool zero = t == 0 && pad > 0;
        if (zero) --pad;
        text.put(f.star ? '*' : ' ', pad);
        if (sign_place) text.put('-');
        if (f.dollar) text.put('$');
        if (zero) text.put('0');
        text.reserve(static_cast<size_t>(shown));
        for (int64_t r = shown; r >= 1; --r) text.put(f.comma && r % 4 == 0 ? ',' : digit());
        if (point) text.put('.');
        int64_t shown_zeros = lead < fraction ? lead : fraction;
        text.put('0', shown_zeros);
        for (int64_t i = shown_zeros; i < fraction; ++i) text.put(digit());
        zeros_pending = lead > fraction;
    }

    // 5. Half-up rounding on the first digit not shown, once.
    if (!rounded && !zeros_pending && next < end && d[next] >= '5') {
        round_digits(static_cast<int32_t>(next));
        return false;
    }

    if (scientific) {
        text.put(exponent_letter);
        text.put(e_value < 0 ? '-' : '+');
        text.put('0', exponent_digits - decimal_width(e_value));
        char e_text[24];
        int len = std::snprintf(e_text, sizeof e_text, "%" PRId64, e_value < 0 ? -e_value : e_value);
        text.put(reinterpret_cast<const uint8_t*>(e_text), len);
    }
    // 6. Trailing sign.
    if (f.trailing_plus) text.put(negative ? '-' : '+');
    if (f.trailing_minus) text.put(negative ? '-' : ' ');
    return true;
}

void format_number(const Field& field) {
    const size_t mark = text.size;
    if (lay_out(field, false)) return;
    text.size = mark;  // the rounded digits are laid out again from the field's scan
    lay_out(field, true);
}

// ---- converters --------------------------------------------------------------

int32_t format_with_letter(RtString* format, int32_t position, RtString* output, char letter) {
    exponent_letter = letter;
    int32_t next = rt_using_format(format, position, output, nullptr);
    exponent_letter = 'E';
    return next;
}

int32_t using_floating(RtString* format, double value, int32_t position, RtString* output, char letter) {
    if (error_pending()) return 0;
    if (!digit_form_exact(value, &number) && !digit_form_from_c_text(value, &number)) {
        rt_error(5);
        return 0;
    }
    return format_with_letter(format, position, output, letter);
}

// Integer text without its sign character as the digit form.
int32_t using_integer_text(RtString* format, const char* printed, int32_t position, RtString* output) {
    number.negative = printed[0] == '-';
    if (printed[0] == '-' || printed[0] == ' ') ++printed;
    size_t n = std::strlen(printed);
    std::memcpy(int_digits, printed, n);
    number.digits = int_digits;
    number.count = static_cast<int32_t>(n);
    number.exponent = 0;
    return format_with_letter(format, position, output, 'E');
}

}  // namespace

int32_t rt_using_format(RtString* format, int32_t position, RtString* output, RtString* value) {
    if (error_pending()) return 0;
    const uint8_t* f = format->data;
    const int32_t length = format->len;
    if (length <= 0) {
        rt_error(5);
        return 0;
    }
    text.size = 0;
    // The whole call's text goes to the output in one step, also on errors.
    auto finish = [&](int32_t next) {
        rts_append(output, nullptr, reinterpret_cast<const uint8_t*>(text.data), static_cast<int32_t>(text.size));
        return next;
    };
    const bool numeric = value == nullptr;
    int32_t p = position > 0 && position < length ? position : 0;
    bool from_start = p == 0;
    bool consumed = false;
    for (;;) {
        if (p >= length) return finish(0);  // a field ended the format
        Field field;
        if (scan_numeric_field(f, length, p, &field)) {
            if (consumed) return finish(p);
            if (!numeric) {
                rt_error(13);
                return finish(0);
            }
            format_number(field);
            p = field.end;
            consumed = true;
            continue;
        }
        int32_t width = string_field_width(f, length, p);
        if (width != 0) {
            if (consumed) return finish(p);
            if (numeric) {
                rt_error(13);
                return finish(0);
            }
            if (width < 0) {
                text.put(value->data, value->len);
                p += 1;
            } else {
                int32_t shown = value->len < width ? value->len : width;
                text.put(value->data, shown);
                text.put(' ', width - shown);
                p += width;
            }
            consumed = true;
            continue;
        }
        // A plain character; "_" takes the next one literally.
        if (f[p] == '_' && p < length - 1) ++p;
        text.put(static_cast<char>(f[p]));
        if (++p == length) {
            p = 0;
            if (consumed) return finish(0);
            if (from_start) {
                rt_error(5);  // the format has no field for the value
                return finish(0);
            }
            from_start = true;  // one more pass from the format's start
        }
    }
}

int32_t rt_using_single(RtString* format, float value, int32_t position, RtString* output) {
    return using_floating(format, value, position, output, 'E');
}

int32_t rt_using_double(RtString* format, double value, int32_t position, RtString* output) {
    return using_floating(format, value, position, output, 'D');
}

int32_t rt_using_extended(RtString* format, long double value, int32_t position, RtString* output) {
    if (error_pending()) return 0;
    // Fixed notation: every digit before the point, 255 after it.
    static char printed[8192];
    static char digits[8192];
    int n = std::snprintf(printed, sizeof printed, "% .255Lf", value);
    if (n <= 0 || n >= static_cast<int>(sizeof printed) || (printed[0] != ' ' && printed[0] != '-')) {
        rt_error(5);
        return 0;
    }
    number.negative = printed[0] == '-';
    number.digits = digits;
    number.count = 0;
    number.exponent = 0;
    bool after_point = false;
    for (int i = 1; i < n; ++i) {
        char c = printed[i];
        if (c == '.' && !after_point) {
            after_point = true;
        } else if (c >= '0' && c <= '9') {
            digits[number.count++] = c;
            if (after_point) --number.exponent;
        } else {
            rt_error(5);  // "inf", "nan"
            return 0;
        }
    }
    return format_with_letter(format, position, output, 'F');
}

int32_t rt_using_int64(RtString* format, int64_t value, int32_t position, RtString* output) {
    if (error_pending()) return 0;
    char printed[32];
    std::snprintf(printed, sizeof printed, "% " PRId64, value);
    return using_integer_text(format, printed, position, output);
}

int32_t rt_using_uint64(RtString* format, uint64_t value, int32_t position, RtString* output) {
    if (error_pending()) return 0;
    char printed[32];
    std::snprintf(printed, sizeof printed, "%" PRIu64, value);
    return using_integer_text(format, printed, position, output);
}
