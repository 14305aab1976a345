// Set-up shared by the benchmarks: the runtime state they need, made once
// per process without windows or threads, and the display thread's side of
// the frame ring, run inline so that frame buffers are recycled as in a
// running program.
#pragma once
#include <cstdint>

#include "runtime/screen/screen_image.h"

// The screen in `mode` (string spaces, image table, fonts and palettes made
// on the first call); returns the write page.
ScreenImage* bench_screen(int32_t mode);

// Fresh string spaces (and the data block in the emulated memory).
void bench_fresh_strings();

// What the display callback does with a new frame: take the newest, mark it
// presented and give up the older ones.
void bench_consume_frame();
