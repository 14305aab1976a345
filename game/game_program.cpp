// The game program: one straight-line program of console statements, run on
// the program thread. Each statement reports the number of the source line
// it stands on (see statements.h for the convention); the numbers below are
// those lines. Subroutines are reached through the runtime's return stack,
// with return points 1 to 11.
//
//   1 to 36     set-up, introduction, start of the time limit
//   38 to 67    main loop and header
//   69 to 80    room-description subroutine
//   82 to 177   command subroutine
//   179 to 221  descriptions of rooms 1 to 9
//   223 to 246  the two endings reached by commands
//   247 to 288  the command editor (command_editor.cpp)
#include "game/game.h"
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include "game/command_editor.h"
#include "game/game_text.h"
#include "game/game_vars.h"
#include "game/statements.h"
#include "runtime/core/runtime.h"
#include "runtime/core/timing.h"
#include "runtime/input/key_reading.h"
#include "runtime/screen/pages.h"
#include "runtime/screen/screen_statements.h"
#include "runtime/strings/string_ops.h"

namespace {

constexpr int32_t highest_return_point = 11;

// The global variables, by their names in the program.
float& room() { return *game_vars.room; }
float& has_knife() { return *game_vars.has_knife; }
RtString* command() { return *game_vars.command; }
RtString* exit_list(int32_t index) { return game_vars.exit_list->elements[index - 1]; }

// INSTR(exit_list(room), word) <> 0
int32_t exit_named(const char* word) { return truth(rts_instr(1, exit_list_of_room(), lit(word), 0) != 0); }

// command = "A" OR command = "B" ... (every comparison is made)
int32_t command_is(std::initializer_list<std::string_view> lines) {
    int32_t result = 0;
    for (std::string_view line : lines) result |= rts_equal(command(), lit(line));
    return result;
}

}  // namespace

// GOSUB to `target` from source line n with return point `point`; the
// statement ends when the subroutine returns there.
#define GOSUB(n, point, target)  \
    gosub_push(point);           \
    goto target;                 \
    return_point_##point:        \
    stmt_end(mark, n)

// RETURN on source line n: back to the return point on the stack; 0 leaves
// the program. A bad return raises error 3 and goes on with the next statement.
#define RETURN(n)                                          \
    do {                                                   \
        switch (gosub_pop(highest_return_point)) {         \
            case 0: return;                                \
            case 1: goto return_point_1;                   \
            case 2: goto return_point_2;                   \
            case 3: goto return_point_3;                   \
            case 4: goto return_point_4;                   \
            case 5: goto return_point_5;                   \
            case 6: goto return_point_6;                   \
            case 7: goto return_point_7;                   \
            case 8: goto return_point_8;                   \
            case 9: goto return_point_9;                   \
            case 10: goto return_point_10;                 \
            case 11: goto return_point_11;                 \
            default: break;                                \
        }                                                  \
        stmt_end(mark, n);                                 \
    } while (0)

// The movement test "IF room = from THEN room = to: GOTO 176".
#define MOVE(n, from, to)                             \
    IF(n, truth(room() == (from))) {                  \
        LINE(n, room() = (to));                       \
        goto command_done;                            \
    }

void game_program() {
    uint32_t mark = rts_temp_mark();
    game_create_variables();

    // Lines 1 to 13: set-up.
    LINE(1, room() = 1);
    LINE(3, has_knife() = 1);
    LINE(5, rt_screen(12, 0, 0, 1));
    LINE(6, rt_color(7, 0, 0, 3));
    LINE(7, rt_cls(0, 0, 0));
    LINE(11, *game_vars.limit_minutes = 10);
    LINE(12, *game_vars.limit_seconds = 0);
    LINE(13, *game_vars.limit_total = *game_vars.limit_minutes * 60 + *game_vars.limit_seconds);

    // Lines 16 to 24: the words that name each room's exits (they drive the compass).
    LINE(16, rts_assign(exit_list(1), lit("WEST")));
    LINE(17, rts_assign(exit_list(2), lit("EAST OR SOUTH")));
    LINE(18, rts_assign(exit_list(3), lit("NORTH OR SOUTH")));
    LINE(19, rts_assign(exit_list(4), lit("NORTH, SOUTH, EAST, OR WEST")));
    LINE(20, rts_assign(exit_list(5), lit("EAST")));
    LINE(21, rts_assign(exit_list(6), lit("WEST")));
    LINE(22, rts_assign(exit_list(7), lit("NORTH OR EAST")));
    LINE(23, rts_assign(exit_list(8), lit("WEST OR SOUTH")));
    LINE(24, rts_assign(exit_list(9), lit("NORTH")));

    // Lines 26 to 36: the introduction; the time limit starts when it is dismissed.
    LINE(26, print_blank());
    LINE(27, print_blank());
    LINE(28, print_line(game_text::introduction[0]));
    LINE(29, print_line(game_text::introduction[1]));
    LINE(30, print_line(game_text::introduction[2]));
    LINE(31, print_line(game_text::introduction[3]));
    LINE(32, print_line(game_text::introduction[4]));
    LINE(33, print_blank());
    LOOP_UNTIL(35, key_waiting());
    LINE(36, *game_vars.deadline = rt_timer(0.001, 1) + static_cast<double>(*game_vars.limit_total));

    // Lines 38 to 67: the main loop. The header, with the compass of the
    // current room's exits on rows 14 to 16, then the room and a command.
    LABEL(main_loop, 38);
    LINE(39, rt_cls(0, 0, 0));
    LINE(40, print_blank());
    LINE(41, print_blank());
    LINE(42, print_line(game_text::blank_74));
    LINE(43, print_line(game_text::blank_74));
    LINE(44, print_line(game_text::blank_74));
    LINE(45, print_line(game_text::title));
    LINE(46, print_line(game_text::blank_74));
    LINE(47, print_line(game_text::written_by));
    LINE(48, print_line(game_text::blank_74));
    LINE(49, print_line(game_text::credit));
    LINE(50, print_blank());
    LINE(51, print_line(game_text::rights));
    LINE(52, print_blank());
    LINE(53, print_string(rts_space(38), false));
    IF(54, exit_named("NORTH")) LINE(54, print_line("N")); else LINE(54, print_blank());
    LINE(55, print_on(game_text::compass_left));
    IF(56, exit_named("WEST")) LINE(56, print_on("W")); else LINE(56, print_on(" "));
    LINE(57, print_on(" + "));
    IF(58, exit_named("EAST")) LINE(58, print_on("E")); else LINE(58, print_on(" "));
    LINE(59, print_line(game_text::compass_right));
    LINE(60, print_string(rts_space(38), false));
    IF(61, exit_named("SOUTH")) LINE(61, print_line("S")); else LINE(61, print_blank());
    LINE(62, print_blank());
    LINE(63, print_line(game_text::stuck));
    LINE(64, print_blank());
    GOSUB(65, 1, room_description);
    GOSUB(66, 2, command_line);
    goto main_loop;  // line 67

    // Lines 69 to 80: the description of the current room. The tests are
    // separate; after a description the later ones still run and fail.
    LABEL(room_description, 69);
    IF(70, truth(room() == 1)) { GOSUB(70, 3, room_1); }
    IF(71, truth(room() == 2)) { GOSUB(71, 4, room_2); }
    IF(72, truth(room() == 3)) { GOSUB(72, 5, room_3); }
    IF(73, truth(room() == 4)) { GOSUB(73, 6, room_4); }
    IF(74, truth(room() == 5)) { GOSUB(74, 7, room_5); }
    IF(75, truth(room() == 6)) { GOSUB(75, 8, room_6); }
    IF(76, truth(room() == 7)) { GOSUB(76, 9, room_7); }
    IF(77, truth(room() == 8)) { GOSUB(77, 10, room_8); }
    IF(78, truth(room() == 9)) { GOSUB(78, 11, room_9); }
    RETURN(80);

    // Lines 82 to 177: read a command and act on it. The tests run in this
    // order; a line that matches none of them just redraws the screen.
    LABEL(command_line, 82);
    LINE(83, print_on("> "));
    LINE(84, rts_assign(command(), command_editor()));
    LINE(85, rts_assign(command(), rts_ltrim(rts_rtrim(rts_ucase(command())))));

    IF(86, command_is({"END", "QUIT", "EXIT", "Q"})) {
        LINE(87, rt_end());
    }

    IF(89, command_is({"HELP", "H", "?"})) {
        LINE(90, rt_cls(0, 0, 0));
        LINE(91, print_line(game_text::help[0]));
        LINE(92, print_line(game_text::help[1]));
        LINE(93, print_line(game_text::help[2]));
        LINE(94, print_line(game_text::help[3]));
        LINE(95, print_line(game_text::help[4]));
        LINE(96, print_line(game_text::help[5]));
        LINE(97, print_line(game_text::help[6]));
        LINE(98, print_line(game_text::help[7]));
        LINE(99, print_line(game_text::help[8]));
        LINE(100, print_line(game_text::help[9]));
        LINE(101, print_line(game_text::help[10]));
        LINE(102, print_blank());
        LINE(102, print_line(game_text::help[12]));
        LINE(103, rt_sleep(0, 0));
        LOOP_UNTIL(104, no_key_waiting());
        LOOP_UNTIL(105, key_waiting());
    }

    IF(107, command_is({"INVENTORY", "INV", "ITEMS", "I"})) {
        LINE(108, rt_cls(0, 0, 0));
        LINE(109, print_line("INVENTORY..."));
        LINE(110, print_blank());
        IF(111, truth(has_knife() == 1)) LINE(111, print_line("An average butterknife."));
        LINE(112, print_blank());
        LINE(113, print_line(game_text::press_any_key));
        LOOP_UNTIL(114, no_key_waiting());
        LOOP_UNTIL(115, key_waiting());
    }

    IF(117, command_is({"GO NORTH", "NORTH", "N"})) {
        MOVE(118, 7, 4);
        MOVE(119, 4, 3);
        MOVE(120, 3, 2);
        MOVE(121, 9, 8);
    }

    IF(123, command_is({"GO EAST", "EAST", "E"})) {
        MOVE(124, 2, 1);
        MOVE(125, 5, 4);
        MOVE(126, 4, 6);
        MOVE(127, 7, 8);
    }

    IF(129, command_is({"GO SOUTH", "SOUTH", "S"})) {
        MOVE(130, 2, 3);
        MOVE(131, 3, 4);
        MOVE(132, 4, 7);
        MOVE(133, 8, 9);
    }

    IF(135, command_is({"GO WEST", "WEST", "W"})) {
        MOVE(136, 1, 2);
        MOVE(137, 6, 4);
        MOVE(138, 4, 5);
        MOVE(139, 8, 7);
    }

    IF(142, command_is({"USE KNIFE"})) {
        LINE(143, rt_cls(0, 0, 0));
        LINE(144, print_line("On what?"));
        LOOP_UNTIL(145, no_key_waiting());
        LOOP_UNTIL(146, key_waiting());
    }

    IF(148, command_is({"EXAMINE MAN"}) & truth(room() == 5)) {
        LINE(149, rt_cls(0, 0, 0));
        LINE(150, print_line(game_text::the_man[0]));
        LINE(151, print_line(game_text::the_man[1]));
        LINE(152, print_line(game_text::the_man[2]));
        LOOP_UNTIL(153, no_key_waiting());
        LOOP_UNTIL(154, key_waiting());
    }

    IF(156, command_is({"EXAMINE KNIFE"}) & truth(has_knife() == 1)) {
        LINE(157, rt_cls(0, 0, 0));
        LINE(158, print_line(game_text::the_knife[0]));
        LINE(159, print_line(game_text::the_knife[1]));
        LOOP_UNTIL(160, no_key_waiting());
        LOOP_UNTIL(161, key_waiting());
    }

    IF(163, command_is({"USE KNIFE"}) & truth(has_knife() == 1) & truth(room() == 5)) {
        LINE(164, rt_cls(0, 0, 0));
        goto ending_of_the_knife;  // line 165
    }

    IF(169, command_is({"LEAVE TOLMERAND"})) {
        LINE(170, rt_cls(0, 0, 0));
        goto ending_of_leaving;  // line 171
    }

    LABEL(command_done, 176);
    RETURN(177);

    // Lines 179 to 221: the room descriptions, one subroutine per room.
    LABEL(room_1, 179);
    LINE(180, print_line(game_text::room_1[0]));
    LINE(181, print_line(game_text::room_1[1]));
    RETURN(182);

    LABEL(room_2, 184);
    LINE(185, print_line(game_text::room_2[0]));
    RETURN(186);

    LABEL(room_3, 188);
    LINE(189, print_line(game_text::room_3[0]));
    LINE(190, print_line(game_text::room_3[1]));
    RETURN(191);

    LABEL(room_4, 193);
    LINE(194, print_line(game_text::room_4[0]));
    LINE(195, print_line(game_text::room_4[1]));
    RETURN(196);

    LABEL(room_5, 198);
    LINE(199, print_line(game_text::room_5[0]));
    LINE(200, print_line(game_text::room_5[1]));
    RETURN(201);

    LABEL(room_6, 203);
    LINE(204, print_line(game_text::room_6[0]));
    LINE(205, print_line(game_text::room_6[1]));
    RETURN(206);

    LABEL(room_7, 208);
    LINE(209, print_line(game_text::room_7[0]));
    LINE(210, print_line(game_text::room_7[1]));
    RETURN(211);

    LABEL(room_8, 213);
    LINE(214, print_line(game_text::room_8[0]));
    LINE(215, print_line(game_text::room_8[1]));
    RETURN(216);

    LABEL(room_9, 218);
    LINE(219, print_line(game_text::room_9[0]));
    LINE(220, print_line(game_text::room_9[1]));
    RETURN(221);

    // Lines 223 to 234: LEAVE TOLMERAND. The wait takes a key still waiting
    // from the typed command, if any, so the passage stays under the END prompt.
    LABEL(ending_of_leaving, 223);
    LINE(224, rt_color(2, 0, 0, 3));
    LINE(225, rt_cls(0, 0, 0));
    LINE(226, print_line(game_text::ending_of_leaving[0]));
    LINE(227, print_line(game_text::ending_of_leaving[1]));
    LINE(228, print_line(game_text::ending_of_leaving[2]));
    LINE(229, print_line(game_text::ending_of_leaving[3]));
    LINE(230, print_line(game_text::ending_of_leaving[4]));
    LINE(231, print_line(game_text::ending_of_leaving[5]));
    LINE(232, print_blank());
    LOOP_UNTIL(233, key_waiting());
    LINE(234, rt_end());

    // Lines 236 to 245: USE KNIFE in the man's room.
    LABEL(ending_of_the_knife, 236);
    LINE(237, rt_color(2, 0, 0, 3));
    LINE(238, rt_cls(0, 0, 0));
    LINE(239, print_line(game_text::ending_of_the_knife[0]));
    LINE(240, print_line(game_text::ending_of_the_knife[1]));
    LINE(241, print_line(game_text::ending_of_the_knife[2]));
    LINE(242, print_line(game_text::ending_of_the_knife[3]));
    LINE(243, print_blank());
    LOOP_UNTIL(244, key_waiting());
    LINE(245, rt_end());

    LINE(246, rt_end());
}
