// RtString, the string spaces and the temporary list: every string value of
// the program is a descriptor pointing at bytes in the main string space, in
// the data block inside ConvMemory, or in storage it does not own.
#pragma once
#include <cstdint>

struct RtString {
    uint8_t* data;                  // first byte of the value
    int32_t len;                    // length in bytes
    uint8_t in_data_block;          // bytes live in DataBlock
    uint8_t* dos_descriptor;        // its 4-byte DosDescriptor inside DataBlock, or null
    uint16_t dos_descriptor_offset; // offset of that record from DataBlock's start
    int32_t space_index;            // position in the list of its string space
    uint8_t is_temp;                // on the temporary list
    int32_t temp_index;             // position in the temporary list, 0 = none
    uint8_t is_fixed;               // wraps caller-owned fixed-length storage
    uint8_t is_literal;             // wraps read-only bytes it does not own
    void* field_binding;            // record-field binding of the file subsystem
};

// Start-up: the descriptor pool, the lists and the main space exist from static
// initialisation; rts_init (after ConvMemory is zeroed) empties the main space
// and the lists, sets up the data block and creates the shared empty and space
// strings. Calling it again starts every string space afresh.
void rts_init();

extern RtString* rts_empty_string;  // shared empty string (ends printed lines)
extern RtString* rts_space_string;  // shared one-space string

RtString* rts_new(uint32_t length, int32_t temporary);
RtString* rts_new_in_data_block(uint32_t length, int32_t temporary);
RtString* rts_from_literal(const void* bytes, int32_t length);
RtString* rts_from_cstring(const char* text);
RtString* rts_wrap_fixed(void* storage, int32_t length, int32_t temporary);
RtString* rts_make_temp(RtString* s);
RtString* rts_assign(RtString* destination, RtString* source);
void rts_free(RtString* s);

// The temporary-list mark: the current temporary count.
uint32_t rts_temp_mark();

// Free every temporary above the mark, newest first; returns value unchanged.
int32_t rts_release_temps(uint32_t mark, int32_t value);

// True for a temporary that is not fixed, literal or in the data block.
bool rts_is_reusable_temp(const RtString* s);

// Data-block top, saved and restored by procedures.
uint16_t rts_data_block_top();
void rts_set_data_block_top(uint16_t top);
