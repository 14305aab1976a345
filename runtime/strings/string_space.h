// The records behind the string spaces: the descriptor pool, the main string
// space, the data block inside ConvMemory and the temporary list. Other code
// reads them through the const views below (diagnostics and the invariant
// checks of the tests); only the string operations change them.
#pragma once
#include <cstdint>
#include "runtime/strings/rt_string.h"

// A list of descriptor references in the byte order of their strings.
// Freed entries hold nullptr until the list is packed or its tail trimmed.
struct StringList {
    RtString** entries;  // capacity + 1 entries
    int32_t count;       // entries in use, free ones included
    int32_t capacity;
};

struct MainStringSpace {
    uint8_t* buffer;  // one contiguous growable byte buffer
    uint64_t size;    // bytes in buffer
    uint64_t used;    // offset where the next new string's bytes go
    StringList list;
    uint64_t compactions;   // statistics: packings run
    uint64_t enlargements;  // statistics: times the buffer grew
};

constexpr uint32_t DATA_BLOCK_SIZE = 65536;
constexpr uint32_t DATA_BLOCK_FIRST_STRING = 256;  // the first 256 bytes hold no strings
constexpr uint32_t DATA_BLOCK_TOP = 65528;         // DosDescriptors grow down from here

struct DataBlockSpace {
    uint8_t* start;  // ConvMemory + 0x500
    uint32_t used;   // offset of the next string byte
    uint32_t top;    // offset of the lowest DosDescriptor handed out
    StringList list;
    uint64_t compactions;  // statistics: packings run
};

// The temporary list; count is the mark. Slot 0 is never used.
struct TempList {
    RtString** entries;  // capacity + 1 entries
    uint32_t count;
    uint32_t capacity;
};

constexpr uint32_t DESCRIPTOR_BLOCK_SIZE = 65536;

struct DescriptorPool {
    RtString* block;         // the block new descriptors are carved from
    uint32_t block_used;     // descriptors of that block handed out
    uint32_t blocks;         // blocks allocated so far
    RtString** free_stack;   // freed descriptors, reused first
    uint32_t free_count;
    uint32_t free_capacity;
};

const MainStringSpace& rts_main_space();
const DataBlockSpace& rts_data_block();
const TempList& rts_temp_list();
const DescriptorPool& rts_descriptor_pool();

// Read a DosDescriptor record: length and data offset, little-endian.
uint16_t rts_dos_length(const uint8_t* record);
uint16_t rts_dos_offset(const uint8_t* record);
