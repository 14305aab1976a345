// The window's event loop. It pumps freeglut itself (glutMainLoopEvent) and
// blocks on the X connection between pumps for at most 2 ms, well within the
// 8 ms redisplay timer that freeglut runs inside the pump.
//
// Some events must not reach freeglut as they are, so the loop sees every
// key event and client message first: it installs its own converters for
// those X event types (XESetWireToEvent), which Xlib runs on each event as
// it reads it from the connection, in order, whichever call happens to read
// it (freeglut reads the connection too, while it dispatches). A converter
// may drop the event or change it before it is queued.
// - The window manager's close request (WM_DELETE_WINDOW) is dropped, so
//   freeglut never destroys the window: it goes to the hook as kind 1 and
//   the program decides when to end.
// - The Pause key, which freeglut does not report, is dropped and goes to the
//   hook as kind 2: Pause, or Break when Ctrl is down at the press; a release
//   is reported with the kind of its press.
// - X gives Ctrl+Enter as 13 and Ctrl+Backspace as 8, where the console
//   expects 10 (Ctrl+J) and 127 (Delete): those presses, and their releases,
//   are changed into the keys that give them.
// - The left and right Shift, Ctrl and Alt keys lose Shift from their state,
//   so that freeglut reports Alt as Alt even while Shift is down (X names the
//   key Meta then).
// The converters run inside Xlib with the connection locked: they call no
// Xlib function, and the hook they call touches only the runtime's state.
#include "platform/plat_window.h"
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <X11/keysym.h>
#include <poll.h>
#include <initializer_list>
#include <unistd.h>

namespace {

constexpr int32_t kPauseCode = 100019;
constexpr int32_t kBreakCode = 100318;
constexpr int kPollMs = 2;

using WireToEvent = Bool (*)(Display*, XEvent*, xEvent*);

struct LoopState {
    PlatWindowHook hook = nullptr;
    WireToEvent standard_key_press = nullptr, standard_key_release = nullptr, standard_client_message = nullptr;
    Atom wm_protocols = None;
    Atom wm_delete_window = None;
    KeyCode pause_key = 0;
    KeyCode break_key = 0;  // where the keymap puts Break on a key of its own
    KeyCode return_key = 0, backspace_key = 0, j_key = 0, delete_key = 0;
    int32_t pressed_as[256] = {};  // the code each Pause/Break key went down as
    KeyCode changed_to[256] = {};  // the key a changed press was turned into
    bool modifier_key[256] = {};   // the left and right Shift, Ctrl and Alt keys
};

LoopState loop;

// Pause and Break: to the hook instead of the queue.
void pause_key_event(const XKeyEvent& key) {
    KeyCode k = static_cast<KeyCode>(key.keycode);
    if (key.type == KeyPress) {
        bool is_break = (key.state & ControlMask) || (k == loop.break_key && k != loop.pause_key);
        loop.pressed_as[k] = is_break ? kBreakCode : kPauseCode;
        loop.hook(2, loop.pressed_as[k], 1);
    } else {
        int32_t code = loop.pressed_as[k] ? loop.pressed_as[k] : ((key.state & ControlMask) ? kBreakCode : kPauseCode);
        loop.pressed_as[k] = 0;
        loop.hook(2, code, -1);
    }
}

// Ctrl+Enter becomes Ctrl+J, Ctrl+Backspace becomes Delete; the release of a
// changed press is changed the same way (Ctrl+J keeps its Ctrl, so that it
// gives the same character as the press).
void change_key(XKeyEvent& key) {
    KeyCode k = static_cast<KeyCode>(key.keycode);
    if (loop.modifier_key[k]) {
        key.state &= ~static_cast<unsigned int>(ShiftMask | LockMask);
        return;
    }
    if (key.type == KeyPress) {
        KeyCode to = 0;
        if (key.state & ControlMask) {
            if (k == loop.return_key) to = loop.j_key;
            if (k == loop.backspace_key) to = loop.delete_key;
        }
        loop.changed_to[k] = to;
        if (to) key.keycode = to;
    } else if (KeyCode to = loop.changed_to[k]) {
        loop.changed_to[k] = 0;
        key.keycode = to;
        if (to == loop.j_key) key.state |= ControlMask;
    }
}

Bool key_event(Display* d, XEvent* ev, xEvent* wire) {
    WireToEvent standard = (wire->u.u.type & 0x7F) == KeyPress ? loop.standard_key_press : loop.standard_key_release;
    if (!standard(d, ev, wire)) return False;
    KeyCode k = static_cast<KeyCode>(ev->xkey.keycode);
    if (k != 0 && (k == loop.pause_key || k == loop.break_key)) {
        pause_key_event(ev->xkey);
        return False;
    }
    change_key(ev->xkey);
    return True;
}

Bool client_message(Display* d, XEvent* ev, xEvent* wire) {
    if (!loop.standard_client_message(d, ev, wire)) return False;
    if (ev->xclient.message_type == loop.wm_protocols &&
        static_cast<Atom>(ev->xclient.data.l[0]) == loop.wm_delete_window) {
        loop.hook(1, 0, 0);
        return False;
    }
    return True;
}

// A window freeglut closes in spite of all this (the second line of
// defence) is still reported as a close request.
void on_close() { loop.hook(1, 0, 0); }

[[noreturn]] void idle_forever() {
    for (;;) pause();
}

}  // namespace

void plat_run_event_loop(PlatWindowHook hook) {
    loop.hook = hook;
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    if (glutGetWindow()) glutCloseFunc(on_close);
    Display* d = glXGetCurrentDisplay();
    if (!d) {
        // Without a current window there is nothing to intercept.
        glutMainLoop();
        idle_forever();
    }
    loop.wm_protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    loop.wm_delete_window = XInternAtom(d, "WM_DELETE_WINDOW", False);
    loop.pause_key = XKeysymToKeycode(d, XK_Pause);
    loop.break_key = XKeysymToKeycode(d, XK_Break);
    loop.return_key = XKeysymToKeycode(d, XK_Return);
    loop.backspace_key = XKeysymToKeycode(d, XK_BackSpace);
    loop.j_key = XKeysymToKeycode(d, XK_j);
    loop.delete_key = XKeysymToKeycode(d, XK_Delete);
    if (!loop.j_key || !loop.delete_key) loop.return_key = loop.backspace_key = 0;
    for (KeySym sym : {XK_Shift_L, XK_Shift_R, XK_Control_L, XK_Control_R, XK_Alt_L, XK_Alt_R})
        if (KeyCode k = XKeysymToKeycode(d, sym)) loop.modifier_key[k] = true;
    // A held key repeats as presses only, without a release before each.
    Bool detectable = False;
    XkbSetDetectableAutoRepeat(d, True, &detectable);

    loop.standard_key_press = XESetWireToEvent(d, KeyPress, key_event);
    loop.standard_key_release = XESetWireToEvent(d, KeyRelease, key_event);
    loop.standard_client_message = XESetWireToEvent(d, ClientMessage, client_message);

    pollfd fd{ConnectionNumber(d), POLLIN, 0};
    for (;;) {
        glutMainLoopEvent();
        if (XPending(d) == 0) poll(&fd, 1, kPollMs);
    }
}
