// The formatted print's digit forms: the exact digits computed from the
// binary value must equal those of the C runtime's "% .255E" text for every
// value the exact path accepts.
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "runtime/strings/digit_form.h"

namespace {

// Digits without trailing zeros, and count + exponent (the digits before the point).
struct Normal {
    std::string digits;
    int64_t point;
    bool negative;
    bool operator==(const Normal&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Normal& n) {
    return out << (n.negative ? "-" : "+") << n.digits << " point " << n.point;
}

Normal normal(const DigitForm& f) {
    std::string d(f.digits, static_cast<size_t>(f.count));
    int64_t point = static_cast<int64_t>(f.count) + f.exponent;
    size_t first = d.find_first_not_of('0');
    if (first == std::string::npos) return {"0", 1, f.negative};  // zero, however written
    d.erase(d.find_last_not_of('0') + 1);
    return {d, point, f.negative};
}

void expect_same_digits(double v) {
    DigitForm exact{}, c_text{};
    if (!digit_form_exact(v, &exact)) return;
    ASSERT_TRUE(digit_form_from_c_text(v, &c_text)) << v;
    Normal a = normal(exact);
    ASSERT_EQ(a, normal(c_text)) << std::hexfloat << v;
    if (v != 0) {
        ASSERT_NE(exact.digits[0], '0') << "the first digit is significant";
    }
}

TEST(DigitForm, ExactDigitsEqualTheCRuntimesForChosenValues) {
    const double values[] = {0.0,   -0.0,  1.0,     -1.0,   0.5,    0.1,    59.123f, 4.0f,      1e22,
                             1e-22, 2e-22, 1.5e-21, 123.456, 1e18,  9.999e37, 2.675, 0.005, 1.0 / 3,
                             std::ldexp(1.0, 74), std::ldexp(1.0, 75), std::ldexp(1.0, -124),
                             std::ldexp(3.0, -126), std::numeric_limits<float>::max(),
                             std::numeric_limits<float>::min()};
    for (double v : values) expect_same_digits(v);
}

TEST(DigitForm, ExactDigitsEqualTheCRuntimesForRandomValues) {
    std::mt19937_64 random(31337);
    std::uniform_int_distribution<int> exponent(-130, 130);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    for (int i = 0; i < 20000; ++i) {
        expect_same_digits(std::ldexp(mantissa(random), exponent(random)));
        expect_same_digits(static_cast<float>(std::ldexp(mantissa(random), exponent(random) / 2)));
    }
}

TEST(DigitForm, TheExactPathCoversTheGameAndLeavesTheRestToTheCRuntime) {
    DigitForm f{};
    EXPECT_TRUE(digit_form_exact(59.123f, &f));
    EXPECT_TRUE(digit_form_exact(600.0f, &f));
    EXPECT_FALSE(digit_form_exact(1e300, &f));
    EXPECT_FALSE(digit_form_exact(1e-300, &f));
    EXPECT_FALSE(digit_form_exact(std::numeric_limits<double>::infinity(), &f));
    EXPECT_FALSE(digit_form_from_c_text(std::numeric_limits<double>::quiet_NaN(), &f));
    ASSERT_TRUE(digit_form_from_c_text(1e300, &f));
    EXPECT_EQ(f.count, 256);
    EXPECT_EQ(f.count + f.exponent, 301);
}

}  // namespace
