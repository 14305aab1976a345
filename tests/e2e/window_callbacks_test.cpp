// The window's callbacks in a real freeglut window of the test process:
// nothing drawn before the first frame, the snap to the frame size before
// drawing, no swap while paused, the stretch modes' aspect rule, full screen
// with the letterbox and the mouse mapping, the title, hiding and showing.
// The test pumps freeglut's events itself and composes frames on its own
// thread, so every step is under its control.
#include <gtest/gtest.h>
#include <GL/freeglut.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include "runtime/core/control.h"
#include "runtime/core/conv_memory.h"
#include "runtime/display/frame_composer.h"
#include "runtime/display/window.h"
#include "runtime/input/mouse.h"
#include "runtime/screen/fonts_palettes.h"
#include "runtime/screen/pages.h"
#include "runtime/strings/rt_string.h"
#include "tests/support/run_command.h"

namespace {

class WindowCallbacks : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (DISPLAY is not set)";
        conv_memory_clear();
        rts_init();
        img_table_init();
        fonts_palettes_init();
        rt_screen(12, 0, 0, 1);
        rt_control.auto_display.store(0);
    }

    void create_window() {
        char name[] = "window_callbacks_test";
        char* argv[] = {name, nullptr};
        rt_window_create(1, argv);
    }

    // Runs freeglut's events until condition holds; false after timeout_ms.
    // A guard against hangs, not a timing assertion.
    template <class F>
    bool pump_until(F condition, int timeout_ms = 10000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (std::chrono::steady_clock::now() < end) {
            glutMainLoopEvent();
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return condition();
    }

    // Pumps until the display callback has run `calls` more times.
    void pump_calls(uint64_t calls) {
        const uint64_t target = rt_window.display_calls.load() + calls;
        ASSERT_TRUE(pump_until([&] { return rt_window.display_calls.load() >= target; }));
    }

    // Changes the picture and publishes it.
    void new_frame() {
        ScreenImage* page = rt_pages.display.load();
        page->data[0] = uint8_t((page->data[0] + 1) & 15);
        const int32_t before = frame_ring.newest_slot.load();
        compose_frame();
        ASSERT_NE(frame_ring.newest_slot.load(), before);
    }

    bool window_is(int32_t w, int32_t h) {
        return rt_window.window_size[0] == w && rt_window.window_size[1] == h;
    }
};

TEST_F(WindowCallbacks, NothingIsDrawnBeforeTheFirstFrame) {
    create_window();
    pump_calls(20);
    EXPECT_EQ(rt_window.draws.load(), 0u);
    EXPECT_EQ(rt_window.swaps.load(), 0u);
}

TEST_F(WindowCallbacks, FirstFrameSnapsTheWindowAndDrawsAtItsSize) {
    create_window();
    ASSERT_TRUE(pump_until([&] { return window_is(1024, 552); }));
    new_frame();
    bool drawn_too_early = false;
    ASSERT_TRUE(pump_until([&] {
        if (rt_window.draws.load() > 0 && !window_is(640, 480)) drawn_too_early = true;
        return rt_window.draws.load() > 0;
    }));
    EXPECT_FALSE(drawn_too_early) << "drawn before the window had the frame's size";
    EXPECT_TRUE(window_is(640, 480));
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 640);
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 480);
    EXPECT_EQ(rt_window.mouse_max_x, 639);
    EXPECT_EQ(rt_window.mouse_max_y, 479);
    EXPECT_EQ(frame_ring.slots[frame_ring.newest_slot.load()].presented.load(), 1);
}

TEST_F(WindowCallbacks, OnlyNewFramesAreDrawn) {
    create_window();
    new_frame();
    ASSERT_TRUE(pump_until([&] { return rt_window.draws.load() > 0; }));
    pump_calls(10);  // the redraws that follow the reshape
    const uint64_t draws = rt_window.draws.load();
    pump_calls(30);
    EXPECT_EQ(rt_window.draws.load(), draws);
    new_frame();
    pump_calls(5);
    EXPECT_EQ(rt_window.draws.load(), draws + 1);
}

TEST_F(WindowCallbacks, PausedProgramKeepsThePictureWithoutSwapping) {
    create_window();
    new_frame();
    ASSERT_TRUE(pump_until([&] { return rt_window.draws.load() > 0; }));
    pump_calls(10);
    const uint64_t swaps = rt_window.swaps.load();
    rt_control.paused.store(1);
    new_frame();
    const uint64_t draws = rt_window.draws.load();
    ASSERT_TRUE(pump_until([&] { return rt_window.draws.load() > draws; }));
    pump_calls(10);
    EXPECT_EQ(rt_window.swaps.load(), swaps);
    rt_control.paused.store(0);
    new_frame();
    EXPECT_TRUE(pump_until([&] { return rt_window.swaps.load() > swaps; }));
}

TEST_F(WindowCallbacks, StretchModeKeepsTheFrameAspectOfAResizedWindow) {
    rt_resize_mode(1, 1);  // the user may resize; frames are stretched
    create_window();
    new_frame();
    // The created 1024x552 window takes the frame's aspect ratio, keeping
    // the width that changed more than the height since the initial 640x400.
    ASSERT_TRUE(pump_until([&] { return window_is(1024, 768) && rt_window.draws.load() > 0; }))
        << "window is " << rt_window.window_size[0] << "x" << rt_window.window_size[1];
    // The size the user gives the window, and the size it then gets.
    struct Case {
        int32_t w, h, expect_w, expect_h;
    };
    for (const Case c : {Case{800, 480, 800, 600}, Case{640, 600, 800, 600},
                         Case{700, 700, 933, 700}, Case{1000, 500, 1000, 750}}) {
        glutReshapeWindow(640, 480);
        ASSERT_TRUE(pump_until([&] { return window_is(640, 480); }));
        pump_calls(3);
        glutReshapeWindow(c.w, c.h);
        EXPECT_TRUE(pump_until([&] { return window_is(c.expect_w, c.expect_h); }))
            << "resized to " << c.w << "x" << c.h << ", window is " << rt_window.window_size[0]
            << "x" << rt_window.window_size[1];
        pump_calls(3);
        EXPECT_TRUE(window_is(c.expect_w, c.expect_h));
        EXPECT_FLOAT_EQ(rt_window.mouse_scale_x, 640.0f / float(c.expect_w));
    }
}

TEST_F(WindowCallbacks, FollowingTheFrameUndoesAResize) {
    create_window();
    new_frame();
    ASSERT_TRUE(pump_until([&] { return window_is(640, 480) && rt_window.draws.load() > 0; }));
    glutReshapeWindow(900, 700);
    ASSERT_TRUE(pump_until([&] { return window_is(900, 700); }));
    EXPECT_TRUE(pump_until([&] { return window_is(640, 480); }));
}

TEST_F(WindowCallbacks, FullScreenWithSquarePixelsLetterboxesTheFrame) {
    create_window();
    new_frame();
    ASSERT_TRUE(pump_until([&] { return window_is(640, 480) && rt_window.draws.load() > 0; }));
    const int32_t sw = glutGet(GLUT_SCREEN_WIDTH), sh = glutGet(GLUT_SCREEN_HEIGHT);
    ASSERT_EQ(sw, 1280);  // the Xvfb screen of tools/with-xvfb
    ASSERT_EQ(sh, 1024);
    rt_fullscreen(3, 0);
    EXPECT_EQ(rt_window.fullscreen_request.load(), 2);
    ASSERT_TRUE(pump_until([&] { return rt_window.fullscreen_state.load() == 2 && window_is(sw, sh); }))
        << "window is " << rt_window.window_size[0] << "x" << rt_window.window_size[1];
    const uint64_t draws = rt_window.draws.load();
    ASSERT_TRUE(pump_until([&] { return rt_window.draws.load() > draws; }));
    // 1280x1024 is narrower than 4:3: the picture is 1280x960, 32 rows down.
    EXPECT_EQ(rt_window.mouse_offset_x, 0);
    EXPECT_EQ(rt_window.mouse_offset_y, 32);
    EXPECT_FLOAT_EQ(rt_window.mouse_scale_x, 0.5f);
    EXPECT_FLOAT_EQ(rt_window.mouse_scale_y, 0.5f);
    // The mouse queue's position queries use the same figures: the centre of
    // the picture is the centre of the 640x480 page.
    rt_on_mouse_motion(640, 32 + 480);
    while (rt_mouse_input() != 0) {
    }
    EXPECT_EQ(rt_mouse_x(), 320);
    EXPECT_EQ(rt_mouse_y(), 240);

    rt_fullscreen(1, 0);  // leave
    EXPECT_TRUE(pump_until([&] { return rt_window.fullscreen_state.load() == 0 && window_is(640, 480); }))
        << "window is " << rt_window.window_size[0] << "x" << rt_window.window_size[1];
    EXPECT_EQ(rt_window.fullscreen_request.load(), -1);
}

TEST_F(WindowCallbacks, StretchedFullScreenFillsTheScreen) {
    create_window();
    new_frame();
    ASSERT_TRUE(pump_until([&] { return window_is(640, 480) && rt_window.draws.load() > 0; }));
    rt_fullscreen(2, 1);
    ASSERT_TRUE(pump_until([&] { return rt_window.fullscreen_state.load() == 1 && window_is(1280, 1024); }));
    const uint64_t draws = rt_window.draws.load();
    ASSERT_TRUE(pump_until([&] { return rt_window.draws.load() > draws; }));
    EXPECT_EQ(rt_window.mouse_offset_x, 0);
    EXPECT_EQ(rt_window.mouse_offset_y, 0);
    EXPECT_FLOAT_EQ(rt_window.mouse_scale_x, 0.5f);
    EXPECT_FLOAT_EQ(rt_window.mouse_scale_y, 480.0f / 1024.0f);
    EXPECT_EQ(rt_window.fullscreen_smooth.load(), 1);
}

TEST_F(WindowCallbacks, TitleBeforeAndAfterTheWindowExists) {
    rt_title(rts_from_cstring("Before the window"));
    create_window();
    EXPECT_TRUE(pump_until([&] { return !run_command("xdotool search --name '^Before the window$'").empty(); }));
    rt_title(rts_from_cstring("After the window"));
    EXPECT_TRUE(pump_until([&] { return !run_command("xdotool search --name '^After the window$'").empty(); }));
}

TEST_F(WindowCallbacks, HiddenScreenIsUnmappedAndComposesNothing) {
    rt_title(rts_from_cstring("Hide and show"));
    create_window();
    new_frame();
    ASSERT_TRUE(pump_until([&] { return rt_window.draws.load() > 0; }));
    const std::string visible = "xdotool search --onlyvisible --name '^Hide and show$'";
    ASSERT_FALSE(run_command(visible).empty());
    rt_screen_hide();
    EXPECT_TRUE(pump_until([&] { return run_command(visible).empty(); }));
    rt_pages.display.load()->data[5] = 9;
    const int32_t newest = frame_ring.newest_slot.load();
    compose_frame();
    EXPECT_EQ(frame_ring.newest_slot.load(), newest);
    rt_screen_show();
    EXPECT_TRUE(pump_until([&] { return !run_command(visible).empty(); }));
    compose_frame();
    EXPECT_NE(frame_ring.newest_slot.load(), newest);
}

}  // namespace
