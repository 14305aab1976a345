// The command editor (source lines 247 to 288). Thirty times a second it
// restores the screen saved on page 1, echoes the typed line at the prompt,
// takes one key-hit code and redraws the countdown on row 2, showing each
// pass as one finished frame. Its locals live in the variable storage and
// are rolled back on return, like any procedure of the program.
#include "game/command_editor.h"
#include <cmath>
#include <cstdint>
#include "game/game_text.h"
#include "game/game_vars.h"
#include "game/statements.h"
#include "runtime/core/runtime.h"
#include "runtime/core/timing.h"
#include "runtime/core/var_storage.h"
#include "runtime/input/key_reading.h"
#include "runtime/screen/pages.h"
#include "runtime/screen/screen_statements.h"
#include "runtime/screen/text_output.h"
#include "runtime/strings/number_format.h"
#include "runtime/strings/string_ops.h"

namespace {

template <typename T>
T* new_local() {
    T* variable = game_var_new<T>();
    *variable = 0;
    return variable;
}

// Whole minutes of the remaining time: rounded to the nearest second (halves
// to even), then divided by 60 as a 64-bit integer division. Just below a
// whole minute this gives the next minute, and the seconds go negative.
float whole_minutes(long double remaining) {
    int64_t seconds = std::llrint(remaining);
    return static_cast<float>(seconds / 60);
}

bool is_typed_character(float code) {
    return (code >= 65 && code <= 90) || (code >= 97 && code <= 122) || code == 32;
}

// PRINT USING " ###:##.###"; minutes; seconds — the countdown. When an error
// is pending after the formatting, what was made so far is printed without a
// line end and the error is left for the check.
void print_countdown(float minutes, float seconds) {
    RtString* output = rts_new(0, 0);
    RtString* format = lit(game_text::countdown_format);
    int32_t position = rt_using_single(format, minutes, 0, output);
    if (rt_control.error_pending.load() == 0) rt_using_single(format, seconds, position, output);
    rt_print(output, 0);
    if (rt_control.error_pending.load() == 0) rt_print(rts_empty_string, 1);
    rts_free(output);
}

int32_t nearest(float value) { return static_cast<int32_t>(std::nearbyint(value)); }

}  // namespace

RtString* command_editor() {
    // Line 247: the procedure frame.
    uint32_t mark = rts_temp_mark();
    void* saved_vars = rt_vars.pointer;
    uint16_t saved_data_top = rts_data_block_top();
    RtString* result = rts_new(0, 0);
    RtString* typed = rts_new(0, 0);
    float* start_column = new_local<float>();
    float* start_row = new_local<float>();
    float* last_key = new_local<float>();
    long double* remaining = new_local<long double>();
    float* minutes_left = new_local<float>();
    float* seconds_left = new_local<float>();
    stmt_check(247);

    LINE(248, *start_column = static_cast<float>(rt_pos()));
    LINE(249, *start_row = static_cast<float>(rt_csrlin()));

    LINE(251, rt_pcopy(0, 1));

    // Lines 253 to 256: throw away every key already waiting, in the key-hit
    // queue and in the keyboard ring alike.
    do {
        stmt_check(253);
        LINE(254, *last_key = static_cast<float>(rt_keyhit()));
        LINE(255, rt_inkey());
    } while (!stmt_condition(mark, 256, truth(*last_key == 0) & no_key_waiting()));

    // Lines 258 to 277: one pass per frame.
    do {
        stmt_check(258);
        LINE(259, rt_limit(30));
        LINE(260, rt_pcopy(1, 0));
        LINE(261, rt_locate(nearest(*start_row), nearest(*start_column), 0, 0, 0, 3));
        LINE(262, print_string(typed, true));
        LINE(263, *last_key = static_cast<float>(rt_keyhit()));
        IF(264, truth(*last_key == 8)) {
            LINE(265, rts_assign(typed, rts_left(typed, rts_len(typed) - 1)));
        } else IF(266, truth(is_typed_character(*last_key))) {
            LINE(267, rts_assign(typed, rts_ucase(rts_concat(typed, rts_chr(static_cast<int32_t>(*last_key))))));
        }
        LINE(269, *remaining = static_cast<long double>(*game_vars.deadline) -
                               static_cast<long double>(rt_timer(0.001, 1)));
        LINE(270, *minutes_left = whole_minutes(*remaining));
        LINE(271, *seconds_left = static_cast<float>(*remaining - static_cast<long double>(*minutes_left) * 60));
        LINE(273, rt_locate(2, 32, 0, 0, 0, 3));
        LINE(274, print_countdown(*minutes_left, *seconds_left));
        IF(275, truth(*remaining <= 0)) goto time_is_up;
        LINE(276, rt_display());
    } while (!stmt_condition(mark, 277, truth(*last_key == 13)));

    LINE(278, rts_assign(result, typed));
    LINE(279, rt_auto_display());
    // Line 280: leave the procedure, rolling its frame back.
    rts_free(typed);
    rt_var_restore(saved_vars);
    rts_set_data_block_top(saved_data_top);
    return rts_make_temp(result);

    // Lines 283 to 288: the ending of time.
time_is_up:
    stmt_check(283);
    LINE(284, rt_cls(0, 0, 0));
    LINE(285, print_line(game_text::ending_of_time[0]));
    LINE(286, print_line(game_text::ending_of_time[1]));
    LINE(287, rt_display());
    LINE(288, rt_end());
    // rt_end never returns; say so for the instrumented builds that cannot
    // see it through the statement's end.
    __builtin_unreachable();
}
