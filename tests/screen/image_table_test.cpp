// The ImageTable: index allocation and reuse, growth without moving records,
// and the records img_wrap and img_create make for every mode.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/screen/screen_fixture.h"

namespace {

class ImageTable : public ::testing::Test {
protected:
    void SetUp() override {
        rt_control.error_pending = 0;
        conv_memory_clear();
        img_table_init();
        fonts_palettes_init();
    }
};

TEST_F(ImageTable, IndicesZeroAndOneAreTakenAndNeverValid) {
    EXPECT_EQ(img_next_index(), 2);
    EXPECT_EQ(img_capacity(), 4096);
    for (int32_t h : {0, -1, -2, 1, INT32_MIN}) EXPECT_FALSE(img_handle_valid(h)) << h;
    EXPECT_EQ(img_free_index(0), 0);
    EXPECT_EQ(img_free_index(1), 0);
    EXPECT_EQ(img_new_index(), 2);
    EXPECT_TRUE(img_handle_valid(-2));
}

TEST_F(ImageTable, FreedIndicesAreReusedLastFreedFirst) {
    int32_t a = img_new_index(), b = img_new_index(), c = img_new_index();
    EXPECT_EQ(img_free_index(b), 1);
    EXPECT_EQ(img_free_index(b), 0) << "already free";
    EXPECT_EQ(img_free_index(a), 1);
    EXPECT_FALSE(img_handle_valid(-a));
    EXPECT_EQ(img_new_index(), a);
    EXPECT_EQ(img_new_index(), b);
    EXPECT_EQ(img_new_index(), c + 1);
    EXPECT_EQ(img_free_index(4096), 0) << "beyond the capacity";
    EXPECT_EQ(img_free_index(-3), 0);
}

TEST_F(ImageTable, FreeingZeroesTheRecord) {
    int32_t index = img_create(64, 32, 256);
    ASSERT_NE(index, 0);
    ScreenImage* image = img_get(index);
    std::free(image->data);
    std::free(image->palette);
    EXPECT_EQ(img_free_index(index), 1);
    const ScreenImage zero{};
    EXPECT_EQ(std::memcmp(static_cast<const void*>(image), static_cast<const void*>(&zero), sizeof zero), 0);
}

TEST_F(ImageTable, GrowsBy4096WithoutMovingRecords) {
    int32_t first = img_create(8, 8, 256);
    ScreenImage* before = img_get(first);
    std::vector<int32_t> taken;
    while (img_next_index() <= 4096) taken.push_back(img_new_index());
    EXPECT_EQ(img_capacity(), 8192);
    EXPECT_EQ(img_get(first), before) << "records never move";
    EXPECT_EQ(before->width, 8);
    int32_t last = taken.back();
    EXPECT_EQ(last, 4096);
    ScreenImage* fresh = img_get(last);
    EXPECT_EQ(fresh->in_use, 1);
    EXPECT_EQ(fresh->width, 0) << "new records are zeroed";
    EXPECT_TRUE(img_handle_valid(-last));
}

TEST_F(ImageTable, WrapAndCreateRejectEmptySizesAndLeaveNothingAllocated) {
    const int32_t next = img_next_index();
    EXPECT_EQ(img_wrap(ConvMemory, 0, 10, 256), 0);
    EXPECT_EQ(img_wrap(ConvMemory, 10, 0, 256), 0);
    EXPECT_EQ(img_create(0, 0, 12), 0);
    EXPECT_EQ(img_create(-5, 10, 0), 0);
    EXPECT_EQ(img_create(10, 10, 4), 0) << "no such mode";
    EXPECT_EQ(img_next_index(), next);
    EXPECT_EQ(img_new_index(), next) << "no freed index was left behind";
}

struct ModeRow {
    int32_t mode, width, height;
    uint8_t bytes, bits;
    uint32_t mask, fg;
    int32_t font, view_bottom;
};

TEST_F(ImageTable, CreateAppliesTheModeTable) {
    const ModeRow rows[] = {
        {0, 80, 25, 2, 16, 0xFFFF, 7, 16, 24},        {1, 320, 200, 1, 2, 3, 3, 8, 24},
        {2, 640, 200, 1, 1, 1, 1, 8, 24},              {7, 320, 200, 1, 4, 15, 15, 8, 24},
        {8, 640, 200, 1, 4, 15, 15, 8, 24},            {9, 640, 350, 1, 4, 15, 15, 14, 24},
        {10, 640, 350, 1, 2, 3, 3, 14, 24},            {11, 640, 480, 1, 1, 1, 1, 16, 29},
        {12, 640, 480, 1, 4, 15, 15, 16, 29},          {13, 320, 200, 1, 8, 255, 15, 8, 24},
        {256, 100, 40, 1, 8, 255, 15, 16, 1},          {32, 64, 64, 4, 32, 0xFFFFFFFF, 0xFFFFFFFF, 16, 3},
    };
    for (const ModeRow& r : rows) {
        SCOPED_TRACE("mode " + std::to_string(r.mode));
        int32_t index = img_create(r.width, r.height, r.mode);
        ASSERT_NE(index, 0);
        const ScreenImage* im = img_get(index);
        EXPECT_EQ(im->in_use, 1);
        EXPECT_EQ(im->is_text, r.mode == 0);
        EXPECT_EQ(im->mode, r.mode);
        EXPECT_EQ(im->width, r.width);
        EXPECT_EQ(im->height, r.height);
        EXPECT_EQ(im->bytes_per_unit, r.bytes);
        EXPECT_EQ(im->bits_per_unit, r.bits);
        EXPECT_EQ(im->colour_mask, r.mask);
        EXPECT_EQ(im->fg_colour, r.fg);
        EXPECT_EQ(im->draw_colour, r.fg);
        EXPECT_EQ(im->bg_colour, r.mode == 32 ? 0xFF000000u : 0u);
        EXPECT_EQ(im->font, r.font);
        EXPECT_EQ(im->print_mode, 3);
        EXPECT_EQ(im->view_top, 1);
        EXPECT_EQ(im->view_bottom, r.view_bottom);
        EXPECT_EQ(im->cursor_col, 1);
        EXPECT_EQ(im->cursor_row, 1);
        EXPECT_EQ(im->draw_angle, 0.0);
        EXPECT_EQ(im->draw_scale, 1.0);
        EXPECT_EQ(im->flags & IMG_OWNS_DATA, IMG_OWNS_DATA);
        EXPECT_EQ(im->flags & IMG_SCREEN_PAGE, 0u);
        if (r.mode == 32) {
            EXPECT_EQ(im->palette, nullptr);
            EXPECT_EQ(im->flags & IMG_OWNS_PALETTE, 0u);
        } else {
            EXPECT_NE(im->palette, nullptr);
            EXPECT_EQ(im->flags & IMG_OWNS_PALETTE, IMG_OWNS_PALETTE);
            EXPECT_EQ(im->transparent_colour, 0xFFFFFFFFu);
        }
        if (r.mode == 0) {
            EXPECT_EQ(im->cursor_visible, 0);
            EXPECT_EQ(im->cursor_start, 4);
            EXPECT_EQ(im->cursor_stop, 4);
            for (int i = 0; i < r.width * r.height; ++i) {
                ASSERT_EQ(im->data[2 * i], 0x20);
                ASSERT_EQ(im->data[2 * i + 1], 0x07);
            }
        } else {
            EXPECT_EQ(im->view_x2, r.width - 1);
            EXPECT_EQ(im->view_y2, r.height - 1);
            EXPECT_EQ(im->gfx_x, r.width / 2.0f);
            EXPECT_EQ(im->gfx_y, r.height / 2.0f);
            EXPECT_EQ(im->win_scale_x, 1.0f);
            EXPECT_EQ(im->win_x2, r.width - 1.0f);
            EXPECT_EQ(im->win_y2, r.height - 1.0f);
            size_t bytes = static_cast<size_t>(r.width) * r.height * r.bytes;
            for (size_t i = 0; i < bytes; ++i) ASSERT_EQ(im->data[i], 0);
        }
    }
}

TEST_F(ImageTable, WrapUsesTheCallersMemory) {
    std::vector<uint8_t> memory(40 * 30, 0xAB);
    int32_t index = img_wrap(memory.data(), 40, 30, 256);
    ASSERT_NE(index, 0);
    EXPECT_EQ(img_get(index)->data, memory.data());
    EXPECT_EQ(img_get(index)->flags & IMG_OWNS_DATA, 0u);
    EXPECT_EQ(memory[0], 0xAB) << "img_wrap does not clear";
}

TEST_F(ImageTable, DefaultPalettesPerMode) {
    auto palette_of = [](int32_t mode) { return img_get(img_create(16, 16, mode))->palette; };
    const uint32_t* p1 = palette_of(1);
    EXPECT_EQ(p1[0], palette_256[0]);
    EXPECT_EQ(p1[1], palette_256[3]);
    EXPECT_EQ(p1[2], palette_256[5]);
    EXPECT_EQ(p1[3], palette_256[7]);
    EXPECT_EQ(p1[4], 0u);
    for (int32_t mode : {2, 11}) {
        const uint32_t* p = palette_of(mode);
        EXPECT_EQ(p[0], 0xFF000000u);
        EXPECT_EQ(p[1], 0xFFFFFFFFu);
    }
    const uint32_t* p9 = palette_of(9);
    EXPECT_EQ(p9[6], palette_64[20]);
    EXPECT_EQ(p9[8], palette_64[56]);
    EXPECT_EQ(p9[15], palette_64[63]);
    const uint32_t* p10 = palette_of(10);
    EXPECT_EQ(p10[4], 0u);
    EXPECT_EQ(p10[5], 4u);
    EXPECT_EQ(p10[6], 6u);
    EXPECT_EQ(p10[7], 8u);
    for (int32_t mode : {0, 7, 8, 12}) {
        const uint32_t* p = palette_of(mode);
        EXPECT_EQ(std::memcmp(p, palette_256, 16 * 4), 0) << "mode " << mode;
        EXPECT_EQ(p[16], 0u) << "mode " << mode;
    }
    EXPECT_EQ(std::memcmp(palette_of(13), palette_256, 256 * 4), 0);
    EXPECT_EQ(std::memcmp(palette_of(256), palette_256, 256 * 4), 0);
}

TEST_F(ImageTable, SetFontResetsCursorAndWindow) {
    ScreenImage* im = img_get(img_create(640, 480, 12));
    im->cursor_col = 70;
    im->cursor_row = 29;
    im->view_top = 5;
    img_set_font(8, im);
    EXPECT_EQ(im->font, 8);
    EXPECT_EQ(im->cursor_col, 1);
    EXPECT_EQ(im->cursor_row, 1);
    EXPECT_EQ(im->view_top, 1);
    EXPECT_EQ(im->view_bottom, 59);
    EXPECT_EQ(img_text_rows(im), 60);
    EXPECT_EQ(img_text_columns(im), 80);
    img_set_font(14, im);
    EXPECT_EQ(im->view_bottom, 33);
    ScreenImage* tiny = img_get(img_create(8, 10, 256));
    img_set_font(16, tiny);
    EXPECT_EQ(tiny->view_bottom, 1) << "at least 1";
}

}  // namespace
