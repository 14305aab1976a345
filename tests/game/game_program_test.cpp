// The program's own machinery: subroutine calls through the return stack
// (and error 3 for a bad return), the command editor's procedure frame, and
// the room number as an index of the exit list (rounded half to even,
// error 9 outside 1 to 9, reported with the statement's line).
#include <gtest/gtest.h>
#include <string>
#include "game/game_vars.h"
#include "game/statements.h"
#include "game_expect.h"
#include "runtime/core/control.h"
#include "runtime/core/return_stack.h"
#include "runtime/core/var_storage.h"
#include "runtime/strings/rt_string.h"
#include "runtime/strings/string_space.h"
#include "tests/support/game_driver.h"
#include "tests/support/runtime_harness.h"

using namespace game_expect;

namespace {

// The runtime state a finished command must leave as it found it, read
// while the editor waits for the held clock (between two of its passes).
struct ProgramState {
    int32_t return_depth;
    uint8_t* var_pointer;
    uint32_t temp_mark;
    uint16_t data_block_top;
    int64_t strings_alive;  // string descriptors handed out and not freed
    bool operator==(const ProgramState&) const = default;
};

int64_t strings_alive() {
    const DescriptorPool& pool = rts_descriptor_pool();
    return int64_t{pool.blocks - 1} * DESCRIPTOR_BLOCK_SIZE + pool.block_used - pool.free_count;
}

ProgramState state_between_passes() {
    game_hold_clock();
    EXPECT_TRUE(game_wait_program_sleeping());
    ProgramState s{rt_return_stack.depth, rt_vars.pointer, rts_temp_mark(), rts_data_block_top(), strings_alive()};
    game_run_clock();
    return s;
}

TEST(GameProgram, CommandsLeaveTheReturnStackVariablesAndStringsAsTheyFoundThem) {
    start_at_first_prompt();
    ProgramState first = state_between_passes();
    // Inside the editor: called from the command subroutine, one level down.
    EXPECT_EQ(first.return_depth, 1);

    walk({"west", "south", "xyzzy", "north"});
    uint64_t before = game_frame_number();
    game_command("help");
    ASSERT_TRUE(game_wait_text(1, game_text::help[0], before));
    ASSERT_TRUE(game_wait_settled());  // keys now are fresh ones
    game_type("a");                    // ends the sleep; the drain takes it
    ASSERT_TRUE(game_wait_ring_empty());
    ASSERT_TRUE(game_wait_settled());
    game_type("b");
    ASSERT_TRUE(game_wait_prompt());
    before = game_frame_number();
    game_command("inventory");
    ASSERT_TRUE(game_wait_text(1, "INVENTORY...", before));
    ASSERT_TRUE(game_wait_settled());
    game_type("a");
    ASSERT_TRUE(game_wait_prompt());
    expect_room(2);

    EXPECT_EQ(state_between_passes(), first);
}

// Wait at a page, change `room` behind the program's back, and go back to the
// main loop, which draws the header for it.
void set_room_at_a_page(float value) {
    uint64_t before = game_frame_number();
    game_command("inventory");
    ASSERT_TRUE(game_wait_text(1, "INVENTORY...", before));
    ASSERT_TRUE(game_wait_settled());
    *game_vars.room = value;  // published to the program thread by the key below
    game_type("a");
}

TEST(GameProgram, TheRoomIsRoundedHalfToEvenWhereItIndexesTheExitList) {
    start_at_first_prompt();
    // 3.5 shows the compass of room 4 but no room description: the
    // descriptions compare the room number exactly.
    set_room_at_a_page(3.5f);
    ASSERT_TRUE(game_wait_prompt()) << game_screen().dump();
    std::vector<std::string> expected = header_rows(4);
    expected.push_back(">");
    expected.resize(30);
    EXPECT_EQ(rows_without_countdown(game_screen()), expected) << game_screen().dump();

    set_room_at_a_page(2.5f);  // room 2 (east and south), not 3
    ASSERT_TRUE(game_wait_prompt()) << game_screen().dump();
    expected = header_rows(2);
    expected.push_back(">");
    expected.resize(30);
    EXPECT_EQ(rows_without_countdown(game_screen()), expected) << game_screen().dump();
    EXPECT_TRUE(harness_msgbox_calls().empty());
}

TEST(GameProgram, ARoomOutsideTheExitListIsError9AtEachCompassLine) {
    start_at_first_prompt();
    set_room_at_a_page(9.5f);  // rounds to 10
    ASSERT_TRUE(game_wait_prompt()) << game_screen().dump();

    // Each compass test reports error 9 with its own line, and the program
    // goes on after each Yes.
    std::vector<MsgBoxCall> calls = harness_msgbox_calls();
    ASSERT_EQ(calls.size(), 4u);
    const int lines[] = {54, 56, 58, 61};
    for (size_t i = 0; i < calls.size(); i++) {
        EXPECT_EQ(calls[i].caption, "Unhandled Error #9");
        EXPECT_EQ(calls[i].text, "Line:" + std::to_string(lines[i]) + "\nSubscript out of range\nContinue?");
        EXPECT_EQ(calls[i].buttons, PLAT_MB_YES_NO);
    }

    // A failing test counts as true, so after each Yes its letter is
    // printed: the compass shows every way; no room is described.
    std::vector<std::string> expected = header_rows(4);
    expected.push_back(">");
    expected.resize(30);
    EXPECT_EQ(rows_without_countdown(game_screen()), expected) << game_screen().dump();
    EXPECT_EQ(rt_control.error_pending.load(), 0);
}

// ---- The return stack, without a running program --------------------------

class GameReturnStack : public ::testing::Test {
protected:
    void SetUp() override {
        harness_install_hooks();
        rt_return_stack.depth = 0;
        rt_control.error_pending.store(0);
        rt_control.check_requested.store(0);
    }
};

TEST_F(GameReturnStack, CallsReturnToTheirPointsInReverseOrder) {
    gosub_push(1);
    gosub_push(7);
    EXPECT_EQ(rt_return_stack.depth, 2);
    EXPECT_EQ(gosub_pop(11), 7);
    EXPECT_EQ(gosub_pop(11), 1);
    EXPECT_EQ(rt_return_stack.depth, 0);
    EXPECT_EQ(rt_control.error_pending.load(), 0);
}

TEST_F(GameReturnStack, AReturnWithoutACallOrToAnUnknownPointIsError3) {
    EXPECT_EQ(gosub_pop(11), -1);
    EXPECT_EQ(rt_control.error_pending.load(), 3);
    EXPECT_EQ(rt_control.check_requested.load(), 1);

    rt_control.error_pending.store(0);
    for (int32_t bad : {12, -1}) {
        gosub_push(bad);
        EXPECT_EQ(gosub_pop(11), -1) << bad;
        EXPECT_EQ(rt_return_stack.depth, 0) << bad;
        EXPECT_EQ(rt_control.error_pending.load(), 3) << bad;
        rt_control.error_pending.store(0);
    }
    gosub_push(0);  // 0 leaves the program: a valid point
    EXPECT_EQ(gosub_pop(11), 0);
    EXPECT_EQ(rt_control.error_pending.load(), 0);
}

TEST_F(GameReturnStack, ACallThatFillsTheStackDoublesIt) {
    int32_t capacity = rt_return_stack.capacity;
    ASSERT_GT(capacity, 0);
    rt_return_stack.depth = capacity - 2;
    gosub_push(5);
    EXPECT_EQ(rt_return_stack.capacity, capacity);
    gosub_push(6);  // depth reaches the capacity
    EXPECT_EQ(rt_return_stack.capacity, capacity * 2);
    EXPECT_EQ(rt_return_stack.depth, capacity);
    gosub_push(7);  // and the next entry has room
    EXPECT_EQ(gosub_pop(11), 7);
    EXPECT_EQ(gosub_pop(11), 6);
    EXPECT_EQ(gosub_pop(11), 5);
}

}  // namespace
