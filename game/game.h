// The game program's entry, run on the program thread.
#pragma once

void game_program();
