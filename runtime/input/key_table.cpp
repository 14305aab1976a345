// The KeyCodeTable, built once at compile time from the classic PC keyboard
// layout: control and space keys, letters, digit and punctuation pairs and the
// extended keys (function keys, cursor block).
#include "runtime/input/key_table.h"
#include <array>

namespace {

using Table = std::array<KeyCodeRow, KEY_CODE_TABLE_ROWS>;

constexpr void set_row(Table& t, int32_t row, int32_t scan, int32_t plain, int32_t shift, int32_t ctrl,
                       int32_t alt) {
    t[row] = KeyCodeRow{scan, {plain, shift, ctrl, alt}};
}

struct PairRow {
    char plain_char, shift_char;
    int32_t scan, ctrl, alt;
};

constexpr PairRow kPairs[] = {
    {'1', '!', 2, 0, 0x7800},     {'2', '@', 3, 0x0300, 0x7900}, {'3', '#', 4, 0, 0x7A00},
    {'4', '$', 5, 0, 0x7B00},     {'5', '%', 6, 0, 0x7C00},      {'6', '^', 7, 30, 0x7D00},
    {'7', '&', 8, 0, 0x7E00},     {'8', '*', 9, 0, 0x7F00},      {'9', '(', 10, 0, 0x8000},
    {'0', ')', 11, 0, 0x8100},    {'-', '_', 12, 31, 0x8200},    {'=', '+', 13, 0, 0x8300},
    {'[', '{', 26, 27, 0x1A00},   {']', '}', 27, 29, 0x1B00},    {';', ':', 39, 0, 0x2700},
    {'\'', '"', 40, 0, 0x2800},   {'`', '~', 41, 0, 0x2900},     {'\\', '|', 43, 28, 0x2B00},
    {',', '<', 51, 0, 0x3300},    {'.', '>', 52, 0, 0x3400},     {'/', '?', 53, 0, 0x3500},
};

// Scan codes of the letters A to Z.
constexpr int32_t kLetterScan[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                     49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

struct ExtendedRow {
    int32_t code, scan, plain, shift, ctrl, alt;
};

constexpr ExtendedRow kExtended[] = {
    {0x8500, 87, 0x8500, 0x8700, 0x8900, 0x8B00},  // F11
    {0x8600, 88, 0x8600, 0x8800, 0x8A00, 0x8C00},  // F12
    {0x4700, 71, 0x4700, 0x4700, 0x7700, 0x9700},  // Home
    {0x4800, 72, 0x4800, 0x4800, 0x8D00, 0x9800},  // Up
    {0x4900, 73, 0x4900, 0x4900, 0x8400, 0x9900},  // Page Up
    {0x4B00, 75, 0x4B00, 0x4B00, 0x7300, 0x9B00},  // Left
    {0x4D00, 77, 0x4D00, 0x4D00, 0x7400, 0x9D00},  // Right
    {0x4F00, 79, 0x4F00, 0x4F00, 0x7500, 0x9F00},  // End
    {0x5000, 80, 0x5000, 0x5000, 0x9100, 0xA000},  // Down
    {0x5100, 81, 0x5100, 0x5100, 0x7600, 0xA100},  // Page Down
    {0x5200, 82, 0x5200, 0x5200, 0x9200, 0xA200},  // Insert
    {0x5300, 83, 0x5300, 0x5300, 0x9300, 0xA300},  // Delete
};

constexpr Table build_table() {
    Table t{};
    // Control and space keys.
    set_row(t, 8, 14, 8, 8, 127, 0x0E00);    // Backspace
    set_row(t, 9, 15, 9, 0x0F00, 0x9400, 0);  // Tab
    set_row(t, 13, 28, 13, 13, 10, 0);        // Enter
    set_row(t, 27, 1, 27, 27, 27, 0);         // Esc
    set_row(t, 32, 57, 32, 32, 32, 0);        // space
    for (int32_t i = 0; i < 26; i++) {
        int32_t scan = kLetterScan[i];
        for (int32_t c : {'A' + i, 'a' + i}) set_row(t, c, scan, c, c, i + 1, scan * 256);
    }
    for (const PairRow& p : kPairs) {
        for (char ch : {p.plain_char, p.shift_char}) {
            int32_t c = static_cast<unsigned char>(ch);
            set_row(t, c, p.scan, c, c, p.ctrl, p.alt);
        }
    }
    for (int32_t scan = 59; scan <= 68; scan++)  // F1 to F10
        set_row(t, 256 + scan, scan, scan * 256, (scan + 25) * 256, (scan + 35) * 256, (scan + 45) * 256);
    for (const ExtendedRow& e : kExtended) set_row(t, 256 + (e.code >> 8), e.scan, e.plain, e.shift, e.ctrl, e.alt);
    return t;
}

constexpr Table kKeyCodeTable = build_table();

}  // namespace

const KeyCodeRow& key_code_row(int32_t row) { return kKeyCodeTable[static_cast<uint32_t>(row) % KEY_CODE_TABLE_ROWS]; }

const KeyCodeRow* key_code_row_of(int32_t code) {
    if (code >= 0 && code <= 255) return &kKeyCodeTable[code];
    if (code >= 0x100 && code <= 0xFFFF) return &kKeyCodeTable[256 + (code >> 8)];
    return nullptr;
}
