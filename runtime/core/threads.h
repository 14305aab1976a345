// The worker threads of the runtime: the program thread's start, the frame
// thread's loop with the exit sequence, and the event thread's loop, with
// the hold-still hand-shake words through which another thread can make the
// frame or event thread pause (1 = please hold, 2 = holding; the requester
// writes 0 to release it).
#pragma once
#include <atomic>
#include <cstdint>
#include "runtime/core/runtime.h"

extern std::atomic<int32_t> frame_hold;
extern std::atomic<int32_t> event_hold;

// The emulated vertical-retrace flags the frame thread raises on every pass.
extern std::atomic<int32_t> retrace_flags[2];

// The program the program thread runs (set by start-up before the threads start).
extern ProgramEntry rt_program_entry;

// Thread bodies (start-up starts them with plat_start_thread).
void rt_program_thread_main();
void rt_event_thread_main();
void rt_frame_thread_main();

// One pass of the frame thread's tick update: the BIOS tick count at
// ConvMemory 0x46C..0x46E from the time of day.
void rt_update_bios_ticks();

// The single orderly shutdown, run by the frame thread: stopping, wait until
// the program thread has parked and the event thread finished, close the
// files, exit with status 0.
[[noreturn]] void rt_exit_sequence();
