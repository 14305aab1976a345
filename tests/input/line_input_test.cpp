// rt_input on a running (headless) runtime: the program thread edits a line
// while the test types into the window's key callbacks.
#include <gtest/gtest.h>
#include <GL/freeglut.h>
#include <atomic>
#include <cstring>
#include <string>
#include "runtime/core/control.h"
#include "runtime/input/line_input.h"
#include "runtime/screen/pages.h"
#include "runtime/screen/screen_statements.h"
#include "runtime/strings/rt_string.h"
#include "tests/input/input_test_support.h"
#include "tests/support/runtime_harness.h"

namespace {

// What the program thread does; set by each test before the start.
void (*before_input)() = nullptr;
int32_t input_count = 1;
int32_t input_newline = 1;
std::atomic<bool> in_input{false};
std::atomic<bool> input_done{false};

// Variables the tests read back.
int16_t v16;
int32_t v32;
float vsng;
RtString* vstr;
char fixed_storage[5];
RtString* vfixed;
uint8_t cursor_visible_after;
int32_t auto_display_after;

void input_program() {
    if (before_input) before_input();
    in_input.store(true);
    rt_input(input_count, input_newline);
    cursor_visible_after = rt_pages.write->cursor_visible;
    auto_display_after = rt_control.auto_display.load();
    input_done.store(true);
}

class LineInputTest : public ::testing::Test {
protected:
    void run(std::initializer_list<InputTarget> targets) {
        int i = 0;
        for (const InputTarget& t : targets) rt_input_targets[i++] = t;
        input_count = i;
        fake_clock_install();
        harness_start_runtime(input_program);
        ASSERT_TRUE(harness_wait_until([] { return in_input.load(); }));
    }

    // Type keys one at a time, each once the previous one has been read.
    void type(const std::string& keys) {
        for (char c : keys) {
            ASSERT_TRUE(harness_wait_until([] { return ring_head() == ring_tail(); }));
            rt_on_char_key(static_cast<uint8_t>(c), true, 0);
            rt_on_char_key(static_cast<uint8_t>(c), false, 0);
        }
    }

    void finish() { ASSERT_TRUE(harness_wait_until([] { return input_done.load(); })); }

    // Characters of a row of the text page (after input has finished).
    static std::string row_text(int row, int columns) {
        const ScreenImage* page = rt_pages.write;
        std::string text;
        for (int col = 1; col <= columns; col++)
            text += static_cast<char>(page->data[((row - 1) * page->width + (col - 1)) * 2]);
        return text;
    }

    static std::string str(RtString* s) { return std::string(reinterpret_cast<const char*>(s->data), s->len); }
};

TEST_F(LineInputTest, SixteenBitEntryRefusesTheDigitThatWouldOverflow) {
    run({{16, &v16}});
    type("40000\r");
    finish();
    EXPECT_EQ(v16, 4000);
    EXPECT_EQ(row_text(1, 6), "4000  ");
}

TEST_F(LineInputTest, BackspaceRemovesTheLastCharacterAndReprints) {
    run({{16, &v16}});
    type("12\b3\r");
    finish();
    EXPECT_EQ(v16, 13);
    EXPECT_EQ(row_text(1, 4), "13  ");
}

TEST_F(LineInputTest, CommaWithOneVariableIsRefusedAndAnEmptyLineStoresZero) {
    v16 = 99;
    run({{16, &v16}});
    type(",\r");
    finish();
    EXPECT_EQ(v16, 0);
    EXPECT_EQ(row_text(1, 2), "  ");
}

TEST_F(LineInputTest, SeveralVariablesWithAQuotedField) {
    before_input = [] {
        vstr = rts_new(0, 0);
        rt_input_targets[0].variable = vstr;
    };
    run({{INPUT_TYPE_STRING, nullptr}, {32, &v32}, {32 | INPUT_TYPE_FLOAT, &vsng}});
    type("\"a,b\",-7,2.5\r");
    finish();
    EXPECT_EQ(str(vstr), "a,b");
    EXPECT_EQ(v32, -7);
    EXPECT_EQ(vsng, 2.5f);
    EXPECT_EQ(row_text(1, 13), "\"a,b\",-7,2.5 ");
}

TEST_F(LineInputTest, TabFeedsSpacesToTheNextMultipleOfEight) {
    before_input = [] {
        vstr = rts_new(0, 0);
        rt_input_targets[0].variable = vstr;
    };
    run({{INPUT_TYPE_STRING, nullptr}});
    type("ab\tc\r");
    finish();
    EXPECT_EQ(str(vstr), "ab      c");
}

TEST_F(LineInputTest, FixedLengthStringIsClearedToSpaces) {
    std::memcpy(fixed_storage, "xxxxx", 5);
    before_input = [] {
        vfixed = rts_wrap_fixed(fixed_storage, 5, 0);
        rt_input_targets[0].variable = vfixed;
    };
    run({{INPUT_TYPE_STRING, nullptr}});
    type("\r");
    finish();
    EXPECT_EQ(std::string(fixed_storage, 5), "     ");
}

TEST_F(LineInputTest, ExtendedKeysAreIgnored) {
    run({{16, &v16}});
    ASSERT_TRUE(harness_wait_until([] { return ring_head() == ring_tail(); }));
    rt_on_special_key(GLUT_KEY_F1, true);
    rt_on_special_key(GLUT_KEY_UP, true);
    type("5\r");
    finish();
    EXPECT_EQ(v16, 5);
    EXPECT_EQ(row_text(1, 2), "5 ");
}

TEST_F(LineInputTest, LineEndOnlyWhenAsked) {
    input_newline = 0;
    run({{16, &v16}});
    type("42\r");
    finish();
    EXPECT_EQ(rt_pages.write->cursor_row, 1);
    EXPECT_EQ(rt_pages.write->cursor_col, 3);
}

TEST_F(LineInputTest, LineEndMovesToTheNextRow) {
    run({{16, &v16}});
    type("42\r");
    finish();
    EXPECT_EQ(rt_pages.write->cursor_row, 2);
    EXPECT_EQ(rt_pages.write->cursor_col, 1);
}

TEST_F(LineInputTest, CursorVisibilityAndManualDisplayAreRestored) {
    before_input = [] { rt_control.auto_display.store(0); };
    run({{16, &v16}});
    type("1\r");
    finish();
    EXPECT_EQ(cursor_visible_after, 0);
    EXPECT_EQ(auto_display_after, 0);
}

TEST_F(LineInputTest, PixelPageKeepsTheTextAndLosesTheDrawnCursor) {
    before_input = [] { rt_screen(12, 0, 0, 1); };
    input_newline = 0;
    run({{16, &v16}});
    type("7\b8\r");
    finish();
    EXPECT_EQ(v16, 8);
    const ScreenImage* page = rt_pages.write;
    auto cell_pixels = [&](int col, int line_from, int line_to) {
        int on = 0;
        for (int y = line_from; y <= line_to; y++)
            for (int x = (col - 1) * 8; x < col * 8; x++) on += page->data[y * page->width + x] != 0;
        return on;
    };
    EXPECT_GT(cell_pixels(1, 0, 15), 0) << "the 8 is drawn";
    EXPECT_EQ(cell_pixels(2, 0, 15), 0) << "no cursor left behind the text";
}

}  // namespace
