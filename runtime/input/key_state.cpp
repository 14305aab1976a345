// The keyboard's shared state and its primitive operations (see key_state.h
// for which thread writes what and how it is guarded).
#include "runtime/input/key_state.h"
#include <atomic>
#include <cstdlib>
#include <cstring>
#include "runtime/core/conv_memory.h"
#include "runtime/input/keyboard.h"

KeyHitQueue key_hit_queue;
HeldKeyList held_keys;
ScanCodeBuffer scan_code_buffer{{}, 0, 0, -1};
std::mutex key_state_mutex;

namespace {

std::atomic_ref<uint8_t> conv_byte(uint32_t offset) { return std::atomic_ref<uint8_t>(ConvMemory[offset]); }

int32_t held_index_locked(int32_t code) {
    for (int32_t i = 0; i < held_keys.count; i++)
        if (held_keys.codes[i] == code) return i;
    return -1;
}

// A head or tail outside the ring (a program may poke the words) counts as
// the first slot, so entries never land outside the ring's 32 bytes.
uint8_t ring_offset(uint8_t offset) {
    return offset < KEY_RING_FIRST || offset >= KEY_RING_END || (offset & 1) ? KEY_RING_FIRST : offset;
}

uint8_t ring_advance(uint8_t offset) {
    uint8_t next = static_cast<uint8_t>(offset + 2);
    return next >= KEY_RING_END ? KEY_RING_FIRST : next;
}

}  // namespace

bool held_contains_locked(int32_t code) { return held_index_locked(code) >= 0; }

void held_add_locked(int32_t code) {
    if (held_index_locked(code) >= 0) return;
    if (held_keys.count == held_keys.capacity) {
        // The list grows one element at a time; it only ever holds the keys
        // that are down at once. Without memory the key is not listed.
        void* grown = std::realloc(held_keys.codes, sizeof(int32_t) * (held_keys.capacity + 1));
        if (!grown) return;
        held_keys.codes = static_cast<int32_t*>(grown);
        held_keys.capacity++;
    }
    held_keys.codes[held_keys.count++] = code;
}

void held_remove_locked(int32_t code) {
    int32_t i = held_index_locked(code);
    if (i < 0) return;
    std::memmove(held_keys.codes + i, held_keys.codes + i + 1, sizeof(int32_t) * (held_keys.count - i - 1));
    held_keys.count--;
}

void key_queue_push_locked(int32_t code) {
    uint32_t next = (key_hit_queue.write + 1) & KEY_HIT_QUEUE_MASK;
    if (next == key_hit_queue.read) key_hit_queue.read = (key_hit_queue.read + 1) & KEY_HIT_QUEUE_MASK;
    key_hit_queue.codes[key_hit_queue.write] = code;
    key_hit_queue.write = next;
}

bool key_queue_pop_locked(int32_t* code) {
    if (key_hit_queue.read == key_hit_queue.write) return false;
    *code = key_hit_queue.codes[key_hit_queue.read];
    key_hit_queue.read = (key_hit_queue.read + 1) & KEY_HIT_QUEUE_MASK;
    return true;
}

void scan_code_append_locked(uint8_t byte) {
    ScanCodeBuffer& b = scan_code_buffer;
    if (b.last == byte) return;  // auto-repeat of the same make code
    b.last = byte;
    if (b.count == SCAN_CODE_BUFFER_SIZE) {
        b.start = (b.start + 1) % SCAN_CODE_BUFFER_SIZE;
        b.count--;
    }
    b.bytes[(b.start + b.count) % SCAN_CODE_BUFFER_SIZE] = byte;
    b.count++;
}

int32_t scan_code_read() {
    std::lock_guard<std::mutex> lock(key_state_mutex);
    ScanCodeBuffer& b = scan_code_buffer;
    if (b.count == 0) return -1;
    uint8_t byte = b.bytes[b.start];
    b.start = (b.start + 1) % SCAN_CODE_BUFFER_SIZE;
    b.count--;
    return byte;
}

void shift_flags_update_locked() {
    auto bit = [](int32_t code, int shift) { return held_contains_locked(code) ? 1u << shift : 0u; };
    auto either = [](int32_t a, int32_t b, int shift) {
        return held_contains_locked(a) || held_contains_locked(b) ? 1u << shift : 0u;
    };
    uint32_t flags0 = bit(KEY_RIGHT_SHIFT, 0) | bit(KEY_LEFT_SHIFT, 1) | either(KEY_RIGHT_CTRL, KEY_LEFT_CTRL, 2) |
                      either(KEY_RIGHT_ALT, KEY_LEFT_ALT, 3) | bit(KEY_SCROLL_LOCK_STATE, 4) |
                      bit(KEY_NUM_LOCK_STATE, 5) | bit(KEY_CAPS_LOCK_STATE, 6) | bit(KEY_INSERT_MODE, 7);
    uint32_t flags1 = bit(KEY_LEFT_CTRL, 0) | bit(KEY_LEFT_ALT, 1) | bit(KEY_PAUSE, 3) | bit(KEY_SCROLL_LOCK, 4) |
                      bit(KEY_INSERT, 7);
    uint32_t flags2 = bit(KEY_RIGHT_CTRL, 0) | bit(KEY_RIGHT_ALT, 1) | (1u << 4);
    // Whole-byte stores; a program may read them at any time.
    conv_byte(BIOS_SHIFT_FLAGS_0).store(static_cast<uint8_t>(flags0), std::memory_order_relaxed);
    conv_byte(BIOS_SHIFT_FLAGS_1).store(static_cast<uint8_t>(flags1), std::memory_order_relaxed);
    conv_byte(BIOS_SHIFT_FLAGS_2).store(static_cast<uint8_t>(flags2), std::memory_order_relaxed);
}

bool key_ring_put(uint8_t character, uint8_t scan) {
    uint8_t head = ring_offset(conv_byte(BIOS_KEY_HEAD).load(std::memory_order_acquire));
    uint8_t tail = ring_offset(conv_byte(BIOS_KEY_TAIL).load(std::memory_order_relaxed));
    uint8_t next = ring_advance(tail);
    if (next == head) return false;
    ConvMemory[CONV_BIOS_DATA + tail] = character;
    ConvMemory[CONV_BIOS_DATA + tail + 1] = scan;
    conv_byte(BIOS_KEY_TAIL).store(next, std::memory_order_release);
    return true;
}

bool key_ring_take(uint8_t* character, uint8_t* scan) {
    uint8_t head = ring_offset(conv_byte(BIOS_KEY_HEAD).load(std::memory_order_relaxed));
    uint8_t tail = ring_offset(conv_byte(BIOS_KEY_TAIL).load(std::memory_order_acquire));
    if (head == tail) return false;
    *character = ConvMemory[CONV_BIOS_DATA + head];
    *scan = ConvMemory[CONV_BIOS_DATA + head + 1];
    conv_byte(BIOS_KEY_HEAD).store(ring_advance(head), std::memory_order_release);
    return true;
}

void key_ring_reset() {
    conv_byte(BIOS_KEY_HEAD + 1).store(0, std::memory_order_relaxed);
    conv_byte(BIOS_KEY_TAIL + 1).store(0, std::memory_order_relaxed);
    conv_byte(BIOS_KEY_HEAD).store(KEY_RING_FIRST, std::memory_order_release);
    conv_byte(BIOS_KEY_TAIL).store(KEY_RING_FIRST, std::memory_order_release);
}

void key_state_reset() {
    std::lock_guard<std::mutex> lock(key_state_mutex);
    key_hit_queue.read = key_hit_queue.write = 0;
    held_keys.count = 0;
    scan_code_buffer.start = scan_code_buffer.count = 0;
    scan_code_buffer.last = -1;
    key_ring_reset();
    for (uint32_t offset : {BIOS_SHIFT_FLAGS_0, BIOS_SHIFT_FLAGS_1, BIOS_SHIFT_FLAGS_2})
        conv_byte(offset).store(0, std::memory_order_relaxed);
}
