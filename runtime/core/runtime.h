// Start-up, the four threads, the END statement and the single orderly
// shutdown path run by the frame thread.
#pragma once
#include <cstdint>
#include <string>

using ProgramEntry = void (*)();

// Process entry of the executable: start-up steps 1 to 16; the calling thread
// becomes the display thread and the call never returns.
int rt_main(int argc, char** argv, ProgramEntry program);

// Start-up steps 1 to 13 (no window): tables, clock base, keyboard seeding,
// palettes and fonts, mode 0, then the program, event and frame threads.
// The shipped executable reaches it only through rt_main; tests call it directly.
void rt_start_runtime(int argc, char** argv, ProgramEntry program);

// The END statement: "Press any key to continue" on the last row, a key, exit.
[[noreturn]] void rt_end();

// Program thread only: mark parked and sleep for ever.
[[noreturn]] void rt_park_program_thread();

// Compose one frame now; afterwards frames appear only on request.
void rt_display();

// Switch automatic frame composition back on.
void rt_auto_display();

// The command-line string: the arguments after the program name joined by spaces.
const char* rt_command_line();

// Start-up pieces, exposed for tests.
// The directory part of an executable's path (everything before the last
// '/'; "/" for a file in the root; the whole path when it has no '/').
std::string rt_executable_directory(const std::string& path);
// Change to the executable's directory; a failure leaves it unchanged.
void rt_set_working_directory();
// Fix rt_clock_base: wait for the calendar second to change, then record the
// millisecond clock and the local time of day of the new second (0 when the
// calendar time is invalid or cannot be converted).
void rt_fix_clock_base();
// Join the arguments after the program name with single spaces.
void rt_build_command_line(int argc, char** argv);

// Number of environment strings, counted at start-up.
extern int32_t rt_environment_count;
