// Inside the strings subsystem only: the mutable string-space state and the
// helpers that the core operations, assignment and the string functions share.
#pragma once
#include <cstdint>
#include <cstring>
#include "runtime/core/errors.h"
#include "runtime/strings/string_space.h"

extern MainStringSpace rts_main;
extern DataBlockSpace rts_dblock;
extern TempList rts_temps;
extern DescriptorPool rts_pool;

// Exhausted string memory: a critical error, which ends the process.
[[noreturn]] void rts_out_of_memory(ErrorCode code);

// A zeroed descriptor from the pool, and its return.
RtString* rts_take_descriptor();
void rts_return_descriptor(RtString* s);

// Append s at the end of a list (packing or growing it first when full).
void rts_list_append(StringList& list, RtString* s, ErrorCode grow_error);
void rts_main_list_append(RtString* s);
void rts_data_list_append(RtString* s);

// True when s really holds the entry its space_index names.
inline bool rts_in_list(const StringList& list, const RtString* s) {
    return s->space_index >= 0 && s->space_index < list.count && list.entries[s->space_index] == s;
}

// Give s length bytes at used in the main space, 32 spare bytes behind them,
// and append it to the main list.
void rts_place_in_main(RtString* s, uint32_t length);

// Put s on the temporary list and set is_temp.
void rts_temp_append(RtString* s);

// Close gaps in a space so that need more bytes fit behind used.
void rts_compact_main(uint64_t need);
void rts_compact_data_block(uint64_t need);

// Rewrite s's DosDescriptor (if it has one) from its length and data.
void rts_update_dos_descriptor(RtString* s);

// Append n bytes to the end of dest (a string variable), growing it in place
// when the next string leaves room and moving it to the end of its space
// otherwise. The bytes are src's (read after any packing) or, when src is
// null, bytes outside the string spaces.
void rts_append(RtString* dest, const RtString* src, const uint8_t* bytes, int32_t n);

// A new temporary holding count bytes of s from offset on; the bytes are read
// after the allocation (which may move them) and a temporary s is then freed.
RtString* rts_copy_part(RtString* s, int32_t offset, int32_t count);

// memmove that tolerates overlap, empty ranges and null pointers of empty strings.
inline void rts_copy_bytes(uint8_t* to, const uint8_t* from, int32_t n) {
    if (n > 0 && to != from) std::memmove(to, from, static_cast<size_t>(n));
}

// Largest length a string can have (lengths are signed 32-bit).
constexpr uint32_t RTS_MAX_LENGTH = 0x7FFFFFFFu - 64u;
