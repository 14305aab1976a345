// Threads: start a detached thread running a function with no arguments,
// and name the calling thread.
#pragma once

using PlatThreadFunc = void (*)();

// Start a detached thread; false when the thread could not be created.
bool plat_start_thread(PlatThreadFunc func, const char* name);

// Name the calling thread (at most 15 characters are kept).
void plat_set_thread_name(const char* name);
