// Screen statements: clear, colour, cursor position and shape, the text
// window, and the cursor and width queries. All act on the write page.
#pragma once
#include <cstdint>

// flags: bit 0 kind given, bit 1 fill given.
void rt_cls(int32_t kind, uint32_t fill, int32_t flags);
// flags: bit 0 fg, bit 1 bg, bit 2 border given.
void rt_color(uint32_t fg, uint32_t bg, uint32_t border, int32_t flags);
// flags: bits 0 to 4: row, col, cursor, start, stop given.
void rt_locate(int32_t row, int32_t col, int32_t cursor, int32_t start, int32_t stop, int32_t flags);
int32_t rt_csrlin();
int32_t rt_pos();
void rt_view_print(int32_t top, int32_t bottom, int32_t given);
int32_t rt_image_width(int32_t handle, int32_t use_handle);
void rt_control_chars(int32_t setting);
