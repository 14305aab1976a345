// The MouseEventQueue: records appended by the window's mouse callbacks and
// the raw-movement hook, its overflow, and the reading functions.
#include <gtest/gtest.h>
#include <GL/freeglut.h>
#include "runtime/core/control.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "tests/support/runtime_harness.h"

namespace {

struct Rec {
    int x, y;
    uint32_t buttons;
    int mx, my;
    bool operator==(const Rec&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Rec& r) {
    return os << "{" << r.x << "," << r.y << " b=" << r.buttons << " m=" << r.mx << "," << r.my << "}";
}

// The records after `from` up to and including the write index.
std::vector<Rec> records_after(uint32_t from) {
    std::vector<Rec> out;
    for (uint32_t i = from; i != mouse_queue.write;) {
        i = (i + 1) & (MOUSE_QUEUE_SIZE - 1);
        MouseEvent e = mouse_record(i);
        out.push_back({e.x, e.y, e.buttons, e.move_x, e.move_y});
    }
    return out;
}

class MouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        mouse_queue_reset();
        rt_control.error_pending.store(0);
    }
};

TEST_F(MouseTest, RecordIsTwelveBytes) { EXPECT_EQ(sizeof(MouseEvent), 12u); }

TEST_F(MouseTest, LeftButtonPressAndRelease) {
    rt_on_mouse_button(GLUT_LEFT_BUTTON, GLUT_DOWN, 10, 20);
    rt_on_mouse_button(GLUT_LEFT_BUTTON, GLUT_UP, 11, 21);
    EXPECT_EQ(records_after(0), (std::vector<Rec>{{10, 20, 1, 0, 0}, {11, 21, 0, 0, 0}}));
}

TEST_F(MouseTest, ButtonsAccumulateAndOtherButtonsOrStatesAreIgnored) {
    rt_on_mouse_button(GLUT_RIGHT_BUTTON, GLUT_DOWN, 1, 1);
    rt_on_mouse_button(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 2, 2);
    rt_on_mouse_button(3, GLUT_DOWN, 3, 3);
    rt_on_mouse_button(GLUT_LEFT_BUTTON, 7, 4, 4);
    rt_on_mouse_button(GLUT_RIGHT_BUTTON, GLUT_UP, 5, 5);
    EXPECT_EQ(records_after(0), (std::vector<Rec>{{1, 1, 4, 0, 0}, {2, 2, 6, 0, 0}, {5, 5, 2, 0, 0}}));
}

TEST_F(MouseTest, WheelStepsAreAPairOfRecords) {
    rt_on_mouse_wheel(0, 1, 7, 8);
    rt_on_mouse_button(GLUT_RIGHT_BUTTON, GLUT_DOWN, 7, 8);
    rt_on_mouse_wheel(0, 1, 7, 8);
    rt_on_mouse_wheel(0, -1, 7, 8);
    rt_on_mouse_wheel(0, 0, 7, 8);
    EXPECT_EQ(records_after(0), (std::vector<Rec>{{7, 8, 8, 0, 0},
                                                  {7, 8, 0, 0, 0},
                                                  {7, 8, 4, 0, 0},
                                                  {7, 8, 12, 0, 0},
                                                  {7, 8, 4, 0, 0},
                                                  {7, 8, 20, 0, 0},
                                                  {7, 8, 4, 0, 0}}));
}

TEST_F(MouseTest, MotionAppendsTwoRecordsKeepingTheButtons) {
    rt_on_mouse_button(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    rt_on_mouse_motion(30, 40);
    EXPECT_EQ(records_after(1), (std::vector<Rec>{{30, 40, 1, 0, 0}, {30, 40, 1, 0, 0}}));
}

TEST_F(MouseTest, RawMovementThroughTheWindowHook) {
    rt_on_mouse_motion(5, 6);
    EXPECT_EQ(rt_window_hook(3, -3, 4), 0);
    EXPECT_EQ(records_after(2), (std::vector<Rec>{{5, 6, 0, -3, 4}, {5, 6, 0, 0, 0}}));
}

TEST_F(MouseTest, FullQueueLosesTheOldestUnreadRecord) {
    for (int i = 1; i <= MOUSE_QUEUE_SIZE - 1; i++) rt_on_mouse_button(GLUT_LEFT_BUTTON, i % 2 ? GLUT_DOWN : GLUT_UP, i, 0);
    EXPECT_EQ(mouse_queue.read, 0u) << "65535 unread records still fit";
    rt_on_mouse_button(GLUT_LEFT_BUTTON, GLUT_DOWN, 65536, 0);
    EXPECT_EQ(mouse_queue.read, 1u);
    EXPECT_EQ(mouse_queue.write, 0u);
    // Reading now starts after the lost record 1: with x 2.
    EXPECT_EQ(rt_mouse_input(), -1);
    EXPECT_EQ(rt_mouse_x(), 2);
}

TEST_F(MouseTest, ReadingWalksTheRecords) {
    EXPECT_EQ(rt_mouse_input(), 0) << "empty";
    rt_on_mouse_button(GLUT_RIGHT_BUTTON, GLUT_DOWN, 100, 50);
    rt_on_mouse_button(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 101, 51);
    rt_on_mouse_wheel(0, 1, 102, 52);
    rt_on_mouse_wheel(0, -1, 102, 52);

    struct Expect {
        int x, y, left, right, middle, wheel;
    };
    const Expect seq[] = {
        {100, 50, 0, -1, 0, 0}, {101, 51, 0, -1, -1, 0}, {102, 52, 0, -1, -1, -1},
        {102, 52, 0, -1, -1, 0}, {102, 52, 0, -1, -1, 1}, {102, 52, 0, -1, -1, 0},
    };
    for (const Expect& e : seq) {
        ASSERT_EQ(rt_mouse_input(), -1);
        EXPECT_EQ(rt_mouse_x(), e.x);
        EXPECT_EQ(rt_mouse_y(), e.y);
        EXPECT_EQ(rt_mouse_button(1), e.left);
        EXPECT_EQ(rt_mouse_button(2), e.right);
        EXPECT_EQ(rt_mouse_button(3), e.middle);
        EXPECT_EQ(rt_mouse_wheel(), e.wheel);
    }
    EXPECT_EQ(rt_mouse_input(), 0);
    EXPECT_EQ(rt_control.error_pending.load(), 0);
}

TEST_F(MouseTest, ButtonNumberBelowOneIsIllegal) {
    harness_install_hooks();
    EXPECT_EQ(rt_mouse_button(0), 0);
    EXPECT_EQ(rt_control.error_pending.load(), 5);
}

TEST_F(MouseTest, PositionsGoThroughTheWindowMapping) {
    rt_mouse_set_mapping(10, 20, 0.5f, 0.5f, 99, 49);
    rt_on_mouse_motion(110, 70);
    rt_on_mouse_motion(500, 0);
    ASSERT_EQ(rt_mouse_input(), -1);
    EXPECT_EQ(rt_mouse_x(), 50);
    EXPECT_EQ(rt_mouse_y(), 25);
    rt_mouse_input();
    ASSERT_EQ(rt_mouse_input(), -1);
    EXPECT_EQ(rt_mouse_x(), 99) << "clamped to the frame";
    EXPECT_EQ(rt_mouse_y(), 0);
}

}  // namespace
