// The MouseEventQueue and the mouse callbacks of the window.
#pragma once
#include <cstdint>

struct MouseEvent {
    int16_t x, y;
    uint32_t buttons;   // bit 0 left, 1 middle, 2 right, 3 wheel away, 4 wheel toward
    int16_t move_x, move_y;
};

constexpr int32_t MOUSE_QUEUE_SIZE = 65536;

void rt_on_mouse_button(int button, int state, int x, int y);
void rt_on_mouse_wheel(int wheel, int direction, int x, int y);
void rt_on_mouse_motion(int x, int y);
void rt_mouse_raw_move(int32_t dx, int32_t dy);

// The ring of records: write is the newest record, read the one the program
// currently sees; unread records follow read up to and including write.
struct MouseEventQueue {
    MouseEvent records[MOUSE_QUEUE_SIZE];
    uint32_t write;
    uint32_t read;
};

extern MouseEventQueue mouse_queue;

// Reading, on the program thread.
// Move to the next unread record: -1 when there was one, 0 when none.
int32_t rt_mouse_input();
// Button 1 left, 2 right, 3 middle of the current record: -1 down, 0 up.
// Error 5 for a number below 1.
int32_t rt_mouse_button(int32_t button);
// Wheel step of the current record: -1 away from the user, +1 toward, else 0.
int32_t rt_mouse_wheel();
// Pointer position of the current record in screen coordinates: pixels of
// the display page, or its 1-based column and row on a text page.
int32_t rt_mouse_x();
int32_t rt_mouse_y();
// Raw movement of the current record.
int32_t rt_mouse_move_x();
int32_t rt_mouse_move_y();

// The mapping from window pixels to frame pixels, recorded by the display
// callback on each presentation: frame = (window - offset) * scale, clamped
// to 0..max (no clamp while max is negative). Identity until first set.
void rt_mouse_set_mapping(float offset_x, float offset_y, float scale_x, float scale_y, int32_t max_x,
                          int32_t max_y);

// A copy of record i (taken under the queue's lock), for readers and tests.
MouseEvent mouse_record(uint32_t index);

// Empty queue, record 0 cleared, identity mapping. For tests.
void mouse_queue_reset();
