// The lock keys and modifiers as the operating system sees them: start-up
// seeding of the key state and the frame thread's poll of the lock toggles.
#include <mutex>
#include "platform/plat_keys.h"
#include "runtime/core/control.h"
#include "runtime/input/key_state.h"
#include "runtime/input/keyboard.h"

namespace {

// Bring a mirrored lock state (Caps Lock or Num Lock) in line with the
// toggle: turning it on is a press, turning it off a release.
void mirror_lock_state(int32_t code, bool on) {
    if (on == (rt_key_is_down(code) != 0)) return;
    if (on)
        rt_key_press(code);
    else
        rt_key_release(code);
    rt_update_shift_flags();
}

}  // namespace

void rt_poll_lock_keys() {
    PlatKeyState state = plat_read_key_state();
    if (!state.valid) return;
    {
        std::lock_guard<std::mutex> lock(key_state_mutex);
        if (state.scroll_lock_on != held_contains_locked(KEY_SCROLL_LOCK_STATE)) {
            if (state.scroll_lock_on)
                held_add_locked(KEY_SCROLL_LOCK_STATE);
            else
                held_remove_locked(KEY_SCROLL_LOCK_STATE);
            shift_flags_update_locked();
        }
    }
    mirror_lock_state(KEY_CAPS_LOCK_STATE, state.caps_lock_on);
    mirror_lock_state(KEY_NUM_LOCK_STATE, state.num_lock_on);
}

void rt_keyboard_init() {
    PlatKeyState state = plat_read_key_state();
    uint8_t paused_before = rt_control.paused.load();
    if (state.valid) {
        if (state.scroll_lock_on) rt_held_add(KEY_SCROLL_LOCK_STATE);
        if (state.scroll_lock_held) rt_key_press(KEY_SCROLL_LOCK);
        const struct {
            bool held;
            int32_t code;
        } modifiers[] = {
            {state.left_shift, KEY_LEFT_SHIFT}, {state.right_shift, KEY_RIGHT_SHIFT},
            {state.left_ctrl, KEY_LEFT_CTRL},   {state.right_ctrl, KEY_RIGHT_CTRL},
            {state.left_alt, KEY_LEFT_ALT},     {state.right_alt, KEY_RIGHT_ALT},
        };
        for (const auto& m : modifiers)
            if (m.held) rt_key_press(m.code);
        if (state.caps_lock_on) rt_key_press(KEY_CAPS_LOCK_STATE);
        if (state.num_lock_on) rt_key_press(KEY_NUM_LOCK_STATE);
    }
    // Num Lock found on while a Ctrl key is held would count as a pause
    // request; seeding only mirrors the keyboard, so it never pauses.
    if (!(paused_before & 1)) rt_control.paused.fetch_and(static_cast<uint8_t>(~1u));
    std::lock_guard<std::mutex> lock(key_state_mutex);
    shift_flags_update_locked();
    key_hit_queue.read = key_hit_queue.write;
    key_ring_reset();
}
