// The value-level string functions: concatenation, case, trims, sub-strings,
// fills, character codes, searching, comparison and the fixed-field copies.
// A result is the argument edited in place when it is a reusable temporary,
// the argument itself when the value is unchanged, or else a new temporary
// (after which a temporary argument is freed).
#include "runtime/strings/string_ops.h"

#include <cstring>

#include "runtime/core/control.h"
#include "runtime/strings/string_space_internal.h"

namespace {

bool error_pending() { return rt_control.error_pending.load() != 0; }

int32_t clamp_count(int32_t count, int32_t len) {
    if (count < 0) return 0;
    return count > len ? len : count;
}

// The count bytes of s starting at offset, under the result rule.
RtString* sub_string(RtString* s, int32_t offset, int32_t count) {
    if (offset == 0 && count == s->len) return s;
    if (rts_is_reusable_temp(s)) {
        s->data += offset;
        s->len = count;
        return s;
    }
    return rts_copy_part(s, offset, count);
}

bool is_lower(uint8_t c) { return c >= 'a' && c <= 'z'; }
bool is_upper(uint8_t c) { return c >= 'A' && c <= 'Z'; }

// Upper or lower case of the ASCII letters only.
template <bool Upper>
RtString* change_case(RtString* s) {
    auto needs = [](uint8_t c) { return Upper ? is_lower(c) : is_upper(c); };
    if (s->len == 0) return s;
    if (!rts_is_reusable_temp(s)) {
        int32_t i = 0;
        while (i < s->len && !needs(s->data[i])) ++i;
        if (i == s->len) return s;
        s = rts_copy_part(s, 0, s->len);
    }
    for (int32_t i = 0; i < s->len; ++i) {
        if (needs(s->data[i])) s->data[i] = static_cast<uint8_t>(Upper ? s->data[i] - 32 : s->data[i] + 32);
    }
    return s;
}

RtString* filled(int32_t count, uint8_t byte) {
    if (count < 0) count = 0;
    RtString* s = rts_new(static_cast<uint32_t>(count), 1);
    if (count > 0) std::memset(s->data, byte, static_cast<size_t>(count));
    return s;
}

// Byte-wise order: negative, 0 or positive.
int compare(const RtString* a, const RtString* b) {
    int32_t common = a->len < b->len ? a->len : b->len;
    int c = common > 0 ? std::memcmp(a->data, b->data, static_cast<size_t>(common)) : 0;
    if (c != 0) return c;
    return a->len < b->len ? -1 : (a->len > b->len ? 1 : 0);
}

int32_t truth(bool b) { return b ? -1 : 0; }

// Bytes a fixed-field copy may write: literal text is read-only.
bool writable(const RtString* s) { return !s->is_literal && s->len > 0; }


}  // namespace

RtString* rts_copy_part(RtString* s, int32_t offset, int32_t count) {
    RtString* r = rts_new(static_cast<uint32_t>(count), 1);
    if (count > 0) std::memcpy(r->data, s->data + offset, static_cast<size_t>(count));
    if (s->is_temp) rts_free(s);
    return r;
}

RtString* rts_concat(RtString* left, RtString* right) {
    if (right->len == 0) return left;
    if (left->len == 0) return right;
    uint64_t total = static_cast<uint64_t>(left->len) + static_cast<uint64_t>(right->len);
    if (total > RTS_MAX_LENGTH) rts_out_of_memory(512);
    RtString* r = rts_new(static_cast<uint32_t>(total), 1);
    std::memcpy(r->data, left->data, static_cast<size_t>(left->len));
    std::memcpy(r->data + left->len, right->data, static_cast<size_t>(right->len));
    if (left->is_temp) rts_free(left);
    if (right->is_temp) rts_free(right);
    return r;
}

RtString* rts_ucase(RtString* s) { return change_case<true>(s); }
RtString* rts_lcase(RtString* s) { return change_case<false>(s); }

RtString* rts_ltrim(RtString* s) {
    if (s->len == 0 || s->data[0] != ' ') return s;
    int32_t n = 0;
    while (n < s->len && s->data[n] == ' ') ++n;
    return sub_string(s, n, s->len - n);
}

RtString* rts_rtrim(RtString* s) {
    if (s->len == 0 || s->data[s->len - 1] != ' ') return s;
    int32_t keep = s->len;
    while (keep > 0 && s->data[keep - 1] == ' ') --keep;
    return sub_string(s, 0, keep);
}

RtString* rts_left(RtString* s, int32_t count) { return sub_string(s, 0, clamp_count(count, s->len)); }

RtString* rts_right(RtString* s, int32_t count) {
    count = clamp_count(count, s->len);
    return sub_string(s, s->len - count, count);
}

RtString* rts_mid(RtString* s, int32_t start, int32_t count, int32_t count_given) {
    int64_t first = start;
    int64_t n;
    if (count_given) {
        n = count;
        if (first < 1) {
            n -= 1 - first;
            first = 1;
        }
        if (n < 1 || first > s->len) return sub_string(s, 0, 0);
        if (first + n - 1 > s->len) n = s->len - first + 1;
    } else {
        if (first < 1) first = 1;
        n = s->len - first + 1;
        if (n <= 0) return sub_string(s, 0, 0);
    }
    return sub_string(s, static_cast<int32_t>(first - 1), static_cast<int32_t>(n));
}

void rts_mid_assign(RtString* destination, int32_t start, int32_t count, RtString* source, int32_t count_given) {
    if (error_pending() || destination == rts_empty_string || !writable(destination)) return;
    int64_t n = count_given ? count : source->len;
    int64_t first = start;
    int64_t skip = 0;
    if (first < 1) {
        skip = 1 - first;
        n -= skip;
        first = 1;
    }
    if (n <= 0 || first > destination->len) return;
    if (n > destination->len - first + 1) n = destination->len - first + 1;
    if (n > source->len - skip) n = source->len - skip;
    if (n <= 0) return;
    rts_copy_bytes(destination->data + first - 1, source->data + skip, static_cast<int32_t>(n));
}

RtString* rts_space(int32_t count) { return filled(count, ' '); }

RtString* rts_string(int32_t count, int32_t code) { return filled(count, static_cast<uint8_t>(code)); }

RtString* rts_chr(int32_t code) {
    if (code < 0 || code > 255) {
        RtString* empty = rts_new(0, 1);
        rt_error(5);
        return empty;
    }
    RtString* s = rts_new(1, 1);
    s->data[0] = static_cast<uint8_t>(code);
    return s;
}

int32_t rts_asc(RtString* s) {
    if (s->len == 0) {
        rt_error(5);
        return 0;
    }
    return s->data[0];
}

int32_t rts_asc_at(RtString* s, int32_t position) {
    if (position < 1 || position > s->len) {
        rt_error(5);
        return 0;
    }
    return s->data[position - 1];
}

int32_t rts_len(RtString* s) { return s->len; }

int32_t rts_instr(int32_t start, RtString* haystack, RtString* needle, int32_t start_given) {
    if (!start_given) start = 1;
    if (haystack->len == 0) return 0;
    if (start <= 0) {
        start = 1;
        if (needle->len == 0) return 0;
    }
    if (start > haystack->len) return 0;
    if (needle->len == 0) return start;
    const int64_t last_start = static_cast<int64_t>(haystack->len) - needle->len;  // 0-based
    if (start - 1 > last_start) return 0;
    const uint8_t* hay = haystack->data;
    const uint8_t first = needle->data[0];
    int64_t at = start - 1;
    while (at <= last_start) {
        const void* hit = std::memchr(hay + at, first, static_cast<size_t>(last_start - at + 1));
        if (!hit) return 0;
        at = static_cast<const uint8_t*>(hit) - hay;
        if (std::memcmp(hay + at, needle->data, static_cast<size_t>(needle->len)) == 0) {
            return static_cast<int32_t>(at + 1);
        }
        ++at;
    }
    return 0;
}

int32_t rts_equal(RtString* left, RtString* right) {
    return truth(left->len == right->len && compare(left, right) == 0);
}
int32_t rts_not_equal(RtString* left, RtString* right) { return ~rts_equal(left, right); }
int32_t rts_less(RtString* left, RtString* right) { return truth(compare(left, right) < 0); }
int32_t rts_greater(RtString* left, RtString* right) { return truth(compare(left, right) > 0); }
int32_t rts_less_equal(RtString* left, RtString* right) { return truth(compare(left, right) <= 0); }
int32_t rts_greater_equal(RtString* left, RtString* right) { return truth(compare(left, right) >= 0); }

void rts_lset(RtString* destination, RtString* source) {
    if (error_pending() || !writable(destination)) return;
    int32_t n = clamp_count(source->len, destination->len);
    rts_copy_bytes(destination->data, source->data, n);
    if (destination->len > n) std::memset(destination->data + n, ' ', static_cast<size_t>(destination->len - n));
}

void rts_rset(RtString* destination, RtString* source) {
    if (error_pending() || !writable(destination)) return;
    int32_t n = clamp_count(source->len, destination->len);
    int32_t pad = destination->len - n;
    rts_copy_bytes(destination->data + pad, source->data, n);
    if (pad > 0) std::memset(destination->data, ' ', static_cast<size_t>(pad));
}
