// The string spaces: the descriptor pool, the main string space, the data
// block inside ConvMemory, their lists and the temporary list, with the core
// operations that create, wrap, free and release strings.
#include "runtime/strings/string_space.h"

#include <cstdlib>
#include <cstring>

#include "runtime/core/conv_memory.h"
#include "runtime/strings/string_space_internal.h"

MainStringSpace rts_main;
DataBlockSpace rts_dblock;
TempList rts_temps;
DescriptorPool rts_pool;
RtString* rts_empty_string;
RtString* rts_space_string;

namespace {

constexpr int32_t LIST_CAPACITY = 65535;
constexpr uint32_t TEMP_CAPACITY = 65535;
constexpr uint64_t MAIN_SPACE_INITIAL = 1048576;
constexpr uint32_t SPARE_BYTES = 32;  // room behind every new main-space string

template <typename T>
T* zeroed_array(uint64_t n) {
    return static_cast<T*>(std::calloc(n, sizeof(T)));
}

// The tables exist from static initialisation, so that strings can be made
// before rts_init runs; rts_init only resets them.
void allocate_tables() {
    rts_pool.block = zeroed_array<RtString>(DESCRIPTOR_BLOCK_SIZE);
    rts_pool.blocks = 1;
    rts_pool.free_capacity = DESCRIPTOR_BLOCK_SIZE;
    rts_pool.free_stack = zeroed_array<RtString*>(rts_pool.free_capacity);
    rts_main.size = MAIN_SPACE_INITIAL;
    rts_main.buffer = static_cast<uint8_t*>(std::malloc(MAIN_SPACE_INITIAL));
    rts_main.list.capacity = LIST_CAPACITY;
    rts_main.list.entries = zeroed_array<RtString*>(LIST_CAPACITY + 1);
    rts_dblock.list.capacity = LIST_CAPACITY;
    rts_dblock.list.entries = zeroed_array<RtString*>(LIST_CAPACITY + 1);
    rts_temps.capacity = TEMP_CAPACITY;
    rts_temps.entries = zeroed_array<RtString*>(TEMP_CAPACITY + 1);
    rts_temps.count = 1;
    rts_dblock.start = ConvMemory + CONV_DATA_BLOCK;
    rts_dblock.used = DATA_BLOCK_FIRST_STRING;
    rts_dblock.top = DATA_BLOCK_TOP;
    if (!rts_pool.block || !rts_pool.free_stack || !rts_main.buffer || !rts_main.list.entries ||
        !rts_dblock.list.entries || !rts_temps.entries) {
        rts_out_of_memory(257);
    }
}

struct TablesAtLoad {
    TablesAtLoad() { allocate_tables(); }
} tables_at_load;

void write_u16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

// Remove the free entries of a list; grow it when it is still half full.
void pack_list(StringList& list, ErrorCode grow_error) {
    int32_t w = 0;
    for (int32_t r = 0; r < list.count; ++r) {
        RtString* e = list.entries[r];
        if (!e) continue;
        list.entries[w] = e;
        e->space_index = w;
        ++w;
    }
    list.count = w;
    if (static_cast<int64_t>(w) * 2 < list.capacity) return;
    if (list.capacity > 0x3FFFFFFF) rts_out_of_memory(grow_error);
    int32_t capacity = list.capacity * 2;
    auto* grown = static_cast<RtString**>(
        std::realloc(list.entries, (static_cast<size_t>(capacity) + 1) * sizeof(RtString*)));
    if (!grown) rts_out_of_memory(grow_error);
    list.entries = grown;
    list.capacity = capacity;
}

// Give a data-block string (or a fixed string inside the data block) its
// 4-byte length/offset record below top.
void attach_dos_descriptor(RtString* s, ErrorCode code) {
    if (rts_dblock.top < rts_dblock.used + 4) rts_out_of_memory(code);  // top would fall below used
    rts_dblock.top -= 4;
    s->dos_descriptor = rts_dblock.start + rts_dblock.top;
    s->dos_descriptor_offset = static_cast<uint16_t>(rts_dblock.top);
    rts_update_dos_descriptor(s);
}

}  // namespace

void rts_out_of_memory(ErrorCode code) {
    rt_error(code);  // critical codes end the process here
    std::abort();
}

const MainStringSpace& rts_main_space() { return rts_main; }
const DataBlockSpace& rts_data_block() { return rts_dblock; }
const TempList& rts_temp_list() { return rts_temps; }
const DescriptorPool& rts_descriptor_pool() { return rts_pool; }

uint16_t rts_dos_length(const uint8_t* record) {
    return static_cast<uint16_t>(record[0] | (record[1] << 8));
}
uint16_t rts_dos_offset(const uint8_t* record) {
    return static_cast<uint16_t>(record[2] | (record[3] << 8));
}

// ---- descriptor pool -------------------------------------------------------

RtString* rts_take_descriptor() {
    if (rts_pool.free_count > 0) {
        RtString* s = rts_pool.free_stack[--rts_pool.free_count];
        *s = RtString{};
        return s;
    }
    if (rts_pool.block_used == DESCRIPTOR_BLOCK_SIZE) {
        // The full block stays: its descriptors are still in use.
        RtString* block = zeroed_array<RtString>(DESCRIPTOR_BLOCK_SIZE);
        if (!block) rts_out_of_memory(508);
        rts_pool.block = block;
        rts_pool.block_used = 0;
        ++rts_pool.blocks;
    }
    return &rts_pool.block[rts_pool.block_used++];
}

void rts_return_descriptor(RtString* s) {
    if (rts_pool.free_count == rts_pool.free_capacity) {
        if (rts_pool.free_capacity > 0x7FFFFFFFu) rts_out_of_memory(508);
        uint32_t capacity = rts_pool.free_capacity * 2;
        auto* grown = static_cast<RtString**>(
            std::realloc(rts_pool.free_stack, static_cast<size_t>(capacity) * sizeof(RtString*)));
        if (!grown) rts_out_of_memory(508);
        rts_pool.free_stack = grown;
        rts_pool.free_capacity = capacity;
    }
    // A returned descriptor is emptied and marked, so that a second free of
    // the same reference is recognised and ignored.
    *s = RtString{};
    s->temp_index = -1;
    s->space_index = -1;
    rts_pool.free_stack[rts_pool.free_count++] = s;
}

// ---- lists -----------------------------------------------------------------

void rts_list_append(StringList& list, RtString* s, ErrorCode grow_error) {
    if (list.count > list.capacity) pack_list(list, grow_error);
    s->space_index = list.count;
    list.entries[list.count++] = s;
}

void rts_main_list_append(RtString* s) { rts_list_append(rts_main.list, s, 510); }
void rts_data_list_append(RtString* s) { rts_list_append(rts_dblock.list, s, 509); }

void rts_temp_append(RtString* s) {
    if (rts_temps.count > rts_temps.capacity) {
        if (rts_temps.capacity > 0x3FFFFFFFu) rts_out_of_memory(511);
        uint32_t capacity = rts_temps.capacity * 2;
        auto* grown = static_cast<RtString**>(
            std::realloc(rts_temps.entries, (static_cast<size_t>(capacity) + 1) * sizeof(RtString*)));
        if (!grown) rts_out_of_memory(511);
        rts_temps.entries = grown;
        rts_temps.capacity = capacity;
    }
    s->temp_index = static_cast<int32_t>(rts_temps.count);
    rts_temps.entries[rts_temps.count++] = s;
    s->is_temp = 1;
}

// ---- packing ---------------------------------------------------------------

void rts_compact_main(uint64_t need) {
    ++rts_main.compactions;
    StringList& list = rts_main.list;
    if (list.count > 0) {
        uint8_t* write = rts_main.buffer;
        for (int32_t i = 0; i < list.count; ++i) {
            RtString* e = list.entries[i];
            if (!e) continue;
            // Gaps of up to 32 bytes (the spare room of a string) stay.
            if (e->data > write + SPARE_BYTES) {
                if (e->len > 0) std::memmove(write, e->data, static_cast<size_t>(e->len));
                e->data = write;
            }
            write = e->data + e->len;
        }
        rts_main.used = static_cast<uint64_t>(write - rts_main.buffer);
    }
    if (rts_main.used * 2 + need + SPARE_BYTES < rts_main.size) return;

    uint64_t size = rts_main.size * 2 + need;
    // Every live string is rebased by its offset from the old buffer's start.
    const uintptr_t old_base = reinterpret_cast<uintptr_t>(rts_main.buffer);
    auto* grown = static_cast<uint8_t*>(std::realloc(rts_main.buffer, size));
    if (!grown) rts_out_of_memory(512);
    rts_main.buffer = grown;
    rts_main.size = size;
    ++rts_main.enlargements;
    for (int32_t i = 0; i < list.count; ++i) {
        RtString* e = list.entries[i];
        if (e) e->data = grown + (reinterpret_cast<uintptr_t>(e->data) - old_base);
    }
}

void rts_compact_data_block(uint64_t need) {
    ++rts_dblock.compactions;
    StringList& list = rts_dblock.list;
    uint32_t write = DATA_BLOCK_FIRST_STRING;
    for (int32_t i = 0; i < list.count; ++i) {
        RtString* e = list.entries[i];
        if (!e) continue;
        uint8_t* target = rts_dblock.start + write;
        if (e->data != target) {
            if (e->len > 0) std::memmove(target, e->data, static_cast<size_t>(e->len));
            e->data = target;
            rts_update_dos_descriptor(e);
        }
        write += static_cast<uint32_t>(e->len);
    }
    rts_dblock.used = write;
    if (static_cast<uint64_t>(rts_dblock.used) + need > rts_dblock.top) rts_out_of_memory(513);
}

void rts_update_dos_descriptor(RtString* s) {
    if (!s->dos_descriptor) return;
    write_u16(s->dos_descriptor, static_cast<uint16_t>(s->len));
    write_u16(s->dos_descriptor + 2, static_cast<uint16_t>(s->data - rts_dblock.start));
}

// ---- creation --------------------------------------------------------------

void rts_init() {
    // A fresh start: the main space back at its first size, every list empty.
    if (rts_main.size != MAIN_SPACE_INITIAL) {
        if (auto* p = static_cast<uint8_t*>(std::realloc(rts_main.buffer, MAIN_SPACE_INITIAL))) {
            rts_main.buffer = p;
            rts_main.size = MAIN_SPACE_INITIAL;
        }
    }
    rts_main.used = 0;
    rts_main.list.count = 0;
    rts_dblock.start = ConvMemory + CONV_DATA_BLOCK;
    rts_dblock.used = DATA_BLOCK_FIRST_STRING;
    rts_dblock.top = DATA_BLOCK_TOP;
    rts_dblock.list.count = 0;
    std::memset(rts_dblock.start + DATA_BLOCK_TOP, 0, DATA_BLOCK_SIZE - DATA_BLOCK_TOP);
    rts_temps.count = 1;

    rts_empty_string = rts_new_in_data_block(0, 0);
    rts_space_string = rts_new_in_data_block(1, 0);
    rts_space_string->data[0] = ' ';
}

void rts_place_in_main(RtString* s, uint32_t length) {
    if (length > RTS_MAX_LENGTH) rts_out_of_memory(512);
    uint64_t need = static_cast<uint64_t>(length) + SPARE_BYTES;
    if (rts_main.used + need > rts_main.size) rts_compact_main(need);
    s->len = static_cast<int32_t>(length);
    s->data = rts_main.buffer + rts_main.used;
    rts_main.used += need;
    rts_main_list_append(s);
}

RtString* rts_new(uint32_t length, int32_t temporary) {
    RtString* s = rts_take_descriptor();
    rts_place_in_main(s, length);
    if (temporary) rts_temp_append(s);
    return s;
}

RtString* rts_new_in_data_block(uint32_t length, int32_t temporary) {
    if (static_cast<uint64_t>(rts_dblock.used) + length > rts_dblock.top) rts_compact_data_block(length);
    RtString* s = rts_take_descriptor();
    s->len = static_cast<int32_t>(length);
    s->data = rts_dblock.start + rts_dblock.used;
    rts_dblock.used += length;
    s->in_data_block = 1;
    rts_data_list_append(s);
    if (temporary) {
        rts_temp_append(s);
    } else {
        attach_dos_descriptor(s, 514);
    }
    return s;
}

RtString* rts_from_literal(const void* bytes, int32_t length) {
    RtString* s = rts_take_descriptor();
    s->data = static_cast<uint8_t*>(const_cast<void*>(bytes));
    s->len = (bytes && length > 0) ? length : 0;
    s->is_literal = 1;
    rts_temp_append(s);
    return s;
}

RtString* rts_from_cstring(const char* text) {
    return rts_from_literal(text, text ? static_cast<int32_t>(std::strlen(text)) : 0);
}

RtString* rts_wrap_fixed(void* storage, int32_t length, int32_t temporary) {
    RtString* s = rts_take_descriptor();
    s->data = static_cast<uint8_t*>(storage);
    s->len = (storage && length > 0) ? length : 0;
    s->is_fixed = 1;
    if (temporary) {
        rts_temp_append(s);
    } else if (s->data >= rts_dblock.start && s->data < rts_dblock.start + DATA_BLOCK_SIZE) {
        attach_dos_descriptor(s, 515);
    }
    return s;
}

RtString* rts_make_temp(RtString* s) {
    if (s->temp_index == 0) rts_temp_append(s);  // already on the list: once is enough
    return s;
}

bool rts_is_reusable_temp(const RtString* s) {
    return s->is_temp && !s->is_fixed && !s->is_literal && !s->in_data_block;
}

// ---- release ---------------------------------------------------------------

void rts_free(RtString* s) {
    if (!s || s->temp_index < 0) return;  // nothing, or already back in the pool
    s->field_binding = nullptr;           // no file subsystem binds fields yet

    if (s->temp_index != 0) {
        uint32_t t = static_cast<uint32_t>(s->temp_index);
        if (t <= rts_temps.capacity && rts_temps.entries[t] == s) rts_temps.entries[t] = nullptr;
        while (rts_temps.count > 1 && !rts_temps.entries[rts_temps.count - 1]) --rts_temps.count;
    }

    if (s->is_fixed || s->is_literal) {
        rts_return_descriptor(s);
        return;
    }

    if (s->in_data_block) {
        StringList& list = rts_dblock.list;
        if (rts_in_list(list, s)) {
            list.entries[s->space_index] = nullptr;
            if (s->space_index == list.count - 1) --list.count;
        }
    } else {
        StringList& list = rts_main.list;
        if (rts_in_list(list, s)) {
            list.entries[s->space_index] = nullptr;
            while (list.count > 0 && !list.entries[list.count - 1]) --list.count;
            if (list.count == 0) {
                rts_main.used = 0;
            } else {
                const RtString* last = list.entries[list.count - 1];
                uint64_t end = static_cast<uint64_t>(last->data + last->len - rts_main.buffer) + SPARE_BYTES;
                rts_main.used = end < rts_main.size ? end : rts_main.size;
            }
        }
    }
    rts_return_descriptor(s);
}

uint32_t rts_temp_mark() { return rts_temps.count; }

int32_t rts_release_temps(uint32_t mark, int32_t value) {
    if (mark < 1) mark = 1;
    while (rts_temps.count > mark) {
        RtString* s = rts_temps.entries[--rts_temps.count];
        if (s) rts_free(s);
    }
    return value;
}

uint16_t rts_data_block_top() { return static_cast<uint16_t>(rts_dblock.top); }

void rts_set_data_block_top(uint16_t top) {
    // The top 8 bytes of the data block are never handed out.
    rts_dblock.top = top > DATA_BLOCK_TOP ? DATA_BLOCK_TOP : top;
}
