// The printing, key-test and subroutine-call helpers of the statement
// convention (see statements.h).
#include "game/statements.h"
#include "runtime/input/key_reading.h"
#include "runtime/screen/text_output.h"
#include "runtime/strings/string_ops.h"

void print_string(RtString* text, bool line_end) {
    RtString* copy = rts_new(0, 0);
    rts_assign(copy, text);
    if (rt_control.error_pending.load() == 0) {
        rt_print_fit(copy);
        rt_print(copy, 0);
        if (line_end) rt_print(rts_empty_string, 1);
    }
    rts_free(copy);
}

void print_blank() {
    if (rt_control.error_pending.load() == 0) rt_print(rts_empty_string, 1);
}

int32_t no_key_waiting() { return rts_equal(rt_inkey(), lit("")); }

int32_t key_waiting() { return rts_not_equal(rt_inkey(), lit("")); }

void gosub_push(int32_t point) {
    ReturnStack& stack = rt_return_stack;
    stack.entries[stack.depth] = point;
    stack.depth++;
    if (stack.depth >= stack.capacity) rt_grow_return_stack();
}

int32_t gosub_pop(int32_t highest_point) {
    ReturnStack& stack = rt_return_stack;
    if (stack.depth <= 0) {
        rt_error(3);
        return -1;
    }
    stack.depth--;
    int32_t point = stack.entries[stack.depth];
    if (point < 0 || point > highest_point) {
        rt_error(3);
        return -1;
    }
    return point;
}
