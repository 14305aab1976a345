// The runtime harness: the fake clock, the message-box, exit and key-state
// hooks, and the headless start of the runtime (see runtime_harness.h).
#include "tests/support/runtime_harness.h"

#include <pthread.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <mutex>
#include <thread>
#include "platform/plat_keys.h"
#include "platform/plat_process.h"
#include "platform/plat_time.h"
#include "runtime/core/control.h"

namespace {

// Harness state lives on the heap and is never destroyed: runtime threads
// still sleep through it while the test process ends.
struct FakeClockState {
    std::atomic<int64_t> now_ms{1000000};
    std::atomic<int64_t> wall_offset_ms{0};  // wall clock = now_ms + offset
    std::atomic<int> mode{FAKE_SLEEP_ADVANCES};
    std::atomic<bool> calendar_invalid{false};
    std::atomic<bool> local_time_fails{false};
    std::atomic<int64_t> last_calendar{INT64_MIN};  // the second the previous read returned
    std::mutex log_mutex;
    std::vector<FakeSleep> log;
};

FakeClockState& fake() {
    static auto* state = new FakeClockState();
    return *state;
}

struct HarnessState {
    std::mutex mutex;
    std::vector<PlatMsgBoxResult> answers;
    std::vector<MsgBoxCall> calls;
    std::atomic<bool> exited{false};
    std::atomic<int> status{-1};
    ProgramEntry program = nullptr;
    std::vector<std::string> args;
    std::vector<char*> argv;
};

HarnessState& harness() {
    static auto* state = new HarnessState();
    return *state;
}

thread_local bool on_program_thread = false;

constexpr int64_t DAY_SECONDS = 86400;
constexpr int64_t DEFAULT_DAY = 19000;

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

const std::string& thread_name() {
    thread_local std::string name = [] {
        char buf[16] = {};
        pthread_getname_np(pthread_self(), buf, sizeof buf);
        return std::string(buf);
    }();
    return name;
}

bool is_worker_thread() {
    const std::string& name = thread_name();
    return name == "frame" || name == "event";
}

bool is_main_thread() { return getpid() == static_cast<pid_t>(gettid()); }

int64_t fake_clock_ms() { return fake().now_ms.load(); }

int64_t fake_calendar_time() {
    FakeClockState& f = fake();
    if (f.calendar_invalid.load()) return -1;
    // Polling the calendar takes time: a read that would see the same second
    // as the previous read first moves the clock on by 1 ms. So start-up's
    // busy wait for the next second ends exactly at its start.
    int64_t second = floor_div(f.now_ms.load() + f.wall_offset_ms.load(), 1000);
    if (second == f.last_calendar.load()) {
        f.now_ms.fetch_add(1);
        second = floor_div(f.now_ms.load() + f.wall_offset_ms.load(), 1000);
    }
    f.last_calendar.store(second);
    return second;
}

bool fake_local_time_of_day(int64_t calendar_time, int* hours, int* minutes, int* seconds) {
    if (fake().local_time_fails.load() || calendar_time < 0) return false;
    int64_t s = calendar_time % DAY_SECONDS;
    *hours = static_cast<int>(s / 3600);
    *minutes = static_cast<int>(s / 60 % 60);
    *seconds = static_cast<int>(s % 60);
    return true;
}

void fake_sleep_ms(int32_t ms) {
    if (is_worker_thread()) {
        plat_real_sleep_ms(ms);
        return;
    }
    FakeClockState& f = fake();
    {
        std::lock_guard<std::mutex> lock(f.log_mutex);
        if (f.log.size() < 1000000) f.log.push_back({f.now_ms.load(), ms, thread_name()});
    }
    // A parked program thread sleeps for ever: really, not by running the
    // clock. A thread that once slept parked stays so, even if a later test
    // in the same process clears the flags.
    thread_local bool slept_parked = false;
    if ((rt_control.parked.load() & 1) != 0 && !is_main_thread()) slept_parked = true;
    bool parked = slept_parked;
    if (f.mode.load() == FAKE_SLEEP_ADVANCES && !parked) {
        if (ms > 0) f.now_ms.fetch_add(ms);
        plat_real_sleep_ms(0);
    } else if (parked) {
        plat_real_sleep_ms(ms);
    } else {
        plat_real_sleep_ms(ms > 0 ? 1 : 0);
    }
}

void harness_exit_hook(int status) {
    HarnessState& h = harness();
    int expected = -1;
    h.status.compare_exchange_strong(expected, status);
    h.exited.store(true);
    for (;;) plat_real_sleep_ms(1000);  // the process goes on for the test
}

PlatMsgBoxResult harness_msgbox_hook(const char* text, const char* caption, PlatMsgBoxButtons buttons) {
    HarnessState& h = harness();
    std::lock_guard<std::mutex> lock(h.mutex);
    PlatMsgBoxResult answer = buttons == PLAT_MB_YES_NO ? PLAT_MB_RESULT_YES : PLAT_MB_RESULT_OK;
    if (!h.answers.empty()) {
        answer = h.answers.front();
        h.answers.erase(h.answers.begin());
    }
    h.calls.push_back({text, caption, buttons, answer});
    return answer;
}

PlatKeyState neutral_key_state() {
    PlatKeyState state{};
    state.valid = true;
    return state;
}

void program_trampoline() {
    on_program_thread = true;
    if (ProgramEntry program = harness().program) program();
}

}  // namespace

void fake_clock_install(int64_t start_ms, FakeSleepMode mode) {
    FakeClockState& f = fake();
    f.now_ms.store(start_ms);
    f.mode.store(mode);
    f.calendar_invalid.store(false);
    f.local_time_fails.store(false);
    fake_clock_set_time_of_day(10, 0, 0, 0);
    fake_clock_clear_sleeps();
    static const PlatClockHooks hooks{fake_clock_ms, fake_calendar_time, fake_local_time_of_day, fake_sleep_ms};
    plat_set_clock_hooks(&hooks);
}

void fake_clock_uninstall() { plat_set_clock_hooks(nullptr); }

void fake_clock_set_mode(FakeSleepMode mode) { fake().mode.store(mode); }

int64_t fake_clock_now() { return fake().now_ms.load(); }

void fake_clock_set(int64_t ms) { fake().now_ms.store(ms); }

void fake_clock_advance(int64_t ms) { fake().now_ms.fetch_add(ms); }

void fake_clock_set_wall(int64_t calendar_seconds, int32_t ms_into_second) {
    fake().last_calendar.store(INT64_MIN);
    fake().wall_offset_ms.store(calendar_seconds * 1000 + ms_into_second - fake().now_ms.load());
}

void fake_clock_set_time_of_day(int hours, int minutes, int seconds, int ms) {
    fake_clock_set_wall(DEFAULT_DAY * DAY_SECONDS + hours * 3600 + minutes * 60 + seconds, ms);
}

void fake_clock_set_calendar_invalid(bool invalid) { fake().calendar_invalid.store(invalid); }

void fake_clock_set_local_time_fails(bool fails) { fake().local_time_fails.store(fails); }

std::vector<FakeSleep> fake_clock_sleeps() {
    std::lock_guard<std::mutex> lock(fake().log_mutex);
    return fake().log;
}

std::vector<int32_t> fake_clock_sleep_lengths() {
    std::vector<int32_t> lengths;
    for (const FakeSleep& s : fake_clock_sleeps()) lengths.push_back(s.ms);
    return lengths;
}

void fake_clock_clear_sleeps() {
    std::lock_guard<std::mutex> lock(fake().log_mutex);
    fake().log.clear();
}

void harness_install_hooks() {
    plat_set_exit_hook(harness_exit_hook);
    plat_set_msgbox_hook(harness_msgbox_hook);
    plat_set_key_state_hook(neutral_key_state);
}

void harness_queue_msgbox_answer(PlatMsgBoxResult answer) {
    std::lock_guard<std::mutex> lock(harness().mutex);
    harness().answers.push_back(answer);
}

std::vector<MsgBoxCall> harness_msgbox_calls() {
    std::lock_guard<std::mutex> lock(harness().mutex);
    return harness().calls;
}

bool harness_exited() { return harness().exited.load(); }

int harness_wait_exit(int timeout_ms) {
    if (!harness_wait_until([] { return harness_exited(); }, timeout_ms)) return -1;
    return harness().status.load();
}

void harness_run_detached(std::function<void()> fn, const char* name) {
    std::string thread_name_copy = name ? name : "detached";
    std::thread([fn = std::move(fn), thread_name_copy] {
        pthread_setname_np(pthread_self(), thread_name_copy.substr(0, 15).c_str());
        fn();
    }).detach();
}

void harness_start_runtime(ProgramEntry program, const std::vector<std::string>& args) {
    harness_install_hooks();
    harness().program = program;
    // argv lives for the whole run, like a process's own.
    HarnessState& h = harness();
    h.args.assign(1, "tolmerand-test");
    h.args.insert(h.args.end(), args.begin(), args.end());
    h.argv.clear();
    for (std::string& arg : h.args) h.argv.push_back(arg.data());
    h.argv.push_back(nullptr);
    rt_start_runtime(static_cast<int>(h.args.size()), h.argv.data(), program_trampoline);
}

bool harness_on_program_thread() { return on_program_thread; }

void harness_request_exit() { rt_control.exit_requested.store(1); }

bool harness_wait_until(const std::function<bool()>& condition, int timeout_ms, int poll_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(poll_ms));
    }
    return true;
}
