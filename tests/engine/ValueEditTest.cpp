#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "TestTables.h"
#include "engine/CellText.h"
#include "engine/TimeTexts.h"
#include "engine/ValueEdit.h"

namespace {

constexpr std::uint8_t R = kRampFlag;

struct ValueEditTest : testing::Test {
    ValueTables t = syntheticTables();
    std::unique_ptr<Session> ses = std::make_unique<Session>();

    using Bytes = std::vector<int>;
    /// Segments 1..n of the session take these bytes on `row`.
    void set(int row, const Bytes& bytes)
    {
        ses->SegCount = static_cast<int>(bytes.size());
        for (int s = 1; s <= ses->SegCount; ++s)
            ses->Segments[s][row] = static_cast<std::uint8_t>(bytes[s - 1]);
    }
    Bytes row(int field) const
    {
        Bytes b;
        for (int s = 1; s <= ses->SegCount; ++s)
            b.push_back(ses->Segments[s][field]);
        return b;
    }
};

} // namespace

TEST_F(ValueEditTest, UpAndDownKeepBoundsAndFlagsPerRowGroup)
{
    struct Case {
        int row;
        std::uint8_t before, up, down;
    };
    const Case cases[] = {
        {fVolume, 12 | R, 13 | R, 11 | R}, // 55 % ramped -> 60 % ramped
        {fVolume, 21 | R, 21 | R, 20 | R}, // at the maximum
        {fVolume, 25, 25, 24},             // past the table: only down, towards it
        {fPitch1, 85 | R, 85 | R, 84 | R},
        {fHBeat, R, 1 | R, R},             // flag without index: down keeps 0
        {fTime, 1, 2, 1},                  // down stops at 1
        {fTime, 0, 1, 0},                  // unset stays unset going down
        {fTime, 130, 130, 129},            // no flag on Time: the whole byte counts
        {fFreq1From, 150, 151, 149},       // bit 7 is part of a Freq index
        {fFreq2To, 156, 156, 155},
        {fFreq1To, 1, 2, 1},
        {fPhase, 3 | R, 4 | R, 2 | R},
        {fPhase, 8 | R, 9, 7 | R}, // types 9 and 10 never ramp
        {fPhase, 9, 10, 8},
        {fPhase, 10, 10, 9},
        {fBackingSound, 5, 5, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << " byte " << int(c.before));
        for (bool up : {true, false}) {
            set(c.row, {1, c.before, c.before, 1});
            const VisitedSegments v = up ? valueUp(*ses, t, 2, 3, c.row) : valueDown(*ses, t, 2, 3, c.row);
            EXPECT_EQ(std::pair(v.first, v.last), std::pair(2, 3));
            const int want = up ? c.up : c.down;
            EXPECT_EQ(row(c.row), (Bytes{1, want, want, 1}));
        }
    }
    set(fVolume, {12 | R});
    valueUp(*ses, t, 1, 1, fVolume);
    EXPECT_EQ(CellText(t, ses->Segments[1], fVolume), "60 R");
}

TEST_F(ValueEditTest, RangesAreClippedAndBadRowsVisitNothing)
{
    set(fTone, {5, 5, 5, 5});
    EXPECT_TRUE(valueUp(*ses, t, 3, 2, fTone).empty());
    const VisitedSegments v = valueDown(*ses, t, -5, 9, fTone);
    EXPECT_EQ(std::pair(v.first, v.last), std::pair(1, 4));
    EXPECT_EQ(ses->Segments[5].Tone, 0) << "nothing past SegCount";
    const TSegRec before = ses->Segments[2];
    for (int row : {0, 19})
        EXPECT_TRUE(valueUp(*ses, t, 1, 4, row).empty() && toggleRamp(*ses, 1, 4, row).empty() &&
                    writeSliderPosition(*ses, t, 1, 4, row, 3).empty());
    EXPECT_EQ(ses->Segments[2], before);
}

TEST_F(ValueEditTest, RampSkipsSegmentOneStopsAtPhaseNineAndIgnoresOtherRows)
{
    set(fVolume, {12, 12, 12, 12});
    VisitedSegments v = toggleRamp(*ses, 1, 4, fVolume);
    EXPECT_EQ(std::tuple(v.first, v.last, v.stoppedEarly), std::tuple(2, 4, false));
    EXPECT_EQ(row(fVolume), (Bytes{12, 12 | R, 12 | R, 12 | R}));
    toggleRamp(*ses, 1, 4, fVolume);
    EXPECT_EQ(row(fVolume), (Bytes{12, 12, 12, 12})) << "a second toggle undoes the first";

    set(fPhase, {3, 2 | R, 4, 9, 5, 6});
    v = toggleRamp(*ses, 2, 6, fPhase);
    EXPECT_EQ(std::tuple(v.first, v.last, v.stoppedEarly), std::tuple(2, 3, true));
    EXPECT_EQ(row(fPhase), (Bytes{3, 2, 4 | R, 9, 5, 6}));

    set(fTone, {5, 5, 5});
    EXPECT_TRUE(toggleRamp(*ses, 1, 3, fTone).empty());
    EXPECT_EQ(row(fTone), (Bytes{5, 5, 5}));
}

TEST_F(ValueEditTest, SliderMaximumAndPositionPerRow)
{
    struct Case {
        int row;
        std::uint8_t byte;
        int maximum, position;
    };
    const Case cases[] = {
        {fTime, 7, 32, 7},          {fFreq1From, 150, 156, 150}, {fFreq2To, 129, 156, 129},
        {fPhaseChange, 8, 8, 8},    {fSGVol, 13, 13, 13},        {fBackingSound, 2, 5, 2},
        {fPitch2, 100 | R, 115, 100}, {fPhase, 8 | R, 10, 8},   {fVolume, 12 | R, 21, 12},
        {fWave2, 19, 19, 19},       {fHBeat, 91 | R, 91, 91},
        {fTone, 0, 27, 1},          {fVolume, 30, 21, 21}, // held to what the slider can show
    };
    for (const Case& c : cases) {
        TSegRec rec;
        rec[c.row] = c.byte;
        EXPECT_EQ(std::pair(sliderMaximum(t, c.row), sliderPosition(t, rec, c.row)),
                  std::pair(c.maximum, c.position))
            << "row " << c.row << " byte " << int(c.byte);
    }

    // After Value Up on a Freq row the slider shows the whole new byte.
    set(fFreq1To, {140, 140});
    const VisitedSegments v = valueUp(*ses, t, 1, 2, fFreq1To);
    EXPECT_EQ(sliderPosition(t, ses->Segments[v.last], fFreq1To), 141);
}

TEST_F(ValueEditTest, SliderWriteKeepsEachFlagAndPhaseNineClearsIt)
{
    set(fVolume, {3 | R, 4 | R, 5, R}); // a flag without index is no ramp
    EXPECT_EQ(writeSliderPosition(*ses, t, 1, 4, fVolume, 7).count(), 4);
    EXPECT_EQ(row(fVolume), (Bytes{7 | R, 7 | R, 7, 7}));

    set(fPhase, {4 | R, 4 | R, 4 | R});
    writeSliderPosition(*ses, t, 1, 2, fPhase, 9);
    writeSliderPosition(*ses, t, 3, 3, fPhase, 10);
    EXPECT_EQ(row(fPhase), (Bytes{9, 9, 10}));
    writeSliderPosition(*ses, t, 1, 3, fPhase, 8);
    EXPECT_EQ(row(fPhase), (Bytes{8, 8, 8})) << "moving back does not restore the flag";

    set(fFreq2From, {1, 1, 1});
    writeSliderPosition(*ses, t, 1, 1, fFreq2From, 150);
    writeSliderPosition(*ses, t, 2, 2, fFreq2From, 999);
    writeSliderPosition(*ses, t, 3, 3, fFreq2From, 0);
    EXPECT_EQ(row(fFreq2From), (Bytes{150, 156, 1}));
}

TEST_F(ValueEditTest, TimeTextsRoundToTenthsBeforeSplittingAndSkipBadIndexes)
{
    const std::pair<float, const char*> cases[] = {
        {0.0f, "0:00.0"},   {9.5f, "0:09.5"},     {65.5f, "1:05.5"},   {59.96f, "1:00.0"},
        {69.96f, "1:10.0"}, {599.97f, "10:00.0"}, {0.25f, "0:00.2"},   {0.75f, "0:00.8"},
        {59.94f, "0:59.9"}, {7200.0f, "120:00.0"},
    };
    set(fTime, {1});
    for (auto [secs, text] : cases) {
        t.TimeSecs[1] = secs;
        const TimeTexts tt = sessionTimeTexts(*ses, t, 2);
        EXPECT_EQ(tt.start, std::string("Segment 2 start time: ") + text);
        EXPECT_EQ(tt.total, std::string("Session total time: ") + text);
    }

    t = syntheticTables();                // Time 3 = 60 s, 4 = 1.5 s
    set(fTime, {3, 0, 33, 200, 4});       // 0 and past the table count as 0 s
    ses->Segments[6].Time = 3;            // past SegCount
    EXPECT_EQ(sessionTimeTexts(*ses, t, 1).start, "Segment 1 start time: 0:00.0");
    EXPECT_EQ(sessionTimeTexts(*ses, t, 5).start, "Segment 5 start time: 1:00.0");
    EXPECT_EQ(sessionTimeTexts(*ses, t, 6).start, "Segment 6 start time: 1:01.5");
    EXPECT_EQ(sessionTimeTexts(*ses, t, 1).total, "Session total time: 1:01.5");
}
