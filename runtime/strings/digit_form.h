// The digit form of a number, handed from the formatted print's converters to
// its layout engine: value = (-1 if negative) x digits x 10^exponent, the
// digits read as one decimal integer. Trailing zero digits may be left off.
#pragma once
#include <cstdint>

struct DigitForm {
    char* digits;      // ASCII decimal digits (work storage of the strings subsystem)
    int32_t count;     // how many
    int32_t exponent;  // count + exponent digits stand before the decimal point
    bool negative;
};

// From the C runtime's "% .255E" text of value: the sign, then the digits of
// the mantissa with the exponent lowered for each one after the point, plus
// the printed exponent. False when the text has not that shape (infinities, NaN).
bool digit_form_from_c_text(double value, DigitForm* form);

// The same digits computed directly from the binary value (exact, so equal to
// the C runtime's once trailing zeros are set aside). False for values it
// does not handle (not finite, or exponents beyond 128-bit arithmetic); the
// caller then uses digit_form_from_c_text.
bool digit_form_exact(double value, DigitForm* form);
