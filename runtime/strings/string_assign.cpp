// rts_assign: the value copy of one string into another. A fixed-length
// destination keeps its length; a reusable temporary's bytes are taken over;
// otherwise the bytes are copied in place when they fit and the destination
// is moved to the end of its space when they do not.
#include <cstring>

#include "runtime/strings/string_space_internal.h"

namespace {

uint64_t used_of(const RtString* s) {
    return s->in_data_block ? rts_dblock.used : rts_main.used;
}

void set_used(const RtString* s, uint64_t used) {
    if (s->in_data_block) {
        rts_dblock.used = static_cast<uint32_t>(used);
    } else {
        rts_main.used = used;
    }
}

StringList& list_of(const RtString* s) { return s->in_data_block ? rts_dblock.list : rts_main.list; }
uint8_t* start_of(const RtString* s) { return s->in_data_block ? rts_dblock.start : rts_main.buffer; }
uint64_t end_of_area(const RtString* s) { return s->in_data_block ? rts_dblock.top : rts_main.size; }

// A literal destination owns no bytes; it becomes an empty string of the main
// space before it takes a value, so that nothing is written into read-only text.
void adopt_literal(RtString* dest) {
    dest->is_literal = 0;
    rts_place_in_main(dest, 0);
}

// Step 2: the destination takes the temporary's bytes and its list entry.
void take_over(RtString* dest, RtString* src) {
    StringList& list = list_of(dest);
    if (rts_in_list(list, dest)) list.entries[dest->space_index] = nullptr;
    if (rts_in_list(list, src)) {
        list.entries[src->space_index] = dest;
        dest->space_index = src->space_index;
    } else {
        rts_list_append(list, dest, dest->in_data_block ? 509 : 510);
    }
    uint32_t t = static_cast<uint32_t>(src->temp_index);
    if (t != 0 && t < rts_temps.count && rts_temps.entries[t] == src) {
        rts_temps.entries[t] = nullptr;
        if (t == rts_temps.count - 1) --rts_temps.count;
    }
    dest->data = src->data;
    dest->len = src->len;
    rts_return_descriptor(src);
    rts_update_dos_descriptor(dest);
}

void compact(const RtString* s, uint64_t need) {
    if (s->in_data_block) {
        rts_compact_data_block(need);
    } else {
        rts_compact_main(need);
    }
}

// Move s to the end of its list, n bytes at the space's used.
void place_at_end(RtString* s, uint64_t n) {
    StringList& list = list_of(s);
    rts_list_append(list, s, s->in_data_block ? 509 : 510);
    s->data = start_of(s) + used_of(s);
    set_used(s, used_of(s) + n);
}

// Step 4, relocation: the destination moves to the end of its space.
void relocate(RtString* dest, RtString* src) {
    StringList& list = list_of(dest);
    uint64_t n = static_cast<uint64_t>(src->len);
    if (rts_in_list(list, dest)) list.entries[dest->space_index] = nullptr;
    // Packing may move the source's bytes; they are read afterwards.
    if (used_of(dest) + n > end_of_area(dest)) compact(dest, n);
    place_at_end(dest, n);
    rts_copy_bytes(dest->data, src->data, src->len);
    dest->len = src->len;
}

// Whether dest can hold n bytes where it is. The next live string (skipping
// free entries and skip) must start no earlier than data + n; the last live
// string may grow up to the end of its area, and *last then reports that
// used must follow it. Trailing free entries behind it are trimmed.
bool room_in_place(RtString* dest, uint64_t n, const RtString* skip, bool* last) {
    StringList& list = list_of(dest);
    *last = false;
    if (!rts_in_list(list, dest)) return false;
    for (int32_t i = dest->space_index + 1; i < list.count; ++i) {
        const RtString* e = list.entries[i];
        if (!e || e == skip) continue;
        return static_cast<uint64_t>(e->data - dest->data) >= n;
    }
    // A temporary source listed behind the destination stays until its release.
    while (list.count > dest->space_index + 1 && !list.entries[list.count - 1]) --list.count;
    *last = true;
    return static_cast<uint64_t>(dest->data - start_of(dest)) + n <= end_of_area(dest);
}

// Step 4: a longer value grows the destination in place when the next live
// string (other than a temporary source, whose bytes are about to be
// released) leaves room, else relocates it.
void grow(RtString* dest, RtString* src) {
    bool last = false;
    uint64_t n = static_cast<uint64_t>(src->len);
    if (!room_in_place(dest, n, src->is_temp ? src : nullptr, &last)) {
        relocate(dest, src);
        return;
    }
    rts_copy_bytes(dest->data, src->data, src->len);  // may overlap a skipped temporary source
    dest->len = src->len;
    if (last) set_used(dest, static_cast<uint64_t>(dest->data - start_of(dest)) + n);
}

}  // namespace

RtString* rts_assign(RtString* dest, RtString* src) {
    if (dest == src) return dest;  // a value assigned to itself changes nothing

    if (dest->is_fixed) {
        int32_t n = src->len < dest->len ? src->len : dest->len;
        rts_copy_bytes(dest->data, src->data, n);
        if (dest->len > n) std::memset(dest->data + n, ' ', static_cast<size_t>(dest->len - n));
    } else {
        if (dest->is_literal) adopt_literal(dest);
        bool takeable = src->is_temp && !src->is_fixed && !src->is_literal;
        if (takeable && src->in_data_block == dest->in_data_block) {
            take_over(dest, src);
            return dest;
        }
        if (src->len <= dest->len) {
            rts_copy_bytes(dest->data, src->data, src->len);
            dest->len = src->len;
        } else {
            grow(dest, src);
        }
    }
    if (src->is_temp) rts_free(src);
    rts_update_dos_descriptor(dest);
    return dest;
}

void rts_append(RtString* dest, const RtString* src, const uint8_t* bytes, int32_t n) {
    if (n <= 0 || dest->is_fixed) return;
    if (dest->is_literal) adopt_literal(dest);
    uint64_t total = static_cast<uint64_t>(dest->len) + static_cast<uint64_t>(n);
    if (total > RTS_MAX_LENGTH) rts_out_of_memory(512);
    bool last = false;
    if (room_in_place(dest, total, nullptr, &last)) {
        rts_copy_bytes(dest->data + dest->len, src ? src->data : bytes, n);
        if (last) set_used(dest, static_cast<uint64_t>(dest->data - start_of(dest)) + total);
    } else {
        // Packing runs while dest is still listed, so its bytes move with it.
        if (used_of(dest) + total > end_of_area(dest)) compact(dest, total);
        StringList& list = list_of(dest);
        if (rts_in_list(list, dest)) list.entries[dest->space_index] = nullptr;
        const uint8_t* old = dest->data;
        place_at_end(dest, total);
        rts_copy_bytes(dest->data, old, dest->len);
        rts_copy_bytes(dest->data + dest->len, src ? src->data : bytes, n);
    }
    dest->len = static_cast<int32_t>(total);
    rts_update_dos_descriptor(dest);
}
