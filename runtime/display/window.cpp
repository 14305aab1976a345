// The window: start-up of freeglut and the window, the callback
// registration, the 8 ms redisplay timer, the reshape callback and the
// statements that act on the window (title, show, hide, full screen, resize
// mode). The display callback itself lives in presentation.cpp.
//
// Xlib is not used from more than one thread, so the program thread never
// calls the window library: its requests (title, show, hide, full screen)
// are left in WindowState and carried out by the display thread's timer
// within 8 ms.
#include "runtime/display/window.h"
#include <GL/freeglut.h>
#include <cstdlib>
#include <cstring>
#include "platform/plat_time.h"
#include "platform/plat_window.h"
#include "runtime/core/control.h"
#include "runtime/core/errors.h"
#include "runtime/display/frame_composer.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"

WindowState rt_window;
std::atomic<int32_t> screen_hidden{0};

namespace {

constexpr int32_t REDISPLAY_MS = 8;

// A title from rt_title that the display thread has not applied yet, and the
// title the window has.
std::atomic<char*> pending_title{nullptr};
char* window_title = nullptr;

// Show (1) or hide (2) the window, asked for by the program thread.
std::atomic<int32_t> visibility_request{0};

bool timer_running = false;

// The freeglut window the runtime created (0 before it exists). Timer
// callbacks have no current window of their own, so it is made current
// before acting on it.
int window_id = 0;

void apply_pending_title() {
    char* title = pending_title.exchange(nullptr);
    if (title == nullptr) return;
    std::free(window_title);
    window_title = title;
    glutSetWindowTitle(window_title);
}

void apply_visibility_request() {
    switch (visibility_request.exchange(0)) {
    case 1: glutShowWindow(); break;
    case 2: glutHideWindow(); break;
    default: break;
    }
}

}  // namespace

const char* rt_window_title() {
    return window_title ? window_title : "Untitled";
}

void on_redisplay_timer(int) {
    if (window_id != 0) glutSetWindow(window_id);
    if (rt_control.window_created.load()) {
        apply_pending_title();
        apply_visibility_request();
    }
    glutPostRedisplay();
    glutTimerFunc(REDISPLAY_MS, on_redisplay_timer, 0);
}

void on_reshape(int width, int height) {
    WindowState& ws = rt_window;
    ws.resize_event_width.store(width);
    ws.resize_event_height.store(height);
    ws.user_resize_pending.store(-1);
    ws.prev_window_size[0] = ws.window_size[0];
    ws.prev_window_size[1] = ws.window_size[1];
    ws.window_size[0] = width;
    ws.window_size[1] = height;
    ws.resized_by_us = 0;
    // Present the frame again, twice: a software GL driver may take the new
    // size of its buffers only at the buffer swap after the first drawing.
    ws.redraw_request = 2;
    // In full screen the window is the whole output area.
    if (ws.fullscreen_state.load() != 0) {
        ws.output_size[0] = width;
        ws.output_size[1] = height;
    }
}

// The window system may lose parts of the picture (the window uncovered, or
// moved back onto the screen) and asks for them with an exposure that looks
// like any other redisplay. A change of visibility therefore presents the
// newest frame again.
void on_window_status(int state) {
    if (state == GLUT_FULLY_RETAINED || state == GLUT_PARTIALLY_RETAINED)
        rt_window.redraw_request = 2;
}

void rt_register_window_callbacks() {
    glutDisplayFunc(on_display);
    // The timer re-arms itself; a second registration would start a second
    // chain and double the redisplay rate.
    if (!timer_running) {
        timer_running = true;
        glutTimerFunc(REDISPLAY_MS, on_redisplay_timer, 0);
    }
    glutKeyboardFunc(rt_glut_keyboard);
    glutKeyboardUpFunc(rt_glut_keyboard_up);
    glutSpecialFunc(rt_glut_special);
    glutSpecialUpFunc(rt_glut_special_up);
    glutMouseFunc(rt_on_mouse_button);
    glutMotionFunc(rt_on_mouse_motion);
    glutPassiveMotionFunc(rt_on_mouse_motion);
    glutReshapeFunc(on_reshape);
    glutMouseWheelFunc(rt_on_mouse_wheel);
    glutWindowStatusFunc(on_window_status);
}

void rt_window_create(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(1024, 552);
    // A title set before the window exists names it from the start.
    char* title = pending_title.exchange(nullptr);
    if (title != nullptr) {
        std::free(window_title);
        window_title = title;
    }
    window_id = glutCreateWindow(rt_window_title());
    rt_control.window_created.store(1);
    rt_register_window_callbacks();
}

void rt_window_run(int argc, char** argv) {
    rt_window_create(argc, argv);
    plat_run_event_loop(rt_window_hook);
}

void rt_title(RtString* s) {
    const int32_t len = s != nullptr && s->data != nullptr && s->len > 0 ? s->len : 0;
    auto* copy = static_cast<char*>(std::malloc(size_t(len) + 1));
    if (copy == nullptr) return;  // the window keeps its title
    if (len > 0) std::memcpy(copy, s->data, size_t(len));
    copy[len] = 0;
    std::free(pending_title.exchange(copy));
}

void rt_screen_show() {
    screen_hidden.store(0);
    if (rt_control.window_created.load()) visibility_request.store(1);
    else rt_window.create_window_now.store(1);
}

void rt_screen_hide() {
    screen_hidden.store(1);
    if (rt_control.window_created.load()) visibility_request.store(2);
}

void rt_fullscreen(int32_t kind, int32_t options) {
    int32_t request;
    switch (kind) {
    case 1: request = 0; break;
    case 0: case 2: request = 1; break;
    case 3: request = 2; break;
    default: rt_error(5); return;
    }
    WindowState& ws = rt_window;
    ws.fullscreen_smooth.store(options & 1);
    while (ws.fullscreen_request.load() != -1 && !rt_control.stopping.load()) plat_sleep_ms(1);
    // The display callback sizes the full screen from the newest frame, so
    // make sure there is one.
    if (rt_control.auto_display.load() != 0) {
        frame_done.store(0);
        while (frame_done.load() == 0 && !rt_control.stopping.load()) plat_sleep_ms(1);
    } else {
        compose_frame();
    }
    ws.fullscreen_request.store(request);
}

void rt_resize_mode(int32_t kind, int32_t value) {
    if (kind == 1) rt_window.follow_frame.store(0);
    else if (kind == 2) rt_window.follow_frame.store(1);
    rt_window.stretch_mode.store(value);
}
