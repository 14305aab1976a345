// The window's event loop. It pumps freeglut itself (glutMainLoopEvent) and,
// before each pump, takes out of the X queue the events freeglut would
// mishandle or not deliver:
// - the window manager's close request (WM_DELETE_WINDOW), on which freeglut
//   would destroy the window: the program decides when to end, so it only
//   goes to the hook (kind 1) and the window stays open;
// - the Pause key, which freeglut does not report: Pause, or Break when a
//   Ctrl key is down at the press, goes to the hook as kind 2; a release is
//   reported with the kind of its press.
// Between pumps it blocks on the X connection for at most 2 ms, well within
// the 8 ms redisplay timer that freeglut runs inside the pump.
#include "platform/plat_window.h"
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int32_t kPauseCode = 100019;
constexpr int32_t kBreakCode = 100318;
constexpr int kPollMs = 2;

struct LoopState {
    PlatWindowHook hook = nullptr;
    Atom wm_protocols = None;
    Atom wm_delete_window = None;
    KeyCode pause_key = 0;
    KeyCode break_key = 0;  // where the keymap puts Break on a key of its own
    int32_t pressed_as[256] = {};  // the code each Pause/Break key went down as
};

LoopState loop;

bool is_close_request(const XEvent* ev) {
    return ev->type == ClientMessage && ev->xclient.message_type == loop.wm_protocols &&
           static_cast<Atom>(ev->xclient.data.l[0]) == loop.wm_delete_window;
}

bool is_pause_key(const XEvent* ev) {
    if (ev->type != KeyPress && ev->type != KeyRelease) return false;
    KeyCode k = static_cast<KeyCode>(ev->xkey.keycode);
    return k != 0 && (k == loop.pause_key || k == loop.break_key);
}

// Runs with the display locked: it may only look at the event.
Bool take_event(Display*, XEvent* ev, XPointer) { return is_close_request(ev) || is_pause_key(ev); }

void handle_taken(const XEvent& ev) {
    if (is_close_request(&ev)) {
        loop.hook(1, 0, 0);
        return;
    }
    KeyCode k = static_cast<KeyCode>(ev.xkey.keycode);
    if (ev.type == KeyPress) {
        bool is_break = (ev.xkey.state & ControlMask) || (k == loop.break_key && k != loop.pause_key);
        loop.pressed_as[k] = is_break ? kBreakCode : kPauseCode;
        loop.hook(2, loop.pressed_as[k], 1);
    } else {
        int32_t code = loop.pressed_as[k] ? loop.pressed_as[k] : ((ev.xkey.state & ControlMask) ? kBreakCode : kPauseCode);
        loop.pressed_as[k] = 0;
        loop.hook(2, code, -1);
    }
}

// A window freeglut closes in spite of the interception (the second line of
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
    // A held key repeats as presses only, without a release before each.
    Bool detectable = False;
    XkbSetDetectableAutoRepeat(d, True, &detectable);

    pollfd fd{ConnectionNumber(d), POLLIN, 0};
    for (;;) {
        XEvent ev;
        while (XCheckIfEvent(d, &ev, take_event, nullptr)) handle_taken(ev);
        glutMainLoopEvent();
        if (XPending(d) == 0) poll(&fd, 1, kPollMs);
    }
}
