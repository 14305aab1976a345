// The keyboard's shared state: the KeyHitQueue, the HeldKeyList, the
// ScanCodeBuffer, the KeyRing in ConvMemory and the BIOS shift-flag bytes.
//
// The display thread and the frame thread both write the queue, the held-key
// list and the scan-code buffer, and the program thread reads the queue, so
// all three are guarded by key_state_mutex. The KeyRing has one producer (the
// display thread) and one consumer (the program thread) and needs no lock:
// the entry bytes are stored before the tail is published with a release
// store, and read before the head is published likewise.
#pragma once
#include <cstdint>
#include <mutex>

constexpr int32_t KEY_HIT_QUEUE_SIZE = 8192;
constexpr uint32_t KEY_HIT_QUEUE_MASK = KEY_HIT_QUEUE_SIZE - 1;

struct KeyHitQueue {
    int32_t codes[KEY_HIT_QUEUE_SIZE];
    uint32_t write;  // next slot to fill
    uint32_t read;   // next slot to read; empty when equal to write
};

struct HeldKeyList {
    int32_t* codes;  // held codes in order of first press, no duplicates
    int32_t count;
    int32_t capacity;
};

constexpr int32_t SCAN_CODE_BUFFER_SIZE = 256;

struct ScanCodeBuffer {
    uint8_t bytes[SCAN_CODE_BUFFER_SIZE];
    int32_t start;  // oldest byte
    int32_t count;
    int32_t last;   // most recently appended byte, -1 before the first
};

extern KeyHitQueue key_hit_queue;
extern HeldKeyList held_keys;
extern ScanCodeBuffer scan_code_buffer;
extern std::mutex key_state_mutex;

// KeyRing geometry: head and tail are offsets from 0x400 and take the even
// values 30 to 60; slot i holds the character at 0x400 + i, the scan code at
// 0x401 + i.
constexpr uint8_t KEY_RING_FIRST = 30;
constexpr uint8_t KEY_RING_END = 62;

// The functions ending in _locked expect key_state_mutex to be held.
bool held_contains_locked(int32_t code);
void held_add_locked(int32_t code);
void held_remove_locked(int32_t code);
// Append a code; when full, the oldest code is dropped first.
void key_queue_push_locked(int32_t code);
// Take the oldest code; false when empty.
bool key_queue_pop_locked(int32_t* code);
void scan_code_append_locked(uint8_t byte);
void shift_flags_update_locked();

// KeyRing producer side: false (and nothing stored) when the ring is full.
bool key_ring_put(uint8_t character, uint8_t scan);
// KeyRing consumer side: false when the ring is empty.
bool key_ring_take(uint8_t* character, uint8_t* scan);
// Head and tail words both 30: the ring is empty.
void key_ring_reset();

// The port-0x60 read of the ScanCodeBuffer: the oldest byte, or -1 when empty.
int32_t scan_code_read();

// Everything back to its state before start-up seeding: empty queue, held
// list, scan-code buffer and ring, shift flags 0. For tests.
void key_state_reset();
