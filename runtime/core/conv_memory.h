// ConvMemory: the emulated 1 MB real-mode memory block, addressed by
// segment * 16 + offset. It never moves, so other subsystems keep addresses
// into it (BIOS data area, data block, mode-13 pixels, text pages).
#pragma once
#include <cstdint>

constexpr uint32_t CONV_MEMORY_SIZE = 1114099;  // 0x10FFF3

constexpr uint32_t CONV_BIOS_DATA = 0x400;      // BIOS data area (256 bytes)
constexpr uint32_t CONV_DATA_BLOCK = 0x500;     // DataBlock (65,536 bytes)
constexpr uint32_t CONV_MODE13 = 0xA0000;       // mode-13 pixels (64,000 bytes)
constexpr uint32_t CONV_TEXT = 0xB8000;         // video text area (65,536 bytes)
constexpr uint32_t CONV_TEXT_SIZE = 65536;

// BIOS data area offsets used by the keyboard and the frame thread.
constexpr uint32_t BIOS_SHIFT_FLAGS_0 = 0x417;
constexpr uint32_t BIOS_SHIFT_FLAGS_1 = 0x418;
constexpr uint32_t BIOS_KEY_HEAD = 0x41A;
constexpr uint32_t BIOS_KEY_TAIL = 0x41C;
constexpr uint32_t BIOS_KEY_BUFFER = 0x41E;
constexpr uint32_t BIOS_TICKS = 0x46C;
constexpr uint32_t BIOS_SHIFT_FLAGS_2 = 0x496;

extern uint8_t ConvMemory[CONV_MEMORY_SIZE];

// Zero the whole block (start-up).
void conv_memory_clear();

// Current segment of byte peek and poke; starts as the data block's segment.
extern uint16_t rt_peek_segment;

// Set the peek/poke segment: -65,536..65,535 (low 16 bits kept), else error 6.
void rt_def_seg(int32_t segment);
