// The key probe: the real runtime and window, running a program that
// reports every key it reads. The key tests (tests/e2e/keys_*.cpp) start it
// under an X server, type into its window with xdotool and read the report.
//
// Usage: keys_probe REPORT_FILE [--trap]
// With --trap the program keeps close requests for itself (exit_trap), so a
// close request or Break does not end it.
// Lines of the report, one per event, flushed at once:
//   flags B417 B418 B496  the shift-flag bytes, first at the start, then whenever they change
//   ready                 the program thread runs and has read nothing yet
//   hit CODE              a code from rt_keyhit
//   inkey CHAR SCAN       an rt_inkey result (SCAN is -1 for a one-character result)
//   close BITS            close_requests, whenever it changes
// The program checks check_requested between reads as a compiled program
// does after each statement, so pauses and the orderly exit reach it.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/core/conv_memory.h"
#include "runtime/core/errors.h"
#include "runtime/core/runtime.h"
#include "runtime/input/key_reading.h"
#include "runtime/strings/rt_string.h"

namespace {

FILE* report_file = nullptr;
bool trap_close = false;

void report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(report_file, format, args);
    va_end(args);
    std::fputc('\n', report_file);
    std::fflush(report_file);
}

void report_flags(int flags[3]) {
    int now[3] = {ConvMemory[BIOS_SHIFT_FLAGS_0], ConvMemory[BIOS_SHIFT_FLAGS_1], ConvMemory[BIOS_SHIFT_FLAGS_2]};
    if (now[0] == flags[0] && now[1] == flags[1] && now[2] == flags[2]) return;
    report("flags %d %d %d", now[0], now[1], now[2]);
    for (int i = 0; i < 3; i++) flags[i] = now[i];
}

void probe_program() {
    if (trap_close) rt_control.exit_trap.store(1);
    int flags[3] = {-1, -1, -1};
    int close_requests = 0;
    report_flags(flags);
    report("ready");
    for (;;) {
        if (rt_control.check_requested.load()) rt_check_statement(0);
        uint32_t mark = rts_temp_mark();
        for (int32_t code; (code = rt_keyhit()) != 0;) report("hit %d", code);
        RtString* s = rt_inkey();
        if (s->len == 1) report("inkey %d -1", s->data[0]);
        if (s->len == 2) report("inkey %d %d", s->data[0], s->data[1]);
        rts_release_temps(mark, 0);
        report_flags(flags);
        if (int now = rt_control.close_requests.load(); now != close_requests) report("close %d", close_requests = now);
        plat_sleep_ms(2);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || !(report_file = std::fopen(argv[1], "w"))) {
        std::fprintf(stderr, "usage: keys_probe REPORT_FILE [--trap]\n");
        return 2;
    }
    trap_close = argc > 2 && std::strcmp(argv[2], "--trap") == 0;
    return rt_main(argc, argv, probe_program);
}
