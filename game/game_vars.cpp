// The game's global variables in the variable storage.
#include "game/game_vars.h"
#include <cmath>
#include <cstring>
#include "runtime/core/errors.h"
#include "runtime/core/var_storage.h"

GameVariables game_vars;

namespace {

template <typename T>
void create_number(T*& variable) {
    if (variable != nullptr) return;
    variable = static_cast<T*>(rt_var_alloc(sizeof(T)));
    *variable = 0;
}

void create_string(RtString**& variable) {
    if (variable != nullptr) return;
    variable = static_cast<RtString**>(rt_var_alloc(sizeof(RtString*)));
    *variable = rts_new(0, 0);
}

void create_string_array(StringArray*& array, int32_t lower, int32_t upper) {
    if (array != nullptr) return;
    array = static_cast<StringArray*>(rt_var_alloc(sizeof(StringArray)));
    int32_t count = upper - lower + 1;
    array->lower = lower;
    array->upper = upper;
    array->elements = static_cast<RtString**>(rt_var_alloc(count * static_cast<int32_t>(sizeof(RtString*))));
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
