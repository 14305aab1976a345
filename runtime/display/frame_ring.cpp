// The FrameRing: 64 slots through which composed frames pass from the
// composer to the display thread. The composer frees spent slots, takes and
// publishes new ones; the display thread only marks slots consumed and
// presented. No locks: a slot's pixels are complete before newest_slot names
// it (release store, acquire load), and a buffer is freed or reused only
// after the display thread has marked its slot consumed.
#include <climits>
#include <cstdlib>
#include "platform/plat_process.h"
#include "runtime/display/composer_internal.h"

FrameRing frame_ring;

namespace {

void* malloc_bytes(size_t bytes) { return std::malloc(bytes); }
std::atomic<FrameAllocFunc> frame_alloc{malloc_bytes};

int32_t prev_slot(int32_t s) { return s == 1 ? FRAME_RING_SLOTS : s - 1; }

// The newest slot and the three before it stay allocated, so that the
// display thread can still be drawing one while newer frames arrive.
bool is_protected(int32_t s, int32_t newest) {
    for (int k = 0; k < 4; ++k) {
        if (s == newest) return true;
        newest = prev_slot(newest);
    }
    return false;
}

// Marks every slot from oldest up to, not including, newest as consumed.
void mark_consumed(int32_t oldest, int32_t newest) {
    int32_t s = oldest;
    for (int n = 0; n < FRAME_RING_SLOTS && s != newest; ++n) {
        frame_ring.slots[s].consumed.store(1, std::memory_order_release);
        s = frame_ring_next(s);
    }
}

}  // namespace

void compose_set_alloc_hook(FrameAllocFunc alloc) {
    frame_alloc.store(alloc ? alloc : malloc_bytes);
}

void* composer_alloc(size_t bytes) { return frame_alloc.load()(bytes); }

void ring_free_spent() {
    int32_t oldest = frame_ring.oldest_slot.load(std::memory_order_relaxed);
    if (oldest == 0) return;
    const int32_t newest = frame_ring.newest_slot.load(std::memory_order_relaxed);
    while (!is_protected(oldest, newest) &&
           frame_ring.slots[oldest].consumed.load(std::memory_order_acquire)) {
        FrameSlot& slot = frame_ring.slots[oldest];
        std::free(slot.pixels);
        slot.pixels = nullptr;
        slot.content_serial = 0;
        oldest = frame_ring_next(oldest);
    }
    frame_ring.oldest_slot.store(oldest, std::memory_order_release);
}

bool ring_full() {
    const int32_t oldest = frame_ring.oldest_slot.load(std::memory_order_relaxed);
    const int32_t newest = frame_ring.newest_slot.load(std::memory_order_relaxed);
    return oldest != 0 && frame_ring_next(newest) == oldest;
}

int32_t ring_take_slot(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return 0;
    const int64_t bytes = int64_t{width} * height * 4;
    if (bytes > INT32_MAX) return 0;

    const int32_t newest = frame_ring.newest_slot.load(std::memory_order_relaxed);
    int32_t oldest = frame_ring.oldest_slot.load(std::memory_order_relaxed);
    const int32_t s = frame_ring_next(newest);
    FrameSlot& slot = frame_ring.slots[s];
    // The ring-full check keeps the next slot free; a buffer here means the
    // bookkeeping is broken, and drawing over it could tear a shown frame.
    if (slot.pixels != nullptr) plat_exit(9090);

    uint32_t* buffer = nullptr;
    uint64_t content = 0;
    FrameSlot& old = frame_ring.slots[oldest];
    if (oldest != 0 && oldest != newest && old.pixels != nullptr &&
        old.consumed.load(std::memory_order_acquire) && old.byte_size == bytes) {
        buffer = old.pixels;
        content = old.content_serial;
        old.pixels = nullptr;
        old.content_serial = 0;
        oldest = frame_ring_next(oldest);
        frame_ring.oldest_slot.store(oldest, std::memory_order_release);
    } else {
        buffer = static_cast<uint32_t*>(composer_alloc(static_cast<size_t>(bytes)));
        if (buffer == nullptr) return 0;
    }
    slot.pixels = buffer;
    slot.content_serial = content;
    slot.frame_width = width;
    slot.frame_height = height;
    slot.byte_size = static_cast<int32_t>(bytes);
    slot.consumed.store(0, std::memory_order_relaxed);
    slot.presented.store(0, std::memory_order_relaxed);
    return s;
}

void ring_publish(int32_t s) {
    frame_ring.newest_slot.store(s, std::memory_order_release);
    if (frame_ring.oldest_slot.load(std::memory_order_relaxed) == 0)
        frame_ring.oldest_slot.store(s, std::memory_order_release);
}

int32_t frame_ring_take_newest() {
    const int32_t oldest = frame_ring.oldest_slot.load(std::memory_order_acquire);
    if (oldest == 0) return 0;
    const int32_t newest = frame_ring.newest_slot.load(std::memory_order_acquire);
    mark_consumed(oldest, newest);
    return newest;
}

void frame_ring_release_older() {
    const int32_t oldest = frame_ring.oldest_slot.load(std::memory_order_acquire);
    if (oldest == 0) return;
    mark_consumed(oldest, frame_ring.newest_slot.load(std::memory_order_acquire));
}
