// Helpers shared by the screen subsystem's own files: the write page, the
// attribute byte of a text cell, font sizes looked up safely, releasing an
// image with the memory it owns, and the text-grid clamps that keep every
// store inside a page's data.
#pragma once
#include <cstdint>

#include "runtime/core/control.h"
#include "runtime/screen/fonts_palettes.h"
#include "runtime/screen/pages.h"
#include "runtime/screen/screen_image.h"

// EGA entries of the 16 default colours (6 is brown, 8 to 15 the bright ones).
inline constexpr int kDefaultEgaEntries[16] = {0, 1, 2, 3, 4, 5, 20, 7, 56, 57, 58, 59, 60, 61, 62, 63};

// Statements do nothing while an error waits for the statement check.
inline bool screen_error_pending() { return rt_control.error_pending.load(std::memory_order_relaxed) != 0; }

// Text cell attribute: foreground bits 0-3, background bits 4-6, and bit 7
// (blink) from foreground values 16 to 31.
inline uint8_t text_attribute(uint32_t fg, uint32_t bg) {
    return static_cast<uint8_t>((fg & 15) | ((bg & 7) << 4) | ((fg & 16) << 3));
}

// Font sizes of a handle; 0 for a handle outside the table.
inline int32_t font_height_of(int32_t font) {
    return (font >= 0 && font < rt_fonts.count) ? rt_fonts.font_height[font] : 0;
}
inline int32_t font_width_of(int32_t font) {
    return (font >= 0 && font < rt_fonts.count) ? rt_fonts.font_width[font] : 0;
}

// Frees the data and palette an image owns (flags), then its index.
void img_release(int32_t index);

// Start-up: the PageList back to one empty entry and no page roles.
void pages_reset();

// Puts the cursor back inside the page's text grid (and the text window
// bounds inside 1..rows) after anything that may have left it outside, such
// as a font change of a pixel image.
void text_clamp_cursor(ScreenImage* image);

// Rows y0 to y1 - 1 of a pixel image filled with a colour (the low byte on
// 1-byte images, the whole value on 32-bit ones); clipped to the image.
void fill_pixel_rows(ScreenImage* image, int64_t y0, int64_t y1, uint32_t colour);

// Text rows row0 to row1 (1-based, inclusive) of a text page filled with
// spaces of the given attribute; clipped to the page.
void fill_text_rows(ScreenImage* image, int64_t row0, int64_t row1, uint8_t attribute);

// The image a statement's optional handle names: a negative handle an image
// (error 258 and null when it is not valid), 0 or more a page of the mode,
// created if needed.
ScreenImage* image_for_handle(int32_t handle);
