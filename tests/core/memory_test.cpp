// Variable storage (allocation, new blocks, roll-back), ConvMemory and its
// peek segment, and the return stack's growth.
#include <gtest/gtest.h>
#include <cstring>
#include "core_fixture.h"
#include "runtime/core/conv_memory.h"
#include "runtime/core/return_stack.h"
#include "runtime/core/var_storage.h"

namespace {

class VariableStorage : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        rt_var_init();
    }
};

TEST_F(VariableStorage, StartsWithOneMegabyte) {
    EXPECT_EQ(rt_vars.size, 1048576);
    EXPECT_EQ(rt_vars.pointer, rt_vars.block);
    EXPECT_EQ(rt_vars.end, rt_vars.block + 1048576);
}

TEST_F(VariableStorage, AllocationsFollowOneAnother) {
    auto* a = static_cast<uint8_t*>(rt_var_alloc(4));
    auto* b = static_cast<uint8_t*>(rt_var_alloc(8));
    auto* c = static_cast<uint8_t*>(rt_var_alloc(0));
    EXPECT_EQ(a, rt_vars.block);
    EXPECT_EQ(b, a + 4);
    EXPECT_EQ(c, b + 8);
    EXPECT_EQ(rt_vars.pointer, a + 12);
}

TEST_F(VariableStorage, TakingExactlyTheBytesLeftMovesToANewBlock) {
    uint8_t* first = rt_vars.block;
    rt_var_alloc(1048576 - 100);
    void* p = rt_var_alloc(100);  // the pointer would reach the end
    EXPECT_NE(rt_vars.block, first);
    EXPECT_EQ(p, rt_vars.block);
    EXPECT_EQ(rt_vars.size, 1048576 * 2 + 100);
    EXPECT_EQ(rt_vars.pointer, rt_vars.block + 100);
    EXPECT_EQ(rt_vars.end, rt_vars.block + rt_vars.size);

    rt_var_alloc(1048576 * 2 - 1);  // one byte short of the end: stays
    EXPECT_EQ(rt_vars.pointer, rt_vars.end - 1);
}

TEST_F(VariableStorage, ABlockLargerThanDoubleIsTakenForABigRequest) {
    void* p = rt_var_alloc(5000000);
    EXPECT_EQ(p, rt_vars.block);
    EXPECT_EQ(rt_vars.size, 1048576 * 2 + 5000000);
    std::memset(p, 0xAB, 5000000);  // the whole request is usable
}

TEST_F(VariableStorage, RestoreReusesTheSameBytes) {
    void* saved = rt_vars.pointer;
    void* first_call = rt_var_alloc(16);
    rt_var_restore(saved);
    void* second_call = rt_var_alloc(16);
    EXPECT_EQ(first_call, second_call);
}

TEST_F(VariableStorage, RestoreAfterANewBlockRestartsAtItsStartAndKeepsTheOldBytes) {
    auto* caller_variable = static_cast<uint32_t*>(rt_var_alloc(4));
    *caller_variable = 0xC0FFEE;
    void* saved = rt_vars.pointer;

    rt_var_alloc(2000000);  // the procedure forces a new block
    uint8_t* new_block = rt_vars.block;
    rt_var_restore(saved);
    EXPECT_EQ(rt_vars.block, new_block);
    EXPECT_EQ(rt_vars.pointer, new_block);
    EXPECT_EQ(*caller_variable, 0xC0FFEEu) << "the old block stays where it was";
}

TEST_F(VariableStorage, RestoreAcceptsTheEndOfTheBlock) {
    rt_var_restore(rt_vars.end);
    EXPECT_EQ(rt_vars.pointer, rt_vars.end);
}

TEST_F(VariableStorage, ANegativeCountIsRefused) {
    rt_var_alloc(16);
    uint8_t* before = rt_vars.pointer;
    void* p = rt_var_alloc(-8);
    EXPECT_EQ(rt_control.error_pending, 5);
    EXPECT_EQ(p, before);
    EXPECT_EQ(rt_vars.pointer, before) << "no bytes are handed out twice";
}

TEST(ConvMemoryBlock, SizeAndClearing) {
    EXPECT_EQ(sizeof ConvMemory, 1114099u);
    ConvMemory[0] = 1;
    ConvMemory[CONV_TEXT] = 2;
    ConvMemory[CONV_MEMORY_SIZE - 1] = 3;
    conv_memory_clear();
    for (uint32_t at : {0u, CONV_TEXT, CONV_MEMORY_SIZE - 1}) EXPECT_EQ(ConvMemory[at], 0) << at;
}

TEST(ConvMemoryBlock, PeekSegment) {
    EXPECT_EQ(rt_peek_segment, 0x50) << "starts at the data block";
    struct Case {
        int32_t segment;
        bool ok;
        uint16_t result;
    };
    const Case cases[] = {
        {0xB800, true, 0xB800}, {0, true, 0},         {65535, true, 0xFFFF}, {-1, true, 0xFFFF},
        {-65536, true, 0},      {65536, false, 0},    {-65537, false, 0},    {0x7FFFFFFF, false, 0},
    };
    for (const Case& c : cases) {
        reset_runtime_control();
        rt_peek_segment = 0x1234;
        rt_def_seg(c.segment);
        if (c.ok) {
            EXPECT_EQ(rt_peek_segment, c.result) << c.segment;
            EXPECT_EQ(rt_control.error_pending, 0) << c.segment;
        } else {
            EXPECT_EQ(rt_peek_segment, 0x1234) << c.segment;
            EXPECT_EQ(rt_control.error_pending, 6) << c.segment;
        }
    }
}

TEST(ReturnStackGrowth, StartsWith16384AndDoublesKeepingEntries) {
    ASSERT_NE(rt_return_stack.entries, nullptr);
    EXPECT_EQ(rt_return_stack.capacity, 16384);
    EXPECT_EQ(rt_return_stack.depth, 0);
    for (int32_t i = 0; i < 16384; ++i) rt_return_stack.entries[i] = i * 7;
    rt_grow_return_stack();
    EXPECT_EQ(rt_return_stack.capacity, 32768);
    for (int32_t i = 0; i < 16384; ++i) ASSERT_EQ(rt_return_stack.entries[i], i * 7);
    rt_return_stack.entries[32767] = 1;  // the new half is usable
}

TEST(ReturnStackGrowth, BeyondTheLargestCapacityIsOutOfStackSpace) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            plat_set_msgbox_hook([](const char*, const char*, PlatMsgBoxButtons) { return PLAT_MB_RESULT_OK; });
            rt_return_stack.capacity = 0x40000000;  // doubling would pass 2^31 - 1
            rt_grow_return_stack();
        },
        ::testing::ExitedWithCode(0), "Critical Error\n  Out of stack space");
}

}  // namespace
