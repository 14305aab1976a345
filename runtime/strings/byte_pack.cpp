// The byte-packing family: numbers as strings of their raw little-endian
// bytes and back, bit-fields, and the legacy excess-128 floating-point format.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "runtime/strings/string_ops.h"
#include "runtime/strings/string_space_internal.h"

namespace {

// The bytes of an x87 extended value that carry it (the rest is padding).
constexpr int EXTENDED_BYTES = LDBL_MANT_DIG == 64 ? 10 : static_cast<int>(sizeof(long double));
constexpr int EXTENDED_FIELD = 32;

RtString* packed(uint64_t value, int bytes) {
    RtString* s = rts_new(static_cast<uint32_t>(bytes), 1);
    for (int i = 0; i < bytes; ++i) s->data[i] = static_cast<uint8_t>(value >> (8 * i));
    return s;
}

// The first bytes of s as a little-endian number; error 5 and false when s
// is too short.
bool unpacked(const RtString* s, int bytes, uint64_t* value) {
    *value = 0;
    if (s->len < bytes) {
        rt_error(5);
        return false;
    }
    for (int i = 0; i < bytes; ++i) *value |= static_cast<uint64_t>(s->data[i]) << (8 * i);
    return true;
}

template <typename T>
T cv_int(RtString* s) {
    uint64_t v;
    if (!unpacked(s, sizeof(T), &v)) return 0;
    return static_cast<T>(v);
}

uint64_t bits_of(double v) {
    uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    return u;
}

uint32_t bits_of(float v) {
    uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    return u;
}

bool valid_width(int32_t bits) {
    if (bits >= 1 && bits <= 64) return true;
    rt_error(5);
    return false;
}

uint64_t width_mask(int32_t bits) { return bits == 64 ? ~0ULL : (1ULL << bits) - 1; }

// value = 0.1m (binary) x 2^(exponent byte - 128); mantissa_bits counts the
// stored bits below the implied leading one.
RtString* mk_mbf(double value, int bytes, int mantissa_bits) {
    if (value == 0) return packed(0, bytes);
    int e = 0;
    double f = std::isfinite(value) ? std::frexp(std::fabs(value), &e) : 0;
    if (f == 0 || e + 128 < 1 || e + 128 > 255) {
        RtString* empty = rts_new(0, 1);
        rt_error(5);
        return empty;
    }
    uint64_t m = static_cast<uint64_t>(std::ldexp(f, mantissa_bits + 1)) & ((1ULL << mantissa_bits) - 1);
    uint64_t sign = std::signbit(value) ? 1ULL << mantissa_bits : 0;
    uint64_t exponent = static_cast<uint64_t>(e + 128) << (8 * bytes - 8);
    return packed(m | sign | exponent, bytes);
}

double cv_mbf(RtString* s, int bytes, int mantissa_bits) {
    uint64_t v;
    if (!unpacked(s, bytes, &v)) return 0;
    int exponent = static_cast<int>(v >> (8 * bytes - 8));
    if (exponent == 0) return 0;
    uint64_t m = (v & ((1ULL << mantissa_bits) - 1)) | (1ULL << mantissa_bits);
    double magnitude = std::ldexp(static_cast<double>(m), exponent - 128 - (mantissa_bits + 1));
    return (v >> mantissa_bits) & 1 ? -magnitude : magnitude;
}

}  // namespace

RtString* rts_mk_int8(int8_t value) { return packed(static_cast<uint8_t>(value), 1); }
RtString* rts_mk_int16(int16_t value) { return packed(static_cast<uint16_t>(value), 2); }
RtString* rts_mk_int32(int32_t value) { return packed(static_cast<uint32_t>(value), 4); }
RtString* rts_mk_int64(int64_t value) { return packed(static_cast<uint64_t>(value), 8); }
RtString* rts_mk_uint8(uint8_t value) { return packed(value, 1); }
RtString* rts_mk_uint16(uint16_t value) { return packed(value, 2); }
RtString* rts_mk_uint32(uint32_t value) { return packed(value, 4); }
RtString* rts_mk_uint64(uint64_t value) { return packed(value, 8); }
RtString* rts_mk_single(float value) { return packed(bits_of(value), 4); }
RtString* rts_mk_double(double value) { return packed(bits_of(value), 8); }

RtString* rts_mk_extended(long double value) {
    RtString* s = rts_new(EXTENDED_FIELD, 1);
    std::memset(s->data, 0, EXTENDED_FIELD);
    std::memcpy(s->data, &value, EXTENDED_BYTES);
    return s;
}

RtString* rts_mk_bits(int64_t value, int32_t bits) { return rts_mk_ubits(static_cast<uint64_t>(value), bits); }

RtString* rts_mk_ubits(uint64_t value, int32_t bits) {
    if (!valid_width(bits)) return rts_new(0, 1);
    return packed(value & width_mask(bits), (bits + 7) / 8);
}

int8_t rts_cv_int8(RtString* s) { return cv_int<int8_t>(s); }
int16_t rts_cv_int16(RtString* s) { return cv_int<int16_t>(s); }
int32_t rts_cv_int32(RtString* s) { return cv_int<int32_t>(s); }
int64_t rts_cv_int64(RtString* s) { return cv_int<int64_t>(s); }
uint8_t rts_cv_uint8(RtString* s) { return cv_int<uint8_t>(s); }
uint16_t rts_cv_uint16(RtString* s) { return cv_int<uint16_t>(s); }
uint32_t rts_cv_uint32(RtString* s) { return cv_int<uint32_t>(s); }
uint64_t rts_cv_uint64(RtString* s) { return cv_int<uint64_t>(s); }

float rts_cv_single(RtString* s) {
    uint32_t u = cv_int<uint32_t>(s);
    float v;
    std::memcpy(&v, &u, sizeof v);
    return v;
}

double rts_cv_double(RtString* s) {
    uint64_t u = cv_int<uint64_t>(s);
    double v;
    std::memcpy(&v, &u, sizeof v);
    return v;
}

long double rts_cv_extended(RtString* s) {
    if (s->len < EXTENDED_FIELD) {
        rt_error(5);
        return 0;
    }
    long double v = 0;
    std::memcpy(&v, s->data, EXTENDED_BYTES);
    return v;
}

int64_t rts_cv_bits(RtString* s, int32_t bits) {
    uint64_t v = rts_cv_ubits(s, bits);
    if (bits >= 1 && bits < 64 && (v >> (bits - 1)) & 1) v |= ~width_mask(bits);
    return static_cast<int64_t>(v);
}

uint64_t rts_cv_ubits(RtString* s, int32_t bits) {
    if (!valid_width(bits)) return 0;
    uint64_t v;
    if (!unpacked(s, (bits + 7) / 8, &v)) return 0;
    return v & width_mask(bits);
}

RtString* rts_mk_mbf_single(float value) { return mk_mbf(value, 4, 23); }
RtString* rts_mk_mbf_double(double value) { return mk_mbf(value, 8, 55); }
float rts_cv_mbf_single(RtString* s) { return static_cast<float>(cv_mbf(s, 4, 23)); }
double rts_cv_mbf_double(RtString* s) { return cv_mbf(s, 8, 55); }
