// The window's event loop and the window-layer events freeglut does not
// deliver: the close request (which must not destroy the window) and the
// Pause and Break keys. The loop pumps freeglut itself, taking those events
// out of the X queue first, and blocks on the X connection between events.
#pragma once
#include <cstdint>

// Receives kind 1 (close request), kind 2 with (100019 or 100318, +1 / -1)
// for Pause and Break presses and releases; returns 0 when handled.
using PlatWindowHook = int32_t (*)(int32_t kind, int32_t a, int32_t b);

// Run the event loop on the calling (display) thread; never returns.
[[noreturn]] void plat_run_event_loop(PlatWindowHook hook);
