// Variable storage: the bump allocator that holds the game's numeric
// variables, array descriptors and string references. Procedures roll it
// back on return with rt_var_restore.
#pragma once
#include <cstdint>

struct VarStorage {
    uint8_t* block;    // current allocation block
    uint8_t* pointer;  // next free byte
    uint8_t* end;      // one past the block's last byte
    int64_t size;      // size of the current block
};

extern VarStorage rt_vars;

// Allocate the first 1 MB block (start-up).
void rt_var_init();

// Take n bytes; a new block of size * 2 + n when the current one is used up
// (critical error 504 when that fails). Nothing is zeroed.
void* rt_var_alloc(int32_t n);

// Roll back to a pointer read at procedure entry.
void rt_var_restore(void* p);
