// Numbers to text and back: the plain conversions (string of a number), the
// formatted print engine with "#" fields, and the text-to-number function.
#pragma once
#include <cstdint>
#include "runtime/strings/rt_string.h"

RtString* rts_str_int(int32_t value);
RtString* rts_str_int64(int64_t value);
RtString* rts_str_uint(uint32_t value);
RtString* rts_str_uint64(uint64_t value);
RtString* rts_str_single(float value);
RtString* rts_str_double(double value);
RtString* rts_str_extended(long double value);

// Formatted print: each call formats one value at position (0 to start) into
// output and returns the position for the next value (0 at the format's end).
int32_t rt_using_single(RtString* format, float value, int32_t position, RtString* output);
int32_t rt_using_double(RtString* format, double value, int32_t position, RtString* output);
int32_t rt_using_extended(RtString* format, long double value, int32_t position, RtString* output);
int32_t rt_using_int64(RtString* format, int64_t value, int32_t position, RtString* output);
int32_t rt_using_uint64(RtString* format, uint64_t value, int32_t position, RtString* output);
// A string value (or none, with a number's digit form already prepared).
int32_t rt_using_format(RtString* format, int32_t position, RtString* output, RtString* value);

long double rts_val(RtString* s);
