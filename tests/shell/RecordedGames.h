// Seeded headless games with clicks and resizes, and a checksum of the whole
// simulation state. The recorder writes the checksums of every checkpoint to
// a file; the replay test plays the same games and must meet every one, so
// any change to the simulation's arithmetic or draw order shows up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TRecordedGame {
    const char* mName;
    std::uint32_t mSeed;
    std::int32_t mWidth; // the window's usual client size; resizes wander around it
    std::int32_t mHeight;
    std::int32_t mPopulation; // of the first level
    // Chances per thousand cycles that the player quarantines an infected
    // person (containing the outbreak), or infects somebody.
    std::uint32_t mDiligence;
    std::uint32_t mMalice;
};

// The games, their length and how often a checksum is taken.
const std::vector<TRecordedGame>& RecordedGames();
constexpr int kRecordedCycles = 20000;
constexpr int kCyclesPerChecksum = 100;

// Two 64-bit checksums of the simulation at one moment: of its events and
// states alone (every integer and flag, no double), and of everything to
// the bit (every field of every person, doubles by their bits, the disease,
// the game, the field, the population size and the generator). A game that
// keeps the first and loses the second plays the same, a little apart.
struct TCheckpoint {
    std::uint64_t mState;
    std::uint64_t mBits;
    bool operator==(const TCheckpoint&) const = default;
};
TCheckpoint SimulationCheckpoint();

// Plays ParaGame from creation to kRecordedCycles cycles, unpaced, starting
// the program anew a while after each game over, and calls
// ParaCheckpoint(cycle, checkpoint) after creation (cycle 0) and after every
// kCyclesPerChecksum-th cycle. Stops early when ParaCheckpoint returns false.
void PlayRecordedGame(const TRecordedGame& ParaGame,
                      const std::function<bool(int, const TCheckpoint&)>& ParaCheckpoint);

// One line of the data file: "<game> <cycle> <state> <bits>", in hex.
std::string ChecksumLine(const char* ParaGame, int ParaCycle, const TCheckpoint& ParaCheckpoint);
