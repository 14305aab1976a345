// The display callback: presents the newest frame of the FrameRing with
// OpenGL, keeps the window the size of the frame, and enters or leaves full
// screen on request. Nothing is drawn or swapped when the newest frame was
// presented already, so an unchanged screen costs no drawing.
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cstdlib>
#include "runtime/core/control.h"
#include "runtime/display/frame_composer.h"
#include "runtime/display/window.h"
#include "runtime/input/mouse.h"

namespace {

// A window manager may refuse the size we ask for. After this many display
// calls (about a second of redisplays) without the window reaching the frame
// size, the frame is drawn in the window as it is instead of never.
constexpr int32_t SNAP_ATTEMPT_LIMIT = 125;
int32_t snap_target[2] = {0, 0};
int32_t snap_window[2] = {0, 0};
int32_t snap_attempts = 0;

bool snap_refused(int32_t fw, int32_t fh) {
    const WindowState& ws = rt_window;
    if (snap_target[0] != fw || snap_target[1] != fh || snap_window[0] != ws.window_size[0] ||
        snap_window[1] != ws.window_size[1]) {
        snap_target[0] = fw;
        snap_target[1] = fh;
        snap_window[0] = ws.window_size[0];
        snap_window[1] = ws.window_size[1];
        snap_attempts = 0;
    }
    return ++snap_attempts > SNAP_ATTEMPT_LIMIT;
}

void request_window_size(int32_t w, int32_t h) {
    glutReshapeWindow(w, h);
    glutPostRedisplay();
    rt_window.resized_by_us = 1;
}

// Keeps a window of the frame's aspect ratio (stretch modes) or of the
// frame's size. Returns false when drawing waits for the reshape report.
bool fit_window(int32_t fw, int32_t fh) {
    WindowState& ws = rt_window;
    const bool size_changed = fw != ws.shown_frame_size[0] || fh != ws.shown_frame_size[1];
    ws.shown_frame_size[0] = fw;
    ws.shown_frame_size[1] = fh;
    ws.frame_aspect = float(fw) / float(fh);
    const int32_t ww = ws.window_size[0];
    const int32_t wh = ws.window_size[1];

    if (ws.stretch_mode.load() != 0 && wh > 0) {
        const float window_aspect = float(ww) / float(wh);
        if (window_aspect != ws.set_aspect && window_aspect != ws.frame_aspect) {
            // Keep the dimension the user changed (the one that changed more).
            const int32_t dw = std::abs(ww - ws.prev_window_size[0]);
            const int32_t dh = std::abs(wh - ws.prev_window_size[1]);
            bool keep_height;
            if (dw == 0) keep_height = true;
            else if (dh == 0) keep_height = false;
            else keep_height = !(dh < dw);
            int32_t nw = ww, nh = wh;
            if (keep_height) nw = int32_t(float(wh) * ws.frame_aspect);
            else nh = int32_t(float(ww) / ws.frame_aspect);
            if (nw < 1) nw = 1;
            if (nh < 1) nh = 1;
            ws.set_aspect = float(nw) / float(nh);
            request_window_size(nw, nh);
            return true;
        }
    }
    if ((fw != ww || fh != wh) && (ws.follow_frame.load() == 1 || size_changed)) {
        if (snap_refused(fw, fh)) return true;
        request_window_size(fw, fh);
        return false;
    }
    return true;
}

// Full screen is a full-screen window at the desktop size; the frame is
// stretched over it (request 1) or letterboxed with square pixels (2).
// Returns true when the request was carried out.
bool change_fullscreen(int32_t request) {
    WindowState& ws = rt_window;
    if (request == 0) {
        if (ws.fullscreen_state.load() != 0) glutLeaveFullScreen();
        ws.fullscreen_state.store(0);
        ws.desktop_fullscreen_kind = 0;
        ws.fullscreen_request.store(-1);
        ws.redraw_request = 1;
        return true;
    }
    const int32_t sw = glutGet(GLUT_SCREEN_WIDTH);
    const int32_t sh = glutGet(GLUT_SCREEN_HEIGHT);
    if (sw <= 0 || sh <= 0) {
        ws.fullscreen_state.store(0);
        ws.fullscreen_request.store(-1);
        return false;
    }
    if (ws.fullscreen_state.load() == 0) ws.saved_window = glutGetWindow();
    glutFullScreen();
    ws.output_size[0] = sw;
    ws.output_size[1] = sh;
    ws.desktop_fullscreen_kind = request;
    ws.fullscreen_state.store(request);
    ws.fullscreen_request.store(-1);
    ws.redraw_request = 1;
    return true;
}

void reset_state_for_pass() {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
}

void blend_over() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void set_mouse_mapping(int32_t ox, int32_t oy, float sx, float sy, int32_t fw, int32_t fh) {
    WindowState& ws = rt_window;
    ws.mouse_offset_x = ox;
    ws.mouse_offset_y = oy;
    ws.mouse_scale_x = sx;
    ws.mouse_scale_y = sy;
    ws.mouse_max_x = fw - 1;
    ws.mouse_max_y = fh - 1;
    // The mouse queue's position queries map window pixels with the same figures.
    rt_mouse_set_mapping(float(ox), float(oy), sx, sy, fw - 1, fh - 1);
}

// The frame one window pixel per frame pixel, first row at the top.
void draw_pixel_copy(const FrameSlot& slot, bool blended) {
    const WindowState& ws = rt_window;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, ws.window_size[0], ws.window_size[1]);
    glOrtho(0, ws.window_size[0], ws.window_size[1], 0, -1, 1);
    glRasterPos2f(0, 0);
    glPixelZoom(1, -1);
    if (blended) blend_over();
    glDrawPixels(slot.frame_width, slot.frame_height, GL_BGRA, GL_UNSIGNED_BYTE, slot.pixels);
    set_mouse_mapping(0, 0, 1.0f, 1.0f, slot.frame_width, slot.frame_height);
}

struct Rect {
    int32_t x0, y0, x1, y1;
};

// The area of the output the frame covers: all of it, or with square pixels
// in full screen the centred rectangle of the frame's aspect ratio.
Rect picture_rect(int32_t ow, int32_t oh, float frame_aspect) {
    Rect r{0, 0, ow, oh};
    if (rt_window.desktop_fullscreen_kind != 2 || oh <= 0) return r;
    const float output_aspect = float(ow) / float(oh);
    if (output_aspect > frame_aspect) {
        const int32_t pw = int32_t(float(oh) * frame_aspect);
        r.x0 = ow / 2 - pw / 2;
        r.x1 = r.x0 + pw;
    } else if (output_aspect < frame_aspect) {
        const int32_t ph = int32_t(float(ow) / frame_aspect);
        r.y0 = oh / 2 - ph / 2;
        r.y1 = r.y0 + ph;
    }
    return r;
}

// The frame as a texture stretched over the picture rectangle.
void draw_texture(const FrameSlot& slot, bool blended, const Rect& pic) {
    WindowState& ws = rt_window;
    const bool windowed = ws.fullscreen_state.load() == 0;
    if (windowed) {
        ws.output_size[0] = ws.window_size[0];
        ws.output_size[1] = ws.window_size[1];
    }
    const int32_t ow = ws.output_size[0];
    const int32_t oh = ws.output_size[1];
    glBindTexture(GL_TEXTURE_2D, 0xFFFFFFFFu);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, slot.frame_width, slot.frame_height, 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, slot.pixels);
    glViewport(0, 0, ow, oh);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, ow, 0, oh);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(1, -1, 1);
    glTranslatef(0, float(-oh), 0);
    glEnable(GL_TEXTURE_2D);
    const bool smooth = windowed ? ws.stretch_mode.load() == 2 : ws.fullscreen_smooth.load() != 0;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, smooth ? GL_LINEAR : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (blended) blend_over();
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2i(pic.x0, pic.y0);
    glTexCoord2f(1, 0);
    glVertex2i(pic.x1, pic.y0);
    glTexCoord2f(1, 1);
    glVertex2i(pic.x1, pic.y1);
    glTexCoord2f(0, 1);
    glVertex2i(pic.x0, pic.y1);
    glEnd();
    const int32_t pw = pic.x1 - pic.x0;
    const int32_t ph = pic.y1 - pic.y0;
    set_mouse_mapping(pic.x0, pic.y0, pw > 0 ? float(slot.frame_width) / float(pw) : 1.0f,
                      ph > 0 ? float(slot.frame_height) / float(ph) : 1.0f, slot.frame_width,
                      slot.frame_height);
}

// The letterbox bars beside or above and below the picture, in black.
void draw_bars(const Rect& pic) {
    const int32_t ow = rt_window.output_size[0];
    const int32_t oh = rt_window.output_size[1];
    glColor3f(0, 0, 0);
    if (pic.x0 > 0 || pic.x1 < ow) {
        glRecti(0, 0, pic.x0, oh);
        glRecti(pic.x1, 0, ow, oh);
    }
    if (pic.y0 > 0 || pic.y1 < oh) {
        glRecti(0, 0, ow, pic.y0);
        glRecti(0, pic.y1, ow, oh);
    }
    glColor3f(1, 1, 1);
}

// Four drawing passes; the frame is drawn in the first, or blended over the
// passes before it in the third.
void draw_passes(const FrameSlot& slot) {
    WindowState& ws = rt_window;
    const int32_t frame_pass = ws.layer_order == 1 ? 3 : 1;
    const bool pixel_copy = ws.stretch_mode.load() == 0 && ws.desktop_fullscreen_kind == 0;
    const float frame_aspect = float(slot.frame_width) / float(slot.frame_height);
    Rect pic{};
    bool texture_drawn = false;
    for (int pass = 1; pass <= 4; ++pass) {
        reset_state_for_pass();
        if (pass == 1) glClear(GL_COLOR_BUFFER_BIT);
        if (pass == frame_pass) {
            glClear(GL_DEPTH_BUFFER_BIT);
            if (pixel_copy) {
                draw_pixel_copy(slot, pass == 3);
            } else {
                const bool windowed = ws.fullscreen_state.load() == 0;
                const int32_t ow = windowed ? ws.window_size[0] : ws.output_size[0];
                const int32_t oh = windowed ? ws.window_size[1] : ws.output_size[1];
                pic = picture_rect(ow, oh, frame_aspect);
                draw_texture(slot, pass == 3, pic);
                texture_drawn = true;
            }
        }
        if (pass == 4 && texture_drawn && ws.desktop_fullscreen_kind == 2) draw_bars(pic);
    }
}

}  // namespace

void on_display() {
    WindowState& ws = rt_window;
    ws.display_calls.fetch_add(1, std::memory_order_relaxed);
    const int32_t s = frame_ring_take_newest();
    if (s == 0) return;
    FrameSlot& slot = frame_ring.slots[s];
    const int32_t request = ws.fullscreen_request.load();
    if (slot.presented.load() && request == -1 && ws.redraw_request == 0) return;
    if (ws.redraw_request > 0) --ws.redraw_request;

    if (ws.fullscreen_state.load() == 0 && request == -1) {
        if (!fit_window(slot.frame_width, slot.frame_height)) return;
    }
    if (ws.resized_by_us == 0 && request != -1) {
        if (change_fullscreen(request)) return;
    }

    slot.presented.store(1);
    ws.draws.fetch_add(1, std::memory_order_relaxed);
    draw_passes(slot);
    frame_ring_release_older();
    if (!(rt_control.paused.load() & 1)) {
        glutSwapBuffers();
        ws.swaps.fetch_add(1, std::memory_order_relaxed);
    }
}
