// The byte-packing family: exact little-endian bytes of every integer width,
// single, double and extended, bit-fields masked and sign-extended, the
// legacy excess-128 floating-point format, and error 5 on short strings.
#include <cmath>
#include <functional>
#include <limits>
#include <random>

#include "runtime/strings/string_ops.h"
#include "tests/strings/strings_fixture.h"

namespace {

using BytePack = StringsTest;

std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += static_cast<char>(b);
    return s;
}

TEST_F(BytePack, NumbersBecomeTheirLittleEndianBytes) {
    struct Case {
        const char* name;
        std::function<RtString*()> make;
        std::string expected;
    };
    const Case cases[] = {
        {"int8 -128", [] { return rts_mk_int8(-128); }, bytes({0x80})},
        {"uint8 200", [] { return rts_mk_uint8(200); }, bytes({200})},
        {"int16 -2", [] { return rts_mk_int16(-2); }, bytes({0xFE, 0xFF})},
        {"uint16 0x1234", [] { return rts_mk_uint16(0x1234); }, bytes({0x34, 0x12})},
        {"int32 -1", [] { return rts_mk_int32(-1); }, bytes({0xFF, 0xFF, 0xFF, 0xFF})},
        {"uint32 0x12345678", [] { return rts_mk_uint32(0x12345678u); }, bytes({0x78, 0x56, 0x34, 0x12})},
        {"int64 min", [] { return rts_mk_int64(std::numeric_limits<int64_t>::min()); },
         bytes({0, 0, 0, 0, 0, 0, 0, 0x80})},
        {"uint64", [] { return rts_mk_uint64(0x0102030405060708ull); },
         bytes({8, 7, 6, 5, 4, 3, 2, 1})},
        {"single 1", [] { return rts_mk_single(1.0f); }, bytes({0, 0, 0x80, 0x3F})},
        {"double -2", [] { return rts_mk_double(-2.0); }, bytes({0, 0, 0, 0, 0, 0, 0, 0xC0})},
        {"bits -1 in 3", [] { return rts_mk_bits(-1, 3); }, bytes({0x07})},
        {"bits 0x3FF in 9", [] { return rts_mk_bits(0x3FF, 9); }, bytes({0xFF, 0x01})},
        {"ubits in 64", [] { return rts_mk_ubits(~0ull, 64); }, std::string(8, '\xff')},
        {"ubits 1 in 1", [] { return rts_mk_ubits(3, 1); }, bytes({0x01})},
    };
    for (const Case& c : cases) {
        RtString* s = c.make();
        EXPECT_EQ(text(s), c.expected) << c.name;
        EXPECT_TRUE(rts_is_reusable_temp(s)) << c.name;
    }
}

TEST_F(BytePack, BytesBecomeNumbersAgain) {
    RtString* s = temp(bytes({0xFE, 0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x03, 0x04, 0x99}));  // a longer string: first bytes count
    EXPECT_EQ(rts_cv_int8(s), -2);
    EXPECT_EQ(rts_cv_uint8(s), 0xFE);
    EXPECT_EQ(rts_cv_int16(s), -2);
    EXPECT_EQ(rts_cv_uint16(s), 0xFFFE);
    EXPECT_EQ(rts_cv_int32(s), -2);
    EXPECT_EQ(rts_cv_uint32(s), 0xFFFFFFFEu);
    EXPECT_EQ(rts_cv_uint64(s), 0x04030201FFFFFFFEull);
    EXPECT_EQ(rts_cv_int64(s), 0x04030201FFFFFFFEll);
    EXPECT_EQ(take_error(), 0);
    EXPECT_EQ(rts_cv_single(rts_mk_single(-3.25f)), -3.25f);
    EXPECT_EQ(rts_cv_double(rts_mk_double(0.1)), 0.1);
    EXPECT_TRUE(s->is_temp) << "arguments are not freed";
}

TEST_F(BytePack, BitFieldsAreMaskedAndSignedOnesSignExtended) {
    struct Case {
        int bits;
        std::string s;
        int64_t signed_value;
        uint64_t unsigned_value;
    };
    const Case cases[] = {
        {3, bytes({0x07}), -1, 7},
        {3, bytes({0x03}), 3, 3},
        {3, bytes({0x04}), -4, 4},
        {3, bytes({0xFC}), -4, 4},  // bits above the field are ignored
        {9, bytes({0xFF, 0x01}), -1, 511},
        {16, bytes({0x00, 0x80}), -32768, 32768},
        {64, std::string(8, '\xff'), -1, ~0ull},
        {1, bytes({0x01}), -1, 1},
    };
    for (const Case& c : cases) {
        RtString* s = temp(c.s);
        EXPECT_EQ(rts_cv_bits(s, c.bits), c.signed_value) << c.bits;
        EXPECT_EQ(rts_cv_ubits(s, c.bits), c.unsigned_value) << c.bits;
        EXPECT_EQ(text(rts_mk_bits(c.signed_value, c.bits)), text(rts_mk_ubits(c.unsigned_value, c.bits)));
    }
    EXPECT_EQ(take_error(), 0);
}

TEST_F(BytePack, ExtendedValuesTake32BytesWithZerosBehindTheValue) {
    RtString* s = rts_mk_extended(1.0L);
    ASSERT_EQ(s->len, 32);
    // x87 1.0: mantissa 0x8000000000000000, exponent 0x3FFF.
    EXPECT_EQ(text(s), bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}) + std::string(22, '\0'));
    EXPECT_EQ(rts_cv_extended(s), 1.0L);
    EXPECT_EQ(rts_cv_extended(rts_mk_extended(-1.0L / 3)), -1.0L / 3);
}

TEST_F(BytePack, ShortStringsAndBadWidthsRaiseError5AndGiveZero) {
    struct Case {
        const char* name;
        std::function<long double(RtString*)> read;
        int needed;
    };
    const Case cases[] = {
        {"int8", [](RtString* s) { return rts_cv_int8(s); }, 1},
        {"int16", [](RtString* s) { return rts_cv_int16(s); }, 2},
        {"uint32", [](RtString* s) { return rts_cv_uint32(s); }, 4},
        {"int64", [](RtString* s) { return rts_cv_int64(s); }, 8},
        {"single", [](RtString* s) { return rts_cv_single(s); }, 4},
        {"double", [](RtString* s) { return rts_cv_double(s); }, 8},
        {"extended", [](RtString* s) { return rts_cv_extended(s); }, 32},
        {"bits 9", [](RtString* s) { return rts_cv_bits(s, 9); }, 2},
        {"mbf single", [](RtString* s) { return rts_cv_mbf_single(s); }, 4},
        {"mbf double", [](RtString* s) { return rts_cv_mbf_double(s); }, 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.read(temp(std::string(c.needed - 1, '\x11'))), 0) << c.name;
        EXPECT_EQ(take_error(), 5) << c.name;
        c.read(temp(std::string(c.needed, '\x11')));
        EXPECT_EQ(take_error(), 0) << c.name;
    }
    for (int bits : {0, -1, 65}) {
        EXPECT_EQ(rts_mk_bits(1, bits)->len, 0) << bits;
        EXPECT_EQ(take_error(), 5);
        EXPECT_EQ(rts_cv_ubits(temp(std::string(9, '\x11')), bits), 0u) << bits;
        EXPECT_EQ(take_error(), 5);
    }
}

// ---- legacy floating-point format ------------------------------------------------------

TEST_F(BytePack, LegacyFormatHasAnExcess128ExponentByteAndTheSignAboveTheMantissa) {
    struct Case {
        double value;
        std::string single_bytes;
    };
    const Case cases[] = {
        {1.0, bytes({0, 0, 0, 0x81})},
        {-1.0, bytes({0, 0, 0x80, 0x81})},
        {0.5, bytes({0, 0, 0, 0x80})},
        {10.0, bytes({0, 0, 0x20, 0x84})},
        {0.0, bytes({0, 0, 0, 0})},
        {-0.75, bytes({0, 0, 0xC0, 0x80})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text(rts_mk_mbf_single(static_cast<float>(c.value))), c.single_bytes) << c.value;
        // The double form has the same exponent byte and 32 more mantissa bits.
        std::string d = std::string(4, '\0') + c.single_bytes;
        EXPECT_EQ(text(rts_mk_mbf_double(c.value)), d) << c.value;
        EXPECT_EQ(rts_cv_mbf_single(temp(c.single_bytes)), static_cast<float>(c.value));
        EXPECT_EQ(rts_cv_mbf_double(temp(d)), c.value);
    }
    EXPECT_EQ(take_error(), 0);
}

TEST_F(BytePack, LegacyFormatRoundTripsExactlyWhereTheExponentFits) {
    std::mt19937_64 random(20261211);
    std::uniform_real_distribution<double> exponent(-100, 100);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    for (int i = 0; i < 2000; ++i) {
        uint32_t mark = rts_temp_mark();
        double d = std::ldexp(mantissa(random), static_cast<int>(exponent(random)));
        float f = static_cast<float>(d);
        ASSERT_EQ(rts_cv_mbf_double(rts_mk_mbf_double(d)), d);
        ASSERT_EQ(rts_cv_mbf_single(rts_mk_mbf_single(f)), f);
        rts_release_temps(mark, 0);
    }
    EXPECT_EQ(take_error(), 0);
}

TEST_F(BytePack, LegacyFormatRefusesValuesOutsideItsExponentRange) {
    const double refused[] = {1e39, -1e39, 1e-40, std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN()};
    for (double v : refused) {
        EXPECT_EQ(rts_mk_mbf_double(v)->len, 0) << v;
        EXPECT_EQ(take_error(), 5) << v;
    }
    EXPECT_EQ(rts_mk_mbf_single(std::numeric_limits<float>::max())->len, 0);  // 2^128 needs exponent byte 256
    EXPECT_EQ(take_error(), 5);
    EXPECT_EQ(rts_mk_mbf_single(std::ldexp(1.0f, 126))->len, 4);
    EXPECT_EQ(take_error(), 0);
}

}  // namespace
