// Runtime errors: raising (rt_error), the per-statement check, the error
// dialog and the critical errors that end the process at once.
#pragma once
#include <cstdint>

using ErrorCode = int32_t;

// Raise an error. Ordinary codes are held in error_pending (the first one
// wins, codes below 1 become 5); critical codes end the process.
void rt_error(ErrorCode code);

// Show a system-modal box with an OK button, then end the process with status 0.
[[noreturn]] void rt_fatal(const char* text, const char* caption);

// Called on the program thread after a statement when check_requested is set,
// and with line 0 on every slice of the runtime's own waits.
void rt_check_statement(uint32_t line);

// The error dialog (only rt_check_statement calls it).
void rt_report_error();

// Services pending event traps (only rt_check_statement calls it).
void rt_dispatch_events();

// Message text of an ordinary error code, or nullptr when the table has no row.
const char* rt_error_message(ErrorCode code);

// True when rt_error treats the code as critical; fills its text and caption.
// The caption buffer must hold at least 32 bytes.
bool rt_error_critical(ErrorCode code, const char** text, char* caption);
