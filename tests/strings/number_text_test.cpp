// The string of a number: integers with a sign or a leading space; single and
// double values in fixed or scientific notation with their significant
// digits, the removed leading zero, the 15-digit retry and the "D" letter.
#include <climits>
#include <cmath>
#include <functional>
#include <limits>

#include "runtime/strings/number_format.h"
#include "tests/strings/strings_fixture.h"

namespace {

using NumberText = StringsTest;

struct Case {
    const char* name;
    std::function<RtString*()> convert;
    const char* expected;
};

void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        uint32_t mark = rts_temp_mark();
        RtString* s = c.convert();
        EXPECT_EQ(text(s), c.expected) << c.name;
        EXPECT_TRUE(rts_is_reusable_temp(s)) << c.name;
        rts_release_temps(mark, 0);
    }
}

TEST_F(NumberText, IntegersHaveASignOrALeadingSpace) {
    check({
        {"int 0", [] { return rts_str_int(0); }, " 0"},
        {"int 1", [] { return rts_str_int(1); }, " 1"},
        {"int -1", [] { return rts_str_int(-1); }, "-1"},
        {"int min", [] { return rts_str_int(INT_MIN); }, "-2147483648"},
        {"uint 5", [] { return rts_str_uint(5); }, " 5"},
        {"uint max", [] { return rts_str_uint(UINT_MAX); }, " 4294967295"},
        {"int64 -5", [] { return rts_str_int64(-5); }, "-5"},
        {"int64 min", [] { return rts_str_int64(std::numeric_limits<int64_t>::min()); }, "-9223372036854775808"},
        {"int64 max", [] { return rts_str_int64(std::numeric_limits<int64_t>::max()); }, " 9223372036854775807"},
        {"uint64 max", [] { return rts_str_uint64(~0ull); }, " 18446744073709551615"},
    });
}

TEST_F(NumberText, SinglesShowUpToSevenSignificantDigits) {
    auto s = [](float v) { return [v] { return rts_str_single(v); }; };
    check({
        {"0", s(0.0f), " 0"},
        {"-0", s(-0.0f), " 0"},
        {"1", s(1.0f), " 1"},
        {"-1", s(-1.0f), "-1"},
        {"0.5", s(0.5f), " .5"},
        {"-0.5", s(-0.5f), "-.5"},
        {"0.1", s(0.1f), " .1"},
        {"0.0001", s(0.0001f), " .0001"},
        {"100000", s(100000.0f), " 100000"},
        {"1e6", s(1e6f), " 1000000"},
        {"1234567", s(1234567.0f), " 1234567"},
        {"1e7", s(1e7f), " 1E+07"},
        {"12345678", s(12345678.0f), " 1.234568E+07"},
        {"2^24", s(16777216.0f), " 1.677722E+07"},
        {"1/3", s(1.0f / 3), " .3333333"},
        {"just below 1", s(0.99999994f), " .9999999"},
        {"-2.5", s(-2.5f), "-2.5"},
        {"59.123", s(59.123f), " 59.123"},
        {"1e-7", s(1e-7f), " .0000001"},  // exponent - digits = -8: still fixed
        {"1.5e-5", s(1.5e-5f), " .000015"},
        {"1.5e-7", s(1.5e-7f), " 1.5E-07"},
        {"1e-8", s(1e-8f), " 1E-08"},
        {"max", s(std::numeric_limits<float>::max()), " 3.402823E+38"},
        {"-1e-20", s(-1e-20f), "-1E-20"},
    });
}

TEST_F(NumberText, DoublesShowUpToSixteenDigitsWithTheLetterD) {
    auto d = [](double v) { return [v] { return rts_str_double(v); }; };
    check({
        {"0", d(0.0), " 0"},
        {"-0", d(-0.0), " 0"},
        {"1/3", d(1.0 / 3), " .3333333333333333"},
        {"2/3", d(2.0 / 3), " .6666666666666666"},
        {"1/7", d(1.0 / 7), " .1428571428571428"},
        {"sixteen nines", d(std::nextafter(1.0, 0.0)), " 1"},  // through the 15-digit conversion
        {"0.1 + 0.2", d(0.1 + 0.2), " .3"},
        {"0.1", d(0.1), " .1"},
        {"123.456", d(123.456), " 123.456"},
        {"-42", d(-42.0), "-42"},
        {"1e15", d(1e15), " 1000000000000000"},
        {"1e16", d(1e16), " 1D+16"},
        {"1e20", d(1e20), " 1D+20"},
        {"1.5e-20", d(1.5e-20), " 1.5D-20"},
        {"1e100", d(1e100), " 1D+100"},
        {"-1e-300", d(-1e-300), "-1D-300"},
        {"2^60", d(1152921504606846976.0), " 1.152921504606847D+18"},
        {"1e-16", d(1e-16), " .0000000000000001"},  // exponent - digits = -17: still fixed
        {"1e-17", d(1e-17), " 1D-17"},
        {"extended 1/3", [] { return rts_str_extended(1.0L / 3); }, " .3333333333333333"},
    });
}

TEST_F(NumberText, ValuesWithoutDigitsKeepTheirCText) {
    check({
        {"inf", [] { return rts_str_single(std::numeric_limits<float>::infinity()); }, " INF"},
        {"-inf", [] { return rts_str_double(-std::numeric_limits<double>::infinity()); }, "-INF"},
    });
}

}  // namespace
