// Key reading on the program thread: rt_inkey (the oldest KeyRing entry as a
// string), rt_keyhit (the oldest KeyHitQueue code), rt_keydown (is a key
// held) and the key wait of the END statement.
#include "runtime/input/key_reading.h"
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/core/errors.h"
#include "runtime/core/runtime.h"
#include "runtime/input/key_state.h"
#include "runtime/input/keyboard.h"

RtString* rt_inkey() {
    if (rt_control.error_pending.load() != 0) return rts_new(0, 1);
    plat_sleep_ms(0);  // a program polling in a tight loop leaves time to the window
    RtString* s = rts_new(2, 1);
    uint8_t character = 0, scan = 0;
    if (!key_ring_take(&character, &scan)) {
        s->len = 0;
        return s;
    }
    s->data[0] = character;
    s->data[1] = scan;
    // Character 0 with a scan code is the extended form: both bytes.
    s->len = (character == 0 && scan != 0) ? 2 : 1;
    return s;
}

int32_t rt_keyhit() { return key_hit_queue_pop(); }

int32_t rt_keydown(int32_t code) {
    if (code <= 0) {
        rt_error(5);
        return 0;
    }
    return rt_key_is_down(code) ? -1 : 0;
}

// Takes the ring entries directly rather than through rt_inkey, so that the
// prompt still ends on a key when an error is pending (rt_inkey then reads
// nothing); no temporary strings are made.
void rt_wait_any_key() {
    uint8_t character = 0, scan = 0;
    while (key_ring_take(&character, &scan)) plat_sleep_ms(0);
    for (;;) {
        plat_sleep_ms(0);
        if (rt_control.stopping.load()) rt_park_program_thread();
        if (key_ring_take(&character, &scan)) return;
    }
}
