// Runs a shell command for a test (xdotool, import, ...) and returns what it
// wrote on standard output, without trailing spaces and line feeds. Standard
// error is discarded.
#pragma once
#include <string>

std::string run_command(const std::string& command);
