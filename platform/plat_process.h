// Process services: the executable's path, the working directory, process
// exit, x87 precision control and the floating-point exception signal.
#pragma once
#include <cstddef>

// Full path of the executable into buf; returns its length, 0 on failure.
size_t plat_executable_path(char* buf, size_t size);

// Change the working directory; false on failure.
bool plat_change_directory(const char* path);

// End the process with a status. Tests may install a hook that is called
// instead (it must not return); the shipped executable never does.
// The process ends with _exit after the exit callbacks have run and every
// stdio stream has been flushed: static destructors and library teardown are
// not run, because the other threads (the window's among them) are still
// working when the frame thread or a critical error ends the process.
[[noreturn]] void plat_exit(int status);
using PlatExitHook = void (*)(int status);
void plat_set_exit_hook(PlatExitHook hook);

// Register a function that plat_exit runs before the process ends (at most
// 8; false when full). For diagnostics of test programs: plain atexit
// handlers do not run on this path.
bool plat_at_exit(void (*callback)());

// Set the x87 unit to a 64-bit mantissa where the machine has one.
void plat_set_extended_precision();

// The precision-control bits of the calling thread's x87 control word
// (0x300 = 64-bit mantissa), or -1 on machines without an x87 unit.
int plat_x87_precision_bits();

// Install a SIGFPE handler that calls handler() on the faulting thread.
void plat_install_fpe_handler(void (*handler)());

// Run body on the calling thread. A SIGFPE raised on this thread while body
// runs abandons body (its frames are left without unwinding) and calls
// on_fault from ordinary code rather than from inside the signal handler, so
// on_fault may allocate, print and open windows. Needs the handler installed.
void plat_run_fpe_guarded(void (*body)(), void (*on_fault)());

// True when an X display can be opened (checked before the window starts).
bool plat_display_available();
