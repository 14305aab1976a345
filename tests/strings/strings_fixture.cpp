// The invariant check of the string spaces used by the strings tests.
#include "tests/strings/strings_fixture.h"

#include <set>
#include <sstream>

namespace {

std::string describe(const char* what, int32_t index) {
    std::ostringstream out;
    out << what << " at list index " << index;
    return out.str();
}

// Walks one space's list; lower is where the first string may start.
std::string list_fault(const StringList& list, const uint8_t* lower, const uint8_t* area_end, bool data_block) {
    if (list.count < 0 || list.count > list.capacity + 1) return "list count out of range";
    const uint8_t* previous_end = lower;
    for (int32_t i = 0; i < list.count; ++i) {
        const RtString* e = list.entries[i];
        if (!e) continue;
        if (e->space_index != i) return describe("space_index differs from the entry", i);
        if (static_cast<bool>(e->in_data_block) != data_block) return describe("string in the wrong list", i);
        if (e->is_fixed || e->is_literal) return describe("fixed or literal string listed", i);
        if (e->len < 0) return describe("negative length", i);
        if (e->data < previous_end) return describe("bytes before the previous string's end", i);
        if (e->data + e->len > area_end) return describe("bytes past the end of the area", i);
        previous_end = e->data + e->len;
    }
    return "";
}

const uint8_t* last_end(const StringList& list, const uint8_t* lower) {
    for (int32_t i = list.count - 1; i >= 0; --i) {
        if (const RtString* e = list.entries[i]) return e->data + e->len;
    }
    return lower;
}

}  // namespace

std::string string_space_fault() {
    const MainStringSpace& main = rts_main_space();
    std::string fault = list_fault(main.list, main.buffer, main.buffer + main.size, false);
    if (!fault.empty()) return "main space: " + fault;
    if (main.used > main.size) return "main space: used beyond the size";
    if (last_end(main.list, main.buffer) > main.buffer + main.used) return "main space: a string beyond used";

    const DataBlockSpace& block = rts_data_block();
    if (block.used < DATA_BLOCK_FIRST_STRING || block.used > block.top) return "data block: used out of range";
    if (block.top > DATA_BLOCK_TOP) return "data block: top above the reserved bytes";
    fault = list_fault(block.list, block.start + DATA_BLOCK_FIRST_STRING, block.start + block.top, true);
    if (!fault.empty()) return "data block: " + fault;
    if (last_end(block.list, block.start) > block.start + block.used) return "data block: a string beyond used";

    std::set<uint32_t> records;
    for (int32_t i = 0; i < block.list.count; ++i) {
        const RtString* e = block.list.entries[i];
        if (!e || !e->dos_descriptor) continue;
        uint32_t at = e->dos_descriptor_offset;
        if (e->dos_descriptor != block.start + at) return describe("data block: record pointer and offset differ", i);
        if (at < block.top || at + 4 > DATA_BLOCK_TOP) return describe("data block: record outside its area", i);
        if (!records.insert(at).second) return describe("data block: record shared", i);
        if (rts_dos_length(e->dos_descriptor) != static_cast<uint16_t>(e->len) ||
            rts_dos_offset(e->dos_descriptor) != e->data - block.start) {
            return describe("data block: record out of date", i);
        }
    }

    const TempList& temps = rts_temp_list();
    if (temps.count < 1 || temps.count > temps.capacity + 1) return "temporaries: count out of range";
    for (uint32_t i = 1; i < temps.count; ++i) {
        const RtString* t = temps.entries[i];
        if (!t) continue;
        if (!t->is_temp || t->temp_index != static_cast<int32_t>(i)) {
            return describe("temporaries: entry does not know its index", static_cast<int32_t>(i));
        }
    }
    return "";
}
