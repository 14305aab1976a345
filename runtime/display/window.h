// The window: WindowState, the display, redisplay-timer and reshape
// callbacks, and the statements that act on the window.
#pragma once
#include <atomic>
#include <cstdint>
#include "runtime/strings/rt_string.h"

// Start-up steps 14 to 16: initialise freeglut, create the window (1024x552,
// "Untitled" unless a title was set), register the callbacks, run the event
// loop on the calling thread. Never returns.
[[noreturn]] void rt_window_run(int argc, char** argv);

// Start-up steps 14 and 15 alone: the window and its callbacks, without
// entering the event loop (rt_window_run does both).
void rt_window_create(int argc, char** argv);

// Register every window callback (start-up, and after entering or leaving full screen).
void rt_register_window_callbacks();

void on_display();
void on_redisplay_timer(int value);
void on_reshape(int width, int height);
// Visibility changes (glutWindowStatusFunc): present the newest frame again.
void on_window_status(int state);

void rt_title(RtString* s);
void rt_screen_show();
void rt_screen_hide();
void rt_fullscreen(int32_t kind, int32_t options);
void rt_resize_mode(int32_t kind, int32_t value);

// Set by rt_screen_hide: the composer composes nothing while it is set.
extern std::atomic<int32_t> screen_hidden;

// The display thread's window and full-screen state. Fields the program
// thread writes or reads are atomic; the others belong to the display thread.
struct WindowState {
    int32_t window_size[2] = {640, 400};        // client size from the last reshape report
    int32_t prev_window_size[2] = {640, 400};   // the size before that report
    int32_t shown_frame_size[2] = {640, 400};   // frame last examined by the display callback
    float frame_aspect = 1.6f;                  // width / height of that frame
    float set_aspect = 1.6f;                    // aspect ratio last imposed on the window
    int32_t resized_by_us = 1;                  // 1 after we asked for a size, 0 after a report
    std::atomic<int32_t> follow_frame{1};       // 1: always bring the window back to the frame size
    std::atomic<int32_t> stretch_mode{0};       // 0 copy 1:1, 1 stretch, 2 stretch smoothly
    int32_t redraw_request = 0;                 // presentations due even of a presented frame
    std::atomic<int32_t> user_resize_pending{0};   // -1 after every reshape report
    std::atomic<int32_t> resize_event_width{0};    // size of that report, for the resize event
    std::atomic<int32_t> resize_event_height{0};
    std::atomic<int32_t> fullscreen_request{-1};   // -1 none, 0 leave, 1 stretched, 2 square pixels
    std::atomic<int32_t> fullscreen_state{0};      // full-screen kind in force, 0 windowed
    std::atomic<int32_t> fullscreen_smooth{0};     // smooth magnification in full screen
    int32_t output_size[2] = {640, 400};        // area the frame is mapped to
    int32_t desktop_fullscreen_kind = 0;        // request kind of a desktop-size full screen
    int32_t layer_order = 2;                    // 2: frame in pass 1; 1: blended in pass 3
    int32_t saved_window = 0;                   // window to return to from full screen
    std::atomic<int32_t> create_window_now{0};  // lets start-up create the window

    // Mapping from window pixels to frame pixels for the mouse code, recorded
    // at every presentation: frame = (window - offset) * scale, at most max.
    int32_t mouse_offset_x = 0, mouse_offset_y = 0;
    float mouse_scale_x = 1.0f, mouse_scale_y = 1.0f;
    int32_t mouse_max_x = 639, mouse_max_y = 399;

    // Counters of the display callback: calls, frames drawn, buffer swaps.
    std::atomic<uint64_t> display_calls{0};
    std::atomic<uint64_t> draws{0};
    std::atomic<uint64_t> swaps{0};
};

extern WindowState rt_window;

// The title the window has or will get (a copy; "Untitled" until rt_title).
// Display thread only.
const char* rt_window_title();
