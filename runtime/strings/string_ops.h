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
