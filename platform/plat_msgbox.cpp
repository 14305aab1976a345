// The message box: a small blocking X11 dialog with its own display
// connection, so that only the calling thread waits while the game window
// goes on being drawn by the display thread. The caption and text are also
// written to standard error, for a user who has no display at all.
#include "platform/plat_msgbox.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::atomic<PlatMsgBoxHook> msgbox_hook{nullptr};

void write_to_stderr(const char* text, const char* caption) {
    std::string out = "tolmerand: ";
    out += caption;
    out += '\n';
    std::string line;
    for (const char* p = text;; ++p) {
        if (*p == '\n' || *p == '\0') {
            out += "  " + line + '\n';
            line.clear();
            if (*p == '\0') break;
        } else if (*p != '\r') {
            line += *p;
        }
    }
    std::fputs(out.c_str(), stderr);
    std::fflush(stderr);
}

std::vector<std::string> split_lines(const char* text) {
    std::vector<std::string> lines(1);
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') {
            lines.emplace_back();
        } else if (*p != '\r') {
            lines.back() += *p;
        }
    }
    return lines;
}

struct Button {
    const char* label;
    PlatMsgBoxResult result;
    int x, y;
};

struct Dialog {
    Display* display;
    Window window;
    GC gc;
    XFontStruct* font;
    bool own_font;
    unsigned long background, face, face_pressed, border, text;
    std::vector<std::string> lines;
    std::vector<Button> buttons;
    int width, height, line_height;
    int focused;  // index of the button Enter and Space activate
    int pressed;  // button held down with the mouse, -1 when none
};

unsigned long alloc_colour(Display* display, unsigned long rgb, unsigned long fallback) {
    XColor colour{};
    colour.red = static_cast<unsigned short>(((rgb >> 16) & 0xFF) * 257);
    colour.green = static_cast<unsigned short>(((rgb >> 8) & 0xFF) * 257);
    colour.blue = static_cast<unsigned short>((rgb & 0xFF) * 257);
    colour.flags = DoRed | DoGreen | DoBlue;
    Colormap map = DefaultColormap(display, DefaultScreen(display));
    return XAllocColor(display, map, &colour) ? colour.pixel : fallback;
}

XFontStruct* load_font(Display* display, bool* own) {
    const char* names[] = {"-misc-fixed-medium-r-normal--13-*-*-*-*-*-iso8859-1", "fixed"};
    for (const char* name : names) {
        if (XFontStruct* font = XLoadQueryFont(display, name)) {
            *own = true;
            return font;
        }
    }
    *own = false;
    return XQueryFont(display, XGContextFromGC(DefaultGC(display, DefaultScreen(display))));
}

int text_width(const Dialog& d, const std::string& s) {
    return d.font ? XTextWidth(d.font, s.c_str(), static_cast<int>(s.size())) : 6 * static_cast<int>(s.size());
}

int button_at(const Dialog& d, int x, int y) {
    for (size_t i = 0; i < d.buttons.size(); ++i) {
        const Button& b = d.buttons[i];
        if (x >= b.x && x < b.x + PLAT_MB_BUTTON_WIDTH && y >= b.y && y < b.y + PLAT_MB_BUTTON_HEIGHT)
            return static_cast<int>(i);
    }
    return -1;
}

void draw(const Dialog& d) {
    Display* dp = d.display;
    XSetForeground(dp, d.gc, d.background);
    XFillRectangle(dp, d.window, d.gc, 0, 0, d.width, d.height);

    int ascent = d.font ? d.font->ascent : 10;
    XSetForeground(dp, d.gc, d.text);
    for (size_t i = 0; i < d.lines.size(); ++i) {
        const std::string& s = d.lines[i];
        int y = PLAT_MB_MARGIN + static_cast<int>(i) * d.line_height + ascent;
        XDrawString(dp, d.window, d.gc, PLAT_MB_MARGIN, y, s.c_str(), static_cast<int>(s.size()));
    }

    for (size_t i = 0; i < d.buttons.size(); ++i) {
        const Button& b = d.buttons[i];
        bool down = d.pressed == static_cast<int>(i);
        XSetForeground(dp, d.gc, down ? d.face_pressed : d.face);
        XFillRectangle(dp, d.window, d.gc, b.x, b.y, PLAT_MB_BUTTON_WIDTH, PLAT_MB_BUTTON_HEIGHT);
        XSetForeground(dp, d.gc, d.border);
        XDrawRectangle(dp, d.window, d.gc, b.x, b.y, PLAT_MB_BUTTON_WIDTH - 1, PLAT_MB_BUTTON_HEIGHT - 1);
        if (d.focused == static_cast<int>(i)) {
            // A second frame marks the button that Enter activates.
            XDrawRectangle(dp, d.window, d.gc, b.x + 1, b.y + 1, PLAT_MB_BUTTON_WIDTH - 3, PLAT_MB_BUTTON_HEIGHT - 3);
        }
        XSetForeground(dp, d.gc, d.text);
        std::string label = b.label;
        int tx = b.x + (PLAT_MB_BUTTON_WIDTH - text_width(d, label)) / 2;
        int descent = d.font ? d.font->descent : 3;
        int ty = b.y + (PLAT_MB_BUTTON_HEIGHT + ascent - descent) / 2;
        XDrawString(dp, d.window, d.gc, tx, ty, label.c_str(), static_cast<int>(label.size()));
    }
    XFlush(dp);
}

void layout(Dialog& d, PlatMsgBoxButtons kind) {
    if (kind == PLAT_MB_YES_NO) {
        d.buttons = {{"Yes", PLAT_MB_RESULT_YES, 0, 0}, {"No", PLAT_MB_RESULT_NO, 0, 0}};
    } else {
        d.buttons = {{"OK", PLAT_MB_RESULT_OK, 0, 0}};
    }
    d.line_height = d.font ? d.font->ascent + d.font->descent : 13;
    int text_w = 0;
    for (const std::string& s : d.lines) text_w = std::max(text_w, text_width(d, s));
    int n = static_cast<int>(d.buttons.size());
    int buttons_w = n * PLAT_MB_BUTTON_WIDTH + (n - 1) * PLAT_MB_BUTTON_GAP;
    d.width = std::max({text_w, buttons_w, PLAT_MB_MIN_TEXT_WIDTH}) + 2 * PLAT_MB_MARGIN;
    d.height = PLAT_MB_MARGIN + static_cast<int>(d.lines.size()) * d.line_height + PLAT_MB_MARGIN +
               PLAT_MB_BUTTON_HEIGHT + PLAT_MB_MARGIN;
    int x = (d.width - buttons_w) / 2;
    for (Button& b : d.buttons) {
        b.x = x;
        b.y = d.height - PLAT_MB_MARGIN - PLAT_MB_BUTTON_HEIGHT;
        x += PLAT_MB_BUTTON_WIDTH + PLAT_MB_BUTTON_GAP;
    }
}

void set_window_properties(Dialog& d, const char* caption) {
    Display* dp = d.display;
    XStoreName(dp, d.window, caption);
    Atom utf8 = XInternAtom(dp, "UTF8_STRING", False);
    XChangeProperty(dp, d.window, XInternAtom(dp, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(caption), static_cast<int>(std::strlen(caption)));

    Atom type = XInternAtom(dp, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(dp, d.window, XInternAtom(dp, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&type), 1);
    // The box belongs to no window, so it keeps itself above the others.
    Atom above = XInternAtom(dp, "_NET_WM_STATE_ABOVE", False);
    XChangeProperty(dp, d.window, XInternAtom(dp, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&above), 1);

    XSizeHints* size = XAllocSizeHints();
    if (size) {
        size->flags = USPosition | PPosition | PSize | PMinSize | PMaxSize;
        size->x = (DisplayWidth(dp, DefaultScreen(dp)) - d.width) / 2;
        size->y = (DisplayHeight(dp, DefaultScreen(dp)) - d.height) / 2;
        size->width = size->min_width = size->max_width = d.width;
        size->height = size->min_height = size->max_height = d.height;
        XSetWMNormalHints(dp, d.window, size);
        XFree(size);
    }
    XWMHints* hints = XAllocWMHints();
    if (hints) {
        hints->flags = InputHint | StateHint;
        hints->input = True;
        hints->initial_state = NormalState;
        XSetWMHints(dp, d.window, hints);
        XFree(hints);
    }
    XClassHint* class_hint = XAllocClassHint();
    if (class_hint) {
        char name[] = "tolmerand";
        char cls[] = "Tolmerand";
        class_hint->res_name = name;
        class_hint->res_class = cls;
        XSetClassHint(dp, d.window, class_hint);
        XFree(class_hint);
    }
}

// Runs the dialog's event loop until a button is chosen.
PlatMsgBoxResult run_dialog(Dialog& d, PlatMsgBoxButtons kind, Atom delete_atom) {
    PlatMsgBoxResult cancel = kind == PLAT_MB_YES_NO ? PLAT_MB_RESULT_NO : PLAT_MB_RESULT_OK;
    int count = static_cast<int>(d.buttons.size());
    for (;;) {
        XEvent ev;
        XNextEvent(d.display, &ev);
        switch (ev.type) {
        case MapNotify:
            XSetInputFocus(d.display, d.window, RevertToParent, CurrentTime);
            break;
        case Expose:
            if (ev.xexpose.count == 0) draw(d);
            break;
        case ClientMessage:
            if (static_cast<Atom>(ev.xclient.data.l[0]) == delete_atom) return cancel;
            break;
        case KeyPress: {
            KeySym key = XLookupKeysym(&ev.xkey, 0);
            if (key == XK_Return || key == XK_KP_Enter || key == XK_space) {
                return d.buttons[d.focused].result;
            }
            if (key == XK_Escape) return cancel;
            if (kind == PLAT_MB_YES_NO && key == XK_y) return PLAT_MB_RESULT_YES;
            if (kind == PLAT_MB_YES_NO && key == XK_n) return PLAT_MB_RESULT_NO;
            if (key == XK_Tab || key == XK_Right || key == XK_ISO_Left_Tab || key == XK_Left) {
                int step = (key == XK_Left || key == XK_ISO_Left_Tab || (ev.xkey.state & ShiftMask)) ? -1 : 1;
                d.focused = (d.focused + step + count) % count;
                draw(d);
            }
            break;
        }
        case ButtonPress:
            if (ev.xbutton.button == Button1) {
                d.pressed = button_at(d, ev.xbutton.x, ev.xbutton.y);
                if (d.pressed >= 0) d.focused = d.pressed;
                draw(d);
            }
            break;
        case ButtonRelease:
            if (ev.xbutton.button == Button1 && d.pressed >= 0) {
                int released = button_at(d, ev.xbutton.x, ev.xbutton.y);
                int was = d.pressed;
                d.pressed = -1;
                draw(d);
                if (released == was) return d.buttons[was].result;
            }
            break;
        default:
            break;
        }
    }
}

}  // namespace

void plat_set_msgbox_hook(PlatMsgBoxHook hook) { msgbox_hook.store(hook); }

PlatMsgBoxResult plat_message_box(const char* text, const char* caption, PlatMsgBoxButtons buttons) {
    if (text == nullptr) text = "";
    if (caption == nullptr) caption = "";
    write_to_stderr(text, caption);
    if (PlatMsgBoxHook hook = msgbox_hook.load()) return hook(text, caption, buttons);

    Display* dp = XOpenDisplay(nullptr);
    if (dp == nullptr) return PLAT_MB_FAILED;
    int screen = DefaultScreen(dp);

    Dialog d{};
    d.display = dp;
    d.font = load_font(dp, &d.own_font);
    d.lines = split_lines(text);
    d.focused = 0;
    d.pressed = -1;
    layout(d, buttons);
    d.background = alloc_colour(dp, 0xE4E4E4, WhitePixel(dp, screen));
    d.face = alloc_colour(dp, 0xF4F4F4, WhitePixel(dp, screen));
    d.face_pressed = alloc_colour(dp, 0xC0C0C0, WhitePixel(dp, screen));
    d.border = alloc_colour(dp, 0x505050, BlackPixel(dp, screen));
    d.text = BlackPixel(dp, screen);

    int x = (DisplayWidth(dp, screen) - d.width) / 2;
    int y = (DisplayHeight(dp, screen) - d.height) / 2;
    XSetWindowAttributes attrs{};
    attrs.background_pixel = d.background;
    attrs.border_pixel = d.border;
    attrs.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    d.window = XCreateWindow(dp, RootWindow(dp, screen), std::max(x, 0), std::max(y, 0), d.width, d.height, 1,
                             CopyFromParent, InputOutput, CopyFromParent,
                             CWBackPixel | CWBorderPixel | CWEventMask, &attrs);
    set_window_properties(d, caption);
    Atom delete_atom = XInternAtom(dp, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(dp, d.window, &delete_atom, 1);

    d.gc = XCreateGC(dp, d.window, 0, nullptr);
    if (d.font) XSetFont(dp, d.gc, d.font->fid);
    XMapRaised(dp, d.window);

    PlatMsgBoxResult result = run_dialog(d, buttons, delete_atom);

    XFreeGC(dp, d.gc);
    XDestroyWindow(dp, d.window);
    if (d.font) {
        if (d.own_font) {
            XFreeFont(dp, d.font);
        } else {
            XFreeFontInfo(nullptr, d.font, 1);
        }
    }
    XCloseDisplay(dp);
    return result;
}
