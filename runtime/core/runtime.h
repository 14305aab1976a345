// Start-up, the four threads, the END statement and the single orderly
// shutdown path run by the frame thread.
#pragma once
#include <cstdint>

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
