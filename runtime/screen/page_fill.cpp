// Filling whole rows of a page: blank text cells or pixel rows of one colour.
// Used by scrolling and by the clear statement; every fill is clipped to the
// page's data.
#include <algorithm>
#include <cstring>

#include "runtime/screen/screen_internal.h"

void fill_pixel_rows(ScreenImage* image, int64_t y0, int64_t y1, uint32_t colour) {
    y0 = std::max<int64_t>(y0, 0);
    y1 = std::min<int64_t>(y1, image->height);
    if (y0 >= y1 || !image->data) return;
    size_t row_bytes = static_cast<size_t>(image->width) * image->bytes_per_unit;
    uint8_t* start = image->data + static_cast<size_t>(y0) * row_bytes;
    size_t bytes = static_cast<size_t>(y1 - y0) * row_bytes;
    if (image->bytes_per_unit == 4) {
        uint32_t* p = reinterpret_cast<uint32_t*>(start);
        std::fill(p, p + bytes / 4, colour);
    } else {
        std::memset(start, static_cast<uint8_t>(colour), bytes);
    }
}

void fill_text_rows(ScreenImage* image, int64_t row0, int64_t row1, uint8_t attribute) {
    row0 = std::max<int64_t>(row0, 1);
    row1 = std::min<int64_t>(row1, image->height);
    if (row0 > row1 || !image->data) return;
    uint8_t* p = image->data + static_cast<size_t>(row0 - 1) * image->width * 2;
    uint8_t* end = image->data + static_cast<size_t>(row1) * image->width * 2;
    for (; p < end; p += 2) {
        p[0] = 0x20;
        p[1] = attribute;
    }
}
