// The frame composer: turns the display page into 32-bit frames and hands
// them to the display thread through the 64-slot FrameRing.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

constexpr int32_t FRAME_RING_SLOTS = 64;

struct FrameSlot {
    uint32_t* pixels;            // 0xAARRGGBB, row-major from the top; null when free
    int32_t frame_width;
    int32_t frame_height;
    int32_t byte_size;
    std::atomic<uint8_t> consumed;   // the display thread has moved past it
    std::atomic<uint8_t> presented;  // the display thread has drawn it
    uint64_t content_serial;         // composer's own: the palette-page frame the
                                     // buffer holds (it moves with the buffer), 0 unknown
};

struct FrameRing {
    FrameSlot slots[FRAME_RING_SLOTS + 1];  // slots 1 to 64; index 0 unused
    std::atomic<int32_t> oldest_slot;       // 0 while no frame was ever published
    std::atomic<int32_t> newest_slot;       // last published (release store)
};

extern FrameRing frame_ring;

void compose_frame();

extern std::atomic<int32_t> frame_count;       // counted by the frame thread every second pass
extern std::atomic<int32_t> screen_handshake;  // 0 idle, 1 keep away, 2 seen
extern std::atomic<int32_t> prev_frame_valid;  // cleared by rt_screen on page changes
extern std::atomic<int32_t> frame_done;        // set at the end of every call
extern std::atomic<int32_t> frame_size_width;  // size of the display page in pixels
extern std::atomic<int32_t> frame_size_height;

// The display thread's side of the ring (used by the display callback).
// Marks every published slot before the newest as consumed and returns the
// newest slot, or 0 while no frame was ever published.
int32_t frame_ring_take_newest();
// Marks the slots before the newest as consumed again, after drawing.
void frame_ring_release_older();

// The slot after s, 64 wrapping to 1 (the slot after 0 is 1).
inline int32_t frame_ring_next(int32_t s) { return s % FRAME_RING_SLOTS + 1; }

// Test seam: the allocator of frame buffers and of the composer's caches.
// It must return memory that free() releases, or null for a failed
// allocation; null restores malloc. The shipped executable never calls it.
using FrameAllocFunc = void* (*)(size_t bytes);
void compose_set_alloc_hook(FrameAllocFunc alloc);
