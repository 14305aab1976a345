// RuntimeControl: the process-wide record of control flags through which the
// four threads (display, program, frame, event) signal one another.
// Every field is atomic; the default sequentially consistent ordering is at
// least the acquire/release ordering the protocols need.
#pragma once
#include <atomic>
#include <cstdint>

struct RuntimeControl {
    std::atomic<int32_t> check_requested{0};   // program thread must call rt_check_statement
    std::atomic<int32_t> error_pending{0};     // first ErrorCode raised since the last check
    std::atomic<uint32_t> error_line{0};       // line of the statement reporting the error
    std::atomic<uint8_t> exit_requested{0};    // somebody asked for the process to end
    std::atomic<uint8_t> paused{0};            // bit 0: held at the next statement boundary
    std::atomic<uint8_t> stopping{0};          // shutdown has begun (frame thread only)
    std::atomic<int32_t> parked{0};            // bit 0 program thread parked, bit 1 event thread done
    std::atomic<int32_t> close_requests{0};    // bit 0 close button, bit 1 Break with exit trap
    std::atomic<int32_t> exit_trap{0};         // close requests left to the program
    std::atomic<int32_t> auto_display{1};      // 1 automatic, -1 one last frame wanted, 0 manual
    std::atomic<int32_t> threads_started{0};   // worker threads exist
    std::atomic<int32_t> window_created{0};    // the window exists
};

extern RuntimeControl rt_control;
