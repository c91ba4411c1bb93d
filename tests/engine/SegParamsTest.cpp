#include <gtest/gtest.h>

#include <memory>

#include "TestTables.h"
#include "engine/SegParams.h"

namespace {

struct Fixture : ::testing::Test {
    ValueTables tables = syntheticTables();
    std::unique_ptr<Session> session = std::make_unique<Session>();
    std::unique_ptr<SegParams> params = std::make_unique<SegParams>();

    TSegRec& seg(int i)
    {
        if (i > session->SegCount)
            session->SegCount = i;
        session->Segments[i] = tables.DefaultSegment;
        return session->Segments[i];
    }
    void recompute() { RecomputeSession(*session, tables, *params); }
};

using SegParamsTest = Fixture;

float hz(int pitch)
{
    return static_cast<float>(10 * pitch + 0.5);
}

} // namespace

TEST_F(SegParamsTest, SegmentEndsRoundHalfFramesToEven)
{
    seg(1).Time = 1; // 0.125 s = 5512.5 frames
    seg(2).Time = 2; // 0.375 s = 16537.5 frames
    seg(3).Time = 3; // 60 s
    recompute();
    EXPECT_EQ(session->SegEnd[0], 0);
    EXPECT_EQ(session->SegEnd[1], 5512);
    EXPECT_EQ(session->SegEnd[2], 5512 + 16538);
    EXPECT_EQ(session->SegEnd[3], 5512 + 16538 + 2646000);
    EXPECT_EQ(params->SesLengthSecs, 60) << "60.5 s rounds to the even 60";
}

TEST_F(SegParamsTest, SessionLengthRoundsTiesToEven)
{
    seg(1).Time = 4; // 1.5 s
    recompute();
    EXPECT_EQ(params->SesLengthSecs, 2);
    seg(1).Time = 5; // 2.5 s
    recompute();
    EXPECT_EQ(params->SesLengthSecs, 2);
}

TEST_F(SegParamsTest, PitchModesAndDeltasAcrossSegments)
{
    TSegRec& a = seg(1);
    a.Pitch1 = 20 | kRampFlag; // segment 1 never ramps
    a.Pitch2 = 101;            // "r1": Pitch 1 + 1 Hz, mode 1 on segment 1
    TSegRec& b = seg(2);
    b.Pitch1 = 30 | kRampFlag;
    b.Pitch2 = 103; // "r3" without ramp: relative, mode 3
    TSegRec& c = seg(3);
    c.Pitch1 = 40;
    c.Pitch2 = 90 | kRampFlag; // "r-11" ramped: mode 2, not 3
    recompute();

    EXPECT_EQ(params->Pitch1Mode[1], 1);
    EXPECT_FLOAT_EQ(params->SegPitch1[1], hz(20) * 0.1f);
    EXPECT_EQ(params->Pitch2Mode[1], 1);
    EXPECT_EQ(params->SegPitch2[1], static_cast<float>(static_cast<float>(hz(20) + 1.0L) * 0.1L));

    EXPECT_EQ(params->Pitch1Mode[2], 2);
    EXPECT_EQ(params->Pitch1Delta[2], static_cast<float>(0.1L * (10 * 30 + 0.5L) - params->SegPitch1[1]));
    EXPECT_EQ(params->Pitch2Mode[2], 3);
    EXPECT_EQ(params->Pitch2Offset[2], static_cast<float>(3 * 0.1L));
    EXPECT_NEAR(params->SegPitch2[2], params->SegPitch1[2] + params->Pitch2Offset[2], 1e-4);

    EXPECT_EQ(params->Pitch1Mode[3], 1);
    EXPECT_EQ(params->Pitch2Mode[3], 2);
    const float pitch2Hz = static_cast<float>(-11 + static_cast<long double>(hz(40)));
    EXPECT_EQ(params->Pitch2Delta[3], static_cast<float>(0.1L * pitch2Hz - params->SegPitch2[2]));
    EXPECT_EQ(params->SegPitch2[3], static_cast<float>(pitch2Hz * 0.1L));
}

TEST_F(SegParamsTest, RampedLevelsStartAtThePreviousChoice)
{
    TSegRec& a = seg(1);
    a.Volume = 11 | kRampFlag; // ignored on segment 1
    a.Intensity = 21;
    a.HBeat = 1 | kRampFlag;
    TSegRec& b = seg(2);
    b.Volume = 21 | kRampFlag;
    b.Intensity = 1;
    b.HBeat = 91 | kRampFlag;
    TSegRec& c = seg(3);
    c.Volume = 1 | kRampFlag; // starts at segment 2's choice, not its glide end
    c.Intensity = 5 | kRampFlag;
    c.HBeat = 41;
    recompute();

    EXPECT_FLOAT_EQ(params->SegVolumeStart[1], 0.5f);
    EXPECT_FLOAT_EQ(params->SegVolumeEnd[1], 0.5f);
    EXPECT_FLOAT_EQ(params->SegIntensityStart[1], 1.0f);
    EXPECT_EQ(params->SegHBeatStart[1], 10);
    EXPECT_EQ(params->SegHBeatEnd[1], 10);

    EXPECT_FLOAT_EQ(params->SegVolumeStart[2], 0.5f);
    EXPECT_FLOAT_EQ(params->SegVolumeEnd[2], 1.0f);
    EXPECT_FLOAT_EQ(params->SegIntensityStart[2], 0.0f);
    EXPECT_FLOAT_EQ(params->SegIntensityEnd[2], 0.0f);
    EXPECT_EQ(params->SegHBeatStart[2], 10);
    EXPECT_EQ(params->SegHBeatEnd[2], 100);

    EXPECT_FLOAT_EQ(params->SegVolumeStart[3], 1.0f);
    EXPECT_FLOAT_EQ(params->SegVolumeEnd[3], 0.0f);
    EXPECT_FLOAT_EQ(params->SegIntensityStart[3], 0.0f);
    EXPECT_FLOAT_EQ(params->SegIntensityEnd[3], 0.2f);
    EXPECT_EQ(params->SegHBeatStart[3], 50);
    EXPECT_EQ(params->SegHBeatEnd[3], 50);
}

TEST_F(SegParamsTest, FrequenciesDutyAndPhaseChange)
{
    TSegRec& a = seg(1);
    a.Freq1From = 74;
    a.Freq1To = 150;
    a.Freq2From = 1;
    a.Freq2To = 156;
    a.DutyCycle = 8 | kRampFlag;
    a.PhaseChange = 1;
    seg(2).PhaseChange = 5;
    seg(3).PhaseChange = 8;
    recompute();
    EXPECT_EQ(params->SegFreq1Start[1], 7.83f);
    EXPECT_EQ(params->SegFreq1End[1], 34.0f);
    EXPECT_EQ(params->SegFreq2Start[1], 0.5f);
    EXPECT_EQ(params->SegFreq2End[1], 40.0f);
    EXPECT_FLOAT_EQ(params->SegDutyCycle[1], 0.8f);
    EXPECT_EQ(params->SegPhaseChangeSecs[1], 0);
    EXPECT_EQ(params->SegPhaseChangeSecs[2], 16);
    EXPECT_EQ(params->SegPhaseChangeSecs[3], 64);
}

TEST_F(SegParamsTest, WavFlagsFollowToneAndBackingSound)
{
    seg(1);
    seg(2);
    recompute();
    EXPECT_FALSE(params->NeedToneWav);
    EXPECT_FALSE(params->NeedBSWav);

    for (int tone : {10, 11, 12, 13}) {
        session->Segments[2].Tone = static_cast<std::uint8_t>(tone);
        recompute();
        EXPECT_TRUE(params->NeedToneWav) << tone;
        EXPECT_FALSE(params->NeedBSWav);
    }
    session->Segments[2].Tone = 14;
    for (int bs : {4, 5}) {
        session->Segments[1].BackingSound = static_cast<std::uint8_t>(bs);
        recompute();
        EXPECT_FALSE(params->NeedToneWav) << "a full pass clears the flags first";
        EXPECT_TRUE(params->NeedBSWav) << bs;
    }
}

TEST_F(SegParamsTest, UnsetRecordsReadNoTableOutOfBounds)
{
    session->SegCount = 2;
    session->Segments[1] = TSegRec{};
    TSegRec& wild = session->Segments[2];
    for (int f = 1; f <= kFieldCount; ++f)
        wild[f] = 255;
    recompute();
    EXPECT_EQ(session->SegEnd[1], 0);
    EXPECT_EQ(session->SegEnd[2], 0);
    EXPECT_EQ(params->SegPitch1[2], 0.0f);
    EXPECT_EQ(params->SegFreq1Start[2], 0.0f);
}
