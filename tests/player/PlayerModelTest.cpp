#include <gtest/gtest.h>

#include "engine/TestTables.h"
#include "player/PlayerModel.h"

TEST(PlayerModel, EngineWorksOnTheModelsOwnSession)
{
    PlayerModel m;
    m.Tables = syntheticTables();
    m.Ses->Segments[1] = m.Tables.DefaultSegment;
    m.Ses->SegCount = 1;
    m.recompute();
    EXPECT_EQ(m.Ses->SegEnd[1], 60 * 44100);
    EXPECT_EQ(m.Params->SesLengthSecs, 60);

    m.Eng->PrepareRun(RunKind::Start);
    std::int16_t block[32];
    EXPECT_TRUE(m.Eng->ComputeOutPut(block, sizeof block));
    EXPECT_EQ(m.Eng->ActSegment, 1);
}
