// The game's global variables in the variable storage.
#include "game/game_vars.h"
#include <cmath>
#include <cstdint>
#include <cstring>
#include "runtime/core/errors.h"
#include "runtime/core/var_storage.h"

GameVariables game_vars;

void* game_var_alloc(int32_t size, int32_t alignment) {
    auto raw = reinterpret_cast<uintptr_t>(rt_var_alloc(size + alignment - 1));
    uintptr_t mask = static_cast<uintptr_t>(alignment) - 1;
    return reinterpret_cast<void*>((raw + mask) & ~mask);
}

namespace {

template <typename T>
void create_number(T*& variable) {
    if (variable != nullptr) return;
    variable = game_var_new<T>();
    *variable = 0;
}

void create_string(RtString**& variable) {
    if (variable != nullptr) return;
    variable = game_var_new<RtString*>();
    *variable = rts_new(0, 0);
}

void create_string_array(StringArray*& array, int32_t lower, int32_t upper) {
    if (array != nullptr) return;
    array = game_var_new<StringArray>();
    int32_t count = upper - lower + 1;
    array->lower = lower;
    array->upper = upper;
    array->elements = static_cast<RtString**>(
        game_var_alloc(count * static_cast<int32_t>(sizeof(RtString*)), static_cast<int32_t>(alignof(RtString*))));
    for (int32_t i = 0; i < count; i++) array->elements[i] = rts_new(0, 0);
}

}  // namespace

void game_create_variables() {
    create_number(game_vars.room);
    create_number(game_vars.has_knife);
    create_number(game_vars.limit_minutes);
    create_number(game_vars.limit_seconds);
    create_number(game_vars.limit_total);
    create_number(game_vars.deadline);
    create_string_array(game_vars.exit_list, 1, 9);
    create_string(game_vars.command);
}

RtString* exit_list_of_room() {
    StringArray& list = *game_vars.exit_list;
    float index = std::nearbyint(*game_vars.room);
    if (!(index >= static_cast<float>(list.lower) && index <= static_cast<float>(list.upper))) {
        rt_error(9);
        return rts_new(0, 1);
    }
    return list.elements[static_cast<int32_t>(index) - list.lower];
}
