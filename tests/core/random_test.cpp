// The 24-bit random generator: its first values, repeat and reseed rules,
// and the seed statement's modes.
#include <gtest/gtest.h>
#include "core_fixture.h"
#include "runtime/core/timing.h"

namespace {

class Random : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        rt_rnd_state = 0x50000;
        rt_rnd_reset_value = 0x50000;
    }
};

TEST_F(Random, FirstValuesFromTheStartState) {
    struct Step {
        float value;
        uint32_t state;
    };
    const Step steps[] = {{0.7055475f, 11837123}, {0.5334240f, 8949370}, {0.5795186f, 9722709}};
    for (const Step& s : steps) {
        float v = rt_rnd(0, 0);  // no argument: the next value
        EXPECT_FLOAT_EQ(v, s.value);
        EXPECT_EQ(rt_rnd_state, s.state);
        EXPECT_EQ(v, static_cast<float>(s.state / 16777216.0)) << "exactly the state over 2^24";
    }
}

TEST_F(Random, PositiveArgumentsAdvanceLikeNoArgument) {
    EXPECT_FLOAT_EQ(rt_rnd(5.5f, 1), 0.7055475f);
    EXPECT_FLOAT_EQ(rt_rnd(1, 1), 0.5334240f);
}

TEST_F(Random, ZeroRepeatsTheLastValue) {
    float first = rt_rnd(0, 0);
    EXPECT_EQ(rt_rnd(0, 1), first);
    EXPECT_EQ(rt_rnd(0, 1), first);
    EXPECT_FLOAT_EQ(rt_rnd(0, 0), 0.5334240f) << "the sequence goes on afterwards";
}

TEST_F(Random, ZeroBeforeAnyValueGivesTheStartState) {
    EXPECT_EQ(rt_rnd(0, 1), static_cast<float>(0x50000 / 16777216.0));
}

TEST_F(Random, NegativeArgumentsReseedFromTheirBits) {
    float a = rt_rnd(-1, 1);
    rt_rnd(0, 0);
    float b = rt_rnd(-1, 1);
    EXPECT_EQ(a, b) << "-1 twice in a row gives the same value";
    // -1.0f is 0xBF800000: state = 0x800000 + 0xBF, then one step.
    uint32_t expected = ((0x800000u + 0xBFu) * 0xFD43FDu + 0xC39EC3u) & 0xFFFFFF;
    EXPECT_EQ(rt_rnd_state, expected);
    EXPECT_NE(rt_rnd(-2, 1), a);
}

TEST_F(Random, ValuesStayInTheUnitInterval) {
    for (int i = 0; i < 100000; ++i) {
        float v = rt_rnd(0, 0);
        ASSERT_GE(v, 0.0f);
        ASSERT_LT(v, 1.0f);
    }
}

TEST_F(Random, ReturnsZeroWithoutAdvancingWhileAnErrorIsPending) {
    rt_control.error_pending = 5;
    EXPECT_EQ(rt_rnd(0, 0), 0.0f);
    EXPECT_EQ(rt_rnd_state, 0x50000u);
}

TEST_F(Random, ReproducibleReseedRestartsTheSameSequence) {
    rt_randomize(1, 3);
    EXPECT_EQ(rt_rnd_state, 0x3FF000u) << "seed 1: h = 0x3FF03FF0, upper 16 bits of the state 0x3FF0";
    float a1 = rt_rnd(0, 0), a2 = rt_rnd(0, 0);
    rt_rnd(0, 0);
    rt_randomize(1, 3);
    EXPECT_EQ(rt_rnd(0, 0), a1);
    EXPECT_EQ(rt_rnd(0, 0), a2);
}

TEST_F(Random, OnlyTheUpperHalfOfTheSeedMatters) {
    rt_randomize(1.0000000001, 3);  // differs from 1.0 only in low mantissa bits
    EXPECT_EQ(rt_rnd_state, 0x3FF000u);
    rt_randomize(2.0, 3);  // 0x40000000 -> h = 0x40004000
    EXPECT_EQ(rt_rnd_state, 0x400000u);
    rt_randomize(-1.0, 3);  // 0xBFF00000 -> h = 0xBFF0BFF0
    EXPECT_EQ(rt_rnd_state, 0xBFF000u);
}

TEST_F(Random, SeedGivenKeepsTheLowByteOfTheCurrentState) {
    rt_rnd_state = 0x123456;
    rt_randomize(1, 1);
    EXPECT_EQ(rt_rnd_state, 0x3FF056u);
    rt_rnd_state = 0x1234AB;
    rt_randomize(1, 1);
    EXPECT_EQ(rt_rnd_state, 0x3FF0ABu);
}

TEST_F(Random, ReproducibleReseedUsesTheResetValuesLowByte) {
    rt_rnd_state = 0x123456;
    rt_rnd_reset_value = 0x500FF;
    rt_randomize(1, 3);
    EXPECT_EQ(rt_rnd_state, 0x3FF0FFu);
}

TEST_F(Random, SeedStatementDoesNothingWhileAnErrorIsPending) {
    rt_control.error_pending = 5;
    rt_randomize(1, 3);
    rt_randomize(1, 1);
    EXPECT_EQ(rt_rnd_state, 0x50000u);
}

}  // namespace
