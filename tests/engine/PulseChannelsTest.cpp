#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EngineRig.h"

namespace {

using Onsets = std::array<std::vector<std::int64_t>, kPulseChannels>;

/// Frames at which each channel began a pulse (a pulse starts at a block's
/// control steps and has risen 16 frames when the block is done), up to `end`.
Onsets onsets(EngineRig& r, std::int64_t end)
{
    Onsets out;
    while (r.e.SesSamplePos < end && r.block())
        for (int c = 0; c < kPulseChannels; ++c)
            if (r.e.ASEnvState[c] == kEnvRising && r.e.ASEnvCount[c] == 16)
                out[c].push_back(r.e.SesSamplePos - 16);
    return out;
}

std::array<std::size_t, kPulseChannels> counts(const Onsets& o)
{
    return {o[0].size(), o[1].size(), o[2].size(), o[3].size()};
}

} // namespace

TEST(PulseChannels, OnsetsAtBlockStartsWithTheLongRunRate)
{
    EngineRig r;
    r.add(3, 1, 66); // 7 Hz: 6300 frames, not whole blocks
    r.start();
    const auto o = onsets(r, 10 * 44100 - 100);
    ASSERT_EQ(o[0].size(), 70u);
    for (std::size_t i = 1; i < o[0].size(); ++i) {
        const auto gap = o[0][i] - o[0][i - 1];
        EXPECT_TRUE(gap == 6288 || gap == 6304) << gap;
    }
}

TEST(PulseChannels, EnvelopeRampsAreExactToTheFrame)
{
    EngineRig r;
    r.add(3, 1, 6); // 1 Hz, duty 50 %
    r.e.ASRampLen = 150;
    r.e.ASEnvStep = static_cast<float>(1.0L / 150);
    r.start();
    r.blocks(9);
    EXPECT_EQ(r.e.ASEnvCount[kLightLeft], 144);
    EXPECT_EQ(r.e.ASEnvState[kLightLeft], kEnvRising);
    r.block();
    EXPECT_EQ(r.e.ASEnvCount[kLightLeft], 150);
    EXPECT_EQ(r.e.ASEnvState[kLightLeft], kEnvSteady);
    EXPECT_NEAR(r.e.ASEnv[0], 1.0f, 1e-6);
    EXPECT_NEAR(r.e.GateEnv[0], 1.0f, 1e-6);

    while (r.e.ASEnvState[kLightLeft] != kEnvFalling)
        r.block();
    EXPECT_NEAR(r.e.SesSamplePos - 16, 22050, 16) << "the end edge at half the period";
    EXPECT_EQ(r.e.ASEnvCount[kLightLeft], 150 - 16);
    r.blocks(8);
    EXPECT_EQ(r.e.ASEnvCount[kLightLeft], 6);
    EXPECT_TRUE(r.e.PulseOn[kLightLeft]);
    r.block();
    EXPECT_EQ(r.e.ASEnvCount[kLightLeft], 0);
    EXPECT_FALSE(r.e.PulseOn[kLightLeft]);
}

TEST(PulseChannels, OffTimeLimitAgainstTheRampLength)
{
    EngineRig r;
    r.add(3, 1, 156).DutyCycle = 8; // 40 Hz at 80 %
    r.add(3, 1, 0);                 // no frequency: no period, no pulse
    r.start();
    r.block();
    const float period = r.e.PeriodSamples[0];
    EXPECT_NEAR(period, 1102.5, 0.01);
    EXPECT_FLOAT_EQ(r.e.PulseDuty[0], 0.8f) << "the default ramp of 184 frames fits";
    r.e.ASRampLen = 400;
    r.block();
    EXPECT_FLOAT_EQ(r.e.PulseDuty[0], (period - 410) / period);
    r.e.ASRampLen = 1200; // longer than the period: every pulse is dropped
    EXPECT_EQ(counts(onsets(r, 44100)), (std::array<std::size_t, 4>{0, 0, 0, 0}));

    r.e.ASRampLen = 184;
    r.until(r.session->SegEnd[1] + 16);
    EXPECT_EQ(counts(onsets(r, 4 * 44100)), (std::array<std::size_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(r.e.PeriodSamples[0], 0.0f);
}

TEST(PulseChannels, ToneTypesMapFrequenciesToChannels)
{
    using Counts = std::array<std::size_t, 4>;
    const std::pair<int, Counts> cases[] = {
        {1, {10, 10, 10, 10}}, {6, {10, 5, 10, 5}}, {8, {10, 10, 5, 5}},
        {16, {10, 5, 10, 10}}, {17, {10, 5, 5, 5}}, {23, {10, 10, 10, 5}},
    };
    for (const auto& [tone, expected] : cases) {
        SCOPED_TRACE(tone);
        EngineRig r;
        r.add(3, tone, 96, 46); // 10 and 5 Hz
        r.start();
        EXPECT_EQ(counts(onsets(r, 44000)), expected);
    }
}

TEST(PulseChannels, PhasePatternOffsetsHalfAPeriod)
{
    EngineRig r;
    r.add(3, 1, 96).Phase = 5; // (0, 0.5, 0, 0)
    r.start();
    const auto o = onsets(r, 44100);
    ASSERT_FALSE(o[1].empty());
    EXPECT_EQ(o[0][0], 0);
    EXPECT_NEAR(o[1][0], 2205, 16);
    EXPECT_EQ(o[2][0], 0);
}

TEST(PulseChannels, AlternatingPatternsTakeTurnsAndEnablesWaitForTheWrap)
{
    EngineRig r;
    r.add(2, 1, 96).Phase = 9; // 3.75 periods of 4410 frames
    r.add(3, 1, 96).Phase = 1;
    r.start();
    const auto o = onsets(r, r.session->SegEnd[1]);
    for (int c = 0; c < kPulseChannels; ++c) {
        ASSERT_FALSE(o[c].empty()) << c;
        for (auto at : o[c])
            EXPECT_EQ((at + 100) / 4410 % 2, c < 2 ? 0 : 1) << "lights in even, sound in odd periods";
    }
    r.until(r.session->SegEnd[1] + 16);
    EXPECT_FALSE(r.e.AltPhase);
    EXPECT_FALSE(r.e.ChannelEnabled[kLightLeft]) << "off until its next wrap";
    const auto later = onsets(r, 5 * 4410);
    ASSERT_FALSE(later[0].empty());
    EXPECT_NEAR(later[0][0], 4 * 4410, 16);
    EXPECT_TRUE(r.e.ChannelEnabled[kLightLeft]);
}

TEST(PulseChannels, PhaseChangeTogglesAndGlidesUnscaledByTheLengthFactor)
{
    EngineRig r;
    r.add(1);
    TSegRec& b = r.add(4);
    b.Phase = 1 | kRampFlag;
    b.PhaseChange = 2; // 1 s
    r.e.SesLengthFactor = 2;
    r.start();
    const std::int64_t begin = r.session->SegEnd[1];
    r.until(begin + 44100);
    EXPECT_EQ(r.e.PhaseType, 1);
    r.block();
    EXPECT_EQ(r.e.PhaseType, 2);
    EXPECT_EQ(r.e.DisplayTexts[8], "Ph2 R");
    EXPECT_NEAR(r.e.PhaseStep[3], 0.5 / 44100, 1e-9);
    r.until(begin + 2 * 44100);
    EXPECT_NEAR(r.e.CurPhase[3], 0.5, 0.001) << "the glide reaches the pattern in one period";
    r.block();
    EXPECT_EQ(r.e.PhaseType, 1);
    EXPECT_EQ(r.e.PhaseChangeCount, 2);
}

TEST(PulseChannels, DutyGlidesAcrossTheSegment)
{
    EngineRig r;
    r.add(1).DutyCycle = 2;
    r.add(4).DutyCycle = 8 | kRampFlag;
    r.add(1).DutyCycle = 3;
    r.start();
    r.until(r.session->SegEnd[1] + 33075);
    EXPECT_TRUE(r.e.DutyRamping);
    EXPECT_NEAR(r.e.CurDutyCycle, 0.5, 0.001);
    r.until(r.session->SegEnd[2] + 16);
    EXPECT_FALSE(r.e.DutyRamping);
    EXPECT_FLOAT_EQ(r.e.CurDutyCycle, 0.3f);
}

TEST(PulseChannels, EndEdgeBeyondThePeriodEndsInTheNext)
{
    EngineRig r;
    TSegRec& a = r.add(3, 1, 6); // 1 Hz
    a.Phase = 5;                 // channel 2 starts at 0.5
    a.DutyCycle = 8;             // and ends at 1.3 periods
    r.start();
    r.until(40000);
    EXPECT_TRUE(r.e.PulseOn[kLightRight]);
    while (r.e.ASEnvState[kLightRight] != kEnvFalling)
        r.block();
    EXPECT_NEAR(r.e.SesSamplePos - 16, 44100 + 13230, 16);
}

TEST(PulseChannels, LeavingATwoFrequencyToneAlignsPhases)
{
    // Into tone 1 both pairs, into 9 the sound pair, into 7 nothing.
    const std::pair<int, std::array<bool, 2>> cases[] = {{1, {true, true}}, {9, {false, true}}, {7, {false, false}}};
    for (const auto& [tone, aligned] : cases) {
        SCOPED_TRACE(tone);
        EngineRig r;
        r.add(1, 6, 96, 66); // channels 2 and 4 on 7 Hz, 1 and 3 on 10 Hz
        r.add(3, tone, 96, 66);
        r.start();
        r.until(r.session->SegEnd[1]);
        const auto before = r.e.LightPhase;
        r.block();
        for (int pair = 0; pair < 2; ++pair) {
            const int a = 2 * pair;
            const float from = aligned[pair] ? std::min(before[a], before[a + 1]) : before[a + 1];
            EXPECT_NEAR(r.e.LightPhase[a + 1], std::fmod(from + r.e.PulseInc[a + 1], 1000.0f), 1e-3);
        }
    }
}
