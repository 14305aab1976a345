// Fixture of the screen tests: the start-up pieces of the screen in their
// order (memory, image table, fonts and palettes, mode 0), a byte string
// holder for printing, and small helpers to print and to read errors.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/control.h"
#include "runtime/core/conv_memory.h"
#include "runtime/screen/fonts_palettes.h"
#include "runtime/screen/pages.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_statements.h"
#include "runtime/screen/text_output.h"
#include "runtime/strings/rt_string.h"
#include "tests/support/screen_text.h"

// A string value over bytes the test owns (may hold any byte, also 0).
struct Bytes {
    std::string bytes;
    RtString s{};
    explicit Bytes(std::string b) : bytes(std::move(b)) {
        s.data = reinterpret_cast<uint8_t*>(bytes.data());
        s.len = static_cast<int32_t>(bytes.size());
        s.is_literal = 1;
    }
    RtString* get() { return &s; }
};

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        rt_control.error_pending = 0;
        rt_control.threads_started = 0;
        control_chars_off = 0;
        labels_drawing = 0;
        conv_memory_clear();
        img_table_init();
        fonts_palettes_init();
        rt_screen(0, 0, 0, 1);
        default_screen_untouched = 1;
        ASSERT_EQ(rt_control.error_pending.load(), 0);
    }
    void TearDown() override { rt_control.error_pending = 0; }

    static void mode12() {
        rt_screen(12, 0, 0, 1);
        ASSERT_EQ(rt_control.error_pending.load(), 0);
    }

    // A print statement: the item fitted and printed, with or without the
    // statement's line end.
    static void print(const std::string& text, bool line_end = true) {
        Bytes item(text);
        rt_print_fit(item.get());
        rt_print(item.get(), 0);
        if (line_end) {
            Bytes empty("");
            rt_print(empty.get(), 1);
        }
    }
    // rt_print alone, as one call.
    static void raw_print(const std::string& text, int32_t line_end) {
        Bytes item(text);
        rt_print(item.get(), line_end);
    }

    static void locate(int row, int col) { rt_locate(row, col, 0, 0, 0, 3); }

    // The pending error, cleared for the next statement.
    static int32_t take_error() { return rt_control.error_pending.exchange(0); }

    static ScreenImage* write() { return rt_pages.write; }
    static int row() { return rt_pages.write->cursor_row; }
    static int col() { return rt_pages.write->cursor_col; }
};
