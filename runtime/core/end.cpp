// The END statement, parking of the program thread, and the statements that
// switch between automatic and requested frame composition.
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/core/files.h"
#include "runtime/core/runtime.h"
#include "runtime/display/frame_composer.h"
#include "runtime/input/key_reading.h"
#include "runtime/screen/pages.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_statements.h"
#include "runtime/screen/text_output.h"
#include "runtime/strings/rt_string.h"

void rt_park_program_thread() {
    rt_control.parked.fetch_or(1);
    for (;;) plat_sleep_ms(16);  // before and after stopping alike: the process ends around it
}

void rt_end() {
    rt_close_all_files();
    rt_control.exit_trap.store(0);

    // The prompt goes on the last text row of the visible page.
    uint32_t mark = rts_temp_mark();
    if (ScreenImage* page = rt_pages.display.load()) {
        rt_pages.write_page = rt_pages.display_page;
        rt_pages.write = page;
        int32_t rows = img_text_rows(page);
        rt_view_print(rows, rows, 1);
        rt_print(rts_empty_string, 1);
        rt_print(rts_from_cstring("Press any key to continue"), 0);
    }
    rts_release_temps(mark, 0);

    // Shown even if the program had switched automatic display off.
    rt_control.auto_display.store(1);

    // Drop the keys typed before the prompt, then wait for a new one (parks
    // the thread if the shutdown starts meanwhile).
    rt_wait_any_key();

    rt_control.exit_requested.store(1);
    rt_park_program_thread();
}

void rt_display() {
    if (rt_control.auto_display.load() != 0) {
        // Let the frame thread compose one last automatic frame.
        rt_control.auto_display.store(-1);
        while (rt_control.auto_display.load() != 0) {
            // The frame thread composes no more once the shutdown has begun.
            if (rt_control.stopping.load() != 0) rt_park_program_thread();
            plat_sleep_ms(1);
        }
    } else {
        compose_frame();
    }
}

void rt_auto_display() { rt_control.auto_display.store(1); }
