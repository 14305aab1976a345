// The KeyCodeTable: for every key code and modifier mode, the scan code and
// the value that goes into the KeyRing.
#pragma once
#include <cstdint>

// Columns of a row, chosen from the held modifiers (Alt over Ctrl over Shift).
enum KeyMode : int32_t { KEY_MODE_PLAIN = 0, KEY_MODE_SHIFT = 1, KEY_MODE_CTRL = 2, KEY_MODE_ALT = 3 };

// One row. A value of 0 makes no ring entry; 256 or more gives the extended
// entry (0, value >> 8); anything smaller gives (value, scan).
struct KeyCodeRow {
    int32_t scan;
    int32_t value[4];
};

// Rows 0 to 255 are the character codes; the row of an extended code e is
// 256 + (e >> 8).
constexpr int32_t KEY_CODE_TABLE_ROWS = 512;

const KeyCodeRow& key_code_row(int32_t row);

// The row of a key code: its character row for 0 to 255, 256 + (code >> 8)
// for 0x100 to 0xFFFF; null for any other code.
const KeyCodeRow* key_code_row_of(int32_t code);
