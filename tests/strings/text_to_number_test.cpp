// The text-to-number function: blanks anywhere, radix prefixes with error 6
// on 64-bit overflow, decimal numbers with D/E exponents, exact whole
// numbers, and the number ending at the first character that cannot continue it.
#include <cmath>
#include <limits>

#include "runtime/strings/number_format.h"
#include "tests/strings/strings_fixture.h"

namespace {

using TextToNumber = StringsTest;

TEST_F(TextToNumber, ReadsTheNumberAtTheStartOfTheText) {
    struct Case {
        const char* text;
        long double expected;
    };
    const Case cases[] = {
        {"", 0},
        {"  1 2 3", 123},  // blanks inside the number are skipped
        {"\t-\t4 2", -42},
        {"12abc", 12},
        {"abc", 0},
        {"-.5", -0.5L},
        {"+.25", 0.25L},
        {"1.5E3", 1500},
        {"1.5e+3", 1500},
        {"25D-1", 2.5L},
        {"2.5d2", 250},
        {"007", 7},
        {"0.000123", 0.000123L},
        {"1E", 1},      // a mark without digits
        {"1E+", 1},
        {"1.2.3", 1.2L},  // a second point ends the number
        {"--5", 0},       // so does a second sign
        {"5-3", 5},
        {"1E2E3", 100},
        {".", 0},
        {"0", 0},
        {"1e0000000000000000000000003", 1000},  // leading exponent zeros do not count
        {"9223372036854775807", 9223372036854775807.0L},
        {"-9223372036854775808", -9223372036854775808.0L},
        {"&HFF", 255},
        {"&hff", 255},
        {" & H 1 0", 16},
        {"&O17", 15},
        {"&o777", 511},
        {"&O8", 0},
        {"&B1", 0},
        {"&H", 0},
        {"&", 0},
        {"&HFFG", 255},
        {"&H000000000000000000001", 1},  // leading zeros are not counted
        {"&H7FFFFFFFFFFFFFFF", 9223372036854775807.0L},
        {"&HFFFFFFFFFFFFFFFF", -1},      // the 64-bit pattern
        {"&O1777777777777777777777", -1},
    };
    for (const Case& c : cases) {
        RtString* s = temp(c.text);
        EXPECT_EQ(rts_val(s), c.expected) << "[" << c.text << "]";
        EXPECT_EQ(take_error(), 0) << "[" << c.text << "]";
        EXPECT_TRUE(s->is_temp) << "the argument is not freed";
    }
}

TEST_F(TextToNumber, WholeNumbersAreExactAndOthersAreExtendedPrecision) {
    EXPECT_EQ(rts_val(temp("1234567890123456789")), 1234567890123456789.0L);
    EXPECT_EQ(static_cast<int64_t>(rts_val(temp("-9007199254740993"))), -9007199254740993LL);  // beyond a double
    EXPECT_EQ(rts_val(temp("0.1")), 0.1L);
    EXPECT_EQ(rts_val(temp("3.14159265358979323846")), 3.14159265358979323846L);
    EXPECT_EQ(rts_val(temp("123456789012345678901234567890")), 1.2345678901234567890123456789e29L);
    EXPECT_EQ(rts_val(temp("1e5000")), std::numeric_limits<long double>::infinity());
    EXPECT_EQ(rts_val(temp(std::string(300, '1'))), std::strtold(std::string(300, '1').c_str(), nullptr));
}

TEST_F(TextToNumber, RadixNumbersBeyond64BitsRaiseError6) {
    const char* too_large[] = {"&H10000000000000000", "&O2000000000000000000000", "&O11111111111111111111111"};
    for (const char* t : too_large) {
        EXPECT_EQ(rts_val(temp(t)), 0) << t;
        EXPECT_EQ(take_error(), 6) << t;
    }
}

}  // namespace
