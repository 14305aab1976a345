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

// Register every window callback (start-up, and after entering or leaving full screen).
void rt_register_window_callbacks();

void on_display();
void on_redisplay_timer(int value);
void on_reshape(int width, int height);

void rt_title(RtString* s);
void rt_screen_show();
void rt_screen_hide();
void rt_fullscreen(int32_t kind, int32_t options);
void rt_resize_mode(int32_t kind, int32_t value);

// Set by rt_screen_hide: the composer composes nothing while it is set.
extern std::atomic<int32_t> screen_hidden;
