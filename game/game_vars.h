// The game's global variables. They live in the runtime's variable storage
// and are created once, on the program's first entry; before their first
// assignment the numbers are 0 and the strings empty.
#pragma once
#include <cstdint>
#include "runtime/strings/rt_string.h"

// A one-dimensional array of string variables with its index bounds.
struct StringArray {
    RtString** elements;  // element i at elements[i - lower]
    int32_t lower;
    int32_t upper;
};

struct GameVariables {
    float* room;            // current room, 1 to 9
    float* has_knife;       // 1 while the knife is carried (always)
    float* limit_minutes;   // time limit, minutes part
    float* limit_seconds;   // time limit, seconds part
    float* limit_total;     // time limit in seconds
    double* deadline;       // seconds-since-midnight value at which time runs out
    StringArray* exit_list; // 1 to 9: the words naming each room's exits
    RtString** command;     // the last command line, normalised
};

extern GameVariables game_vars;

// Storage for one variable of type T in the variable storage, aligned for
// it (the bump allocator hands out bytes at any offset).
void* game_var_alloc(int32_t size, int32_t alignment);
template <typename T>
T* game_var_new() {
    return static_cast<T*>(game_var_alloc(static_cast<int32_t>(sizeof(T)), static_cast<int32_t>(alignof(T))));
}

// Create every variable that does not exist yet.
void game_create_variables();

// exit_list(room): room rounded to the nearest integer (halves to even) and
// checked against 1..9; outside them error 9 and an empty temporary.
RtString* exit_list_of_room();
