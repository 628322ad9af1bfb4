// The bundled sample game: a small, deterministic game directory that shows every kind
// of file kesk reads, with a few of the oddities real games have.
#ifndef KESK_EXAMPLES_SAMPLE_GAME_H
#define KESK_EXAMPLES_SAMPLE_GAME_H

#include "tests/game_builder.h"

// Every file of the sample game, by name.
FileTree sample_game();

#endif  // KESK_EXAMPLES_SAMPLE_GAME_H
