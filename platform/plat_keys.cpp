// Keyboard state from the X server: the Caps, Num and Scroll Lock toggles
// from the XKB indicators, and the held modifier and Scroll Lock keys from
// the keymap. Each calling thread asks through its own display connection,
// opened on its first call, so the frame thread never shares the window's.
#include "platform/plat_keys.h"
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <atomic>

namespace {

std::atomic<PlatKeyStateHook> key_state_hook{nullptr};

// The thread's connection (kept for the life of the thread) and the
// indicator bits of the three lock keys.
struct Connection {
    Display* display = nullptr;
    bool tried = false;
    unsigned int caps_bit = 0x1, num_bit = 0x2, scroll_bit = 0x4;
};

thread_local Connection connection;

// The indicator's bit, found by name; the usual bit stays when the keymap
// does not name it.
void indicator_bit(Display* d, const char* name, unsigned int* bit) {
    int index = -1;
    Atom atom = XInternAtom(d, name, False);
    if (atom != None && XkbGetNamedIndicator(d, atom, &index, nullptr, nullptr, nullptr) && index >= 0 && index < 32)
        *bit = 1u << index;
}

Display* thread_display() {
    Connection& c = connection;
    if (!c.tried) {
        c.tried = true;
        c.display = XOpenDisplay(nullptr);
        if (c.display) {
            indicator_bit(c.display, "Caps Lock", &c.caps_bit);
            indicator_bit(c.display, "Num Lock", &c.num_bit);
            indicator_bit(c.display, "Scroll Lock", &c.scroll_bit);
        }
    }
    return c.display;
}

bool key_held(Display* d, const char keys[32], KeySym sym) {
    KeyCode code = XKeysymToKeycode(d, sym);
    return code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0;
}

}  // namespace

PlatKeyState plat_read_key_state() {
    if (PlatKeyStateHook hook = key_state_hook.load()) return hook();
    PlatKeyState s{};
    Display* d = thread_display();
    if (!d) return s;
    unsigned int indicators = 0;
    if (XkbGetIndicatorState(d, XkbUseCoreKbd, &indicators) != Success) return s;
    s.caps_lock_on = indicators & connection.caps_bit;
    s.num_lock_on = indicators & connection.num_bit;
    s.scroll_lock_on = indicators & connection.scroll_bit;
    char keys[32] = {};
    XQueryKeymap(d, keys);
    s.scroll_lock_held = key_held(d, keys, XK_Scroll_Lock);
    s.left_shift = key_held(d, keys, XK_Shift_L);
    s.right_shift = key_held(d, keys, XK_Shift_R);
    s.left_ctrl = key_held(d, keys, XK_Control_L);
    s.right_ctrl = key_held(d, keys, XK_Control_R);
    s.left_alt = key_held(d, keys, XK_Alt_L);
    s.right_alt = key_held(d, keys, XK_Alt_R);
    s.valid = true;
    return s;
}

void plat_set_key_state_hook(PlatKeyStateHook hook) { key_state_hook.store(hook); }
