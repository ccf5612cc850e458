// Replays the recorded games and holds every checkpoint to the checksum that
// the recorder wrote: the simulation must play every game exactly as before,
// bit for bit, however its passes are built.
#include "RecordedGames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>

#ifndef VELTRANE_GAME_CHECKSUMS
#error "VELTRANE_GAME_CHECKSUMS must name the recorded checksums"
#endif

namespace {

// Recorded checkpoints by game name and cycle.
using TRecord = std::map<std::string, std::map<int, TCheckpoint>>;

TRecord ReadRecord() {
    TRecord record;
    std::ifstream in(VELTRANE_GAME_CHECKSUMS);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string game;
        int cycle = -1;
        TCheckpoint checkpoint{};
        fields >> game >> cycle >> std::hex >> checkpoint.mState >> checkpoint.mBits;
        if (fields && cycle >= 0)
            record[game][cycle] = checkpoint;
    }
    return record;
}

const TRecord& Record() {
    static const TRecord record = ReadRecord();
    return record;
}

} // namespace

// Names the game in failure messages instead of dumping its bytes.
void PrintTo(const TRecordedGame& ParaGame, std::ostream* ParaOut) {
    *ParaOut << ParaGame.mName;
}

namespace {

class RecordedGame : public ::testing::TestWithParam<TRecordedGame> {};

} // namespace

TEST_P(RecordedGame, PlaysEveryCheckpointAsRecorded) {
    const TRecordedGame& game = GetParam();
    const auto recorded = Record().find(game.mName);
    ASSERT_NE(recorded, Record().end())
        << "no checksums for " << game.mName << " in " << VELTRANE_GAME_CHECKSUMS;
    const std::map<int, TCheckpoint>& expected = recorded->second;
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(kRecordedCycles / kCyclesPerChecksum + 1));

    int checked = 0;
    PlayRecordedGame(game, [&](int ParaCycle, const TCheckpoint& ParaCheckpoint) {
        const auto want = expected.find(ParaCycle);
        EXPECT_NE(want, expected.end()) << "cycle " << ParaCycle;
        if (want == expected.end())
            return false;
        // The first divergence says where to look; the rest would only repeat it.
        EXPECT_EQ(ChecksumLine(game.mName, ParaCycle, ParaCheckpoint),
                  ChecksumLine(game.mName, ParaCycle, want->second))
            << (ParaCheckpoint.mState == want->second.mState
                    ? "the same events and states, other bits"
                    : "other events or states");
        ++checked;
        return ParaCheckpoint == want->second;
    });
    EXPECT_EQ(checked, static_cast<int>(expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Games, RecordedGame, ::testing::ValuesIn(RecordedGames()),
                         [](const ::testing::TestParamInfo<TRecordedGame>& ParaInfo) {
                             return std::string(ParaInfo.param.mName);
                         });
