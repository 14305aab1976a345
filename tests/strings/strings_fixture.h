// Shared set-up of the strings tests: a zeroed ConvMemory, fresh string
// spaces, no pending error; helpers to make and read strings; and the
// invariant check of both string spaces and the temporary list.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/core/control.h"
#include "runtime/core/conv_memory.h"
#include "runtime/core/errors.h"
#include "runtime/strings/rt_string.h"
#include "runtime/strings/string_space.h"

inline std::string text(const RtString* s) {
    return s->len > 0 ? std::string(reinterpret_cast<const char*>(s->data), static_cast<size_t>(s->len))
                      : std::string();
}

// A literal temporary; the text must outlive the statement.
inline RtString* lit(const std::string& t) { return rts_from_literal(t.data(), static_cast<int32_t>(t.size())); }
inline RtString* lit(const char* t) { return rts_from_cstring(t); }

// A new temporary of the main space holding t (a reusable temporary).
inline RtString* temp(const std::string& t) {
    RtString* s = rts_new(static_cast<uint32_t>(t.size()), 1);
    if (!t.empty()) std::memcpy(s->data, t.data(), t.size());
    return s;
}

// A string variable of the main space holding t, placed at used.
inline RtString* placed(const std::string& t) {
    RtString* s = rts_new(static_cast<uint32_t>(t.size()), 0);
    if (!t.empty()) std::memcpy(s->data, t.data(), t.size());
    return s;
}

// A string variable of the main space holding t, made as the program makes
// one: created empty, then assigned.
inline RtString* var(const std::string& t) {
    RtString* s = rts_new(0, 0);
    rts_assign(s, temp(t));
    return s;
}

// A string variable of the data block holding t.
inline RtString* block_var(const std::string& t) {
    RtString* s = rts_new_in_data_block(0, 0);
    rts_assign(s, temp(t));
    return s;
}

inline int32_t take_error() {
    int32_t e = rt_control.error_pending.load();
    rt_control.error_pending = 0;
    rt_control.check_requested = 0;
    return e;
}

inline uint64_t main_offset(const RtString* s) {
    return static_cast<uint64_t>(s->data - rts_main_space().buffer);
}
inline uint32_t block_offset(const RtString* s) {
    return static_cast<uint32_t>(s->data - rts_data_block().start);
}

// Checks the structure of both spaces and of the temporary list:
// - list order equals byte order and live strings never overlap;
// - every listed descriptor knows its index and its space;
// - used lies at or beyond the end of the last string, within the area;
// - every DosDescriptor record holds its string's length and offset, lies
//   between top and the reserved 8 bytes, and belongs to one string only;
// - temporary entries know their index.
// Returns a description of the first fault, or an empty string.
std::string string_space_fault();

class StringsTest : public ::testing::Test {
protected:
    void SetUp() override {
        conv_memory_clear();
        rts_init();
        take_error();
    }
    void TearDown() override { EXPECT_EQ(string_space_fault(), ""); }
};
