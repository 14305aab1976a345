// The command editor: reads one command line at the "> " prompt while the
// countdown runs on row 2.
#pragma once
#include "runtime/strings/rt_string.h"

// Returns the typed line (upper-case letters and spaces, possibly empty) as a
// temporary when Enter is pressed. When the time limit has run out it plays
// the ending of time and does not return.
RtString* command_editor();
