#include <gtest/gtest.h>

#include "TestTables.h"
#include "engine/CellText.h"

TEST(CellText, TextsAndRampMarksPerRowGroup)
{
    const ValueTables t = syntheticTables();
    TSegRec r;
    r.Time = 3;
    r.Tone = 27;
    r.Freq1From = 150; // bit 7 is part of the index on the Freq rows
    r.Pitch1 = 1 | kRampFlag;
    r.Pitch2 = 115;
    r.Phase = 10 | kRampFlag;
    r.PhaseChange = 8;
    r.DutyCycle = 8 | kRampFlag;
    r.Volume = 12 | kRampFlag;
    r.Intensity = 21;
    r.SGVol = 13;
    r.Wave1 = 19 | kRampFlag;
    r.BackingSound = 5;
    r.HBeat = 91 | kRampFlag;

    EXPECT_EQ(CellText(t, r, fTime), "T3");
    EXPECT_EQ(CellText(t, r, fTone), "Tone27");
    EXPECT_EQ(CellText(t, r, fFreq1From), "34.00");
    EXPECT_EQ(CellText(t, r, fPitch1), "A0 R");
    EXPECT_EQ(CellText(t, r, fPitch2), "rel15");
    EXPECT_EQ(CellText(t, r, fPhase), "Ph10 R");
    EXPECT_EQ(CellText(t, r, fPhaseChange), "64 s");
    EXPECT_EQ(CellText(t, r, fDutyCycle), "80 R");
    EXPECT_EQ(CellText(t, r, fVolume), "55 R");
    EXPECT_EQ(CellText(t, r, fIntensity), "100  ") << "two trailing blanks kept";
    EXPECT_EQ(CellText(t, r, fSGVol), "SG13");
    EXPECT_EQ(CellText(t, r, fWave1), "W19 R");
    EXPECT_EQ(CellText(t, r, fBackingSound), "B5");
    EXPECT_EQ(CellText(t, r, fHBeat), "100 R");
}

TEST(CellText, UnsetAndOutOfTableIndexesAreEmpty)
{
    const ValueTables t = syntheticTables();
    TSegRec r; // all 0
    for (int row = 1; row <= kFieldCount; ++row)
        EXPECT_EQ(CellText(t, r, row), "") << row;
    r.Time = 33;
    r.Freq2To = 157;
    r.Pitch1 = kRampFlag; // flag without index
    r.Phase = 11;
    r.BackingSound = 200;
    for (int row : {fTime, fFreq2To, fPitch1, fPhase, fBackingSound})
        EXPECT_EQ(CellText(t, r, row), "") << row;
    EXPECT_EQ(CellText(t, r, 0), "");
    EXPECT_EQ(CellText(t, r, 19), "");
}

TEST(CellText, RowTitles)
{
    EXPECT_STREQ(RowTitle(0), "Seg. No.");
    EXPECT_STREQ(RowTitle(fTime), "Time");
    EXPECT_STREQ(RowTitle(fPitch1), "Pitch1 (R)");
    EXPECT_STREQ(RowTitle(fSGVol), "SG1/SG2 Vol.");
    EXPECT_STREQ(RowTitle(fHBeat), "H Beat Freq (R)");
    EXPECT_STREQ(RowTitle(19), "");
}

TEST(Session, TitleOfAFileName)
{
    EXPECT_EQ(sessionTitleOf("/s/Relax.lsf"), "Relax");
    EXPECT_EQ(sessionTitleOf("C:\\s\\Deep Calm.lrf"), "Deep Calm");
    EXPECT_EQ(sessionTitleOf("ab"), "");
}
