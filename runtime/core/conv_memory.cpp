// ConvMemory, the emulated real-mode memory block, and the segment of byte
// peek and poke.
#include "runtime/core/conv_memory.h"

#include <cstring>
#include "runtime/core/errors.h"

uint8_t ConvMemory[CONV_MEMORY_SIZE];

// Peek and poke start in the data block's segment.
uint16_t rt_peek_segment = CONV_DATA_BLOCK / 16;

void conv_memory_clear() { std::memset(ConvMemory, 0, sizeof ConvMemory); }

void rt_def_seg(int32_t segment) {
    if (segment < -65536 || segment > 65535) {
        rt_error(6);
        return;
    }
    rt_peek_segment = static_cast<uint16_t>(segment & 0xFFFF);
}
