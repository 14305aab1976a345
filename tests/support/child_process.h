// Scratch folders and child processes of the end-to-end tests: the tests
// start the real executable or a probe, keep its files in a scratch folder,
// and stop or await the process when they are done.
#pragma once
#include <sys/types.h>
#include <string>

// A new empty folder /tmp/<prefix>_XXXXXX; "" when it cannot be made.
std::string make_scratch_dir(const std::string& prefix);

// Remove the folder and everything in it; nothing for "".
void remove_scratch_dir(const std::string& dir);

// Kill a child that is still running and reap it; pid becomes 0.
void stop_child(pid_t& pid);

// The child's exit status (128 + the signal when a signal ended it), or -1
// when it has not ended within timeout_ms; pid becomes 0 once it has ended.
int wait_child_exit(pid_t& pid, int timeout_ms);
