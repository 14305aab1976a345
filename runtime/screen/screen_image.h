// ScreenImage and the ImageTable: every text page and pixel image the program
// shows or draws into, addressed by index (programs use the handle -index).
// Records never move once allocated, so the frame composer may read the
// display page on another thread while the table grows.
#pragma once
#include <atomic>
#include <cstdint>

struct ScreenImage {
    void* lock;
    uint64_t lock_id;
    uint8_t in_use;
    uint8_t is_text;
    uint8_t is_console;
    uint16_t width;
    uint16_t height;
    uint8_t bytes_per_unit;
    uint8_t bits_per_unit;
    uint32_t colour_mask;
    uint16_t mode;
    uint32_t fg_colour;
    uint32_t bg_colour;
    uint32_t draw_colour;
    int32_t font;
    int16_t view_top;
    int16_t view_bottom;
    int16_t cursor_col;
    int16_t cursor_row;
    uint8_t cursor_visible;
    uint8_t cursor_start;
    uint8_t cursor_stop;
    uint8_t* data;
    uint32_t flags;               // bit 0 owns palette, bit 1 screen page, bit 2 owns data
    uint32_t* palette;            // 256 entries 0xAARRGGBB, null for 32-bit images
    uint32_t transparent_colour;
    uint8_t blend_off;
    uint8_t wrap_pending;
    uint8_t print_mode;
    int32_t view_x1, view_y1, view_x2, view_y2;
    int32_t view_dx, view_dy;
    float gfx_x, gfx_y;
    uint8_t view_state;
    float win_scale_x, win_scale_y;
    float win_offset_x, win_offset_y;
    float win_x1, win_y1, win_x2, win_y2;
    double draw_angle;
    double draw_scale;
};

constexpr uint32_t IMG_OWNS_PALETTE = 1u << 0;
constexpr uint32_t IMG_SCREEN_PAGE = 1u << 1;
constexpr uint32_t IMG_OWNS_DATA = 1u << 2;

// The record of an index (null when the index lies outside the table).
ScreenImage* img_get(int32_t index);

int32_t img_new_index();
int32_t img_free_index(int32_t index);
int32_t img_wrap(uint8_t* data, int32_t width, int32_t height, int32_t mode);
int32_t img_create(int32_t width, int32_t height, int32_t mode);
void img_reset_palette(ScreenImage* image);
void img_set_font(int32_t font, ScreenImage* image);
void img_reset_colours();

// True when -handle names an allocated image (handle < 0).
bool img_handle_valid(int32_t handle);

// Next-index counter and capacity of the table.
int32_t img_next_index();
int32_t img_capacity();

// Start-up: take indices 0 and 1, both left not in use.
void img_table_init();

// Number of text rows and columns of an image (cells, or pixels / font size).
int32_t img_text_rows(const ScreenImage* image);
int32_t img_text_columns(const ScreenImage* image);
