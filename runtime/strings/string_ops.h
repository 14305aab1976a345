// String functions: concatenation, case, trims, sub-strings, fills, character
// codes, searching, comparison, and the byte-packing (mk/cv) families.
// Results are temporaries; see rt_string.h for the mark/release protocol.
#pragma once
#include <cstdint>
#include "runtime/strings/rt_string.h"

RtString* rts_concat(RtString* left, RtString* right);
RtString* rts_ucase(RtString* s);
RtString* rts_lcase(RtString* s);
RtString* rts_ltrim(RtString* s);
RtString* rts_rtrim(RtString* s);
RtString* rts_left(RtString* s, int32_t count);
RtString* rts_right(RtString* s, int32_t count);
RtString* rts_mid(RtString* s, int32_t start, int32_t count, int32_t count_given);
void rts_mid_assign(RtString* destination, int32_t start, int32_t count, RtString* source, int32_t count_given);
RtString* rts_space(int32_t count);
RtString* rts_string(int32_t count, int32_t code);
RtString* rts_chr(int32_t code);
int32_t rts_asc(RtString* s);
int32_t rts_asc_at(RtString* s, int32_t position);
int32_t rts_len(RtString* s);
int32_t rts_instr(int32_t start, RtString* haystack, RtString* needle, int32_t start_given);

int32_t rts_equal(RtString* left, RtString* right);
int32_t rts_not_equal(RtString* left, RtString* right);
int32_t rts_less(RtString* left, RtString* right);
int32_t rts_greater(RtString* left, RtString* right);
int32_t rts_less_equal(RtString* left, RtString* right);
int32_t rts_greater_equal(RtString* left, RtString* right);

void rts_lset(RtString* destination, RtString* source);
void rts_rset(RtString* destination, RtString* source);

// Byte packing: a number as a new temporary of its raw little-endian bytes,
// and back. The reverse needs at least the type's byte count (else error 5
// and 0); only the first bytes are read.
RtString* rts_mk_int8(int8_t value);
RtString* rts_mk_int16(int16_t value);
RtString* rts_mk_int32(int32_t value);
RtString* rts_mk_int64(int64_t value);
RtString* rts_mk_uint8(uint8_t value);
RtString* rts_mk_uint16(uint16_t value);
RtString* rts_mk_uint32(uint32_t value);
RtString* rts_mk_uint64(uint64_t value);
RtString* rts_mk_single(float value);
RtString* rts_mk_double(double value);
RtString* rts_mk_extended(long double value);  // 32 bytes: the value's bytes, then zeros
// A bit-field of 1 to 64 bits: (bits + 7) / 8 bytes of the value masked to
// its width; any other width raises error 5 and gives an empty string.
RtString* rts_mk_bits(int64_t value, int32_t bits);
RtString* rts_mk_ubits(uint64_t value, int32_t bits);

int8_t rts_cv_int8(RtString* s);
int16_t rts_cv_int16(RtString* s);
int32_t rts_cv_int32(RtString* s);
int64_t rts_cv_int64(RtString* s);
uint8_t rts_cv_uint8(RtString* s);
uint16_t rts_cv_uint16(RtString* s);
uint32_t rts_cv_uint32(RtString* s);
uint64_t rts_cv_uint64(RtString* s);
float rts_cv_single(RtString* s);
double rts_cv_double(RtString* s);
long double rts_cv_extended(RtString* s);
int64_t rts_cv_bits(RtString* s, int32_t bits);  // sign-extended from the field's top bit
uint64_t rts_cv_ubits(RtString* s, int32_t bits);

// The legacy binary floating-point format: mantissa little-endian below a
// sign bit, then one exponent byte in excess-128 (0 means zero); 4 bytes for
// single, 8 for double. A value whose exponent does not fit (or that is not
// finite) raises error 5 and gives an empty string.
RtString* rts_mk_mbf_single(float value);
RtString* rts_mk_mbf_double(double value);
float rts_cv_mbf_single(RtString* s);
double rts_cv_mbf_double(RtString* s);
