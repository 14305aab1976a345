// Key events from the window: the character and special-key callbacks, the
// window hook, and the press and release procedures that feed the
// KeyHitQueue, the KeyRing, the HeldKeyList and the shift-flag bytes.
#include <mutex>
#include "runtime/core/control.h"
#include "runtime/input/key_state.h"
#include "runtime/input/key_table.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"

std::atomic<int32_t> key_wake{0};

namespace {

// Hardware make code of a modifier or lock key, 0 for any other code.
uint8_t modifier_make_code(int32_t code) {
    switch (code) {
        case KEY_LEFT_SHIFT: return 42;
        case KEY_RIGHT_SHIFT: return 54;
        case KEY_LEFT_ALT:
        case KEY_RIGHT_ALT: return 56;
        case KEY_LEFT_CTRL:
        case KEY_RIGHT_CTRL: return 29;
        case KEY_NUM_LOCK_STATE: return 69;
        case KEY_CAPS_LOCK_STATE: return 58;
        case KEY_SCROLL_LOCK: return 70;
        default: return 0;
    }
}

bool shift_held_locked() { return held_contains_locked(KEY_LEFT_SHIFT) || held_contains_locked(KEY_RIGHT_SHIFT); }
bool ctrl_held_locked() { return held_contains_locked(KEY_LEFT_CTRL) || held_contains_locked(KEY_RIGHT_CTRL); }
bool alt_held_locked() { return held_contains_locked(KEY_LEFT_ALT) || held_contains_locked(KEY_RIGHT_ALT); }

KeyMode current_mode_locked() {
    if (alt_held_locked()) return KEY_MODE_ALT;
    if (ctrl_held_locked()) return KEY_MODE_CTRL;
    if (shift_held_locked()) return KEY_MODE_SHIFT;
    return KEY_MODE_PLAIN;
}

// A row value to a ring entry: 0 none, 256 and up the extended form.
void ring_put_value(int32_t value, int32_t scan) {
    if (value == 0) return;
    if (value >= 256)
        key_ring_put(0, static_cast<uint8_t>(value >> 8));
    else
        key_ring_put(static_cast<uint8_t>(value), static_cast<uint8_t>(scan));
}

// Step 10 and 11 of a press: the KeyRing entry of a character or extended code.
void ring_entry_locked(int32_t code, bool insert_was_held) {
    if (code == KEY_CHAR_ZERO || (code >= 1 && code <= 255)) {
        int32_t character = code == KEY_CHAR_ZERO ? 0 : code;
        const KeyCodeRow& row = key_code_row(character);
        if (row.scan == 0) {
            key_ring_put(static_cast<uint8_t>(character), 0);
            return;
        }
        scan_code_append_locked(static_cast<uint8_t>(row.scan));
        ring_put_value(row.value[current_mode_locked()], row.scan);
        return;
    }
    const KeyCodeRow& row = *key_code_row_of(code);
    if (row.value[KEY_MODE_PLAIN] == 0) {
        key_ring_put(0, static_cast<uint8_t>(code >> 8));
        return;
    }
    scan_code_append_locked(static_cast<uint8_t>(row.scan));
    if (code == KEY_INSERT && !insert_was_held && !shift_held_locked() && !ctrl_held_locked() && !alt_held_locked()) {
        if (held_contains_locked(KEY_INSERT_MODE))
            held_remove_locked(KEY_INSERT_MODE);
        else
            held_add_locked(KEY_INSERT_MODE);
        shift_flags_update_locked();
    }
    ring_put_value(row.value[current_mode_locked()], row.scan);
}

void key_press_locked(int32_t code) {
    if (code == 0) code = KEY_CHAR_ZERO;
    bool insert_was_held = code == KEY_INSERT && held_contains_locked(KEY_INSERT);
    bool scroll_was_held = code == KEY_SCROLL_LOCK && held_contains_locked(KEY_SCROLL_LOCK);
    held_add_locked(code);

    if (code == KEY_BREAK) {
        if (rt_control.exit_trap.load())
            rt_control.close_requests.fetch_or(2);
        else
            rt_control.exit_requested.store(1);
        return;
    }
    if (code == KEY_PAUSE || (code == KEY_NUM_LOCK_STATE && ctrl_held_locked())) {
        rt_control.paused.fetch_or(1);
        rt_control.check_requested.store(1);
        return;
    }
    if (rt_control.paused.load() & 1) {
        // The key that ends a pause has no other effect.
        rt_control.paused.fetch_and(static_cast<uint8_t>(~1u));
        return;
    }
    if (code == 13 && alt_held_locked()) return;  // Alt+Enter is taken by the window

    key_queue_push_locked(code);

    if (code == KEY_CHAR_ZERO || (code >= 1 && code <= 0xFFFF)) {
        ring_entry_locked(code, insert_was_held);
        return;
    }
    uint8_t make = modifier_make_code(code);
    if (make == 0) return;
    scan_code_append_locked(make);
    if (code == KEY_SCROLL_LOCK && !scroll_was_held) {
        if (held_contains_locked(KEY_SCROLL_LOCK_STATE))
            held_remove_locked(KEY_SCROLL_LOCK_STATE);
        else
            held_add_locked(KEY_SCROLL_LOCK_STATE);
    }
    shift_flags_update_locked();
}

// GLUT special-key number to key code; 0 for numbers outside the map.
int32_t special_key_code(int32_t key) {
    if (key >= 1 && key <= 10) return KEY_F1 + (key - 1) * 0x100;
    switch (key) {
        case 11: return KEY_F11;
        case 12: return KEY_F12;
        case 100: return KEY_LEFT;
        case 101: return KEY_UP;
        case 102: return KEY_RIGHT;
        case 103: return KEY_DOWN;
        case 104: return KEY_PAGE_UP;
        case 105: return KEY_PAGE_DOWN;
        case 106: return KEY_HOME;
        case 107: return KEY_END;
        case 108: return KEY_INSERT;
        case 112: return KEY_LEFT_SHIFT;
        case 113: return KEY_RIGHT_SHIFT;
        case 114: return KEY_LEFT_CTRL;
        case 115: return KEY_RIGHT_CTRL;
        case 116: return KEY_LEFT_ALT;
        case 117: return KEY_RIGHT_ALT;
        default: return 0;
    }
}

}  // namespace

void rt_key_press(int32_t code) {
    {
        std::lock_guard<std::mutex> lock(key_state_mutex);
        key_press_locked(code);
    }
    // Set after the queue and ring updates, so a woken reader finds the key.
    key_wake.store(1, std::memory_order_release);
}

void rt_key_release(int32_t code) {
    if (code == 0) code = KEY_CHAR_ZERO;
    std::lock_guard<std::mutex> lock(key_state_mutex);
    held_remove_locked(code);
    key_queue_push_locked(-code);
    if (const KeyCodeRow* row = key_code_row_of(code); row && row->value[KEY_MODE_PLAIN] != 0) {
        scan_code_append_locked(static_cast<uint8_t>(row->scan + 128));
        if (code == KEY_INSERT) shift_flags_update_locked();
        return;
    }
    if (uint8_t make = modifier_make_code(code)) {
        scan_code_append_locked(static_cast<uint8_t>(make + 128));
        shift_flags_update_locked();
    }
}

int32_t rt_key_is_down(int32_t code) {
    std::lock_guard<std::mutex> lock(key_state_mutex);
    return held_contains_locked(code) ? 1 : 0;
}

void rt_held_add(int32_t code) {
    std::lock_guard<std::mutex> lock(key_state_mutex);
    held_add_locked(code);
}

void rt_held_remove(int32_t code) {
    std::lock_guard<std::mutex> lock(key_state_mutex);
    held_remove_locked(code);
}

void rt_update_shift_flags() {
    std::lock_guard<std::mutex> lock(key_state_mutex);
    shift_flags_update_locked();
}

int32_t key_hit_queue_pop() {
    std::lock_guard<std::mutex> lock(key_state_mutex);
    int32_t code = 0;
    return key_queue_pop_locked(&code) ? code : 0;
}

void rt_on_char_key(int32_t key, bool pressed, int32_t modifiers) {
    key &= 0xFF;
    if (modifiers & KEY_MOD_CTRL) {
        // Ctrl+letter arrives as its control code; queue the letter itself
        // (the table turns it back into the control code for the ring).
        if (key == 10)
            key = 13;
        else if (key >= 1 && key <= 26)
            key += (modifiers & KEY_MOD_SHIFT) ? 64 : 96;
    }
    if (key == 127) key = KEY_DELETE;
    if (pressed)
        rt_key_press(key);
    else
        rt_key_release(key);
}

void rt_on_special_key(int32_t key, bool pressed) {
    int32_t code = special_key_code(key);
    if (code == 0) return;
    if (pressed)
        rt_key_press(code);
    else
        rt_key_release(code);
}

int32_t rt_window_hook(int32_t kind, int32_t a, int32_t b) {
    switch (kind) {
        case HOOK_CLOSE_REQUEST:
            rt_control.close_requests.fetch_or(1);
            return 0;
        case HOOK_PAUSE_BREAK:
            if (a != KEY_PAUSE && a != KEY_BREAK) return -1;
            if (b > 0)
                rt_key_press(a);
            else
                rt_key_release(a);
            return 0;
        case HOOK_RAW_MOUSE:
            rt_mouse_raw_move(a, b);
            return 0;
        default:
            return -1;
    }
}
