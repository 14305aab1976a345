// The executable's entry: start the console runtime with the game program.
#include "game/game.h"
#include "runtime/core/runtime.h"

int main(int argc, char** argv) {
    return rt_main(argc, argv, game_program);
}
