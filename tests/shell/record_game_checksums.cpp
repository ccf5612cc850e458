// Writes the checksums of the recorded games, to be kept as test data.
// Run it only on a simulation known to be right: the replay test holds every
// build on every platform to what it writes.
// Usage: record_game_checksums <output file>
#include "RecordedGames.h"

#include "simulation/Unit_TGame.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
        return 2;
    }
    // The same bytes from every platform's build: no CR before the newline.
    std::ofstream out(argv[1], std::ios::binary);
    out << "# Checksums of the recorded games: game, cycle, events and states, all bits.\n";
    for (const TRecordedGame& game : RecordedGames()) {
        int levels = 1;
        int overs = 0;
        bool over = false;
        std::int32_t population = game.mPopulation;
        std::int32_t largest = population;
        PlayRecordedGame(game, [&](int ParaCycle, const TCheckpoint& ParaCheckpoint) {
            out << ChecksumLine(game.mName, ParaCycle, ParaCheckpoint) << '\n';
            if (PopulationSize > population)
                ++levels;
            population = PopulationSize;
            largest = std::max(largest, population);
            if (Game->mOver && !over)
                ++overs;
            over = Game->mOver;
            return true;
        });
        // What the game went through, to judge whether it covers enough.
        std::fprintf(stderr, "%-8s level changes seen %d, largest population %d, %d games over\n",
                     game.mName, levels, largest, overs);
    }
    out.close();
    if (!out) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
