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
