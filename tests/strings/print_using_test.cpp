// The formatted print: numeric fields (sign place, commas, fill, dollar,
// exponent fields, trailing signs), overflow "%", half-up rounding with one
// re-layout, string fields, plain and escaped characters, the position handed
// from call to call, and errors 5 and 13.
#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "runtime/strings/number_format.h"
#include "tests/strings/strings_fixture.h"

namespace {

using PrintUsing = StringsTest;

struct Value {
    enum Kind { SINGLE, DOUBLE, EXTENDED, INT64, UINT64, STRING } kind;
    long double number = 0;
    int64_t i = 0;
    uint64_t u = 0;
    std::string s;
};

Value single(float v) { return {Value::SINGLE, v, 0, 0, ""}; }
Value dbl(double v) { return {Value::DOUBLE, v, 0, 0, ""}; }
Value extended(long double v) { return {Value::EXTENDED, v, 0, 0, ""}; }
Value i64(int64_t v) { return {Value::INT64, 0, v, 0, ""}; }
Value u64(uint64_t v) { return {Value::UINT64, 0, 0, v, ""}; }
Value str(const std::string& v) { return {Value::STRING, 0, 0, 0, v}; }

struct Result {
    std::string text;
    std::vector<int32_t> positions;  // returned by each call
    int32_t error;
};

// The formatted print statement: one call per value, the position passed on.
Result print_using(const std::string& format, const std::vector<Value>& values, int32_t start = 0) {
    uint32_t mark = rts_temp_mark();
    RtString* f = lit(format);
    RtString* out = rts_new(0, 0);
    Result r;
    int32_t p = start;
    for (const Value& v : values) {
        switch (v.kind) {
            case Value::SINGLE: p = rt_using_single(f, static_cast<float>(v.number), p, out); break;
            case Value::DOUBLE: p = rt_using_double(f, static_cast<double>(v.number), p, out); break;
            case Value::EXTENDED: p = rt_using_extended(f, v.number, p, out); break;
            case Value::INT64: p = rt_using_int64(f, v.i, p, out); break;
            case Value::UINT64: p = rt_using_uint64(f, v.u, p, out); break;
            case Value::STRING: p = rt_using_format(f, p, out, lit(v.s)); break;
        }
        r.positions.push_back(p);
    }
    r.text = text(out);
    r.error = take_error();
    rts_free(out);
    rts_release_temps(mark, 0);
    return r;
}

struct Case {
    const char* format;
    Value value;
    const char* expected;
};

void check_single_values(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        Result r = print_using(c.format, {c.value});
        EXPECT_EQ(r.text, c.expected) << "format [" << c.format << "]";
        EXPECT_EQ(r.error, 0) << "format [" << c.format << "]";
        EXPECT_EQ(r.positions, std::vector<int32_t>{0}) << "format [" << c.format << "]";
    }
}

TEST_F(PrintUsing, FixedFieldsAlignTheNumberRightWithItsSignPlace) {
    check_single_values({
        {"##.##", single(0.5f), " 0.50"},
        {".##", single(0), ".00"},
        {"##", single(-5), "-5"},
        {"###", single(42), " 42"},
        {"##", i64(0), " 0"},
        {"#.##", single(-0.5f), "-.50"},
        {"##.##", dbl(-0.25), "-0.25"},
        {"#,###,###", single(1234567), "1,234,567"},
        {"#,###", single(12), "   12"},
        {"##,###", i64(1234), " 1,234"},
        {"+##", single(5), "+ 5"},
        {"+##", single(-5), "- 5"},
        {"##-", single(-5), " 5-"},
        {"##-", single(5), " 5 "},
        {"##+", single(5), " 5+"},
        {"##+", single(-5), " 5-"},
        {"**$##.##", single(12.5f), "**$12.50"},
        {"**##", single(-5), "**-5"},
        {"$$##.##", single(3.5f), "  $3.50"},
        {"###.", single(7), "  7."},
        {"#####", dbl(1e4), "10000"},
        {"###.##", extended(2.5L), "  2.50"},
        {"##.##", extended(0.5L), " 0.50"},
        {"#", u64(7), "7"},
    });
}

TEST_F(PrintUsing, AValueTooWideForItsFieldIsMarkedWithPercent) {
    check_single_values({
        {"#.##", single(9.996f), "%10.00"},  // rounding makes it one digit longer
        {"#", single(-5), "%-5"},
        {"###", single(1234), "%1234"},
        {"#,###", single(123456), "%123,456"},
        {"#", u64(~0ull), "%18446744073709551615"},
        {"##", i64(INT64_MIN), "%-9223372036854775808"},
    });
}

TEST_F(PrintUsing, RoundingIsHalfUpOnTheExactDecimalDigits) {
    check_single_values({
        {"##.#", dbl(2.25), " 2.3"},     // exactly half
        {"##.#", dbl(2.35), " 2.4"},     // 2.35000000000000008...
        {"#.##", single(2.675f), "2.67"},  // 2.6749999523...
        {".##", dbl(0.125), ".13"},
        {".##", dbl(0.005), ".01"},      // the rounding reaches above the first digit
        {".##", dbl(0.0049), ".00"},
        {".##", dbl(0.0005), ".00"},     // the next digit is still a leading zero
        {"##", single(0.7f), " 1"},
        {"##", single(0.3f), " 0"},
        {"###.##", dbl(1.005), "  1.00"},    // 1.00499999...
        {"##.##", dbl(99.999), "%100.00"},
    });
}

TEST_F(PrintUsing, ExponentFieldsScaleToTheIntegerPositions) {
    check_single_values({
        {"##.##^^^^", single(1234.5f), " 1.23E+03"},
        {"##.##^^^^", single(-1234.5f), "-1.23E+03"},
        {"##.##^^^^", dbl(1234.5), " 1.23D+03"},
        {"##.##^^^^", extended(1234.5L), " 1.23F+03"},
        {"##.##^^^^^", single(1234.5f), " 1.23E+003"},
        {"##.##^^^^", single(0), " 0.00E+00"},
        {"##.##^^^^", single(0.00125f), " 1.25E-03"},
        {"##.#^^^^", single(9.96f), " 1.0E+01"},  // rounding carries into the exponent
        {"##.##^^^^", dbl(1e100), "% 1.00D+100"},
        {"+#.#^^^^", single(25), "+2.5E+01"},
        {"#.#^^^^-", single(-25), "2.5E+01-"},
        {"#^^^^", i64(156), "2E+02"},  // a non-negative value gets the sign place back as a digit
        {".##^^^^", single(0.5f), "0.5E+00"},
    });
}

TEST_F(PrintUsing, TheGameCountdownTakesMinutesThenSeconds) {
    struct Countdown {
        float minutes, seconds;
        const char* expected;
    };
    const Countdown cases[] = {
        {4, 59.123f, "   4:59.123"},
        {12, 5.5f, "  12: 5.500"},
        {0, 0, "   0: 0.000"},
        {9, 59.9996f, "   9:60.000"},
        {1234, 1, " %1234: 1.000"},
    };
    for (const Countdown& c : cases) {
        Result r = print_using(" ###:##.###", {single(c.minutes), single(c.seconds)});
        EXPECT_EQ(r.text, c.expected);
        EXPECT_EQ(r.positions, (std::vector<int32_t>{5, 0}));
        EXPECT_EQ(r.error, 0);
    }
}

TEST_F(PrintUsing, StringFieldsTakeTheWholeStringOneCharacterOrAFixedWidth) {
    struct StringCase {
        const char* format;
        const char* value;
        const char* expected;
    };
    const StringCase cases[] = {
        {"&", "hello", "hello"},
        {"!", "hello", "h"},
        {"\\  \\", "hello", "hell"},
        {"\\  \\", "hi", "hi  "},
        {"\\\\", "hello", "he"},
        {"!", "", " "},
        {"[&]", "x", "[x]"},
        {"\\ &", "v", "\\ v"},  // a backslash not closed is plain text
    };
    for (const StringCase& c : cases) {
        Result r = print_using(c.format, {str(c.value)});
        EXPECT_EQ(r.text, c.expected) << c.format;
        EXPECT_EQ(r.error, 0) << c.format;
    }
}

TEST_F(PrintUsing, PositionsCarryFromOneValueToTheNext) {
    Result three = print_using("#", {single(1), single(2), single(3)});
    EXPECT_EQ(three.text, "123");
    EXPECT_EQ(three.positions, (std::vector<int32_t>{0, 0, 0}));

    Result two = print_using("## ##", {single(1), single(2)});
    EXPECT_EQ(two.text, " 1  2");
    EXPECT_EQ(two.positions, (std::vector<int32_t>{3, 0}));

    Result mixed = print_using("& is ##.# years", {str("Ann"), single(7.25f)});
    EXPECT_EQ(mixed.text, "Ann is  7.3 years");
    EXPECT_EQ(mixed.positions, (std::vector<int32_t>{5, 0}));

    // A call that starts inside the format runs on to its end and starts again.
    Result wrapped = print_using("#ab", {single(1)}, 1);
    EXPECT_EQ(wrapped.text, "ab1ab");
    EXPECT_EQ(wrapped.error, 0);
}

TEST_F(PrintUsing, AnEscapedCharacterIsPlainText) {
    Result r = print_using("_##", {single(1)});
    EXPECT_EQ(r.text, "#1");
    EXPECT_EQ(r.error, 0);
    r = print_using("_&&", {str("x")});
    EXPECT_EQ(r.text, "&x");
    r = print_using("##_", {single(1)});  // a "_" at the very end is itself
    EXPECT_EQ(r.text, " 1_");
}

TEST_F(PrintUsing, AFormatWithoutAFieldForTheValueRaisesError5) {
    struct ErrorCase {
        const char* format;
        int32_t start;
        const char* expected;
    };
    const ErrorCase cases[] = {
        {"abc", 0, "abc"},
        {"_#", 0, "#"},
        {"ab", 1, "bab"},  // one more pass from the start, then no field
    };
    for (const ErrorCase& c : cases) {
        Result r = print_using(c.format, {single(1)}, c.start);
        EXPECT_EQ(r.text, c.expected) << c.format;
        EXPECT_EQ(r.error, 5) << c.format;
        EXPECT_EQ(r.positions, std::vector<int32_t>{0}) << c.format;
    }
    Result empty = print_using("", {single(1)});
    EXPECT_EQ(empty.text, "");
    EXPECT_EQ(empty.error, 5);
}

TEST_F(PrintUsing, AValueMeetingTheWrongKindOfFieldRaisesError13) {
    Result r = print_using("ab##", {str("x")});
    EXPECT_EQ(r.text, "ab");  // the text before the field stays; nothing for the value
    EXPECT_EQ(r.error, 13);
    EXPECT_EQ(r.positions, std::vector<int32_t>{0});
    r = print_using("&", {single(1)});
    EXPECT_EQ(r.text, "");
    EXPECT_EQ(r.error, 13);
}

TEST_F(PrintUsing, NothingHappensWhileAnErrorIsPending) {
    uint32_t mark = rts_temp_mark();
    RtString* out = var("kept");
    rt_error(6);
    EXPECT_EQ(rt_using_single(lit("##"), 5, 0, out), 0);
    EXPECT_EQ(rt_using_double(lit("##"), 5, 0, out), 0);
    EXPECT_EQ(rt_using_extended(lit("##"), 5, 0, out), 0);
    EXPECT_EQ(rt_using_int64(lit("##"), 5, 0, out), 0);
    EXPECT_EQ(rt_using_uint64(lit("##"), 5, 0, out), 0);
    EXPECT_EQ(rt_using_format(lit("&"), 0, out, lit("s")), 0);
    EXPECT_EQ(text(out), "kept");
    EXPECT_EQ(take_error(), 6);
    rts_release_temps(mark, 0);
}

TEST_F(PrintUsing, NumbersWithoutDigitsRaiseError5) {
    Result r = print_using("##", {dbl(std::numeric_limits<double>::infinity())});
    EXPECT_EQ(r.text, "");
    EXPECT_EQ(r.error, 5);
    r = print_using("##", {extended(std::numeric_limits<long double>::quiet_NaN())});
    EXPECT_EQ(r.error, 5);
}

TEST_F(PrintUsing, WideFieldsAndLongOutputsStayWithinTheirStrings) {
    std::string format(3000, '#');
    Result r = print_using(format, {dbl(1e22)});
    ASSERT_EQ(r.text.size(), 3000u);
    EXPECT_EQ(r.text.substr(2977), "1" + std::string(22, '0'));
    EXPECT_EQ(r.text.find_first_not_of(' '), 2977u);

    Result huge = print_using("#", {extended(std::ldexp(1.0L, 13000))});
    ASSERT_EQ(huge.text.size(), 3915u);  // "%" and all 3914 digits before the point
    EXPECT_EQ(huge.text[0], '%');
    EXPECT_EQ(huge.text.find_first_not_of("0123456789", 1), std::string::npos);

    std::vector<Value> many(2000, single(7));
    Result appended = print_using("#", many);
    EXPECT_EQ(appended.text, std::string(2000, '7'));
}

}  // namespace
