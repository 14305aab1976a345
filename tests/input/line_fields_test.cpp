// Line input's field rules: splitting at commas with quoted fields, which
// lines each variable type accepts (every prefix of a valid entry included),
// and the values stored.
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <string>
#include "runtime/input/line_fields.h"

namespace {

constexpr uint32_t I8 = 8, I16 = 16, I32 = 32, I64 = 64;
constexpr uint32_t U8 = 8 | INPUT_TYPE_UNSIGNED, U16 = 16 | INPUT_TYPE_UNSIGNED, U64 = 64 | INPUT_TYPE_UNSIGNED;
constexpr uint32_t SNG = 32 | INPUT_TYPE_FLOAT, DBL = 64 | INPUT_TYPE_FLOAT, EXT = 256 | INPUT_TYPE_FLOAT;
constexpr uint32_t STR = INPUT_TYPE_STRING;

bool valid(const std::vector<uint32_t>& types, const std::string& line) {
    std::vector<InputTarget> targets;
    for (uint32_t t : types) targets.push_back({t, nullptr});
    return input_line_valid(reinterpret_cast<const uint8_t*>(line.data()), static_cast<int32_t>(line.size()),
                            targets.data(), static_cast<int32_t>(targets.size()));
}

struct ValidityCase {
    std::vector<uint32_t> types;
    const char* line;
    bool accepted;
};

const ValidityCase kValidity[] = {
    // Signed 16-bit range: 4000 fits, 40000 does not.
    {{I16}, "4000", true},
    {{I16}, "40000", false},
    {{I16}, "32767", true},
    {{I16}, "32768", false},
    {{I16}, "-32768", true},
    {{I16}, "-32769", false},
    {{I8}, "127", true},
    {{I8}, "128", false},
    {{I8}, "-128", true},
    {{I32}, "2147483647", true},
    {{I32}, "2147483648", false},
    {{I64}, "9223372036854775807", true},
    {{I64}, "9223372036854775808", false},
    {{I64}, "-9223372036854775808", true},
    {{I64}, "-9223372036854775809", false},
    {{I64}, "99999999999999999999", false},
    {{U64}, "18446744073709551615", true},
    {{U64}, "18446744073709551616", false},
    {{U8}, "255", true},
    {{U8}, "256", false},
    // Prefixes that can still become a number are accepted while typing.
    {{I16}, "", true},
    {{I16}, "-", true},
    {{I16}, "&", true},
    {{I16}, "&H", true},
    {{I16}, "&o", true},
    // The minus sign is refused for unsigned types.
    {{U16}, "-", false},
    {{U16}, "-1", false},
    // A leading zero stands alone.
    {{I16}, "0", true},
    {{I16}, "-0", true},
    {{I16}, "00", false},
    {{I16}, "07", false},
    // Hexadecimal and octal give the bit pattern of the width.
    {{I16}, "&HFFFF", true},
    {{I16}, "&H10000", false},
    {{I16}, "&hff", true},
    {{I16}, "&O177777", true},
    {{I16}, "&O200000", false},
    {{I16}, "&O8", false},
    {{I16}, "&HG", false},
    {{I16}, "&X1", false},
    {{U64}, "&HFFFFFFFFFFFFFFFF", true},
    {{U64}, "&H10000000000000000", false},
    {{I16}, "1-", false},
    {{I16}, "1.5", false},
    {{I16}, " 12 ", true},
    {{I16}, "1 2", false},
    // Field counts: a comma with one variable is refused.
    {{I16}, "1,", false},
    {{I16, I16}, "1,", true},
    {{I16, I16}, "1,2", true},
    {{I16, I16}, "1,2,", false},
    {{I16, STR}, "5,hello", true},
    {{I16, STR}, "hello,5", false},
    // Quoted fields hold commas up to their closing quote.
    {{STR}, "\"a,b\"", true},
    {{STR}, "\"a,b", true},
    {{STR}, "\"a,b\"x", false},
    {{STR}, "\"a,b\",", false},
    {{STR, STR}, "\"a,b\",c", true},
    {{STR, STR}, "  \"a\",\"b,c\"", true},
    {{STR}, "a,b", false},
    {{STR}, "ab\"c", true},
    {{I16}, "\"1\"", false},
    // Floating point: sign, digits, one point, D or E exponent.
    {{SNG}, "-1.5", true},
    {{SNG}, ".5", true},
    {{SNG}, "-", true},
    {{SNG}, ".", true},
    {{SNG}, "1.2.3", false},
    {{SNG}, "1E", true},
    {{SNG}, "1E-", true},
    {{SNG}, "1E-5", true},
    {{DBL}, "2.5D10", true},
    {{DBL}, "2.5d+10", true},
    {{SNG}, "1E38", true},
    {{SNG}, "1E39", false},
    {{DBL}, "1E39", true},
    {{DBL}, "1E309", false},
    {{EXT}, "1E309", true},
    {{EXT}, "1E4933", false},
    {{SNG}, "1E-38", false},
    {{SNG}, "2E-38", true},
    {{SNG}, "0E-99", true},
    {{SNG}, "123456789", true},
    {{SNG}, "1234567891", false},
    {{SNG}, "1000000000", true},
    {{SNG}, "0.000000000123", true},
    {{DBL}, "12345678901234567", true},
    {{DBL}, "123456789012345678", false},
    {{SNG}, "1E5E", false},
    {{SNG}, "+1", false},
    {{SNG}, "1x", false},
    {{SNG}, "\"1\"", false},
};

// Shows the typed line in test listings instead of dumping the case's bytes.
void PrintTo(const ValidityCase& c, std::ostream* os) { *os << '"' << c.line << '"'; }

class ValidityTest : public ::testing::TestWithParam<ValidityCase> {};

TEST_P(ValidityTest, Accepts) {
    const ValidityCase& c = GetParam();
    EXPECT_EQ(valid(c.types, c.line), c.accepted) << "line \"" << c.line << "\"";
}

INSTANTIATE_TEST_SUITE_P(Lines, ValidityTest, ::testing::ValuesIn(kValidity),
                         [](const ::testing::TestParamInfo<ValidityCase>& info) {
                             return "case" + std::to_string(info.index) + (info.param.accepted ? "_accepted" : "_refused");
                         });

TEST(LineFieldsTest, EveryPrefixOfAnAcceptedEntryIsAccepted) {
    const std::pair<uint32_t, const char*> entries[] = {
        {I16, "-32768"}, {I16, "&HFFFF"}, {U64, "18446744073709551615"}, {SNG, "-1.25E-7"},
        {DBL, "6.02D23"}, {EXT, "1E4000"}, {STR, "\"quoted, with comma\""},
    };
    for (const auto& [type, entry] : entries) {
        std::string s(entry);
        for (size_t n = 0; n <= s.size(); n++) EXPECT_TRUE(valid({type}, s.substr(0, n))) << s.substr(0, n);
    }
}

TEST(LineFieldsTest, SplittingReportsQuotedFieldsWithoutTheirQuotes) {
    const std::string line = "ab, \"c,d\",,\"e";
    InputField f[8];
    int32_t n = input_split_fields(reinterpret_cast<const uint8_t*>(line.data()), static_cast<int32_t>(line.size()), f, 8);
    ASSERT_EQ(n, 4);
    auto text = [&](int i) { return line.substr(f[i].start, f[i].len); };
    EXPECT_EQ(text(0), "ab");
    EXPECT_FALSE(f[0].quoted);
    EXPECT_EQ(text(1), "c,d");
    EXPECT_TRUE(f[1].quoted);
    EXPECT_EQ(text(2), "");
    EXPECT_EQ(text(3), "e");
    EXPECT_TRUE(f[3].quoted);
    EXPECT_EQ(input_split_fields(reinterpret_cast<const uint8_t*>(line.data()), 0, f, 8), 0);
}

TEST(LineFieldsTest, StoresIntegersOfEveryWidth) {
    int8_t i8 = 9;
    int16_t i16 = 9, h16 = 9, o16 = 9;
    int32_t i32 = 9;
    int64_t i64 = 9;
    uint8_t u8 = 9;
    uint64_t u64 = 9;
    InputTarget t[] = {{I8, &i8}, {I16, &i16}, {I16, &h16}, {I16, &o16}, {I32, &i32}, {I64, &i64}, {U8, &u8}, {U64, &u64}};
    const std::string line = "-128,4000,&HFFFF,&O17,-2147483648,-9223372036854775808,255,18446744073709551615";
    ASSERT_TRUE(input_line_valid(reinterpret_cast<const uint8_t*>(line.data()), static_cast<int32_t>(line.size()), t, 8));
    input_store_line(reinterpret_cast<const uint8_t*>(line.data()), static_cast<int32_t>(line.size()), t, 8);
    EXPECT_EQ(i8, -128);
    EXPECT_EQ(i16, 4000);
    EXPECT_EQ(h16, -1);
    EXPECT_EQ(o16, 15);
    EXPECT_EQ(i32, INT32_MIN);
    EXPECT_EQ(i64, INT64_MIN);
    EXPECT_EQ(u8, 255);
    EXPECT_EQ(u64, UINT64_MAX);
}

TEST(LineFieldsTest, StoresFloatsAndClearsMissingOrUnfinishedFields) {
    float s1 = 7, s2 = 7, s3 = 7;
    double d = 7;
    long double e = 7;
    int16_t missing = 7;
    InputTarget t[] = {{SNG, &s1}, {SNG, &s2}, {SNG, &s3}, {DBL, &d}, {EXT, &e}, {I16, &missing}};
    const std::string line = "-1.5,-, 2.5E,6.02D23,1E4000";
    input_store_line(reinterpret_cast<const uint8_t*>(line.data()), static_cast<int32_t>(line.size()), t, 6);
    EXPECT_EQ(s1, -1.5f);
    EXPECT_EQ(s2, 0.0f);
    EXPECT_EQ(s3, 2.5f);
    EXPECT_EQ(d, 6.02e23);
    EXPECT_EQ(e, 1e4000L) << "extended precision keeps its range";
    EXPECT_EQ(missing, 0);
}

TEST(LineFieldsTest, TargetTypesLineInputCanFill) {
    for (uint32_t t : {I8, I16, I32, I64, U8, U16, U64, SNG, DBL, EXT, STR}) EXPECT_TRUE(input_target_valid(t)) << t;
    for (uint32_t t : {0u, 24u, 128u, 16u | INPUT_TYPE_FLOAT, 256u}) EXPECT_FALSE(input_target_valid(t)) << t;
}

}  // namespace
