// Images of the screen modes: the per-mode parameters, making a record over
// given memory (img_wrap) or with its own (img_create), the default palette,
// font and colours of a mode, and the cursor clamp used after font changes.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_internal.h"

namespace {

struct ModeParams {
    int32_t mode;
    uint8_t bytes_per_unit;
    uint8_t bits_per_unit;
    uint32_t fg_colour;
    int32_t font;
};

constexpr ModeParams kModes[] = {
    {0, 2, 16, 7, 16},   {1, 1, 2, 3, 8},     {2, 1, 1, 1, 8},     {7, 1, 4, 15, 8},
    {8, 1, 4, 15, 8},    {9, 1, 4, 15, 14},   {10, 1, 2, 3, 14},   {11, 1, 1, 1, 16},
    {12, 1, 4, 15, 16},  {13, 1, 8, 15, 8},   {256, 1, 8, 15, 16}, {32, 4, 32, 0xFFFFFFFFu, 16},
};

const ModeParams* mode_params(int32_t mode) {
    for (const ModeParams& p : kModes)
        if (p.mode == mode) return &p;
    return nullptr;
}

constexpr uint32_t kBlack32 = 0xFF000000u;  // default background of 32-bit images

}  // namespace

int32_t img_wrap(uint8_t* data, int32_t width, int32_t height, int32_t mode) {
    const ModeParams* params = mode_params(mode);
    if (!params || width < 1 || height < 1 || width > 0xFFFF || height > 0xFFFF) return 0;
    int32_t index = img_new_index();
    ScreenImage* image = img_get(index);
    if (!image) return 0;
    image->data = data;
    image->width = static_cast<uint16_t>(width);
    image->height = static_cast<uint16_t>(height);
    image->mode = static_cast<uint16_t>(mode);
    image->print_mode = 3;
    image->draw_angle = 0.0;
    image->draw_scale = 1.0;
    image->bytes_per_unit = params->bytes_per_unit;
    image->bits_per_unit = params->bits_per_unit;
    image->fg_colour = params->fg_colour;
    image->font = params->font;
    if (mode == 0) {
        image->is_text = 1;
        image->cursor_visible = 0;
        image->cursor_start = 4;
        image->cursor_stop = 4;
    }
    if (mode == 32) image->bg_colour = kBlack32;
    image->draw_colour = image->fg_colour;
    if (mode != 32) {
        image->palette = static_cast<uint32_t*>(std::calloc(256, sizeof(uint32_t)));
        if (!image->palette) {
            img_free_index(index);
            return 0;
        }
        image->flags |= IMG_OWNS_PALETTE;
        img_reset_palette(image);
        image->transparent_colour = 0xFFFFFFFFu;
    }
    image->colour_mask = image->bits_per_unit >= 32 ? 0xFFFFFFFFu : (1u << image->bits_per_unit) - 1;
    image->cursor_col = 1;
    image->cursor_row = 1;
    image->view_top = 1;
    image->view_bottom = static_cast<int16_t>(std::max(img_text_rows(image) - 1, 1));
    if (mode != 0) {
        image->gfx_x = static_cast<float>(width) / 2;
        image->gfx_y = static_cast<float>(height) / 2;
        image->view_x2 = width - 1;
        image->view_y2 = height - 1;
        image->win_scale_x = image->win_scale_y = 1.0f;
        image->win_x2 = static_cast<float>(width - 1);
        image->win_y2 = static_cast<float>(height - 1);
    }
    return index;
}

int32_t img_create(int32_t width, int32_t height, int32_t mode) {
    int32_t index = img_wrap(nullptr, width, height, mode);
    if (!index) return 0;
    ScreenImage* image = img_get(index);
    size_t units = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (mode == 0) {
        image->data = static_cast<uint8_t*>(std::malloc(units * 2));
        if (image->data)
            for (size_t i = 0; i < units; ++i) {
                image->data[2 * i] = 0x20;
                image->data[2 * i + 1] = 0x07;
            }
    } else {
        image->data = static_cast<uint8_t*>(std::calloc(units, image->bytes_per_unit));
    }
    if (!image->data) {
        img_release(index);
        return 0;
    }
    image->flags |= IMG_OWNS_DATA;
    return index;
}

void img_reset_palette(ScreenImage* image) {
    uint32_t* p = image->palette;
    if (image->mode == 32 || !p) return;
    switch (image->mode) {
        case 0: case 7: case 8: case 12:
            std::copy(palette_256, palette_256 + 16, p);
            break;
        case 1: {
            const int entries[4] = {0, 3, 5, 7};
            for (int i = 0; i < 4; ++i) p[i] = palette_256[entries[i]];
            break;
        }
        case 2: case 11:
            p[0] = palette_256[0];
            p[1] = palette_256[15];
            break;
        case 9:
            for (int i = 0; i < 16; ++i) p[i] = palette_64[kDefaultEgaEntries[i]];
            break;
        case 10: {
            // Monochrome attribute levels, turned into colours by the frame composer.
            const uint32_t levels[4] = {0, 4, 6, 8};
            std::copy(levels, levels + 4, p + 4);
            break;
        }
        default:  // 13 and free 8-bit images
            std::copy(palette_256, palette_256 + 256, p);
            break;
    }
}

void img_set_font(int32_t font, ScreenImage* image) {
    if (!image || font < 0 || font >= rt_fonts.count) return;
    image->font = font;
    image->cursor_col = 1;
    image->cursor_row = 1;
    image->view_top = 1;
    image->view_bottom = static_cast<int16_t>(std::max(img_text_rows(image) - 1, 1));
}

void img_reset_colours() {
    ScreenImage* image = rt_pages.write;
    if (!image) return;
    image->fg_colour = 15;
    image->bg_colour = 0;
    switch (image->mode) {
        case 0: image->fg_colour = 7; break;
        case 1: case 10: image->fg_colour = 3; break;
        case 2: case 11: image->fg_colour = 1; break;
        case 32:
            image->fg_colour = 0xFFFFFFFFu;
            image->bg_colour = kBlack32;
            break;
        default: break;
    }
    image->draw_colour = image->fg_colour;
}

void text_clamp_cursor(ScreenImage* image) {
    // The cursor fields are 16-bit: a grid larger than that is used up to 32767.
    int32_t rows = std::clamp(img_text_rows(image), 1, 32767);
    int32_t cols = std::clamp(img_text_columns(image), 1, 32767);
    auto clamp16 = [](int32_t v, int32_t lo, int32_t hi) { return static_cast<int16_t>(std::clamp(v, lo, hi)); };
    image->view_top = clamp16(image->view_top, 1, rows);
    image->view_bottom = clamp16(image->view_bottom, image->view_top, rows);
    image->cursor_row = clamp16(image->cursor_row, 1, rows);
    image->cursor_col = clamp16(image->cursor_col, 1, cols);
}
