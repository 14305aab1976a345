// Start-up: the fixed order in which the runtime's state is made, the
// program, event and frame threads, and the executable's entry that then
// hands the first thread over to the window.
#include <cstdio>
#include <string>
#include <unistd.h>
#include "platform/plat_process.h"
#include "platform/plat_thread.h"
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/core/conv_memory.h"
#include "runtime/core/errors.h"
#include "runtime/core/files.h"
#include "runtime/core/runtime.h"
#include "runtime/core/threads.h"
#include "runtime/core/timing.h"
#include "runtime/core/traps.h"
#include "runtime/core/var_storage.h"
#include "runtime/display/window.h"
#include "runtime/input/keyboard.h"
#include "runtime/screen/fonts_palettes.h"
#include "runtime/screen/pages.h"
#include "runtime/screen/screen_image.h"
#include "runtime/strings/rt_string.h"

extern char** environ;

int32_t rt_environment_count = 0;

namespace {

std::string& command_line() {
    static auto* line = new std::string();
    return *line;
}

void start_thread(PlatThreadFunc func, const char* name) {
    if (!plat_start_thread(func, name)) rt_fatal("Cannot start a thread", "Critical Error");
}

}  // namespace

std::string rt_executable_directory(const std::string& path) {
    size_t cut = path.find_last_of('/');
    if (cut == std::string::npos) return path;  // no directory part: chdir fails and changes nothing
    if (cut == 0) return "/";
    return path.substr(0, cut);
}

void rt_set_working_directory() {
    static char path[65536];
    if (plat_executable_path(path, sizeof path) == 0) return;
    plat_change_directory(rt_executable_directory(path).c_str());  // a failure is ignored
}

void rt_fix_clock_base() {
    int64_t calendar = plat_calendar_time();
    if (calendar >= 0) {
        // Align to the start of the next calendar second.
        int64_t next;
        do {
            next = plat_calendar_time();
        } while (next == calendar);
        calendar = next;
    }
    rt_clock_base.clock_ms = rt_clock_ms();
    int hours = 0, minutes = 0, seconds = 0;
    if (calendar >= 0 && plat_local_time_of_day(calendar, &hours, &minutes, &seconds)) {
        rt_clock_base.time_of_day_ms = (static_cast<int64_t>(hours) * 3600 + minutes * 60 + seconds) * 1000;
    } else {
        rt_clock_base.time_of_day_ms = 0;
    }
}

void rt_build_command_line(int argc, char** argv) {
    std::string& line = command_line();
    line.clear();
    for (int i = 1; i < argc && argv != nullptr; ++i) {
        if (argv[i] == nullptr) continue;
        if (i > 1) line += ' ';
        line += argv[i];
    }
}

const char* rt_command_line() { return command_line().c_str(); }

void rt_start_runtime(int argc, char** argv, ProgramEntry program) {
    // 1-2. Trap and device tables: default trap keys, one timer without a
    // handler, no open files.
    rt_traps_init();
    rt_timers_init();
    rt_files_init();

    // 3. The working directory is the executable's directory.
    rt_set_working_directory();

    // 4. The environment strings.
    rt_environment_count = 0;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) ++rt_environment_count;

    // 5. Font-size tables, the image table with handles 0 and 1 taken.
    // fonts_palettes_init fills the font table together with the colour
    // tables and glyphs, so this one call covers both step 5's font sizes and
    // step 11's palettes and built-in fonts; nothing in between reads them.
    fonts_palettes_init();
    img_table_init();

    // 6-7. Variable storage, ConvMemory, the data block and the shared
    // empty and space strings.
    rt_var_init();
    conv_memory_clear();
    rts_init();

    // 8. The command-line string.
    rt_build_command_line(argc, argv);

    // 9. The clock base, aligned to the start of a calendar second.
    rt_fix_clock_base();

    // 10. Key state from the operating system.
    rt_keyboard_init();

    // 12. The 80x25 text screen.
    rt_screen(0, 0, 0, 1);
    default_screen_untouched = 1;

    // 13. The threads: program, event, then (with threads_started) frame.
    rt_program_entry = program;
    start_thread(rt_program_thread_main, "program");
    start_thread(rt_event_thread_main, "event");
    rt_control.threads_started.store(1);
    start_thread(rt_frame_thread_main, "frame");
}

int rt_main(int argc, char** argv, ProgramEntry program) {
    if (!plat_display_available()) {
        std::fputs("tolmerand: cannot open the X display; the game needs a graphical session (is DISPLAY set?)\n",
                   stderr);
        return 1;
    }
    rt_start_runtime(argc, argv, program);
    // 14-16. The window and its event loop; this thread becomes the display thread.
    rt_window_run(argc, argv);
}
