// The headless game for tests (see game_driver.h): the game program on the
// runtime harness, a pump for the fake clock, a stand-in for the display
// thread that takes composed frames, key injection and screen read-back.
#include "tests/support/game_driver.h"

#include <pthread.h>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>
#include "game/game.h"
#include "runtime/core/conv_memory.h"
#include "runtime/core/control.h"
#include "runtime/core/timing.h"
#include "runtime/display/frame_composer.h"
#include "runtime/input/keyboard.h"
#include "tests/support/game_screens.h"
#include "tests/support/runtime_harness.h"

namespace {

// Driver state lives on the heap and is never destroyed: its threads run
// until the test process ends.
struct DriverState {
    std::atomic<bool> clock_held{false};
    std::atomic<int> clock_rate{4};

    std::mutex frame_mutex;  // guards the copy of the newest frame
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    int32_t slot = 0;           // the ring slot it was copied from
    uint64_t frame_number = 0;  // its publication number: frames published so far, it included

    // The decoded text of the copy, for the test thread only.
    uint64_t decoded_number = ~uint64_t{0};
    FrameText decoded;
};

DriverState& driver() {
    static auto* state = new DriverState();
    return *state;
}

int32_t next_slot(int32_t s) { return s == FRAME_RING_SLOTS ? 1 : s + 1; }

// Publications from slot `from` to slot `to` (the ring cannot lap: the
// composer stops when every slot holds an unconsumed frame).
int32_t slots_between(int32_t from, int32_t to) {
    return from == 0 ? 1 : (to - from + FRAME_RING_SLOTS) % FRAME_RING_SLOTS;
}

// Stand-in for the display thread: copies the newest frame, then marks it
// and every frame before it consumed and presented, as the window does
// after drawing. A slot is never freed before it is marked, so the copy is
// safe.
void take_frames() {
    pthread_setname_np(pthread_self(), "display");
    DriverState& d = driver();
    int32_t taken = 0;  // newest slot copied so far
    for (;;) {
        int32_t newest = frame_ring.newest_slot.load(std::memory_order_acquire);
        if (newest != 0 && newest != taken) {
            const FrameSlot& slot = frame_ring.slots[newest];
            {
                std::lock_guard<std::mutex> lock(d.frame_mutex);
                size_t n = static_cast<size_t>(slot.frame_width) * slot.frame_height;
                d.pixels.assign(slot.pixels, slot.pixels + n);
                d.width = slot.frame_width;
                d.height = slot.frame_height;
                d.frame_number += slots_between(taken, newest);
                d.slot = newest;
            }
            int32_t s = taken == 0 ? frame_ring.oldest_slot.load(std::memory_order_acquire) : next_slot(taken);
            for (int n = 0; n < FRAME_RING_SLOTS; n++) {
                frame_ring.slots[s].presented.store(1);
                frame_ring.slots[s].consumed.store(1, std::memory_order_release);
                if (s == newest) break;
                s = next_slot(s);
            }
            taken = newest;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// Moves the fake clock on with real time, `clock_rate` times faster, while
// the clock is not held.
void pump_clock() {
    pthread_setname_np(pthread_self(), "clock pump");
    DriverState& d = driver();
    auto last = std::chrono::steady_clock::now();
    int64_t owed_us = 0;
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        auto now = std::chrono::steady_clock::now();
        owed_us += std::chrono::duration_cast<std::chrono::microseconds>(now - last).count() * d.clock_rate.load();
        last = now;
        if (d.clock_held.load()) {
            owed_us = 0;
            continue;
        }
        int64_t ms = owed_us / 1000;
        owed_us -= ms * 1000;
        if (ms > 0) fake_clock_advance(ms);
    }
}

// The program thread's sleeps since the log was cleared: yields (0 ms, as
// every key read makes one) and 9 ms slices (the runtime's waits).
struct ProgramSleeps {
    int yields = 0;
    int slices = 0;
};
ProgramSleeps program_sleeps() {
    ProgramSleeps counted;
    for (const FakeSleep& s : fake_clock_sleeps()) {
        if (s.thread != "program") continue;
        if (s.ms == 0) counted.yields++;
        if (s.ms == 9) counted.slices++;
    }
    return counted;
}

uint8_t ring_byte(uint32_t offset) { return __atomic_load_n(&ConvMemory[offset], __ATOMIC_ACQUIRE); }

}  // namespace

void game_start(const GameStartOptions& options) {
    DriverState& d = driver();
    d.clock_held.store(options.hold_clock);
    d.clock_rate.store(options.clock_rate);
    fake_clock_install(1000000, FAKE_SLEEP_MANUAL);
    fake_clock_set_time_of_day(options.hours, options.minutes, options.seconds, options.ms);
    std::thread(take_frames).detach();
    std::thread(pump_clock).detach();
    harness_start_runtime(game_program);
}

// ---- Keys --------------------------------------------------------------------

void game_key_down(int32_t key, int32_t modifiers) { rt_on_char_key(key & 0xFF, true, modifiers); }

void game_key_up(int32_t key, int32_t modifiers) { rt_on_char_key(key & 0xFF, false, modifiers); }

void game_key(int32_t key, int32_t modifiers) {
    game_key_down(key, modifiers);
    game_key_up(key, modifiers);
}

void game_type(std::string_view text) {
    for (char c : text) {
        int32_t key = static_cast<uint8_t>(c);
        if (c == '\n') key = 13;
        game_key(key, c >= 'A' && c <= 'Z' ? GAME_SHIFT : 0);
    }
}

void game_enter() { game_key(13); }

void game_break() {
    rt_window_hook(2, KEY_BREAK, 1);
    rt_window_hook(2, KEY_BREAK, -1);
}

void game_close_window() { rt_window_hook(1, 0, 0); }

// ---- Clock -------------------------------------------------------------------

void game_hold_clock() { driver().clock_held.store(true); }

void game_run_clock() { driver().clock_held.store(false); }

void game_advance_clock(int64_t ms) { fake_clock_advance(ms); }

double game_timer_now() { return rt_time_of_day_ms() / 1000.0; }

// ---- Screen ------------------------------------------------------------------

FrameText game_screen() {
    DriverState& d = driver();
    std::lock_guard<std::mutex> lock(d.frame_mutex);
    if (d.decoded_number != d.frame_number) {
        d.decoded = frame_text_from_pixels(d.pixels.empty() ? nullptr : d.pixels.data(), d.width, d.height);
        d.decoded_number = d.frame_number;
    }
    return d.decoded;
}

uint64_t game_frame_number() {
    DriverState& d = driver();
    std::lock_guard<std::mutex> lock(d.frame_mutex);
    int32_t newest = frame_ring.newest_slot.load(std::memory_order_acquire);
    if (newest == 0) return 0;
    return d.frame_number + (d.slot == 0 ? 1 : slots_between(d.slot, newest));
}

namespace {

uint64_t copied_frame_number() {
    DriverState& d = driver();
    std::lock_guard<std::mutex> lock(d.frame_mutex);
    return d.frame_number;
}

}  // namespace

bool game_wait_screen(const std::function<bool(const FrameText&)>& pred, uint64_t after, int timeout_ms) {
    uint64_t seen = ~uint64_t{0};
    return harness_wait_until(
        [&] {
            uint64_t n = copied_frame_number();
            if (n <= after || n == seen) return false;
            seen = n;
            return pred(game_screen());
        },
        timeout_ms);
}

bool game_wait_text(int row, std::string_view text, uint64_t after, int timeout_ms) {
    return game_wait_screen([&](const FrameText& s) { return s.row(row, true) == text; }, after, timeout_ms);
}

// ---- Synchronisation --------------------------------------------------------

bool game_ring_empty() { return ring_byte(BIOS_KEY_HEAD) == ring_byte(BIOS_KEY_TAIL); }

bool game_wait_ring_empty(int timeout_ms) { return harness_wait_until(game_ring_empty, timeout_ms); }

uint64_t game_wait_editor(int timeout_ms) {
    if (!game_wait_ring_empty(timeout_ms)) return 0;
    // The editor's first pass switches automatic display off; the frames
    // published after that are all whole passes of it.
    if (!harness_wait_until([] { return rt_control.auto_display.load() == 0; }, timeout_ms)) return 0;
    return game_frame_number();
}

bool game_wait_prompt(int timeout_ms) {
    uint64_t started = game_wait_editor(timeout_ms);
    return started != 0 && game_wait_screen(game_expect::shows_countdown, started, timeout_ms);
}

void game_command(std::string_view line) {
    game_type(line);
    game_enter();
}

bool game_wait_settled(int timeout_ms) {
    fake_clock_clear_sleeps();
    bool waiting = harness_wait_until(
        [] {
            ProgramSleeps counted = program_sleeps();
            return counted.yields >= 64 || counted.slices >= 8;
        },
        timeout_ms);
    if (!waiting) return false;
    int32_t counted = frame_count.load();
    return harness_wait_until([counted] { return frame_count.load() >= counted + 2; }, timeout_ms);
}

bool game_wait_program_sleeping(int timeout_ms) {
    fake_clock_clear_sleeps();
    return harness_wait_until([] { return program_sleeps().slices >= 8; }, timeout_ms);
}

int game_wait_exit(int timeout_ms) { return harness_wait_exit(timeout_ms); }
