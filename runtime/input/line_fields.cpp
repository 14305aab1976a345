// Splitting, checking and storing the fields of a line-input line.
#include "runtime/input/line_fields.h"
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include "runtime/strings/rt_string.h"

namespace {

bool is_space(uint8_t c) { return c == ' '; }

// The field's text without surrounding spaces (a quoted field keeps its bytes).
void trimmed(const uint8_t* line, const InputField& f, const uint8_t** text, int32_t* len) {
    const uint8_t* p = line + f.start;
    int32_t n = f.len;
    if (!f.quoted) {
        while (n > 0 && is_space(p[0])) p++, n--;
        while (n > 0 && is_space(p[n - 1])) n--;
    }
    *text = p;
    *len = n;
}

int digit_value(uint8_t c, int base) {
    int v = c >= '0' && c <= '9' ? c - '0' : (c >= 'a' && c <= 'f' ? c - 'a' + 10 : (c >= 'A' && c <= 'F' ? c - 'A' + 10 : 99));
    return v < base ? v : -1;
}

// An integer field: its magnitude and sign, or false when it is not (a
// prefix of) an integer or its magnitude does not fit in 64 bits.
struct IntegerText {
    uint64_t magnitude = 0;
    bool negative = false;
    bool bit_pattern = false;  // &H or &O: the value is a bit pattern of the width
};

bool parse_integer(const uint8_t* p, int32_t n, bool allow_minus, IntegerText* out) {
    int32_t i = 0;
    int base = 10;
    if (n > 0 && p[0] == '&') {
        if (n == 1) return true;
        if (p[1] == 'H' || p[1] == 'h')
            base = 16;
        else if (p[1] == 'O' || p[1] == 'o')
            base = 8;
        else
            return false;
        out->bit_pattern = true;
        i = 2;
    } else {
        if (n > 0 && p[0] == '-') {
            if (!allow_minus) return false;
            out->negative = true;
            i = 1;
        }
        // A leading zero stands alone.
        if (n - i > 1 && p[i] == '0') return false;
    }
    for (; i < n; i++) {
        int d = digit_value(p[i], base);
        if (d < 0) return false;
        if (out->magnitude > (UINT64_MAX - d) / base) return false;
        out->magnitude = out->magnitude * base + d;
    }
    return true;
}

bool integer_in_range(const IntegerText& v, uint32_t width, bool is_unsigned) {
    uint64_t all = width >= 64 ? UINT64_MAX : (uint64_t{1} << width) - 1;
    if (v.bit_pattern || is_unsigned) return v.magnitude <= all;
    uint64_t positive_limit = all >> 1;
    return v.negative ? v.magnitude <= positive_limit + 1 : v.magnitude <= positive_limit;
}

// The integer's bits, reduced to the width (two's complement for negatives).
uint64_t integer_bits(const IntegerText& v) { return v.negative ? uint64_t{0} - v.magnitude : v.magnitude; }

struct FloatLimits {
    int32_t digits;  // significant digits that still carry information
    long double max, min_normal;
};

FloatLimits float_limits(uint32_t width) {
    if (width == 32) return {FLT_DECIMAL_DIG, FLT_MAX, FLT_MIN};
    if (width == 64) return {DBL_DECIMAL_DIG, DBL_MAX, DBL_MIN};
    return {LDBL_DECIMAL_DIG, LDBL_MAX, LDBL_MIN};
}

bool is_digit(uint8_t c) { return c >= '0' && c <= '9'; }

struct FloatText {
    std::string text;   // for the C library: "D" exponents as "E", an unfinished exponent left out
    bool has_digits = false;
    bool mantissa_nonzero = false;
};

// A floating-point field: an optional minus sign, digits with at most one
// decimal point, and an exponent introduced by D or E with an optional sign.
// False when it is not (a prefix of) such a number or has more significant
// digits than the type keeps.
bool parse_float(const uint8_t* p, int32_t n, uint32_t width, FloatText* out) {
    int32_t i = 0;
    std::string& s = out->text;
    if (i < n && p[i] == '-') s += static_cast<char>(p[i++]);
    // Significant digits run from the first to the last non-zero digit.
    int32_t first_nonzero = -1, last_nonzero = -1, digit_index = 0;
    bool point = false;
    for (; i < n && (is_digit(p[i]) || p[i] == '.'); i++) {
        if (p[i] == '.') {
            if (point) return false;
            point = true;
        } else {
            out->has_digits = true;
            if (p[i] != '0') {
                if (first_nonzero < 0) first_nonzero = digit_index;
                last_nonzero = digit_index;
            }
            digit_index++;
        }
        s += static_cast<char>(p[i]);
    }
    out->mantissa_nonzero = first_nonzero >= 0;
    if (first_nonzero >= 0 && last_nonzero - first_nonzero + 1 > float_limits(width).digits) return false;
    if (i < n && (p[i] == 'E' || p[i] == 'e' || p[i] == 'D' || p[i] == 'd')) {
        std::string exponent;
        i++;
        if (i < n && (p[i] == '-' || p[i] == '+')) exponent += static_cast<char>(p[i++]);
        for (; i < n && is_digit(p[i]); i++) exponent += static_cast<char>(p[i]);
        if (!exponent.empty() && is_digit(static_cast<uint8_t>(exponent.back()))) s += "E" + exponent;
    }
    return i == n;
}

bool float_in_range(const FloatText& f, uint32_t width) {
    if (!f.mantissa_nonzero) return true;
    long double a = std::fabs(std::strtold(f.text.c_str(), nullptr));
    FloatLimits lim = float_limits(width);
    // Neither beyond the largest value nor vanishing below the normal range.
    return std::isfinite(a) && a <= lim.max && a >= lim.min_normal;
}

}  // namespace

int32_t input_split_fields(const uint8_t* line, int32_t len, InputField* fields, int32_t max_fields) {
    if (len == 0) return 0;
    int32_t count = 0, i = 0;
    for (;;) {
        if (count == max_fields) return -1;
        InputField& f = fields[count++];
        int32_t start = i;
        while (i < len && is_space(line[i])) i++;
        if (i < len && line[i] == '"') {
            // A quoted field runs to its closing quote, commas included; an
            // unclosed one runs to the end of the line.
            const void* close = std::memchr(line + i + 1, '"', len - i - 1);
            f.start = i + 1;
            f.quoted = true;
            if (!close) {
                f.len = len - f.start;
                return count;
            }
            int32_t end = static_cast<int32_t>(static_cast<const uint8_t*>(close) - line);
            f.len = end - f.start;
            i = end + 1;
            if (i == len) return count;
            if (line[i] != ',') return -1;
        } else {
            const void* comma = std::memchr(line + start, ',', len - start);
            int32_t end = comma ? static_cast<int32_t>(static_cast<const uint8_t*>(comma) - line) : len;
            f.start = start;
            f.len = end - start;
            f.quoted = false;
            if (!comma) return count;
            i = end;
        }
        i++;  // past the comma: a further field follows, even if empty
    }
}

bool input_target_valid(uint32_t type) {
    uint32_t width = type & INPUT_TYPE_WIDTH_MASK;
    if (type & INPUT_TYPE_STRING) return true;
    if (type & INPUT_TYPE_FLOAT) return width == 32 || width == 64 || width == 256;
    return width == 8 || width == 16 || width == 32 || width == 64;
}

bool input_field_valid(const uint8_t* line, const InputField& field, uint32_t type) {
    if (type & INPUT_TYPE_STRING) return true;
    if (field.quoted) return false;
    const uint8_t* p;
    int32_t n;
    trimmed(line, field, &p, &n);
    uint32_t width = type & INPUT_TYPE_WIDTH_MASK;
    if (type & INPUT_TYPE_FLOAT) {
        FloatText f;
        return parse_float(p, n, width, &f) && float_in_range(f, width);
    }
    bool is_unsigned = type & INPUT_TYPE_UNSIGNED;
    IntegerText v;
    return parse_integer(p, n, !is_unsigned, &v) && integer_in_range(v, width, is_unsigned);
}

bool input_line_valid(const uint8_t* line, int32_t len, const InputTarget* targets, int32_t count) {
    InputField fields[RT_INPUT_MAX_TARGETS];
    int32_t n = input_split_fields(line, len, fields, count);
    if (n < 0) return false;
    for (int32_t i = 0; i < n; i++)
        if (!input_field_valid(line, fields[i], targets[i].type)) return false;
    return true;
}

void input_clear_variable(const InputTarget& t) {
    uint32_t width = t.type & INPUT_TYPE_WIDTH_MASK;
    if (t.type & INPUT_TYPE_STRING) {
        rts_assign(static_cast<RtString*>(t.variable), rts_from_literal("", 0));
    } else if (t.type & INPUT_TYPE_FLOAT) {
        if (width == 32)
            *static_cast<float*>(t.variable) = 0;
        else if (width == 64)
            *static_cast<double*>(t.variable) = 0;
        else
            *static_cast<long double*>(t.variable) = 0;
    } else {
        std::memset(t.variable, 0, width / 8);
    }
}

static void store_integer(void* variable, uint32_t width, uint64_t bits) {
    switch (width) {
        case 8: *static_cast<uint8_t*>(variable) = static_cast<uint8_t>(bits); break;
        case 16: *static_cast<uint16_t*>(variable) = static_cast<uint16_t>(bits); break;
        case 32: *static_cast<uint32_t*>(variable) = static_cast<uint32_t>(bits); break;
        default: *static_cast<uint64_t*>(variable) = bits; break;
    }
}

void input_store_line(const uint8_t* line, int32_t len, const InputTarget* targets, int32_t count) {
    InputField fields[RT_INPUT_MAX_TARGETS];
    int32_t n = input_split_fields(line, len, fields, count);
    for (int32_t i = 0; i < count; i++) {
        const InputTarget& t = targets[i];
        input_clear_variable(t);
        if (i >= n) continue;
        const uint8_t* p;
        int32_t plen;
        trimmed(line, fields[i], &p, &plen);
        if (plen == 0) continue;
        uint32_t width = t.type & INPUT_TYPE_WIDTH_MASK;
        if (t.type & INPUT_TYPE_STRING) {
            rts_assign(static_cast<RtString*>(t.variable), rts_from_literal(p, plen));
        } else if (t.type & INPUT_TYPE_FLOAT) {
            FloatText f;
            if (!parse_float(p, plen, width, &f) || !f.has_digits) continue;
            const char* text = f.text.c_str();
            if (width == 32)
                *static_cast<float*>(t.variable) = std::strtof(text, nullptr);
            else if (width == 64)
                *static_cast<double*>(t.variable) = std::strtod(text, nullptr);
            else
                *static_cast<long double*>(t.variable) = std::strtold(text, nullptr);
        } else {
            IntegerText v;
            if (parse_integer(p, plen, !(t.type & INPUT_TYPE_UNSIGNED), &v)) store_integer(t.variable, width, integer_bits(v));
        }
    }
}
