// The 24-bit linear congruential random generator and its seed statement.
#include <bit>
#include "runtime/core/control.h"
#include "runtime/core/timing.h"
#include "runtime/input/line_input.h"
#include "runtime/screen/text_output.h"
#include "runtime/strings/rt_string.h"

uint32_t rt_rnd_state = 0x50000;
uint32_t rt_rnd_reset_value = 0x50000;

namespace {

constexpr uint32_t RND_MULTIPLIER = 0xFD43FD;
constexpr uint32_t RND_INCREMENT = 0xC39EC3;

// The upper half of a double's bit pattern folded to 16 bits: only this part
// of a seed matters.
uint32_t seed_bits(double seed) {
    auto h = static_cast<uint32_t>(std::bit_cast<uint64_t>(seed) >> 32);
    return (h ^ (h >> 16)) & 0xFFFF;
}

}  // namespace

float rt_rnd(float argument, int32_t argument_given) {
    if (rt_control.error_pending.load() != 0) return 0;
    if (!argument_given) argument = 1;
    if (argument != 0) {
        if (argument < 0) {
            uint32_t b = std::bit_cast<uint32_t>(argument);
            rt_rnd_state = (b & 0xFFFFFF) + (b >> 24);
        }
        rt_rnd_state = (rt_rnd_state * RND_MULTIPLIER + RND_INCREMENT) & 0xFFFFFF;
    }
    return static_cast<float>(rt_rnd_state / 16777216.0);
}

void rt_randomize(double seed, int32_t mode) {
    if (rt_control.error_pending.load() != 0) return;
    if (mode == 3) {
        rt_rnd_state = (seed_bits(seed) << 8) | (rt_rnd_reset_value & 0xFF);
        return;
    }
    if (mode == 1) {
        rt_rnd_state = (seed_bits(seed) << 8) | (rt_rnd_state & 0xFF);
        return;
    }
    uint32_t mark = rts_temp_mark();
    rt_print(rts_from_cstring("Random-number seed (-32768 to 32767)? "), 0);
    int16_t value = 0;
    rt_input_targets[0] = InputTarget{16, &value};
    rt_input(1, 1);
    rts_release_temps(mark, 0);
    rt_rnd_state = ((static_cast<uint32_t>(value) & 0xFFFF) << 8) | (rt_rnd_state & 0xFF);
}
