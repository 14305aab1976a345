// The return stack of the program's subroutine calls: 32-bit return-point
// numbers with a depth counter, 16,384 entries at start, doubled when full.
#pragma once
#include <cstdint>

struct ReturnStack {
    int32_t* entries;
    int32_t capacity;
    int32_t depth;
};

extern ReturnStack rt_return_stack;

// Double the capacity; a capacity that became negative or a failed
// enlargement is critical error 256 ("Out of stack space").
void rt_grow_return_stack();
