// The return stack of the program's subroutine calls, allocated before main
// with 16,384 entries and doubled whenever the depth reaches the capacity.
#include "runtime/core/return_stack.h"

#include <cstdlib>
#include <limits>
#include "runtime/core/errors.h"

namespace {

constexpr int32_t INITIAL_ENTRIES = 16384;

ReturnStack make_return_stack() {
    auto* entries = static_cast<int32_t*>(std::malloc(sizeof(int32_t) * INITIAL_ENTRIES));
    return ReturnStack{entries, entries ? INITIAL_ENTRIES : 0, 0};
}

}  // namespace

ReturnStack rt_return_stack = make_return_stack();

void rt_grow_return_stack() {
    int64_t capacity = static_cast<int64_t>(rt_return_stack.capacity) * 2;
    if (capacity <= 0) capacity = INITIAL_ENTRIES;  // the start-up allocation had failed
    if (capacity > std::numeric_limits<int32_t>::max()) rt_error(256);
    auto* entries = static_cast<int32_t*>(
        std::realloc(rt_return_stack.entries, sizeof(int32_t) * static_cast<size_t>(capacity)));
    if (entries == nullptr) rt_error(256);  // critical: never returns
    rt_return_stack.entries = entries;
    rt_return_stack.capacity = static_cast<int32_t>(capacity);
}
