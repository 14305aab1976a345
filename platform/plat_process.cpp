// Process services on Linux: the executable's path from /proc, the working
// directory, the process exit (with a test hook and exit callbacks), x87
// precision control, the SIGFPE handler and the X display probe.
#include "platform/plat_process.h"

#include <X11/Xlib.h>
#include <atomic>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <unistd.h>

#if defined(__i386__) || defined(__x86_64__)
#include <fpu_control.h>
#endif

namespace {

std::atomic<PlatExitHook> exit_hook{nullptr};

constexpr int MAX_EXIT_CALLBACKS = 8;
std::atomic<void (*)()> exit_callbacks[MAX_EXIT_CALLBACKS];
std::atomic<int> exit_callback_count{0};

std::atomic<void (*)()> fpe_handler{nullptr};

// Where a SIGFPE on a thread inside plat_run_fpe_guarded jumps to.
thread_local sigjmp_buf* fpe_jump = nullptr;

void on_sigfpe(int) {
    // The guarded thread leaves the signal handler at once and deals with
    // the fault in ordinary code.
    if (sigjmp_buf* jump = fpe_jump) siglongjmp(*jump, 1);
    void (*handler)() = fpe_handler.load();
    if (handler) handler();
    // A handler that returns would re-run the faulting instruction for ever.
    std::signal(SIGFPE, SIG_DFL);
    std::raise(SIGFPE);
}

}  // namespace

size_t plat_executable_path(char* buf, size_t size) {
    if (buf == nullptr || size < 2) return 0;
    ssize_t n = readlink("/proc/self/exe", buf, size - 1);
    if (n <= 0 || static_cast<size_t>(n) >= size - 1) {
        buf[0] = '\0';
        return 0;
    }
    buf[n] = '\0';
    return static_cast<size_t>(n);
}

bool plat_change_directory(const char* path) {
    return path != nullptr && chdir(path) == 0;
}

void plat_set_exit_hook(PlatExitHook hook) { exit_hook.store(hook); }

bool plat_at_exit(void (*callback)()) {
    int slot = exit_callback_count.fetch_add(1);
    if (slot >= MAX_EXIT_CALLBACKS) return false;
    exit_callbacks[slot].store(callback);
    return true;
}

void plat_exit(int status) {
    if (PlatExitHook hook = exit_hook.load()) hook(status);
    static std::atomic<int> exiting{0};
    if (exiting.exchange(1) != 0) {
        // Another thread is already ending the process; wait for it.
        for (;;) pause();
    }
    int count = exit_callback_count.load();
    if (count > MAX_EXIT_CALLBACKS) count = MAX_EXIT_CALLBACKS;
    for (int i = 0; i < count; ++i) {
        if (void (*callback)() = exit_callbacks[i].load()) callback();
    }
    // The other threads are still running (the display thread inside the
    // window library): the process ends here without running static
    // destructors or library teardown underneath them.
    std::fflush(nullptr);
    _exit(status);
}

void plat_set_extended_precision() {
#if defined(__i386__) || defined(__x86_64__)
    fpu_control_t cw;
    _FPU_GETCW(cw);
    cw = static_cast<fpu_control_t>((cw & ~_FPU_EXTENDED) | _FPU_EXTENDED);
    _FPU_SETCW(cw);
#endif
}

int plat_x87_precision_bits() {
#if defined(__i386__) || defined(__x86_64__)
    fpu_control_t cw;
    _FPU_GETCW(cw);
    return static_cast<int>(cw & _FPU_EXTENDED);
#else
    return -1;
#endif
}

void plat_install_fpe_handler(void (*handler)()) {
    fpe_handler.store(handler);
    struct sigaction action{};
    action.sa_handler = on_sigfpe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGFPE, &action, nullptr);
}

void plat_run_fpe_guarded(void (*body)(), void (*on_fault)()) {
    sigjmp_buf jump;
    if (sigsetjmp(jump, 1) == 0) {
        fpe_jump = &jump;
        body();
        fpe_jump = nullptr;
    } else {
        // The signal mask saved by sigsetjmp is back: SIGFPE is unblocked.
        fpe_jump = nullptr;
        on_fault();
    }
}

bool plat_display_available() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    XCloseDisplay(display);
    return true;
}
