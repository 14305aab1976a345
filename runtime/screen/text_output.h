// Text output on the write page: printing with control characters, the
// deferred line end, wrapping, and scrolling of the text window.
#pragma once
#include <cstdint>
#include "runtime/strings/rt_string.h"

void rt_print(RtString* s, int32_t line_end);
void rt_print_fit(RtString* s);
void text_newline();
void text_put_char(uint32_t code);
void rt_print_zone();
int32_t rt_print_width(RtString* s, int32_t handle, int32_t use_handle);

extern int32_t control_chars_off;
extern int32_t labels_drawing;
