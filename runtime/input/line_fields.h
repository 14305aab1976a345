// Fields of a line-input line: splitting at commas (with quoted fields),
// checking every field against its variable's type, and storing the values.
// The checks accept every prefix of a valid entry ("-", "&H", "1E-"), so a
// line can be typed key by key and only a key that can never lead to a
// valid entry is refused.
#pragma once
#include <cstdint>
#include "runtime/input/line_input.h"

constexpr int32_t INPUT_LINE_MAX = 255;
constexpr uint32_t INPUT_TYPE_WIDTH_MASK = 0x1FF;

struct InputField {
    int32_t start;  // first byte of the value (inside the quotes for a quoted field)
    int32_t len;
    bool quoted;
};

// Split a line into at most max_fields fields. Returns the number of fields
// (0 for an empty line), or -1 when the line cannot be split: more fields
// than max_fields, or something after a closing quote other than a comma.
int32_t input_split_fields(const uint8_t* line, int32_t len, InputField* fields, int32_t max_fields);

// True when the type word names a kind of variable line input can fill.
bool input_target_valid(uint32_t type);

// True when the field is (or can still become) a valid value of the type.
bool input_field_valid(const uint8_t* line, const InputField& field, uint32_t type);

// True when every field of the line is valid for its target.
bool input_line_valid(const uint8_t* line, int32_t len, const InputTarget* targets, int32_t count);

// Set a variable to its cleared value: 0, or an empty (space-filled for
// fixed-length) string.
void input_clear_variable(const InputTarget& target);

// Store the fields of a valid line into the targets; a target without a
// field, or with an empty one, is cleared.
void input_store_line(const uint8_t* line, int32_t len, const InputTarget* targets, int32_t count);
