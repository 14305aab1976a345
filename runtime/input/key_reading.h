// Key reading on the program thread: the oldest KeyRing entry as a string,
// the oldest KeyHitQueue code, and whether a key is held.
#pragma once
#include <cstdint>
#include "runtime/strings/rt_string.h"

RtString* rt_inkey();
int32_t rt_keyhit();
int32_t rt_keydown(int32_t code);

// The end-of-program key wait: empty the ring, then wait for a ring entry
// (parking the thread when stopping is set).
void rt_wait_any_key();
