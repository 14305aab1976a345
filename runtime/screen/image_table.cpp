// The ImageTable: ScreenImage records addressed by index, with the free-index
// stack. Records live in fixed chunks of 4096 that are never moved or freed,
// so a pointer to a record (such as the display page the frame composer
// reads on another thread) stays valid while the table grows.
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "runtime/core/errors.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_internal.h"

namespace {

constexpr int32_t kChunkRecords = 4096;
constexpr int32_t kMaxChunks = 8192;  // 33.5 million records
constexpr int32_t kFreeStackStep = 4096;

// The first chunk exists from static initialisation; later ones are
// allocated on growth. Chunk pointers are published with release stores so a
// reader on another thread sees a fully zeroed chunk.
ScreenImage first_chunk[kChunkRecords];
std::atomic<ScreenImage*> chunks[kMaxChunks] = {first_chunk};
int32_t capacity = kChunkRecords;
int32_t next_index = 0;

int32_t* free_stack = nullptr;
int32_t free_count = 0;
int32_t free_capacity = 0;

// Room for one more freed index; critical 503 when it cannot grow.
bool free_stack_reserve() {
    if (free_count < free_capacity) return true;
    size_t bytes = (static_cast<size_t>(free_capacity) + kFreeStackStep) * sizeof(int32_t);
    auto* grown = static_cast<int32_t*>(std::realloc(free_stack, bytes));
    if (!grown) {
        rt_error(503);
        return false;
    }
    free_stack = grown;
    free_capacity += kFreeStackStep;
    return true;
}

// 4096 more zeroed records; critical 502 when they cannot be had.
bool table_grow() {
    int32_t chunk = capacity / kChunkRecords;
    ScreenImage* block =
        chunk < kMaxChunks ? static_cast<ScreenImage*>(std::calloc(kChunkRecords, sizeof(ScreenImage))) : nullptr;
    if (!block) {
        rt_error(502);
        return false;
    }
    chunks[chunk].store(block, std::memory_order_release);
    capacity += kChunkRecords;
    return true;
}

}  // namespace

ScreenImage* img_get(int32_t index) {
    if (index < 0 || index >= capacity) return nullptr;
    ScreenImage* chunk = chunks[index / kChunkRecords].load(std::memory_order_acquire);
    return chunk ? &chunk[index % kChunkRecords] : nullptr;
}

int32_t img_new_index() {
    int32_t index;
    if (free_count > 0) {
        index = free_stack[--free_count];
    } else {
        if (next_index >= capacity && !table_grow()) return 0;
        index = next_index++;
    }
    img_get(index)->in_use = 1;
    return index;
}

int32_t img_free_index(int32_t index) {
    ScreenImage* image = img_get(index);
    if (!image || !image->in_use) return 0;
    if (!free_stack_reserve()) return 0;
    // The lock record of direct memory access belongs to the image.
    if (image->lock_id != 0) std::free(image->lock);
    std::memset(static_cast<void*>(image), 0, sizeof *image);
    free_stack[free_count++] = index;
    return 1;
}

void img_release(int32_t index) {
    ScreenImage* image = img_get(index);
    if (!image || !image->in_use) return;
    if (image->flags & IMG_OWNS_DATA) std::free(image->data);
    if (image->flags & IMG_OWNS_PALETTE) std::free(image->palette);
    image->data = nullptr;
    image->palette = nullptr;
    image->flags &= ~(IMG_OWNS_DATA | IMG_OWNS_PALETTE);
    img_free_index(index);
}

bool img_handle_valid(int32_t handle) {
    if (handle >= 0) return false;
    int64_t index = -static_cast<int64_t>(handle);
    if (index >= next_index) return false;
    const ScreenImage* image = img_get(static_cast<int32_t>(index));
    return image && image->in_use;
}

int32_t img_next_index() { return next_index; }
int32_t img_capacity() { return capacity; }

void img_table_init() {
    pages_reset();
    for (int32_t i = 0; i < next_index; ++i) img_release(i);
    for (int32_t c = 0; c < capacity / kChunkRecords; ++c)
        std::memset(static_cast<void*>(chunks[c].load()), 0, sizeof(ScreenImage) * kChunkRecords);
    next_index = 0;
    free_count = 0;
    // Indices 0 and 1 are taken and never valid: handles -0 and -1 name no image.
    img_get(img_new_index())->in_use = 0;
    img_get(img_new_index())->in_use = 0;
}

int32_t img_text_rows(const ScreenImage* image) {
    if (image->is_text) return image->height;
    int32_t fh = font_height_of(image->font);
    return fh > 0 ? image->height / fh : 0;
}

int32_t img_text_columns(const ScreenImage* image) {
    if (image->is_text) return image->width;
    int32_t fw = font_width_of(image->font);
    return fw > 0 ? image->width / fw : image->width;
}
