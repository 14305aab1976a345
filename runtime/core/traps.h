// Event traps and timers: the key-trap table with its default keys, the
// timer table (one timer record, never given a handler by the game), the
// event thread's scan that marks timers as due, and the servicing of due
// traps at the per-statement check.
#pragma once
#include <atomic>
#include <cstdint>

constexpr int32_t KEY_TRAP_COUNT = 32;  // traps 0 to 31; the program uses 1 to 31

enum TrapState : uint8_t { TRAP_OFF = 0, TRAP_ON = 1, TRAP_STOPPED = 2 };

using TrapHandler = void (*)();

struct KeyTrap {
    int32_t key;                   // key code that fires the trap, 0 = none
    TrapState state;
    std::atomic<int32_t> pending;  // presses not yet serviced
    TrapHandler handler;
};

struct TimerRecord {
    uint8_t present;
    TrapState state;
    double interval;                // seconds
    double last_fired;              // seconds; < 0 while it never fired
    std::atomic<uint8_t> waiting;   // due, waiting for the program thread
    std::atomic<int32_t> serviced;  // times the program thread serviced it
    TrapHandler handler;
};

constexpr int32_t TIMER_COUNT = 1;

extern KeyTrap rt_key_traps[KEY_TRAP_COUNT];
extern TimerRecord rt_timers[TIMER_COUNT];

// Start-up: the key-trap table gets its default keys (F1 to F10 for traps 1
// to 10, the cursor keys Up, Left, Right, Down for 11 to 14, F11 and F12 for
// 30 and 31), every trap off.
void rt_traps_init();

// Start-up: the timer record exists, but has no handler and is off.
void rt_timers_init();

// Event thread: mark timers whose interval has passed as waiting and raise
// check_requested. now_seconds is rt_clock_ms() * 0.001.
void rt_scan_timers(double now_seconds);
