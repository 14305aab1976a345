// Line input: edits one line on the write page and stores its comma-separated
// fields into typed variables, taking back any keystroke that would make the
// line invalid.
#pragma once
#include <cstdint>

// Type word bits: 0-8 width in bits, 28 unsigned, 29 floating point, 30 string.
constexpr uint32_t INPUT_TYPE_UNSIGNED = 1u << 28;
constexpr uint32_t INPUT_TYPE_FLOAT = 1u << 29;
constexpr uint32_t INPUT_TYPE_STRING = 1u << 30;

struct InputTarget {
    uint32_t type;   // type word
    void* variable;  // the variable (an RtString* for strings)
};

// The descriptor list filled by the caller before rt_input.
extern InputTarget rt_input_targets[];
constexpr int32_t RT_INPUT_MAX_TARGETS = 256;

void rt_input(int32_t count, int32_t newline);
