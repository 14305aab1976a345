// The statement convention of the game program: how a statement ends
// (temporaries released to the mark, then the per-statement check with its
// source line), how a condition is counted, how text is printed, and the
// subroutine calls through the runtime's return stack.
//
// The program functions keep their temporary mark in a local named `mark`;
// the macros below use it, so a program line reads as
//     LINE(39, rt_cls(0, 0, 0));
//     IF(54, exit_named("NORTH")) LINE(54, print_line("N")); else LINE(54, print_blank());
#pragma once
#include <cstdint>
#include <string_view>
#include "runtime/core/control.h"
#include "runtime/core/errors.h"
#include "runtime/core/return_stack.h"
#include "runtime/strings/rt_string.h"

// The per-statement check: served only when another thread or an error raised
// check_requested, with the number of the line the statement stands on.
inline void stmt_check(uint32_t line) {
    if (rt_control.check_requested.load() != 0) rt_check_statement(line);
}

// The end of every statement: temporaries made since the mark go back, then the check.
inline void stmt_end(uint32_t mark, uint32_t line) {
    rts_release_temps(mark, 0);
    stmt_check(line);
}

// A condition (an IF, or a loop's UNTIL). It counts as true while an error is
// pending, so that the check right after it reports the error at once; its
// truth value passes through the release of the test's temporaries.
inline bool stmt_condition(uint32_t mark, uint32_t line, int32_t truth) {
    if (rt_control.error_pending.load() != 0) truth = -1;
    truth = rts_release_temps(mark, truth);
    stmt_check(line);
    return truth != 0;
}

// Truth values as the runtime's comparisons give them: -1 true, 0 false.
inline int32_t truth(bool b) { return b ? -1 : 0; }

// A literal as a temporary string (no copy).
inline RtString* lit(std::string_view text) {
    return rts_from_literal(text.data(), static_cast<int32_t>(text.size()));
}

// PRINT of a string: nothing while an error is pending; otherwise a new line
// first when the text does not fit in the rest of the row, the text, and with
// line_end the shared empty string with a line end. The text is printed from
// a short-lived non-temporary copy.
void print_string(RtString* text, bool line_end);

// PRINT "text" (line_end) or PRINT "text"; (no line end).
inline void print_line(std::string_view text) { print_string(lit(text), true); }
inline void print_on(std::string_view text) { print_string(lit(text), false); }

// PRINT with no items: a bare line end.
void print_blank();

// INKEY$ = "" and INKEY$ <> "" as truth values: each reads one key.
int32_t no_key_waiting();
int32_t key_waiting();

// GOSUB: store the return point at the current depth, one deeper, and double
// the stack when the depth reaches its capacity.
void gosub_push(int32_t point);

// RETURN: the return point on top of the stack, or -1 after raising error 3
// (RETURN without GOSUB) when the stack is empty or holds no return point of
// the program (0 to `highest_point`).
int32_t gosub_pop(int32_t highest_point);

// One statement on source line n.
#define LINE(n, ...)        \
    do {                    \
        __VA_ARGS__;        \
        stmt_end(mark, n);  \
    } while (0)

// IF on source line n.
#define IF(n, cond) if (stmt_condition(mark, n, (cond)))

// DO: LOOP UNTIL cond, the whole loop on source line n, with the check
// before each pass.
#define LOOP_UNTIL(n, cond) \
    do {                    \
        stmt_check(n);      \
    } while (!stmt_condition(mark, n, (cond)))

// A label (the start of a subroutine or a jump target) on source line n.
#define LABEL(name, n) \
    name:              \
    stmt_check(n)
