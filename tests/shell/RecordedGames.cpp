#include "RecordedGames.h"

#include "shell/Unit_TProgram.h"

#include "simulation/Unit_Random.h"
#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_TGame.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"
#include "simulation/Unit_TUniverseThreadLess.h"

#include "tests/support/WorldChecksum.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

// The click script's own generator: std::mt19937 is fixed by the standard, so
// the script is the same with every standard library.
class TScript {
public:
    explicit TScript(std::uint32_t ParaSeed) : mRandom(ParaSeed) {}
    std::uint32_t Below(std::uint32_t ParaRange) {
        return ParaRange == 0 ? 0 : static_cast<std::uint32_t>(mRandom() % ParaRange);
    }
    std::int32_t Coordinate(std::int32_t ParaSize) {
        return static_cast<std::int32_t>(
            Below(ParaSize > 0 ? static_cast<std::uint32_t>(ParaSize) : 1u));
    }

private:
    std::mt19937 mRandom;
};

// A click on a person's centre, so that clicks hit as often as a player's do;
// ParaSick looks for a living infected person who still walks about, from a
// random place in the list on.
void ClickOnSomebody(TScript& ParaScript, bool ParaInfect, bool ParaSick) {
    if (Persons.empty())
        return;
    const std::size_t count = Persons.size();
    std::size_t index = ParaScript.Below(static_cast<std::uint32_t>(count));
    for (std::size_t tried = 0; ParaSick && tried < count; ++tried, index = (index + 1) % count) {
        const TPerson& person = *Persons[index];
        if (person.mInfected && !person.mDead && !person.mQuarantined)
            break;
    }
    const TPerson& target = *Persons[index];
    const auto x = static_cast<std::int32_t>(target.mPositionX);
    const auto y = static_cast<std::int32_t>(target.mPositionY);
    if (ParaInfect)
        ProgramInfect(x, y);
    else
        ProgramQuarantine(x, y);
}

void Resize(TScript& ParaScript, const TRecordedGame& ParaGame) {
    const std::uint32_t kind = ParaScript.Below(20);
    if (kind == 0) {
        ProgramResize(0, 0); // minimised
    } else if (kind == 1) {
        ProgramResize(1, 1 + ParaScript.Coordinate(ParaGame.mHeight));
    } else {
        // Dragged a little way from the usual size.
        const std::int32_t width = ParaGame.mWidth / 2 + ParaScript.Coordinate(ParaGame.mWidth);
        const std::int32_t height = ParaGame.mHeight / 2 + ParaScript.Coordinate(ParaGame.mHeight);
        ProgramResize(width, height);
    }
}

} // namespace

const std::vector<TRecordedGame>& RecordedGames() {
    static const std::vector<TRecordedGame> games{
        {"window", 1u, 792, 673, 100, 300, 0},    {"small", 20261209u, 320, 240, 100, 600, 0},
        {"large", 777u, 1600, 1200, 100, 200, 1}, {"strip", 4242u, 1500, 60, 100, 500, 0},
        {"crowd", 90001u, 360, 300, 300, 900, 0}, {"sparse", 31337u, 1800, 1350, 400, 700, 1},
    };
    return games;
}

TCheckpoint SimulationCheckpoint() {
    return {StateChecksum(), WorldChecksum()};
}

void PlayRecordedGame(const TRecordedGame& ParaGame,
                      const std::function<bool(int, const TCheckpoint&)>& ParaCheckpoint) {
    SetRandomState(ParaGame.mSeed);
    PopulationSize = ParaGame.mPopulation;
    ProgramCreate();
    ProgramResize(ParaGame.mWidth, ParaGame.mHeight);
    ProgramStartup();
    Universe->CycleThrottleForTesting().SetEnabled(false);

    TScript script(ParaGame.mSeed ^ 0x9e3779b9u);
    bool going = ParaCheckpoint(0, SimulationCheckpoint());
    int overFor = 0;
    for (int cycle = 1; going && cycle <= kRecordedCycles; ++cycle) {
        // A player who quarantines busily and infects now and then, clicking
        // on persons and on empty ground, and drags the window at times.
        std::uint32_t roll = script.Below(1000);
        if (roll < ParaGame.mDiligence) {
            ClickOnSomebody(script, false, true);
        } else if ((roll -= ParaGame.mDiligence) < ParaGame.mMalice) {
            ClickOnSomebody(script, true, false);
        } else if ((roll -= ParaGame.mMalice) < 10) {
            ClickOnSomebody(script, false, false);
        } else if (roll < 21) {
            // One draw after the other, ordinate first: as arguments of one
            // call their order would be the compiler's choice (GCC drew the
            // ordinate first when the games were recorded, clang does not).
            const std::int32_t y = script.Coordinate(Field->Height());
            const std::int32_t x = script.Coordinate(Field->Width());
            if (roll < 20)
                ProgramQuarantine(x, y);
            else
                ProgramInfect(x, y);
        } else if (roll < 24) {
            Resize(script, ParaGame);
        } else if (roll == 24) {
            ProgramResize(ParaGame.mWidth, ParaGame.mHeight);
        }

        ProgramSingleLoop();
        // Some while after the end the player starts the program again, in
        // a window of the size it had; the generator runs on.
        if (Game->mOver && ++overFor == 300) {
            const std::int32_t width = Field->Width();
            const std::int32_t height = Field->Height();
            ProgramDestroy();
            PopulationSize = ParaGame.mPopulation;
            ProgramCreate();
            ProgramResize(width, height);
            ProgramStartup();
            Universe->CycleThrottleForTesting().SetEnabled(false);
            overFor = 0;
        }
        if (cycle % kCyclesPerChecksum == 0)
            going = ParaCheckpoint(cycle, SimulationCheckpoint());
    }
    ProgramDestroy();
    PopulationSize = 100;
}

std::string ChecksumLine(const char* ParaGame, int ParaCycle, const TCheckpoint& ParaCheckpoint) {
    char line[128];
    std::snprintf(line, sizeof line, "%s %d %016" PRIx64 " %016" PRIx64, ParaGame, ParaCycle,
                  ParaCheckpoint.mState, ParaCheckpoint.mBits);
    return line;
}
