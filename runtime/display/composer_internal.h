// Pieces shared by the files of the frame composer: the ring bookkeeping the
// composer does before and after drawing, its allocator and the text-page
// drawing. Only the display folder includes this header.
#pragma once
#include <cstddef>
#include <cstdint>
#include "runtime/display/frame_composer.h"
#include "runtime/screen/screen_image.h"

// Allocation of frame buffers and caches (malloc unless a test replaced it).
void* composer_alloc(size_t bytes);

// Frees the buffers of consumed slots from oldest_slot on, keeping the four
// newest slots allocated.
void ring_free_spent();
// True when every slot holds a frame the display thread has not given up.
bool ring_full();
// Takes the slot after newest_slot for a frame of width x height and gives it
// a buffer (recycled from a consumed oldest slot of the same size, with its
// content_serial, else newly allocated, content_serial 0). Returns the slot,
// or 0 when no buffer could be had; the ring is then unchanged.
int32_t ring_take_slot(int32_t width, int32_t height);
// Makes slot s the newest frame (its pixels must be complete).
void ring_publish(int32_t s);

// Writes the colours of n palette-page pixel bytes from palette (256
// entries, of which the page uses `colours`) into out.
void expand_palette_pixels(const uint8_t* pixels, size_t n, size_t colours,
                           const uint32_t* palette, uint32_t* out);

// Lines of a text cursor inside a cell fh pixels high, from the cursor's
// start and stop lines. False when the shape draws nothing.
bool cursor_shape_lines(int32_t start, int32_t stop, int32_t fh, int32_t* first, int32_t* last);

// Pixel size of a font's cells (the FontTable's entry, or the built-in size
// of the handle when the table has none).
void font_cell_size(int32_t font, int32_t* fw, int32_t* fh);

// Reads of the display page: the program thread may be writing the page
// while it is composed, and a frame may then show a half-printed line (the
// next change composes a consistent one). These reads are copied out of the
// page in one go, inside a PageReadScope, which tells ThreadSanitizer that
// the race is intended; all further work uses the copies.
struct PageReadScope {
    PageReadScope();
    ~PageReadScope();
    PageReadScope(const PageReadScope&) = delete;
    PageReadScope& operator=(const PageReadScope&) = delete;
};

// Text pages. text_frame_changed decides whether the page differs from the
// last composed text frame (updating the palette copy); text_frame_draw
// draws the cells that need it into pixels and updates the caches.
struct TextFrameInput {
    const ScreenImage* page;   // a copy of the page record
    const uint32_t* palette;   // a copy of the page's 256 colours
    int32_t cols, rows, fw, fh;
    bool blink_on;
    int32_t cursor_col, cursor_row;  // 0-based cursor cell
};
// Returns 1 changed, 0 unchanged, -1 when the cell caches could not be
// allocated. *valid is the validity of the previous frame on entry and is
// cleared when the caches show it no longer matches.
int32_t text_frame_changed(const TextFrameInput& in, bool* valid);
void text_frame_draw(const TextFrameInput& in, bool valid, uint32_t* pixels);
