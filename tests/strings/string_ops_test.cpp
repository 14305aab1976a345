// The string functions: the result rule (edit a reusable temporary in place,
// return an unchanged argument itself, else a new temporary and free a
// temporary argument), the values of each function with clamped counts and
// starts, the error-5 cases, searching, ordering and the fixed-field copies.
#include <climits>
#include <functional>

#include "runtime/strings/string_ops.h"
#include "tests/strings/strings_fixture.h"

namespace {

using StringOps = StringsTest;
using Op = std::function<RtString*(RtString*)>;

struct ValueCase {
    const char* name;
    Op op;
    std::string input;
    std::string expected;
};

std::vector<ValueCase> value_cases() {
    using namespace std::string_literals;
    auto left = [](int32_t n) { return [n](RtString* s) { return rts_left(s, n); }; };
    auto right = [](int32_t n) { return [n](RtString* s) { return rts_right(s, n); }; };
    auto mid = [](int32_t start, int32_t count) { return [=](RtString* s) { return rts_mid(s, start, count, 1); }; };
    auto mid_from = [](int32_t start) { return [=](RtString* s) { return rts_mid(s, start, 0, 0); }; };
    return {
        {"ucase", rts_ucase, "abc xyz", "ABC XYZ"},
        {"ucase", rts_ucase, "ABC", "ABC"},
        {"ucase", rts_ucase, "`az{@AZ[", "`AZ{@AZ["},  // only bytes 97 to 122 change
        {"ucase", rts_ucase, "\xe9t\xe9", "\xe9T\xe9"},
        {"ucase", rts_ucase, "", ""},
        {"lcase", rts_lcase, "ABC xyz", "abc xyz"},
        {"lcase", rts_lcase, "@AZ[\xc9", "@az[\xc9"},
        {"ltrim", rts_ltrim, "  a b  ", "a b  "},
        {"ltrim", rts_ltrim, "    ", ""},
        {"ltrim", rts_ltrim, "\ta", "\ta"},
        {"ltrim", rts_ltrim, "", ""},
        {"rtrim", rts_rtrim, "  a b  ", "  a b"},
        {"rtrim", rts_rtrim, "   ", ""},
        {"rtrim", rts_rtrim, "a\t", "a\t"},
        {"rtrim", rts_rtrim, "a\0 "s, "a\0"s},
        {"left 2", left(2), "hello", "he"},
        {"left -3", left(-3), "hello", ""},
        {"left 0", left(0), "hello", ""},
        {"left 99", left(99), "hello", "hello"},
        {"right 2", right(2), "hello", "lo"},
        {"right -1", right(-1), "hello", ""},
        {"right 99", right(99), "hello", "hello"},
        {"mid 2,3", mid(2, 3), "hello", "ell"},
        {"mid 0,3", mid(0, 3), "hello", "he"},  // a start below 1 shortens the count
        {"mid -1,3", mid(-1, 3), "hello", "h"},
        {"mid -5,3", mid(-5, 3), "hello", ""},
        {"mid 4,10", mid(4, 10), "hello", "lo"},
        {"mid 5,1", mid(5, 1), "hello", "o"},
        {"mid 6,1", mid(6, 1), "hello", ""},
        {"mid 2,0", mid(2, 0), "hello", ""},
        {"mid 2,-1", mid(2, -1), "hello", ""},
        {"mid 1,5", mid(1, 5), "hello", "hello"},
        {"mid min,max", mid(INT_MIN, INT_MAX), "hello", ""},
        {"mid 2,max", mid(2, INT_MAX), "hello", "ello"},
        {"mid from 3", mid_from(3), "hello", "llo"},
        {"mid from 0", mid_from(0), "hello", "hello"},
        {"mid from -9", mid_from(-9), "hello", "hello"},
        {"mid from 6", mid_from(6), "hello", ""},
        {"mid from max", mid_from(INT_MAX), "hello", ""},
    };
}

// The same value whatever kind of string the argument is; a variable is
// never changed; every temporary is gone after the statement's release.
TEST_F(StringOps, FunctionsGiveTheSameValueForVariablesLiteralsAndTemporaries) {
    for (const ValueCase& c : value_cases()) {
        SCOPED_TRACE(std::string(c.name) + " of [" + c.input + "]");
        uint32_t mark = rts_temp_mark();
        RtString* v = var(c.input);
        EXPECT_EQ(text(c.op(v)), c.expected) << "variable";
        EXPECT_EQ(text(v), c.input);
        EXPECT_EQ(text(c.op(lit(c.input))), c.expected) << "literal";
        EXPECT_EQ(text(c.op(temp(c.input))), c.expected) << "temporary";
        EXPECT_EQ(text(c.op(block_var(c.input))), c.expected) << "data-block variable";
        rts_release_temps(mark, 0);
        EXPECT_EQ(rts_temp_mark(), mark);
        EXPECT_EQ(string_space_fault(), "");
    }
}

// Result rule 1: a reusable temporary is edited in place; no bytes are used.
TEST_F(StringOps, AReusableTemporaryIsEditedInPlace) {
    for (const ValueCase& c : value_cases()) {
        SCOPED_TRACE(std::string(c.name) + " of [" + c.input + "]");
        RtString* t = temp(c.input);
        uint64_t used = rts_main_space().used;
        EXPECT_EQ(c.op(t), t);
        EXPECT_EQ(text(t), c.expected);
        EXPECT_EQ(rts_main_space().used, used);
    }
}

// Result rule 2: an unchanged value is the argument itself, of any kind.
TEST_F(StringOps, AnUnchangedValueIsTheArgumentItself) {
    for (const ValueCase& c : value_cases()) {
        if (c.expected != c.input) continue;
        SCOPED_TRACE(std::string(c.name) + " of [" + c.input + "]");
        RtString* v = var(c.input);
        RtString* l = lit(c.input);
        uint64_t used = rts_main_space().used;
        EXPECT_EQ(c.op(v), v);
        EXPECT_EQ(c.op(l), l);
        EXPECT_EQ(rts_main_space().used, used);
    }
}

// Result rule 3: a changed value of a non-reusable argument is a new
// temporary; a temporary argument (a literal) is freed, a variable is not.
TEST_F(StringOps, AChangedValueIsANewTemporaryAndATemporaryArgumentIsFreed) {
    for (const ValueCase& c : value_cases()) {
        if (c.expected == c.input) continue;
        SCOPED_TRACE(std::string(c.name) + " of [" + c.input + "]");
        RtString* v = var(c.input);
        RtString* r = c.op(v);
        EXPECT_NE(r, v);
        EXPECT_TRUE(rts_is_reusable_temp(r));
        EXPECT_FALSE(v->is_temp);

        uint32_t mark = rts_temp_mark();
        RtString* l = lit(c.input);
        r = c.op(l);
        EXPECT_NE(r, l);
        EXPECT_EQ(rts_descriptor_pool().free_stack[rts_descriptor_pool().free_count - 1], l);
        EXPECT_EQ(rts_temp_mark(), mark + 2) << "the literal's entry is free, the result's follows it";
    }
}

TEST_F(StringOps, NestedTrimsOfAnUpperCasedCommandAllocateOnce) {
    RtString* command = var("  go north  ");
    uint32_t mark = rts_temp_mark();
    uint64_t used = rts_main_space().used;
    rts_assign(command, rts_ltrim(rts_rtrim(rts_ucase(command))));
    EXPECT_EQ(text(command), "GO NORTH");
    EXPECT_EQ(rts_main_space().used, used + 12 + 32);  // one new temporary, taken over
    EXPECT_EQ(rts_temp_mark(), mark);
}

TEST_F(StringOps, AnUpperCaseVariableAssignedBackToItselfIsUnchanged) {
    RtString* v = var("NORTH");
    uint8_t* place = v->data;
    rts_assign(v, rts_ucase(v));
    EXPECT_EQ(text(v), "NORTH");
    EXPECT_EQ(v->data, place);
}

TEST_F(StringOps, ConcatenationReturnsANonEmptyOperandWhenTheOtherIsEmpty) {
    uint32_t mark = rts_temp_mark();
    RtString* empty = temp("");
    RtString* v = var("abc");
    EXPECT_EQ(rts_concat(empty, v), v);
    EXPECT_EQ(rts_concat(v, empty), v);
    EXPECT_TRUE(empty->is_temp) << "the empty temporary waits for the release";
    EXPECT_EQ(empty->temp_index, static_cast<int32_t>(mark));
    RtString* e2 = lit("");
    EXPECT_EQ(rts_concat(e2, empty), e2);
}

TEST_F(StringOps, ConcatenationCopiesBothAndFreesTemporaryOperands) {
    uint32_t mark = rts_temp_mark();
    RtString* v = var("left");
    RtString* r = rts_concat(v, lit(" right"));
    EXPECT_EQ(text(r), "left right");
    EXPECT_EQ(text(v), "left");
    EXPECT_EQ(rts_temp_mark(), mark + 2);  // the literal's entry is free, the result stands behind it
    RtString* twice = rts_concat(r, r);    // one temporary on both sides
    EXPECT_EQ(text(twice), "left rightleft right");
    RtString* bytes = rts_concat(lit(std::string("\0\xff", 2)), v);
    EXPECT_EQ(text(bytes), std::string("\0\xff", 2) + "left");
    rts_release_temps(mark, 0);
    EXPECT_EQ(rts_temp_mark(), mark);
}

// ---- mid-assignment ----------------------------------------------------------------

TEST_F(StringOps, MidAssignmentOverwritesWithoutChangingTheLength) {
    struct Case {
        int32_t start;
        const char* source;
        int32_t count;  // -99: not given
        const char* expected;
    };
    const Case cases[] = {
        {1, "J", -99, "JELLO WORLD"},
        {7, "EARTHLING", -99, "HELLO EARTH"},  // cut at the destination's end
        {3, "xyz", 2, "HExyO WORLD"},
        {0, "abc", -99, "bcLLO WORLD"},  // a start below 1 skips source bytes
        {-1, "abc", -99, "cELLO WORLD"},
        {-5, "abc", -99, "HELLO WORLD"},
        {12, "x", -99, "HELLO WORLD"},  // start beyond the end
        {11, "xyz", -99, "HELLO WORLx"},
        {2, "abc", 0, "HELLO WORLD"},
        {2, "abc", -1, "HELLO WORLD"},
        {2, "abc", 99, "HabcO WORLD"},  // cut to the source
        {2, "", -99, "HELLO WORLD"},
        {INT_MIN, "abc", INT_MAX, "HELLO WORLD"},
    };
    for (const Case& c : cases) {
        RtString* dest = var("HELLO WORLD");
        uint8_t* place = dest->data;
        bool given = c.count != -99;
        rts_mid_assign(dest, c.start, given ? c.count : 0, lit(c.source), given);
        EXPECT_EQ(text(dest), c.expected) << c.start << " " << c.source << " " << c.count;
        EXPECT_EQ(dest->data, place);
    }
}

TEST_F(StringOps, MidAssignmentOfAStringIntoItselfToleratesOverlap) {
    RtString* v = var("ABCDEFGH");
    rts_mid_assign(v, 3, 0, v, 0);
    EXPECT_EQ(text(v), "ABABCDEF");
    rts_mid_assign(v, 1, 0, v, 0);
    EXPECT_EQ(text(v), "ABABCDEF");
    rts_mid_assign(v, -2, 0, v, 0);  // skips 3 source bytes: "BCDEF" at 1
    EXPECT_EQ(text(v), "BCDEFDEF");
}

TEST_F(StringOps, MidAssignmentDoesNothingOnAnErrorTheSharedEmptyStringOrALiteral) {
    RtString* v = var("HELLO");
    rt_error(5);
    rts_mid_assign(v, 1, 0, lit("J"), 0);
    EXPECT_EQ(text(v), "HELLO");
    EXPECT_EQ(take_error(), 5);

    rts_mid_assign(rts_empty_string, 1, 0, lit("J"), 0);
    EXPECT_EQ(rts_empty_string->len, 0);

    static const char original[] = "READ";
    rts_mid_assign(rts_from_literal(original, 4), 1, 0, lit("J"), 0);
    EXPECT_STREQ(original, "READ");
}

TEST_F(StringOps, MidAssignmentKeepsATemporarySourceAndWritesFixedAndDataBlockStrings) {
    RtString* source = temp("xy");
    char storage[5] = "abcd";
    RtString* fixed = rts_wrap_fixed(storage, 4, 0);
    rts_mid_assign(fixed, 3, 0, source, 0);
    EXPECT_STREQ(storage, "abxy");
    EXPECT_EQ(text(source), "xy");
    EXPECT_TRUE(source->is_temp);

    RtString* block = block_var("12345");
    rts_mid_assign(block, 4, 0, source, 0);
    EXPECT_EQ(text(block), "123xy");
    EXPECT_EQ(rts_dos_length(block->dos_descriptor), 5);
}

// ---- fills and character codes ---------------------------------------------------------

TEST_F(StringOps, FillsAndCharactersClampOrRaiseError5) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::function<RtString*()> make;
        std::string expected;
        int32_t error;
    };
    const Case cases[] = {
        {"space 3", [] { return rts_space(3); }, "   ", 0},
        {"space 0", [] { return rts_space(0); }, "", 0},
        {"space -5", [] { return rts_space(-5); }, "", 0},
        {"string 3,65", [] { return rts_string(3, 65); }, "AAA", 0},
        {"string 2,322", [] { return rts_string(2, 256 + 66); }, "BB", 0},
        {"string 2,-1", [] { return rts_string(2, -1); }, "\xff\xff", 0},
        {"string -2,65", [] { return rts_string(-2, 65); }, "", 0},
        {"chr 65", [] { return rts_chr(65); }, "A", 0},
        {"chr 0", [] { return rts_chr(0); }, "\0"s, 0},
        {"chr 255", [] { return rts_chr(255); }, "\xff", 0},
        {"chr 256", [] { return rts_chr(256); }, "", 5},
        {"chr -1", [] { return rts_chr(-1); }, "", 5},
    };
    for (const Case& c : cases) {
        RtString* s = c.make();
        EXPECT_EQ(text(s), c.expected) << c.name;
        EXPECT_TRUE(rts_is_reusable_temp(s)) << c.name;
        EXPECT_EQ(take_error(), c.error) << c.name;
    }
}

TEST_F(StringOps, CharacterCodesAndLengths) {
    struct Case {
        std::string s;
        int32_t position;  // INT_MIN: rts_asc
        int32_t code;
        int32_t error;
    };
    const Case cases[] = {
        {"A", INT_MIN, 65, 0}, {"\xff", INT_MIN, 255, 0}, {"", INT_MIN, 0, 5},
        {"abc", 2, 98, 0},     {"abc", 3, 99, 0},          {"abc", 0, 0, 5},
        {"abc", -1, 0, 5},     {"abc", 4, 0, 5},           {"", 1, 0, 5},
    };
    for (const Case& c : cases) {
        RtString* s = temp(c.s);
        int32_t code = c.position == INT_MIN ? rts_asc(s) : rts_asc_at(s, c.position);
        EXPECT_EQ(code, c.code) << c.s << " " << c.position;
        EXPECT_EQ(take_error(), c.error) << c.s << " " << c.position;
        EXPECT_TRUE(s->is_temp) << "not freed";
        EXPECT_EQ(rts_len(s), static_cast<int32_t>(c.s.size()));
    }
}

// ---- searching and comparing ---------------------------------------------------------------

TEST_F(StringOps, SearchFindsTheFirstWholeMatchFromTheStart) {
    using namespace std::string_literals;
    struct Case {
        int32_t start;  // INT_MIN: not given
        std::string haystack;
        std::string needle;
        int32_t expected;
    };
    const Case cases[] = {
        {INT_MIN, "NORTH OR SOUTH", "NORTH", 1},
        {INT_MIN, "NORTH OR SOUTH", "SOUTH", 10},
        {INT_MIN, "NORTH OR SOUTH", "EAST", 0},
        {INT_MIN, "abc", "abcd", 0},  // needle longer than the haystack
        {3, "abcde", "", 3},
        {0, "abcde", "", 0},
        {INT_MIN, "abcde", "", 1},
        {6, "abcde", "", 0},
        {-7, "abcab", "ab", 1},  // searched from the first byte
        {2, "abcab", "ab", 4},
        {5, "abcab", "ab", 0},  // the needle no longer fits
        {5, "abcab", "b", 5},
        {6, "abcab", "b", 0},
        {INT_MIN, "", "", 0},
        {INT_MIN, "", "a", 0},
        {INT_MIN, "aaab", "aab", 2},  // a partial match, then further on
        {INT_MIN, "abc", "ABC", 0},   // case matters
        {INT_MIN, "x\0y"s, "\0y"s, 2},
        {INT_MIN, "ab\xff", "\xff", 3},
        {INT_MAX, "abc", "c", 0},
    };
    for (const Case& c : cases) {
        RtString* h = temp(c.haystack);
        RtString* n = temp(c.needle);
        bool given = c.start != INT_MIN;
        EXPECT_EQ(rts_instr(given ? c.start : 0, h, n, given), c.expected)
            << c.start << " [" << c.haystack << "] [" << c.needle << "]";
        EXPECT_TRUE(h->is_temp && n->is_temp) << "arguments are not freed";
    }
}

TEST_F(StringOps, ComparisonsOrderByUnsignedBytesThenLength) {
    using namespace std::string_literals;
    struct Case {
        std::string a, b;
        int order;  // -1 a < b, 0 equal, 1 a > b
    };
    const Case cases[] = {
        {"N", "NORTH", -1},  // a proper prefix is smaller
        {"", "", 0},
        {"", "a", -1},
        {"abc", "abd", -1},
        {"abc", "abc", 0},
        {"\x80", "z", 1},  // bytes above 127 order above ASCII
        {"ab", "a", 1},
        {"a\0"s, "a", 1},
        {"B", "a", -1},
    };
    for (const Case& c : cases) {
        RtString* a = temp(c.a);
        RtString* b = lit(c.b);
        auto t = [](bool v) { return v ? -1 : 0; };
        EXPECT_EQ(rts_equal(a, b), t(c.order == 0)) << c.a << " " << c.b;
        EXPECT_EQ(rts_not_equal(a, b), t(c.order != 0)) << c.a << " " << c.b;
        EXPECT_EQ(rts_less(a, b), t(c.order < 0)) << c.a << " " << c.b;
        EXPECT_EQ(rts_greater(a, b), t(c.order > 0)) << c.a << " " << c.b;
        EXPECT_EQ(rts_less_equal(a, b), t(c.order <= 0)) << c.a << " " << c.b;
        EXPECT_EQ(rts_greater_equal(a, b), t(c.order >= 0)) << c.a << " " << c.b;
    }
}

// ---- fixed-field copies ------------------------------------------------------------------

TEST_F(StringOps, LsetAndRsetAlignInTheFixedLengthAndCutOnTheRight) {
    struct Case {
        bool right;
        const char* source;
        const char* stored;
    };
    const Case cases[] = {
        {false, "AB", "AB   "}, {false, "ABCDEFG", "ABCDE"}, {false, "", "     "},
        {true, "AB", "   AB"},  {true, "ABCDEFG", "ABCDE"},  {true, "", "     "},
    };
    for (const Case& c : cases) {
        char storage[7] = "######";
        RtString* f = rts_wrap_fixed(storage, 5, 0);
        (c.right ? rts_rset : rts_lset)(f, lit(c.source));
        EXPECT_STREQ(storage, (std::string(c.stored) + "#").c_str()) << c.right << " " << c.source;
    }
    char storage[6] = "#####";
    RtString* f = rts_wrap_fixed(storage, 5, 0);
    rt_error(13);
    rts_lset(f, lit("AB"));
    rts_rset(f, lit("AB"));
    EXPECT_STREQ(storage, "#####");
    EXPECT_EQ(take_error(), 13);
}

}  // namespace
