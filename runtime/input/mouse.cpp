// The MouseEventQueue: the window's button, wheel, motion and raw-movement
// events appended on the display thread, and the reading functions of the
// program thread. The append moves the read index when the queue is full,
// so both sides take the queue's lock.
#include "runtime/input/mouse.h"
#include <GL/freeglut.h>
#include <cmath>
#include <mutex>
#include "runtime/core/errors.h"
#include "runtime/screen/fonts_palettes.h"
#include "runtime/screen/pages.h"

MouseEventQueue mouse_queue;

namespace {

constexpr uint32_t kMask = MOUSE_QUEUE_SIZE - 1;

struct MouseMapping {
    float offset_x = 0, offset_y = 0, scale_x = 1, scale_y = 1;
    int32_t max_x = -1, max_y = -1;
};

std::mutex mouse_mutex;
MouseMapping mapping;

// Append one record: the newest record's buttons (changed by the caller
// through the returned reference) unless the caller overwrites them.
MouseEvent& append_locked() {
    uint32_t old = mouse_queue.write;
    uint32_t next = (old + 1) & kMask;
    if (next == mouse_queue.read) mouse_queue.read = (mouse_queue.read + 1) & kMask;
    MouseEvent& r = mouse_queue.records[next];
    r = MouseEvent{mouse_queue.records[old].x, mouse_queue.records[old].y, mouse_queue.records[old].buttons, 0, 0};
    mouse_queue.write = next;
    return r;
}

void append_at(int x, int y, uint32_t buttons) {
    MouseEvent& r = append_locked();
    r.x = static_cast<int16_t>(x);
    r.y = static_cast<int16_t>(y);
    r.buttons = buttons;
}

const MouseEvent& current_locked() { return mouse_queue.records[mouse_queue.read]; }

int32_t to_frame(int16_t window, float offset, float scale, int32_t max) {
    int32_t v = static_cast<int32_t>(std::floor((window - offset) * scale));
    if (max >= 0) v = v < 0 ? 0 : (v > max ? max : v);
    return v;
}

// Frame pixel to the display page's coordinate: the 1-based cell on a text
// page, the pixel itself otherwise.
int32_t to_screen(int32_t pixel, bool horizontal) {
    const ScreenImage* page = rt_pages.display.load();
    if (!page || !page->is_text) return pixel;
    int32_t cell = horizontal ? 8 : 16;
    if (page->font >= 0 && page->font < rt_fonts.count) {
        int32_t* sizes = horizontal ? rt_fonts.font_width : rt_fonts.font_height;
        if (sizes && sizes[page->font] > 0) cell = sizes[page->font];
    }
    return pixel / cell + 1;
}

}  // namespace

void rt_on_mouse_button(int button, int state, int x, int y) {
    if (button < 0 || button > 2 || (state != GLUT_DOWN && state != GLUT_UP)) return;
    std::lock_guard<std::mutex> lock(mouse_mutex);
    uint32_t bit = 1u << button;
    uint32_t buttons = mouse_queue.records[mouse_queue.write].buttons;
    append_at(x, y, state == GLUT_DOWN ? buttons | bit : buttons & ~bit);
}

void rt_on_mouse_wheel(int, int direction, int x, int y) {
    if (direction == 0) return;
    std::lock_guard<std::mutex> lock(mouse_mutex);
    uint32_t bit = direction > 0 ? 1u << 3 : 1u << 4;
    uint32_t buttons = mouse_queue.records[mouse_queue.write].buttons;
    append_at(x, y, buttons | bit);
    append_at(x, y, buttons & ~bit);
}

void rt_on_mouse_motion(int x, int y) {
    std::lock_guard<std::mutex> lock(mouse_mutex);
    uint32_t buttons = mouse_queue.records[mouse_queue.write].buttons;
    append_at(x, y, buttons);
    append_at(x, y, buttons);
}

void rt_mouse_raw_move(int32_t dx, int32_t dy) {
    std::lock_guard<std::mutex> lock(mouse_mutex);
    MouseEvent& moved = append_locked();
    moved.move_x = static_cast<int16_t>(dx);
    moved.move_y = static_cast<int16_t>(dy);
    append_locked();
}

int32_t rt_mouse_input() {
    std::lock_guard<std::mutex> lock(mouse_mutex);
    if (mouse_queue.read == mouse_queue.write) return 0;
    mouse_queue.read = (mouse_queue.read + 1) & kMask;
    return -1;
}

int32_t rt_mouse_button(int32_t button) {
    if (button < 1) {
        rt_error(5);
        return 0;
    }
    // 1 left, 2 right, 3 middle; other numbers have no button.
    static constexpr int kBit[] = {0, 2, 1};
    if (button > 3) return 0;
    std::lock_guard<std::mutex> lock(mouse_mutex);
    return (current_locked().buttons >> kBit[button - 1]) & 1 ? -1 : 0;
}

int32_t rt_mouse_wheel() {
    std::lock_guard<std::mutex> lock(mouse_mutex);
    uint32_t b = current_locked().buttons;
    bool away = b & (1u << 3), toward = b & (1u << 4);
    return away == toward ? 0 : (away ? -1 : 1);
}

int32_t rt_mouse_x() {
    int32_t pixel;
    {
        std::lock_guard<std::mutex> lock(mouse_mutex);
        pixel = to_frame(current_locked().x, mapping.offset_x, mapping.scale_x, mapping.max_x);
    }
    return to_screen(pixel, true);
}

int32_t rt_mouse_y() {
    int32_t pixel;
    {
        std::lock_guard<std::mutex> lock(mouse_mutex);
        pixel = to_frame(current_locked().y, mapping.offset_y, mapping.scale_y, mapping.max_y);
    }
    return to_screen(pixel, false);
}

int32_t rt_mouse_move_x() {
    std::lock_guard<std::mutex> lock(mouse_mutex);
    return current_locked().move_x;
}

int32_t rt_mouse_move_y() {
    std::lock_guard<std::mutex> lock(mouse_mutex);
    return current_locked().move_y;
}

void rt_mouse_set_mapping(float offset_x, float offset_y, float scale_x, float scale_y, int32_t max_x,
                          int32_t max_y) {
    std::lock_guard<std::mutex> lock(mouse_mutex);
    mapping = MouseMapping{offset_x, offset_y, scale_x, scale_y, max_x, max_y};
}

MouseEvent mouse_record(uint32_t index) {
    std::lock_guard<std::mutex> lock(mouse_mutex);
    return mouse_queue.records[index & kMask];
}

void mouse_queue_reset() {
    std::lock_guard<std::mutex> lock(mouse_mutex);
    mouse_queue.write = mouse_queue.read = 0;
    mouse_queue.records[0] = MouseEvent{};
    mapping = MouseMapping{};
}
