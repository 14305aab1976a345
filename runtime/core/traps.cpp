// Event traps and timers: the tables, the event thread's timer scan and the
// servicing of due traps at the per-statement check.
#include "runtime/core/traps.h"

#include "runtime/core/control.h"
#include "runtime/core/errors.h"
#include "runtime/input/keyboard.h"

KeyTrap rt_key_traps[KEY_TRAP_COUNT];
TimerRecord rt_timers[TIMER_COUNT];

void rt_traps_init() {
    static const int32_t default_keys[KEY_TRAP_COUNT] = {
        0,
        0x3B00, 0x3C00, 0x3D00, 0x3E00, 0x3F00, 0x4000, 0x4100, 0x4200, 0x4300, 0x4400,  // F1-F10
        0x4800, 0x4B00, 0x4D00, 0x5000,                                                  // Up Left Right Down
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x8500, 0x8600,                                                                  // F11 F12
    };
    for (int32_t i = 0; i < KEY_TRAP_COUNT; ++i) {
        rt_key_traps[i].key = default_keys[i];
        rt_key_traps[i].state = TRAP_OFF;
        rt_key_traps[i].pending.store(0);
        rt_key_traps[i].handler = nullptr;
    }
}

void rt_timers_init() {
    for (TimerRecord& t : rt_timers) {
        t.present = 1;
        t.state = TRAP_OFF;
        t.interval = 1.0;
        t.last_fired = -1.0;
        t.waiting.store(0);
        t.serviced.store(0);
        t.handler = nullptr;
    }
}

void rt_scan_timers(double now) {
    for (TimerRecord& t : rt_timers) {
        if (!t.present || t.handler == nullptr || t.state != TRAP_ON || t.waiting.load() != 0) continue;
        if (t.last_fired < 0) {
            t.last_fired = now;  // the first interval starts now
            continue;
        }
        if (now - t.last_fired <= t.interval) continue;
        t.last_fired += t.interval;
        if (now - t.last_fired >= t.interval) t.last_fired = now;  // fell behind: restart from now
        t.waiting.store(1);
        rt_control.check_requested.store(1);
    }
}

void rt_dispatch_events() {
    for (int32_t i = 1; i < KEY_TRAP_COUNT; ++i) {
        KeyTrap& trap = rt_key_traps[i];
        if (trap.state != TRAP_ON || trap.pending.load() <= 0) continue;
        trap.pending.fetch_sub(1);
        if (trap.handler) trap.handler();
    }
    for (TimerRecord& t : rt_timers) {
        if (t.state != TRAP_ON || t.waiting.load() == 0) continue;
        t.waiting.store(0);
        t.serviced.fetch_add(1);
        key_wake.store(1);  // a timer event ends a pending rt_sleep
        if (t.handler) t.handler();
    }
}
