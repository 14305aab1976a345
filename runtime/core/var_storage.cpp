// Variable storage: a bump allocator over blocks that never move. When a
// block is used up a bigger one is taken; older blocks stay where they are
// because the program still holds addresses into them.
#include "runtime/core/var_storage.h"

#include <cstdlib>
#include <vector>
#include "runtime/core/errors.h"

VarStorage rt_vars;

namespace {

constexpr int64_t FIRST_BLOCK_SIZE = 1048576;

// Blocks replaced by a newer one; kept so that they stay reachable.
std::vector<uint8_t*>& older_blocks() {
    static auto* blocks = new std::vector<uint8_t*>();
    return *blocks;
}

void take_block(int64_t size) {
    auto* block = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size)));
    if (block == nullptr) rt_error(504);  // critical: never returns
    if (rt_vars.block != nullptr) older_blocks().push_back(rt_vars.block);
    rt_vars.block = block;
    rt_vars.pointer = block;
    rt_vars.end = block + size;
    rt_vars.size = size;
}

}  // namespace

void rt_var_init() {
    if (rt_vars.block != nullptr) older_blocks().push_back(rt_vars.block);
    rt_vars = VarStorage{};
    take_block(FIRST_BLOCK_SIZE);
}

void* rt_var_alloc(int32_t n) {
    // A negative count would hand out bytes that are already in use.
    if (n < 0) {
        rt_error(5);
        n = 0;
    }
    if (n < rt_vars.end - rt_vars.pointer) {
        uint8_t* p = rt_vars.pointer;
        rt_vars.pointer += n;
        return p;
    }
    // Allocating exactly the bytes left moves on as well: the pointer must
    // stay strictly below the end.
    take_block(rt_vars.size * 2 + n);
    rt_vars.pointer = rt_vars.block + n;
    return rt_vars.block;
}

void rt_var_restore(void* p) {
    auto* q = static_cast<uint8_t*>(p);
    if (q >= rt_vars.block && q <= rt_vars.end) {
        rt_vars.pointer = q;
    } else {
        rt_vars.pointer = rt_vars.block;
    }
}
