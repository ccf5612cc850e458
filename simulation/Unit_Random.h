// The process-wide random generator shared by every part of the game.
#pragma once

#include <cstdint>

// A uniformly drawn integer from 0 to ParaRange - 1 (from ParaRange + 1 to 0
// for a negative range); Random(0) is 0 but still advances the state.
std::int32_t Random(std::int32_t ParaRange);

// Tests replay known sequences by reading and setting the state.
std::uint32_t RandomState();
void SetRandomState(std::uint32_t ParaState);
