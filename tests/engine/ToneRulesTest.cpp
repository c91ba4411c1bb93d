#include <gtest/gtest.h>

#include <vector>

#include "EngineRig.h"
#include "engine/Generators.h"

// The rules by tone type and balance choice, each table typed in from the
// sound generators' definition and checked on what a run does: output modes,
// start gains and automation, pitch with its offsets and FM source, and the
// output formula with the extra AM.

namespace {

// FM and AM sources: none, ModPhase, LightPhase[1], LightPhase[2], LightPhase[3].
enum Source { kNone = -1, kMod, kLP1, kLP2, kLP3 };

float sourcePhase(const Engine& e, Source s)
{
    return s == kMod ? e.ModPhase : e.LightPhase[s];
}

/// ModSineTable's entry for generator side `side` and a source phase.
long double modSine(const Engine& e, int side, Source s)
{
    long i = std::lrint(static_cast<long double>(e.CurPhase[kSoundLeft + side]) * 1000 + sourcePhase(e, s)) % 1000;
    return ModSineTable[i < 0 ? i + 1000 : i];
}

long double am(const Engine& e, int side, Source s)
{
    return s == kNone ? 1.0L : modSine(e, side, s) * e.AMDepth + e.AMBase;
}

long double fm(const Engine& e, int side, Source s)
{
    return s == kNone ? 1.0L : TwoToX(static_cast<float>(modSine(e, side, s) * e.FMDepth));
}

/// A run of one segment of `tone`, Pitch 1 200.5 Hz, Pitch 2 330.5 Hz, beat
/// frequencies 1 and 10 Hz, both depths set, every modulation source at its
/// own phase, after a few blocks.
struct ToneRun : EngineRig {
    explicit ToneRun(int tone)
    {
        soundSetUp();
        TSegRec& r = add(3, tone, 6, 96);
        r.Pitch1 = 20;
        r.Pitch2 = 33;
        r.Wave1 = 4;
        r.Wave2 = 6;
        r.SGVol = 5;
        r.Volume = 21;
        e.setAMDepthPos(80);
        e.setFMDepthPos(70);
        start();
        e.ModPhase = 30;
        e.LightPhase = {170, 410, 660, 880};
        blocks(40);
        for (int side = 0; side < 2; ++side)
            for (Source a : {kMod, kLP1, kLP2, kLP3})
                for (Source b : {kMod, kLP1, kLP2, kLP3})
                    if (a < b) {
                        EXPECT_NE(fm(e, side, a), fm(e, side, b)) << "sources must differ to be told apart";
                    }
    }
};

} // namespace

TEST(ToneRules, OutputModesByToneType)
{
    // 0 off, 1 wave x gate, 2 wave, 3 tone wav x gate, 4 tone wav x AM, 5 wave x AM.
    const struct {
        std::vector<int> tones;
        int sg1, sg2;
    } rows[] = {
        {{1}, 1, 0},         {{2, 7, 16, 17, 18, 19}, 1, 1}, {{3, 23}, 2, 0}, {{4, 5, 6, 9, 24, 25, 26, 27}, 2, 2},
        {{8}, 2, 1},         {{10, 11}, 3, 0},               {{12, 13}, 4, 0}, {{14, 15, 20, 21, 22}, 5, 5},
    };
    int covered = 0;
    for (const auto& row : rows) {
        for (int tone : row.tones) {
            EngineRig r;
            r.add(3, tone);
            r.start();
            const std::array<int, 4> modes{r.e.SGMode[0], r.e.SGMode[1], r.e.SGMode[2], r.e.SGMode[3]};
            EXPECT_EQ(modes, (std::array<int, 4>{row.sg1, row.sg1, row.sg2, row.sg2})) << "tone " << tone;
            ++covered;
        }
    }
    EXPECT_EQ(covered, 27);
}

TEST(ToneRules, BalanceGainsAndAutomationBySGVol)
{
    // Gains of SG1 and SG2 and the automation that follows (0 none, 1 SG1 to
    // SG2 over the segment, 2 SG2 to SG1 over the segment, 15 and 25 the same
    // in five seconds).
    const struct {
        int sgvol;
        long double sg1, sg2;
        int swap;
    } rows[] = {
        {1, 0, 1, 2},           {2, 1, 0, 1},           {3, 0, 1, 25},          {4, 1, 0, 15},         {5, 0.5L, 0.5L, 0},
        {6, 4 / 7.0L, 3 / 7.0L, 0}, {7, 2 / 3.0L, 1 / 3.0L, 0}, {8, 0.8L, 0.2L, 0}, {9, 1, 0, 0},         {10, 3 / 7.0L, 4 / 7.0L, 0},
        {11, 1 / 3.0L, 2 / 3.0L, 0}, {12, 0.2L, 0.8L, 0}, {13, 0, 1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sgvol);
        const float sg1 = static_cast<float>(row.sg1), sg2 = static_cast<float>(row.sg2);
        EngineRig r;
        r.add(4, 3).SGVol = static_cast<std::uint8_t>(row.sgvol); // segment 1 starts with its gains
        r.add(4, 3).SGVol = static_cast<std::uint8_t>(row.sgvol % 13 + 1);
        r.add(4, 3).SGVol = static_cast<std::uint8_t>(row.sgvol); // a change switches to them
        r.start();
        EXPECT_EQ(r.e.SG1VolL, sg1);
        EXPECT_EQ(r.e.SG2VolR, sg2);
        EXPECT_EQ(static_cast<int>(r.e.SGSwapMode), row.swap);
        if (row.swap == 15 || row.swap == 25) {
            EXPECT_EQ(r.e.SGSwapCounter, 220500);
        }
        r.until(r.session->SegEnd[2] + 16);
        EXPECT_EQ(r.e.SG1VolTarget, sg1);
        EXPECT_EQ(r.e.SG2VolTarget, sg2);
    }
}

TEST(ToneRules, PitchByToneTypeWithOffsetsAndFMSource)
{
    // Step of each generator in its constant pitch mode: FM(source) x (base +
    // offset); base 1 Pitch 1, 2 Pitch 2, 3 the same side's SG1 step; offset
    // +0.1 x Freq 1 or Freq 2. Tone types without a row (SG1 right and SG2 of
    // 10..13) are left out.
    struct Rule {
        std::vector<int> tones;
        int base, add;
        Source fm;
    };
    const std::vector<Rule> rules[4] = {
        // SG1 left
        {{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}, 1, 0, kNone},
         {{18, 20}, 1, 0, kMod},
         {{19, 22}, 1, 0, kLP1},
         {{21}, 1, 0, kLP2},
         {{23, 24, 25, 26, 27}, 1, 0, kLP3}},
        // SG1 right
        {{{1, 2, 7, 14, 15, 16, 17}, 1, 0, kNone},
         {{3, 4, 5, 8, 9}, 1, 1, kNone},
         {{6}, 2, 0, kNone},
         {{18, 20}, 1, 0, kMod},
         {{19, 22}, 1, 0, kLP1},
         {{21}, 1, 0, kLP3},
         {{23, 24, 25, 26, 27}, 1, 1, kLP3}},
        // SG2 left
        {{{1, 2, 3, 5, 7, 8, 9, 14, 15, 16, 17}, 2, 0, kNone},
         {{4}, 2, 2, kNone},
         {{6}, 3, 1, kNone},
         {{18, 20}, 2, 0, kMod},
         {{19, 22}, 2, 0, kLP1},
         {{21, 23, 24, 25}, 2, 0, kLP2},
         {{26, 27}, 2, 2, kLP2}},
        // SG2 right
        {{{1, 2, 4, 7, 8, 14, 15, 16, 17}, 2, 0, kNone},
         {{3, 5, 9}, 2, 2, kNone},
         {{6}, 3, 2, kNone},
         {{18, 20}, 2, 0, kMod},
         {{19, 22}, 2, 0, kLP1},
         {{21}, 2, 0, kLP3},
         {{23, 24, 25}, 2, 2, kLP2},
         {{26, 27}, 2, 0, kLP2}},
    };
    for (int g = 0; g < 4; ++g) {
        for (const Rule& rule : rules[g]) {
            for (int tone : rule.tones) {
                SCOPED_TRACE(testing::Message() << "generator " << g << ", tone " << tone);
                ToneRun r(tone);
                const Engine& e = r.e;
                const int side = g & 1;
                long double base = rule.base == 1   ? r.params->SegPitch1[1]
                                   : rule.base == 2 ? r.params->SegPitch2[1]
                                                    : e.SGStep[side];
                if (rule.add == 1)
                    base += 0.1L * e.CurFreq1;
                else if (rule.add == 2)
                    base += 0.1L * e.CurFreq2;
                EXPECT_EQ(e.SGStep[g], static_cast<float>(fm(e, side, rule.fm) * base));
            }
        }
    }
}

TEST(ToneRules, OutputsByModeAndTheExtraAMByToneType)
{
    // Outputs by mode (W wave, V gain, E gate envelope, A = AM of the side's
    // own sound channel), then the extra AM of SG1 and SG2 by tone type.
    // Tone wav modes (10..13) play silence here: no tone wav is open.
    const struct {
        std::vector<int> tones;
        Source sg1, sg2;
    } extra[] = {
        {{18}, kMod, kMod},
        {{19}, kLP1, kLP1},
        {{23, 24, 25, 26, 27}, kLP3, kLP2},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 14, 15, 16, 17, 20, 21, 22}, kNone, kNone},
    };
    for (const auto& row : extra) {
        for (int tone : row.tones) {
            SCOPED_TRACE(testing::Message() << "tone " << tone);
            ToneRun r(tone);
            const Engine& e = r.e;
            for (int g = 0; g < 4; ++g) {
                const int side = g & 1;
                const long double w = r.samples->WaveTables[e.SGWave[g]][e.WavePos[g]];
                const long double v = g < 2 ? (side ? e.SG1VolR : e.SG1VolL) : (side ? e.SG2VolR : e.SG2VolL);
                long double out = 0;
                switch (e.SGMode[g]) {
                case 1: out = w * v * e.GateEnv[side]; break;
                case 2: out = w * v; break;
                case 5: out = am(e, side, side ? kLP3 : kLP2) * w * v; break;
                default: break;
                }
                const Source source = g < 2 ? row.sg1 : row.sg2;
                const float expected =
                    source == kNone ? static_cast<float>(out) : static_cast<float>(static_cast<float>(out) * am(e, side, source));
                EXPECT_EQ(e.SGOut[g], expected) << "generator " << g;
            }
        }
    }
}
