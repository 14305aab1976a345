// The program, event and frame threads and the exit sequence.
#include "runtime/core/threads.h"

#include "platform/plat_process.h"
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/core/conv_memory.h"
#include "runtime/core/errors.h"
#include "runtime/core/files.h"
#include "runtime/core/timing.h"
#include "runtime/core/traps.h"
#include "runtime/display/frame_composer.h"
#include "runtime/input/keyboard.h"

std::atomic<int32_t> frame_hold{0};
std::atomic<int32_t> event_hold{0};
std::atomic<int32_t> retrace_flags[2];
ProgramEntry rt_program_entry = nullptr;

namespace {

void on_floating_point_fault() { rt_error(11); }

void run_program() {
    if (rt_program_entry) rt_program_entry();
    // A program that runs off its end without the END statement ends the
    // process quietly through the same orderly exit.
    rt_control.exit_requested.store(1);
    rt_park_program_thread();
}

}  // namespace

void rt_program_thread_main() {
    static std::atomic<int> prepared{0};
    if (prepared.exchange(1) == 0) {
        plat_set_extended_precision();
        plat_install_fpe_handler(on_floating_point_fault);
    }
    plat_run_fpe_guarded(run_program, on_floating_point_fault);
}

void rt_event_thread_main() {
    uint32_t pass = 0;
    while (rt_control.stopping.load() == 0) {
        if (event_hold.load() == 1) {
            event_hold.store(2);
        } else if (event_hold.load() == 0) {
            rt_scan_timers(static_cast<double>(rt_clock_ms()) * 0.001);
        }
        ++pass;
        plat_sleep_ms((pass & 3) == 0 ? 1 : 0);
    }
    rt_control.parked.fetch_or(2);
}

void rt_update_bios_ticks() {
    auto ticks = static_cast<uint32_t>(static_cast<double>(rt_time_of_day_ms()) * 0.0182);
    // The program thread may read these bytes while they are written.
    for (uint32_t i = 0; i < 3; ++i) {
        std::atomic_ref<uint8_t>(ConvMemory[BIOS_TICKS + i])
            .store(static_cast<uint8_t>(ticks >> (8 * i)), std::memory_order_relaxed);
    }
}

void rt_exit_sequence() {
    rt_control.stopping.store(1);
    rt_control.check_requested.store(1);
    while (rt_control.parked.load() != 3) plat_sleep_ms(16);
    rt_close_all_files();
    plat_exit(0);
}

void rt_frame_thread_main() {
    uint32_t parity = 0;
    for (;;) {
        if (frame_hold.load() == 1) {
            frame_hold.store(2);
            while (frame_hold.load() == 2) plat_sleep_ms(1);
        }
        if (rt_control.close_requests.load() != 0 && rt_control.exit_trap.load() == 0) rt_exit_sequence();
        rt_update_bios_ticks();

        plat_sleep_ms(15);
        retrace_flags[0].store(1);
        retrace_flags[1].store(1);
        plat_sleep_ms(1);
        if (rt_control.exit_requested.load() != 0) rt_exit_sequence();

        parity ^= 1;
        if (parity) {
            if (rt_control.auto_display.load() != 0) compose_frame();
            frame_count.fetch_add(1);
        }
        retrace_flags[1].store(0);
        if (!parity) rt_poll_lock_keys();
    }
}
