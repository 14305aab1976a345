// A seeded random program of string statements run against a plain
// std::string model: new variables and frees, literals, concatenation, case,
// trims, left/right/mid, data-block temporaries, procedure results,
// assignment, mid-assignment, searches and comparisons, each statement ended
// by the release of its temporaries. After every statement the target's
// value, the temporary mark and the invariants of both spaces are checked;
// every variable is compared with its model regularly. Bursts of large values
// drive the main space to pack and grow; the data-block variables and
// temporaries make the data block pack.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <random>
#include <vector>

#include "runtime/strings/string_ops.h"
#include "tests/strings/strings_fixture.h"

namespace {

// ---- the model: the functions' rules on std::string ------------------------------

std::string m_ucase(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return s;
}
std::string m_lcase(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return s;
}
std::string m_ltrim(const std::string& s) {
    size_t i = s.find_first_not_of(' ');
    return i == std::string::npos ? "" : s.substr(i);
}
std::string m_rtrim(const std::string& s) {
    size_t i = s.find_last_not_of(' ');
    return i == std::string::npos ? "" : s.substr(0, i + 1);
}
int64_t clamp(int64_t v, int64_t lo, int64_t hi) { return std::max(lo, std::min(v, hi)); }
std::string m_left(const std::string& s, int32_t n) { return s.substr(0, clamp(n, 0, s.size())); }
std::string m_right(const std::string& s, int32_t n) {
    int64_t k = clamp(n, 0, s.size());
    return s.substr(s.size() - k);
}
std::string m_mid(const std::string& s, int32_t start, int32_t count, bool given) {
    int64_t first = start;
    int64_t n = given ? count : static_cast<int64_t>(s.size());
    if (first < 1) {
        if (given) n -= 1 - first;
        first = 1;
    }
    if (first > static_cast<int64_t>(s.size())) return "";
    n = std::min<int64_t>(n, static_cast<int64_t>(s.size()) - first + 1);
    return n < 1 ? "" : s.substr(first - 1, n);
}
void m_mid_assign(std::string& dest, int32_t start, int32_t count, std::string source, bool given) {
    int64_t n = given ? count : static_cast<int64_t>(source.size());
    int64_t first = start;
    int64_t skip = 0;
    if (first < 1) {
        skip = 1 - first;
        n -= skip;
        first = 1;
    }
    if (n <= 0 || first > static_cast<int64_t>(dest.size())) return;
    n = std::min<int64_t>({n, static_cast<int64_t>(dest.size()) - first + 1,
                           static_cast<int64_t>(source.size()) - skip});
    if (n > 0) dest.replace(first - 1, n, source.substr(skip, n));
}
int32_t m_instr(int32_t start, const std::string& h, const std::string& n, bool given) {
    int64_t s = given ? start : 1;
    if (h.empty()) return 0;
    if (s <= 0) {
        if (n.empty()) return 0;
        s = 1;
    }
    if (s > static_cast<int64_t>(h.size())) return 0;
    if (n.empty()) return static_cast<int32_t>(s);
    size_t at = h.find(n, s - 1);
    return at == std::string::npos ? 0 : static_cast<int32_t>(at + 1);
}
std::string m_fixed(const std::string& v, size_t length) {
    std::string r = v.substr(0, length);
    r.resize(length, ' ');
    return r;
}

// ---- the program -----------------------------------------------------------------------

struct Value {
    RtString* s;
    std::string m;
};

struct Variable {
    enum Kind { MAIN, BLOCK, FIXED } kind;
    RtString* s;
    std::string m;
};

constexpr int MAIN_VARIABLES = 48;
constexpr int BLOCK_VARIABLES = 16;
constexpr int32_t NORMAL_CAP = 24000;  // values are cut to this except in bursts
constexpr int32_t BLOCK_CAP = 2500;    // the data block holds 64 KB in all: 16 variables
constexpr int32_t BLOCK_TEMP_CAP = 1000;  // and the temporaries of one statement stay well within it

class Program {
public:
    explicit Program(uint32_t seed) : random_(seed) {
        literals_ = {"",          " ",          "  go north  ", "HELLO",      "hello world", "\t tab \t",
                     "NORTH OR SOUTH", "n",     "   ",          "MiXeD CaSe", "x",           "abcabcab"};
        literals_.push_back(std::string("\x80\xff\0z", 4));
        literals_.push_back(std::string(40, 'q') + "  ");
        std::string noise;
        for (int i = 0; i < 300; ++i) noise += static_cast<char>(random_() % 256);
        literals_.push_back(noise);

        for (int i = 0; i < MAIN_VARIABLES; ++i) vars_.push_back({Variable::MAIN, rts_new(0, 0), ""});
        for (int i = 0; i < BLOCK_VARIABLES; ++i) vars_.push_back({Variable::BLOCK, rts_new_in_data_block(0, 0), ""});
        // Fixed-length variables: one inside the data block's unused first bytes, one outside.
        vars_.push_back({Variable::FIXED, rts_wrap_fixed(ConvMemory + CONV_DATA_BLOCK + 32, 40, 0), std::string(40, '\0')});
        vars_.push_back({Variable::FIXED, rts_wrap_fixed(fixed_storage_, 25, 0), std::string(25, '\0')});
    }

    // One statement; returns a description of the first fault, or "".
    std::string step(bool burst) {
        burst_ = burst;
        const uint32_t mark = rts_temp_mark();
        // Data-block variables are targets more often than their share, so the block fills.
        size_t target = pick(3) == 0 ? MAIN_VARIABLES + pick(BLOCK_VARIABLES) : pick(vars_.size());
        Variable& v = vars_[target];
        switch (pick(11)) {
            case 0:
            case 1:
            case 2: assign(v, expression(0)); break;
            case 10: {  // append another variable
                const Variable& other = vars_[pick(vars_.size())];
                std::string tail = other.m;
                assign(v, {rts_concat(v.s, other.s), v.m + tail});
                break;
            }
            case 3: {  // the game's command normalisation
                Value r{rts_ltrim(rts_rtrim(rts_ucase(v.s))), m_ltrim(m_rtrim(m_ucase(v.m)))};
                if (text(r.s) != r.m) return "normalised value differs";
                assign(v, r);
                break;
            }
            case 4: {  // append
                Value tail = expression(1);
                assign(v, {rts_concat(v.s, tail.s), v.m + tail.m});
                break;
            }
            case 5: {
                Value source = pick(4) == 0 ? Value{v.s, v.m} : expression(1);  // sometimes itself
                int32_t start = number(-5, static_cast<int32_t>(v.m.size()) + 3);
                bool given = pick(2) == 0;
                int32_t count = number(-3, 60);
                std::string model_source = source.m;
                rts_mid_assign(v.s, start, count, source.s, given);
                m_mid_assign(v.m, start, count, model_source, given);
                break;
            }
            case 6:
                if (v.kind == Variable::MAIN) {  // a local variable goes, a new one comes
                    rts_free(v.s);
                    v.s = rts_new(0, 0);
                    v.m.clear();
                }
                break;
            case 7: {  // a condition passed through the release
                Value a = expression(1), b = expression(1);
                int32_t expected = a.m == b.m ? -1 : 0;
                if (rts_release_temps(mark, rts_equal(a.s, b.s)) != expected) return "equality differs";
                break;
            }
            case 8: {
                Value h = expression(1), n = expression(2);
                bool given = pick(2) == 0;
                int32_t start = number(-3, static_cast<int32_t>(h.m.size()) + 2);
                if (rts_instr(start, h.s, n.s, given) != m_instr(start, h.m, n.m, given)) return "search differs";
                if ((rts_less(h.s, n.s) != 0) != less_bytes(h.m, n.m)) return "order differs";
                if (text(h.s) != h.m || text(n.s) != n.m) return "search changed its arguments";
                break;
            }
            default:
                if (v.kind == Variable::MAIN && (burst_ || pick(2) == 0)) {  // a large value
                    int32_t n = burst_ ? number(20000, 200000) : number(2000, 20000);
                    assign(v, {rts_concat(rts_space(n), lit(literals_[2])), std::string(n, ' ') + literals_[2]});
                } else {
                    assign(v, expression(0));
                }
        }
        if (error_) return error_;
        if (text(v.s) != v.m) return "the target's value differs";
        rts_release_temps(mark, 0);
        if (rts_temp_mark() != mark) return "the release did not return to the mark";
        std::string fault = string_space_fault();
        if (!fault.empty()) return fault;
        if (rt_control.error_pending.load() != 0) return "an error was raised";
        return "";
    }

    std::string all_values_fault() const {
        for (size_t i = 0; i < vars_.size(); ++i) {
            if (text(vars_[i].s) != vars_[i].m) return "variable " + std::to_string(i) + " differs";
        }
        return "";
    }

private:
    static bool less_bytes(const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<uint8_t>(x) < static_cast<uint8_t>(y);
        });
    }

    size_t pick(size_t n) { return random_() % n; }
    int32_t number(int32_t lo, int32_t hi) { return lo + static_cast<int32_t>(random_() % (hi - lo + 1)); }

    void check(const Value& v, const char* what) {
        if (!error_ && text(v.s) != v.m) error_ = what;
    }

    // Cut an over-long value as a program would, with the left function.
    Value capped(Value v, int32_t cap) {
        if (static_cast<int32_t>(v.m.size()) <= cap) return v;
        return {rts_left(v.s, cap), v.m.substr(0, cap)};
    }

    void assign(Variable& v, Value value) {
        if (v.kind == Variable::BLOCK) value = capped(value, BLOCK_CAP);
        if (v.kind == Variable::MAIN && !burst_) value = capped(value, NORMAL_CAP);
        check(value, "value before assignment");
        rts_assign(v.s, value.s);
        v.m = v.kind == Variable::FIXED ? m_fixed(value.m, v.m.size()) : value.m;
    }

    Value expression(int depth) {
        size_t kind = depth >= 4 ? pick(3) : pick(17);
        Value r{};
        switch (kind) {
            case 0: {
                const std::string& l = literals_[pick(literals_.size())];
                r = {lit(l), l};
                break;
            }
            case 1: {
                const Variable& v = vars_[pick(vars_.size())];
                r = {v.s, v.m};
                break;
            }
            case 2: {
                int32_t n = pick(4) == 0 ? number(0, 1500) : number(-2, 50);
                r = {rts_space(n), std::string(std::max(n, 0), ' ')};
                break;
            }
            case 3:
            case 4: {
                Value a = expression(depth + 1);
                Value b = expression(depth + 1);
                r = capped({rts_concat(a.s, b.s), a.m + b.m}, burst_ ? 300000 : NORMAL_CAP);
                break;
            }
            case 5: {
                Value a = expression(depth + 1);
                r = {rts_ucase(a.s), m_ucase(a.m)};
                break;
            }
            case 6: {
                Value a = expression(depth + 1);
                r = {rts_lcase(a.s), m_lcase(a.m)};
                break;
            }
            case 7: {
                Value a = expression(depth + 1);
                r = {rts_ltrim(a.s), m_ltrim(a.m)};
                break;
            }
            case 8: {
                Value a = expression(depth + 1);
                r = {rts_rtrim(a.s), m_rtrim(a.m)};
                break;
            }
            case 9: {
                Value a = expression(depth + 1);
                int32_t n = number(-3, static_cast<int32_t>(a.m.size()) + 3);
                r = {rts_left(a.s, n), m_left(a.m, n)};
                break;
            }
            case 10: {
                Value a = expression(depth + 1);
                int32_t n = number(-3, static_cast<int32_t>(a.m.size()) + 3);
                r = {rts_right(a.s, n), m_right(a.m, n)};
                break;
            }
            case 11: {
                Value a = expression(depth + 1);
                int32_t start = number(-4, static_cast<int32_t>(a.m.size()) + 3);
                int32_t count = number(-3, static_cast<int32_t>(a.m.size()) + 3);
                bool given = pick(3) != 0;
                r = {rts_mid(a.s, start, count, given), m_mid(a.m, start, count, given)};
                break;
            }
            case 12: {
                int32_t code = number(0, 255);
                r = {rts_chr(code), std::string(1, static_cast<char>(code))};
                break;
            }
            case 13: {
                int32_t n = number(-2, 30);
                int32_t code = number(-300, 600);
                r = {rts_string(n, code), std::string(std::max(n, 0), static_cast<char>(code & 0xFF))};
                break;
            }
            case 14: {  // a temporary in the data block holding a copy
                Value a = capped(expression(depth + 1), BLOCK_TEMP_CAP);
                RtString* t = rts_new_in_data_block(static_cast<uint32_t>(a.m.size()), 1);
                if (a.s->len > 0) std::memcpy(t->data, a.s->data, static_cast<size_t>(a.s->len));
                if (a.s->is_temp) rts_free(a.s);
                r = {t, a.m};
                break;
            }
            case 15: {  // a procedure's result: a new variable made temporary on return
                Value a = expression(depth + 1);
                RtString* result = rts_new(0, 0);
                rts_assign(result, a.s);
                r = {rts_make_temp(result), a.m};
                break;
            }
            default: {
                Value a = expression(depth + 1);
                r = {rts_ltrim(rts_rtrim(rts_ucase(a.s))), m_ltrim(m_rtrim(m_ucase(a.m)))};
            }
        }
        check(r, "an expression's value");
        return r;
    }

    std::mt19937 random_;
    std::vector<std::string> literals_;
    std::vector<Variable> vars_;
    char fixed_storage_[25] = {};
    bool burst_ = false;
    const char* error_ = nullptr;
};

using Differential = StringsTest;

TEST_F(Differential, RandomStatementsMatchAStdStringModel) {
    const MainStringSpace& main = rts_main_space();
    const DataBlockSpace& block = rts_data_block();
    const uint64_t main_compactions = main.compactions;
    const uint64_t block_compactions = block.compactions;
    const uint64_t initial_size = main.size;

    Program program(20261211);
    constexpr int STEPS = 60000;
    for (int i = 0; i < STEPS; ++i) {
        bool burst = (i >= 30000 && i < 30300) || (i >= 45000 && i < 45300);
        std::string fault = program.step(burst);
        ASSERT_EQ(fault, "") << "statement " << i;
        if (i % 64 == 0) {
            ASSERT_EQ(program.all_values_fault(), "") << "statement " << i;
        }
    }
    EXPECT_EQ(program.all_values_fault(), "");
    std::printf("main: %llu packings, %llu enlargements, size %llu; data block: %llu packings\n",
                static_cast<unsigned long long>(main.compactions - main_compactions),
                static_cast<unsigned long long>(main.enlargements), static_cast<unsigned long long>(main.size),
                static_cast<unsigned long long>(block.compactions - block_compactions));
    // The run must have exercised packing and growth.
    EXPECT_GT(main.compactions, main_compactions + 10);
    EXPECT_GT(main.enlargements, 0u);
    EXPECT_GT(main.size, initial_size);
    EXPECT_GT(block.compactions, block_compactions + 10);
}

}  // namespace
