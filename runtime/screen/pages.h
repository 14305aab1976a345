// The PageList (pages 0, 1, ... of the current screen mode), the display,
// write and source roles, the screen statement and the page copy.
#pragma once
#include <atomic>
#include <cstdint>
#include "runtime/screen/screen_image.h"

struct PageList {
    int32_t* entries;          // image index per page number, 0 = not created
    int32_t count;
    int32_t display_page;      // image indices of the three roles
    int32_t write_page;
    int32_t source_page;
    std::atomic<ScreenImage*> display;  // read by the frame composer on another thread
    ScreenImage* write;
    ScreenImage* source;
    int32_t active_page_number;
    int32_t page0_is_user_image;
};

extern PageList rt_pages;

void page_ensure(int32_t page);

// flags: bit 0 mode given, bit 2 active page given, bit 3 visual page given.
void rt_screen(int32_t mode, int32_t active, int32_t visual, int32_t flags);
void rt_pcopy(int32_t from, int32_t to);

// Width statement: rebuilds mode 0 with columns x rows of text.
void rt_width(int32_t columns, int32_t rows);

// 1 at load and after start-up's mode 0; cleared by other screen changes.
extern int32_t default_screen_untouched;
