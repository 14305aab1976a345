// Keyboard state from the operating system: the lock-key toggles and the held
// left/right Shift, Ctrl and Alt keys and the Scroll Lock key, read from X11.
#pragma once

struct PlatKeyState {
    bool valid;          // false when no display could be asked
    bool scroll_lock_on;
    bool caps_lock_on;
    bool num_lock_on;
    bool scroll_lock_held;
    bool left_shift, right_shift;
    bool left_ctrl, right_ctrl;
    bool left_alt, right_alt;
};

// Read the current state (its own display connection, opened on first use by
// the calling thread). Tests may replace the source with a hook.
PlatKeyState plat_read_key_state();
using PlatKeyStateHook = PlatKeyState (*)();
void plat_set_key_state_hook(PlatKeyStateHook hook);
