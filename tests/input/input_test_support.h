// Helpers shared by the input tests: a clean keyboard state, feeding key
// events as the window delivers them, and draining the queue and the ring.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>
#include "runtime/core/control.h"
#include "runtime/core/conv_memory.h"
#include "runtime/input/key_state.h"
#include "runtime/input/keyboard.h"

// GLUT special-key numbers used by the tests.
constexpr int32_t GLUT_SHIFT_L = 112, GLUT_SHIFT_R = 113, GLUT_CTRL_L = 114, GLUT_CTRL_R = 115,
                  GLUT_ALT_L = 116, GLUT_ALT_R = 117;

// One event from the window.
struct KeyStep {
    enum Kind { CHAR, SPECIAL, HOOK } kind;
    int32_t value;
    bool pressed;
    int32_t modifiers;  // GLUT modifier bits (character keys only)
};

inline KeyStep char_down(int32_t c, int32_t mods = 0) { return {KeyStep::CHAR, c, true, mods}; }
inline KeyStep char_up(int32_t c, int32_t mods = 0) { return {KeyStep::CHAR, c, false, mods}; }
inline KeyStep special_down(int32_t n) { return {KeyStep::SPECIAL, n, true, 0}; }
inline KeyStep special_up(int32_t n) { return {KeyStep::SPECIAL, n, false, 0}; }
inline KeyStep hook_down(int32_t code) { return {KeyStep::HOOK, code, true, 0}; }
inline KeyStep hook_up(int32_t code) { return {KeyStep::HOOK, code, false, 0}; }

inline void feed(const std::vector<KeyStep>& steps) {
    for (const KeyStep& s : steps) {
        switch (s.kind) {
            case KeyStep::CHAR: rt_on_char_key(s.value, s.pressed, s.modifiers); break;
            case KeyStep::SPECIAL: rt_on_special_key(s.value, s.pressed); break;
            case KeyStep::HOOK: rt_window_hook(2, s.value, s.pressed ? 1 : -1); break;
        }
    }
}

// Start-up state of the keyboard and the control flags it touches.
inline void reset_keyboard() {
    key_state_reset();
    rt_control.exit_requested.store(0);
    rt_control.paused.store(0);
    rt_control.check_requested.store(0);
    rt_control.close_requests.store(0);
    rt_control.exit_trap.store(0);
    rt_control.stopping.store(0);
    rt_control.error_pending.store(0);
    key_wake.store(0);
}

inline std::vector<int32_t> drain_queue() {
    std::vector<int32_t> codes;
    for (int32_t c; (c = key_hit_queue_pop()) != 0;) codes.push_back(c);
    return codes;
}

using RingEntry = std::pair<int, int>;  // (character, scan code)

inline std::vector<RingEntry> drain_ring() {
    std::vector<RingEntry> entries;
    uint8_t c, s;
    while (key_ring_take(&c, &s)) entries.emplace_back(c, s);
    return entries;
}

inline std::vector<int32_t> held_codes() {
    std::lock_guard<std::mutex> lock(key_state_mutex);
    return std::vector<int32_t>(held_keys.codes, held_keys.codes + held_keys.count);
}

struct ShiftFlags {
    int b417, b418, b496;
    bool operator==(const ShiftFlags&) const = default;
};

inline ShiftFlags shift_flags() {
    return {ConvMemory[BIOS_SHIFT_FLAGS_0], ConvMemory[BIOS_SHIFT_FLAGS_1], ConvMemory[BIOS_SHIFT_FLAGS_2]};
}

// Read as the program thread reads them, so a test may watch the ring while
// the runtime's threads use it.
inline uint8_t ring_head() { return std::atomic_ref<uint8_t>(ConvMemory[BIOS_KEY_HEAD]).load(); }
inline uint8_t ring_tail() { return std::atomic_ref<uint8_t>(ConvMemory[BIOS_KEY_TAIL]).load(); }
