// Helpers of the frame-composer tests: the screen set up without threads or
// a window, a stand-in for the display thread's side of the ring, and an
// independent rendering of a text page to compare frames with.
#pragma once
#include <gtest/gtest.h>
#include <cstdint>
#include <vector>
#include "runtime/display/frame_composer.h"
#include "runtime/screen/screen_image.h"

// Emulated memory, strings, image table, fonts and palettes, then the screen
// statement for mode (0: the 80x25 text screen, 12: 640x480 in 16 colours).
void screen_setup(int32_t mode);

ScreenImage* display_page();
int32_t newest_slot();

// A copy of the pixels of the newest frame (empty when there is none).
std::vector<uint32_t> newest_frame();

// What the display thread does with the newest frame: present it and mark
// every older one consumed. Returns the slot presented, 0 when none.
int32_t consume_frames();

// Composes once and reports whether a new frame was published.
bool compose_publishes();

// Slots currently holding a buffer.
int32_t allocated_slots();

// A text page drawn from scratch: every cell with the built-in glyphs, blink
// bit 7 hiding the character in the blink-on phase. When cursor_first is not
// negative and the page's cursor is visible in the blink-on phase, lines
// cursor_first..cursor_last of cell (cursor_col, cursor_row) (0-based) are
// painted in the cell's foreground colour.
std::vector<uint32_t> reference_text_frame(const ScreenImage* page, bool blink_on,
                                           int32_t cursor_col, int32_t cursor_row,
                                           int32_t cursor_first, int32_t cursor_last);

// Cell (col, row) of a text page, 0-based.
void put_cell(ScreenImage* page, int32_t col, int32_t row, uint8_t c, uint8_t a);

// Equal frames, or where the first difference is (x and y for a frame
// width wide).
::testing::AssertionResult same_frame(const std::vector<uint32_t>& actual,
                                      const std::vector<uint32_t>& expected, int32_t width);

// Set the blink phase seen by the next composition.
void set_blink(bool on);
