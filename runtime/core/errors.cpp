// Raising errors, the per-statement check, the error dialog and the
// critical errors that end the process at once.
#include "runtime/core/errors.h"

#include <atomic>
#include <cstdio>
#include <string>
#include "platform/plat_msgbox.h"
#include "platform/plat_process.h"
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/core/runtime.h"

namespace {

struct ErrorMessage {
    ErrorCode code;
    const char* text;
};

constexpr ErrorMessage ERROR_MESSAGES[] = {
    {1, "NEXT without FOR"},
    {2, "Syntax error"},
    {3, "RETURN without GOSUB"},
    {4, "Out of DATA"},
    {5, "Illegal function call"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {8, "Label not defined"},
    {9, "Subscript out of range"},
    {10, "Duplicate definition"},
    {12, "Illegal in direct mode"},
    {13, "Type mismatch"},
    {14, "Out of string space"},
    {16, "String formula too complex"},
    {17, "Cannot continue"},
    {18, "Function not defined"},
    {19, "No RESUME"},
    {20, "RESUME without error"},
    {24, "Device timeout"},
    {25, "Device fault"},
    {26, "FOR without NEXT"},
    {27, "Out of paper"},
    {29, "WHILE without WEND"},
    {30, "WEND without WHILE"},
    {33, "Duplicate label"},
    {35, "Subprogram not defined"},
    {37, "Argument-count mismatch"},
    {38, "Array not defined"},
    {40, "Variable required"},
    {50, "FIELD overflow"},
    {51, "Internal error"},
    {52, "Bad file name or number"},
    {53, "File not found"},
    {54, "Bad file mode"},
    {55, "File already open"},
    {56, "FIELD statement active"},
    {57, "Device I/O error"},
    {58, "File already exists"},
    {59, "Bad record length"},
    {61, "Disk full"},
    {62, "Input past end of file"},
    {63, "Bad record number"},
    {64, "Bad file name"},
    {67, "Too many files"},
    {68, "Device unavailable"},
    {69, "Communication-buffer overflow"},
    {70, "Permission denied"},
    {71, "Disk not ready"},
    {72, "Disk-media error"},
    {73, "Feature unavailable"},
    {74, "Rename across disks"},
    {75, "Path/File access error"},
    {76, "Path not found"},
    {258, "Invalid handle"},
    {262, "Function unavailable in TARNO"},
    {300, "Memory region out of range"},
    {301, "Invalid size"},
    {302, "Source memory region out of range"},
    {303, "Destination memory region out of range"},
    {304, "Source and destination memory regions out of range"},
    {305, "Source memory has been freed"},
    {306, "Destination memory has been freed"},
    {307, "Memory already freed"},
    {308, "Memory has been freed"},
    {309, "Memory not initialized"},
    {310, "Source memory not initialized"},
    {311, "Destination memory not initialized"},
    {312, "Source and destination memory not initialized"},
    {313, "Source and destination memory have been freed"},
};

struct CriticalError {
    ErrorCode code;
    const char* text;
    const char* caption;
};

constexpr CriticalError CRITICAL_ERRORS[] = {
    {11, "Division by zero", "Critical Error"},
    {256, "Out of stack space", "Critical Error"},
    {257, "Out of memory", "Critical Error #1"},
    {259, "Cannot find dynamic library file", "Critical Error"},
    {260, "Sub/Function does not exist in dynamic library", "Critical Error"},
    {261, "Sub/Function does not exist in dynamic library", "Critical Error"},
    {263, "Paths/Filename illegal in TARNO", "Critical Error"},
    {270, "_GL command called outside of SUB _GL's scope", "Critical Error"},
    {271, "END/SYSTEM called within SUB _GL's scope", "Critical Error"},
};

// Errors from 300 to 313 are reported by the dialog as critical: an OK box,
// then the end of the process.
bool reported_as_critical(ErrorCode code) { return code >= 300 && code <= 313; }

}  // namespace

const char* rt_error_message(ErrorCode code) {
    for (const ErrorMessage& m : ERROR_MESSAGES) {
        if (m.code == code) return m.text;
    }
    return nullptr;
}

bool rt_error_critical(ErrorCode code, const char** text, char* caption) {
    if (code >= 502 && code <= 518) {
        *text = "Out of memory";
        std::snprintf(caption, 32, "Critical Error #%d", static_cast<int>(code - 500));
        return true;
    }
    for (const CriticalError& c : CRITICAL_ERRORS) {
        if (c.code == code) {
            *text = c.text;
            std::snprintf(caption, 32, "%s", c.caption);
            return true;
        }
    }
    return false;
}

void rt_fatal(const char* text, const char* caption) {
    // Only the first critical error is shown; a second one raised meanwhile
    // on another thread waits for the process to end.
    static std::atomic<int> fatal_shown{0};
    if (fatal_shown.exchange(1) != 0) {
        for (;;) plat_sleep_ms(1000);
    }
    plat_message_box(text, caption, PLAT_MB_OK);
    plat_exit(0);
}

void rt_error(ErrorCode code) {
    const char* text = nullptr;
    char caption[32];
    if (rt_error_critical(code, &text, caption)) rt_fatal(text, caption);
    if (rt_control.error_pending.load() != 0) return;  // the first error wins
    if (code < 1) code = 5;
    rt_control.error_pending.store(code);
    rt_control.check_requested.store(1);
}

void rt_check_statement(uint32_t line) {
    rt_control.check_requested.store(0);
    while (rt_control.paused.load() != 0 || rt_control.stopping.load() != 0) {
        if (rt_control.stopping.load() != 0) rt_park_program_thread();
        plat_sleep_ms(10);
    }
    if (rt_control.error_pending.load() != 0) {
        rt_control.error_line.store(line);
        rt_report_error();
    } else {
        rt_dispatch_events();
    }
}

void rt_report_error() {
    ErrorCode code = rt_control.error_pending.load();
    bool critical = reported_as_critical(code);
    const char* message = rt_error_message(code);
    if (message == nullptr) message = "Unprintable error";

    std::string text = "Line:" + std::to_string(rt_control.error_line.load()) + "\n" + message;
    if (!critical) text += "\nContinue?";
    std::string caption = (critical ? "Critical Error #" : "Unhandled Error #") +
                          std::to_string(static_cast<uint32_t>(code));

    if (critical) rt_fatal(text.c_str(), caption.c_str());

    if (plat_message_box(text.c_str(), caption.c_str(), PLAT_MB_YES_NO) == PLAT_MB_RESULT_NO) {
        rt_control.exit_requested.store(1);
        rt_park_program_thread();
    }
    // Yes, or a box that could not be shown: go on with the next statement.
    rt_control.error_pending.store(0);
}
