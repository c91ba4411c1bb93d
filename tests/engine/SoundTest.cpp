#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "Dft.h"
#include "EngineRig.h"

// Sound generators, backing sound, output filter, carrier and mix, heard
// through ComputeOutPut. SoundRig: distinct waves, no carrier, tone level 1,
// backing level 0 unless a test says otherwise (see EngineRig::soundSetUp).

namespace {

struct SoundRig : EngineRig {
    SoundRig() { soundSetUp(); }

    void levels(float tone, float backing)
    {
        e.ToneVol = tone;
        e.BSVol = backing;
    }
    void carrierLevel(int level, int zero = 0)
    {
        e.setASLevel(level);
        e.setASZeroLevel(zero);
    }
};

/// The noise generator written from its definition, independently of the engine.
struct NoiseReference {
    std::uint32_t seed = 0;
    float x[5]{}, y[5]{};

    float next()
    {
        seed = seed * 134775813u + 1u;
        const auto r = static_cast<std::int64_t>((static_cast<std::uint64_t>(seed) * 65535u) >> 32);
        std::copy(x + 1, x + 5, x);
        x[4] = static_cast<float>((r - 32768) / static_cast<long double>(289.5062561f));
        std::copy(y + 1, y + 5, y);
        y[4] = static_cast<float>(static_cast<long double>(x[0]) + x[4] + 4 * (static_cast<long double>(x[1]) + x[3]) +
                                  6 * static_cast<long double>(x[2]) - 0.2201292677L * y[0] +
                                  1.2062353665L * y[1] - 2.5608371103L * y[2] + 2.5194645027L * y[3]);
        return y[4];
    }
};

/// Sets fields of a segment: set(r.add(3, 4), {{fSGVol, 9}, {fWave1, 3}}).
TSegRec& set(TSegRec& s, std::initializer_list<std::pair<SegField, int>> fields)
{
    for (const auto& [field, value] : fields)
        s[field] = static_cast<std::uint8_t>(value);
    return s;
}

int maxAbs(const std::vector<std::int16_t>& out, std::size_t from, std::size_t to)
{
    int m = 0;
    for (std::size_t k = from; k < to; ++k)
        m = std::max(m, std::abs(static_cast<int>(out[2 * k])));
    return m;
}

} // namespace

// ---- Backing sound ----------------------------------------------------------

TEST(BackingSound, NoiseIsTheLowPassedGeneratorAndItsSequenceRunsOnAcrossRuns)
{
    SoundRig r;
    r.add(3).BackingSound = 2;
    r.levels(0, 1);
    NoiseReference ref;
    for (int run = 0; run < 2; ++run) {
        std::fill(std::begin(ref.x), std::end(ref.x), 0.0f); // the histories restart
        std::fill(std::begin(ref.y), std::end(ref.y), 0.0f);
        r.start();
        const auto out = r.render(4096);
        for (std::size_t k = 0; k < 4096; ++k) {
            const long expected = std::lrint(static_cast<float>(ref.next() / 5.0L));
            ASSERT_EQ(out[2 * k], expected) << run << " " << k;
            ASSERT_EQ(out[2 * k + 1], expected) << run << " " << k;
        }
    }

    r.start();
    const auto out = r.render(1 << 16);
    const auto p = [&](double hz) { return averagePower(out, hz, 1024, 2); };
    const double low = (p(300) + p(600) + p(900) + p(1200)) / 4;
    EXPECT_NEAR(p(4000) / low, 0.5, 0.2) << "-3 dB at the corner";
    EXPECT_LT(p(12000) / low, 0.01);
}

TEST(BackingSound, WavPlaysBitForBitAndLoopsAcrossBuffers)
{
    SoundRig r;
    r.add(3).BackingSound = 5; // with the heart beat, at level 0
    r.levels(0, 1);
    r.e.HBeatVol = 0;
    r.e.BSWavVol = 1;
    std::vector<std::int16_t> data(2 * 1000);
    for (int k = 0; k < 1000; ++k) {
        data[2 * k] = static_cast<std::int16_t>(k * 37 % 20000 - 10000);
        data[2 * k + 1] = static_cast<std::int16_t>(-data[2 * k] / 3);
    }
    r.loopWav(data, "sound_test_bs.wav");
    r.start();
    const auto out = r.render(50000); // a heart beat starts at 44112
    for (std::size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], data[i % data.size()]) << i;
}

TEST(BackingSound, HeartBeatsPlayWholeOnceHoldAndStartFreshInEachRun)
{
    // 60 beats a minute: a trigger every 44100 frames, at block starts.
    SoundRig r;
    r.add(4).BackingSound = 3; // 0..66150
    r.add(4).BackingSound = 1; // ..132300: triggered at 88224, not heard
    r.add(3).BackingSound = 3;
    r.levels(0, 1);
    r.e.HBeatVol = 1;
    r.e.BSWavVol = 0;
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        r.start();
        const auto out = r.render(run == 0 ? 180000 : 45000);
        const auto at = [&](std::size_t k) { return out[2 * k]; };
        EXPECT_EQ(maxAbs(out, 0, 44112), 0) << "nothing held from the last run";
        EXPECT_EQ(at(44112), 1);
        EXPECT_EQ(at(44113), 2);
        if (run == 1)
            break;
        EXPECT_EQ(at(66159), 22048);
        EXPECT_EQ(maxAbs(out, 66160, 132304), 0);
        EXPECT_EQ(at(132304), 1) << "the waiting beat plays from its start";
        EXPECT_EQ(at(132304 + 23598), 23599);
        for (std::size_t k = 132304 + 23598; k < 176416; ++k)
            ASSERT_EQ(at(k), 23599) << k;
        EXPECT_EQ(at(176416), 1) << "one period after the beat was heard";
    }
}

// ---- Output filter ------------------------------------------------------------

TEST(OutputFilter, GainFallsFromPointSevenBelowTheCorner)
{
    EngineRig r;
    for (const auto& [hz, gain, tolerance] : {std::tuple{1000.0, 0.7, 0.01}, {10000.0, 0.063, 0.005}, {19200.0, 0.0, 1e-5}}) {
        r.e.MuteFilters();
        double peak = 0;
        for (int k = 0; k < 8192; ++k) {
            const float y = r.e.FilterOutValSndL(static_cast<float>(10000 * std::sin(2 * M_PI * hz * k / 44100)));
            if (k >= 4096)
                peak = std::max(peak, std::abs(static_cast<double>(y)));
        }
        EXPECT_NEAR(peak / 10000, gain, tolerance) << hz;
    }
}

TEST(OutputFilter, CarrierBypassesItAndTogglingKeepsTheHistories)
{
    const auto carrierOnly = [](bool filter) {
        SoundRig r;
        r.add(3, 1, 6).Intensity = 21;
        r.levels(0, 0);
        r.carrierLevel(100);
        r.e.AudioOutputFilter = filter;
        r.start();
        return r.render(8192);
    };
    const auto filtered = carrierOnly(true);
    EXPECT_GT(maxAbs(filtered, 0, 8192), 9000);
    EXPECT_EQ(filtered, carrierOnly(false));

    SoundRig r;
    r.add(3).BackingSound = 2;
    r.levels(0, 1);
    r.e.AudioOutputFilter = true;
    r.start();
    r.blocks(10);
    const auto x = r.e.FiltRXv;
    const auto y = r.e.FiltRYv;
    EXPECT_NE(y[8], 0.0f);
    r.e.AudioOutputFilter = false;
    r.blocks(10);
    EXPECT_EQ(r.e.FiltRXv, x);
    EXPECT_EQ(r.e.FiltRYv, y);
    r.e.AudioOutputFilter = true;
    r.block();
    EXPECT_NE(r.e.FiltRYv, y);
}

// ---- Sound generators ---------------------------------------------------------

TEST(SoundGenerators, PitchByToneTypeWithBinauralAndMonauralOffsets)
{
    // Pitch 1 200.5 Hz, Pitch 2 300.5 Hz, Freq 1 10 Hz, Freq 2 5 Hz; Hz of
    // SG1 left, SG1 right, SG2 left, SG2 right. FM depth 0 leaves FM at 1.
    const std::pair<int, std::array<double, 4>> cases[] = {
        {1, {200.5, 200.5, 300.5, 300.5}},  {3, {200.5, 210.5, 300.5, 305.5}},
        {4, {200.5, 210.5, 305.5, 300.5}},  {5, {200.5, 210.5, 300.5, 305.5}},
        {6, {200.5, 300.5, 210.5, 305.5}},  {8, {200.5, 210.5, 300.5, 300.5}},
        {9, {200.5, 210.5, 300.5, 305.5}},  {10, {200.5, 200.5, 300.5, 300.5}}, // the rest keep segment 1's
        {24, {200.5, 210.5, 300.5, 305.5}}, {26, {200.5, 210.5, 305.5, 300.5}},
    };
    for (const auto& [tone, hz] : cases) {
        SoundRig r;
        r.e.FMDepth = 0;
        set(r.add(3, tone, 96, 46), {{fPitch1, 20}, {fPitch2, 30}});
        r.start();
        r.block();
        for (int g = 0; g < 4; ++g)
            EXPECT_NEAR(r.e.SGStep[g], hz[g] / 10, 1e-5) << "tone " << tone << " generator " << g;
    }
}

TEST(SoundGenerators, EachChannelCarriesItsPitches)
{
    struct Case {
        int tone;
        std::vector<double> left, right;
    };
    const Case cases[] = {{4, {200.5, 310.5}, {210.5, 300.5}},
                          {6, {200.5, 210.5}, {300.5, 310.5}},
                          {3, {200.5}, {210.5}}};
    const double all[] = {200.5, 210.5, 300.5, 310.5};
    for (const Case& c : cases) {
        SoundRig r;
        set(r.add(3, c.tone, 96, 96), {{fPitch1, 20}, {fPitch2, 30}, {fSGVol, 5}});
        r.start();
        const auto out = r.render(32768);
        for (int channel = 0; channel < 2; ++channel) {
            const auto& present = channel == 0 ? c.left : c.right;
            for (double hz : all) {
                if (std::find(present.begin(), present.end(), hz) != present.end())
                    continue;
                for (double tone : present)
                    EXPECT_GT(powerAt(out, tone, channel, 32768, 2), 1000 * powerAt(out, hz, channel, 32768, 2))
                        << "tone type " << c.tone << " channel " << channel << ": " << tone << " against " << hz;
            }
        }
    }
}

TEST(SoundGenerators, ModulationSpansItsDepthAndIsExactlyOneAtDepthZero)
{
    // AM of SG1 (tone type 14: wave x AM) and FM of its step (20: FM by Freq 2).
    for (const float depth : {0.0f, 1.0f}) {
        SoundRig am, fm;
        am.e.AMDepth = depth / 2;
        am.e.AMBase = 1 - depth / 2;
        fm.e.FMDepth = depth;
        am.add(3, 14, 96).SGVol = 9;
        fm.add(3, 20, 96, 46).SGVol = 9;
        am.start();
        fm.start();
        const float pitch = fm.params->SegPitch1[1];
        double amLo = 2, amHi = -1, fmLo = 10, fmHi = 0;
        for (int b = 0; b < 2000; ++b) {
            am.block();
            fm.block();
            if (depth == 0) {
                ASSERT_EQ(fm.e.SGStep[0], pitch);
            }
            const int w = am.samples->WaveTables[1][am.e.WavePos[0]];
            if (std::abs(w) < 2000)
                continue;
            if (depth == 0) {
                ASSERT_EQ(am.e.SGOut[0], static_cast<float>(w) * am.e.SG1VolL);
            }
            const double a = am.e.SGOut[0] / (static_cast<double>(w) * am.e.SG1VolL);
            amLo = std::min(amLo, a), amHi = std::max(amHi, a);
            fmLo = std::min(fmLo, static_cast<double>(fm.e.SGStep[0]) / pitch);
            fmHi = std::max(fmHi, static_cast<double>(fm.e.SGStep[0]) / pitch);
        }
        EXPECT_NEAR(amLo, 1 - depth, 0.05);
        EXPECT_GE(amLo, 1 - depth - 1e-6);
        EXPECT_NEAR(amHi, 1, 0.05);
        EXPECT_LE(amHi, 1 + 1e-6);
        EXPECT_NEAR(fmLo, 1 - depth / 2, 0.02) << "an octave down";
        EXPECT_NEAR(fmHi, 1 + depth, 0.05) << "an octave up";
    }
    SoundRig fm; // the slider moves between buffers
    fm.e.FMDepth = 1;
    fm.add(3, 20, 96, 46);
    fm.start();
    fm.blocks(10);
    fm.e.FMDepth = 0;
    fm.blocks(100, [&] { ASSERT_EQ(fm.e.SGStep[0], fm.params->SegPitch1[1]); });
}

TEST(SoundGenerators, RampedAndRelativePitchesMoveEveryFrame)
{
    SoundRig r;
    set(r.add(4, 4, 96, 46), {{fSGVol, 5}});
    set(r.add(4, 4, 96, 46), {{fPitch1, 40 | kRampFlag}, {fPitch2, 105 /* "r5": Pitch 1 + 5 Hz */}, {fSGVol, 5}});
    r.start();
    r.until(66160 + 320);
    ASSERT_FALSE(r.e.SGSwitchPending);
    const SegParams& p = *r.params;
    r.blocks(300, [&] {
        const float sg1 = static_cast<float>(p.SegPitch1[1] + static_cast<long double>(p.Pitch1Delta[2]) *
                                                                   r.e.SegProgress);
        ASSERT_EQ(r.e.SGStep[0], sg1);
        ASSERT_NEAR(r.e.SGStep[2], sg1 + 0.5 + 0.5, 1e-5) << "relative 5 Hz plus Freq 2";
    });
    EXPECT_GT(r.e.SGStep[0], p.SegPitch1[1] + 1);
}

TEST(SoundGenerators, WavesCrossFadeAndWaveTwoPlaysTheNoise)
{
    SoundRig r;
    set(r.add(4, 4), {{fSGVol, 5}, {fWave2, 2}});
    set(r.add(4, 4), {{fSGVol, 5}, {fWave1, 4 | kRampFlag}, {fWave2, 2}});
    r.start();
    const auto& w = r.samples->WaveTables;
    int faded = 0;
    while (r.block()) {
        const auto n = static_cast<std::int16_t>(std::lrint(r.e.NoiseSample));
        ASSERT_EQ(w[2][r.e.WavePos[2]], n);
        ASSERT_EQ(r.e.SGOut[2], static_cast<float>(n) * r.e.SG2VolL);
        if (r.e.WaveRamping[0]) {
            const long double p = r.e.SegProgress;
            const int pos = r.e.WavePos[0];
            ASSERT_EQ(r.e.SGOut[0], static_cast<float>(((1 - p) * w[1][pos] + p * w[4][pos]) * r.e.SG1VolL));
            ++faded;
        }
    }
    EXPECT_GT(faded, 4000);
}

TEST(SoundGenerators, BalanceAutomationLengthsEndpointsAndStop)
{
    {
        SoundRig r; // SGVol 3: SG2 to SG1 in five seconds
        r.add(3).SGVol = 3;
        r.start();
        r.until(110256);
        EXPECT_NEAR(r.e.SG1VolL, 0.5, 1e-3);
        r.until(220512);
        EXPECT_EQ(r.e.SG1VolR, 1.0f);
        EXPECT_EQ(r.e.SG2VolL, 0.0f);
        EXPECT_EQ(r.e.SGSwapMode, 0);
    }
    {
        SoundRig r; // SGVol 2: SG1 to SG2 across segment 1 at the length factor in force
        r.add(4).SGVol = 2;
        r.add(4);
        r.e.SesLengthFactor = 0.5f; // 33075 frames
        r.start();
        r.until(16544);
        EXPECT_NEAR(r.e.SG1VolL, 0.5, 1e-3);
        r.until(33072);
        EXPECT_NEAR(r.e.SG1VolL, 0.0, 1e-3);
    }
    {
        SoundRig r; // a segment change stops it where it is; the gated switch waits for a pulse
        r.add(4, 2, 6).SGVol = 3;
        r.add(4, 7, 6).SGVol = 5;
        r.start();
        r.until(66160);
        const float reached = r.e.SG1VolL;
        EXPECT_GT(reached, 0.2f);
        r.blocks(100);
        EXPECT_EQ(r.e.SGSwapMode, 0);
        EXPECT_EQ(r.e.SGSwitchStateL, 11);
        EXPECT_EQ(r.e.SG1VolL, reached);
    }
}

TEST(SoundGenerators, SwitchesWaitForZeroCrossingsAndDoNotJump)
{
    // Every generator turns its wave upside down: anywhere but at a zero
    // crossing that is a jump of thousands.
    SoundRig r;
    set(r.add(4, 4), {{fSGVol, 7}, {fWave2, 4}, {fVolume, 21}});
    set(r.add(4, 4), {{fSGVol, 11}, {fPitch1, 35}, {fPitch2, 15}, {fWave1, 6}, {fWave2, 6}, {fVolume, 21}});
    r.start();
    const auto out = r.render(132000);
    ASSERT_FALSE(r.e.SGSwitchPending);
    const auto maxStep = [&](std::size_t from, std::size_t to) {
        int m = 0;
        for (std::size_t k = from; k < to; ++k)
            for (int c = 0; c < 2; ++c)
                m = std::max(m, std::abs(out[2 * (k + 1) + c] - out[2 * k + c]));
        return m;
    };
    // Half-switched sides mix old and new slopes.
    const int steady = std::max(maxStep(60000, 66000), maxStep(70000, 130000));
    EXPECT_LE(maxStep(66000, 70000), steady * 3 / 2);
}

TEST(SoundGenerators, GatedToGatedSwitchWaitsForThePulseOnset)
{
    SoundRig r;
    r.add(4, 2, 6).SGVol = 9;
    r.add(4, 7, 6).SGVol = 13;
    r.start();
    r.until(66176);
    ASSERT_EQ(r.e.SGSwitchStateL, 11);
    while (r.e.SGSwitchStateL == 11) {
        EXPECT_EQ(r.e.SG1VolL, 1.0f);
        ASSERT_TRUE(r.block());
    }
    EXPECT_EQ(r.e.ASEnvState[kSoundLeft], kEnvRising);
    EXPECT_LE(r.e.ASEnvCount[kSoundLeft], 16);
    EXPECT_EQ(r.e.SG1VolL, 0.0f);
    EXPECT_EQ(r.e.SG2VolL, 1.0f);
}

TEST(SoundGenerators, ReadIndexRoundsHalvesToEven)
{
    SoundRig r;
    r.tables.PitchValues[1] = "5"; // a step of exactly 0.5; wave 3 holds its index
    set(r.add(3, 3), {{fPitch1, 1}, {fSGVol, 9}, {fWave1, 3}, {fVolume, 21}});
    r.start();
    const auto out = r.render(16, 64);
    const int expected[16] = {0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5, 6, 6, 6, 7, 8};
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(out[2 * k], expected[k]) << k;
}

// ---- Carrier and mix ----------------------------------------------------------

TEST(CarrierAndMix, CarrierIs19200HertzAndInPhaseOnBothChannels)
{
    SoundRig r;
    r.add(3, 1, 6).Intensity = 21;
    r.levels(0, 0);
    r.carrierLevel(100);
    r.start();
    const auto out = r.render(16384);
    for (std::size_t k = 0; k < 16384; ++k)
        ASSERT_EQ(out[2 * k], out[2 * k + 1]) << k;
    EXPECT_GT(powerAt(out, 19200, 0, 16384, 2), 1e4 * powerAt(out, 15000, 0, 16384, 2));
}

TEST(CarrierAndMix, CarrierLevelFollowsLevelZeroLevelAndIntensity)
{
    struct Case {
        int level, zero, intensity; // intensity: value index, (i - 1) x 5 %
    };
    for (const Case c : {Case{100, 0, 21}, Case{50, 0, 11}, Case{100, 50, 1}, Case{23, 30, 15}, Case{0, 0, 21}}) {
        SCOPED_TRACE(c.level * 10000 + c.zero * 100 + c.intensity);
        SoundRig r;
        r.add(3, 1, 6).Intensity = static_cast<std::uint8_t>(c.intensity);
        r.levels(0, 0);
        r.carrierLevel(c.level, c.zero);
        r.start();
        const double amplitude =
            c.level / 330.0 * ((c.intensity - 1) * 0.05 * (1 - c.zero / 100.0) + c.zero / 100.0);
        bool steadyBefore = false;
        int checked = 0;
        for (int b = 0; b < 1400; ++b) {
            ASSERT_TRUE(r.block());
            const bool steady =
                r.e.ASEnvState[kLightLeft] == kEnvSteady && r.e.ASEnvCount[kLightLeft] == r.e.ASRampLen;
            for (int f = 0; steady && steadyBefore && f < 16; ++f, ++checked) {
                const int i = (1920 * (b * 16 + f)) % 4410;
                ASSERT_NEAR(r.buf[2 * f], std::lrint(r.samples->WaveTables[1][i] * amplitude), 1) << b << " " << f;
            }
            steadyBefore = steady;
        }
        EXPECT_GT(checked, 10000);
    }
}

TEST(CarrierAndMix, CarrierIsExactFromAnyStartIndex)
{
    // Sample x level x (intensity x span + zero level) x envelope, rounded as
    // defined, whatever index the carrier starts from: steps of 1920 keep an
    // index's residue modulo 30, which a run started at 0 never leaves.
    struct Case {
        int start, level, zero, intensity;
    };
    for (const Case c : {Case{0, 100, 0, 21}, Case{7, 37, 50, 14}, Case{4409, 23, 30, 9}}) {
        SCOPED_TRACE(c.start);
        SoundRig r;
        r.add(3, 1, 6).Intensity = static_cast<std::uint8_t>(c.intensity);
        r.levels(0, 0);
        r.carrierLevel(c.level, c.zero);
        r.start();
        r.e.ASCarrierPos = c.start;
        int checked = 0;
        for (int b = 0; b < 700; ++b) {
            const std::int32_t countBefore = r.e.ASEnvCount[kLightLeft];
            ASSERT_TRUE(r.block());
            // Only where the envelope held still for the whole block.
            if (r.e.ASEnvState[kLightLeft] != kEnvSteady || r.e.ASEnvCount[kLightLeft] != countBefore)
                continue;
            const long double intensity =
                static_cast<long double>(r.e.CurIntensity) * r.e.ASIntensitySpan + r.e.ASZeroLevel;
            for (int f = 0; f < 16; ++f, ++checked) {
                const int i = (c.start + 1920 * (b * 16 + f)) % 4410;
                const float carrier = static_cast<float>(static_cast<long double>(r.samples->WaveTables[1][i]) *
                                                         r.e.ASMaxLevel * intensity * r.e.ASEnv[0]);
                ASSERT_EQ(r.buf[2 * f], std::lrint(carrier * static_cast<long double>(r.e.FadeGain))) << b << " " << f;
            }
        }
        EXPECT_GT(checked, 5000);
    }
}

TEST(CarrierAndMix, SoundScalesByTheLevelAndTheBalanceEndsSilenceOneSide)
{
    for (const int level : {0, 100}) {
        SoundRig r;
        set(r.add(3, 3), {{fSGVol, 9}, {fVolume, 21}, {fIntensity, 1}}); // no carrier at zero level 0
        r.carrierLevel(level);
        r.start();
        EXPECT_NEAR(maxAbs(r.render(8192), 0, 8192), 32767 * (1 - level / 330.0), 8) << level;
    }

    const auto mix = [](float toneVol, int backing, int wave) {
        SoundRig r;
        set(r.add(3, 4), {{fBackingSound, backing}, {fWave1, wave}, {fWave2, wave}});
        r.levels(toneVol, 1 - toneVol);
        r.start();
        return r.render(8192);
    };
    EXPECT_EQ(mix(1, 2, 1), mix(1, 1, 1)) << "tone/backing slider at 0: generators only";
    EXPECT_EQ(mix(0, 2, 1), mix(0, 2, 0)) << "at 100: backing only";
}

TEST(CarrierAndMix, TheMixRoundsOnceFromExtendedPrecisionWithoutTheFilter)
{
    // Every 16-bit value on both sides: frame k holds k - 32768 on the left
    // and 32767 - k on the right. The generators are silent (volume 0) and so
    // is the carrier (intensity 0, zero level 0), so each sample is the
    // backing value alone: round(BackOut x BSVol x AudioScale), worked in long
    // double from the float fields and rounded once.
    std::vector<std::int16_t> every(2 * 65536);
    for (int k = 0; k < 65536; ++k) {
        every[2 * k] = static_cast<std::int16_t>(k - 32768);
        every[2 * k + 1] = static_cast<std::int16_t>(32767 - k);
    }
    struct Split {
        int toneBacking, heartBeatWav, level;
    };
    for (const Split c : {Split{50, 50, 23}, Split{37, 71, 23}, Split{83, 19, 100}, Split{100, 100, 7}}) {
        SCOPED_TRACE(testing::Message() << c.toneBacking << "/" << c.heartBeatWav << "/" << c.level);
        SoundRig r;
        set(r.add(3, 3), {{fVolume, 1}, {fIntensity, 1}, {fBackingSound, 4}});
        r.e.setToneBackingPos(c.toneBacking);
        r.e.setHeartBeatWavPos(c.heartBeatWav);
        r.e.setASLevel(c.level);
        r.loopWav(every, "mix_every_value.wav");
        r.start();
        const auto out = r.render(65536);
        ASSERT_EQ(out.size(), every.size());
        int exact = 0;
        for (std::size_t i = 0; i < every.size(); ++i) {
            const float back = static_cast<float>(every[i] * static_cast<long double>(r.e.BSWavVol));
            const long double x = back * static_cast<long double>(r.e.BSVol) * r.e.AudioScale;
            ASSERT_EQ(out[i], std::lrint(x)) << "frame " << i / 2 << (i % 2 ? " right" : " left");
            exact += static_cast<long double>(static_cast<float>(x)) == x;
        }
        EXPECT_LT(exact, static_cast<int>(every.size())) << "some sums must not fit a float";
    }
}

TEST(CarrierAndMix, ZeroGainSilencesEverythingAndLoudSumsSaturateWithThePeakAbove)
{
    {
        SoundRig r;
        r.add(3, 4).BackingSound = 2;
        r.levels(1, 0.5f);
        r.carrierLevel(100);
        RecomputeSession(*r.session, r.tables, *r.params);
        r.e.PrepareRun(RunKind::Start); // the soft start is not armed yet: gain 0
        EXPECT_EQ(maxAbs(r.render(8192), 0, 8192), 0);
    }
    SoundRig r;
    set(r.add(3, 3), {{fSGVol, 9}, {fWave1, 5 /* 32000 throughout */}, {fVolume, 21}, {fBackingSound, 4}});
    r.levels(1, 1);
    r.e.BSWavVol = 1;
    r.e.BSWavBuf.fill(32000); // no file open: the buffer keeps these
    r.start();
    const auto out = r.render(4096);
    // (Position 4410 reads the table's closing 0: that frame holds only the backing.)
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](auto v) { return v >= 32000; })) << "no sign flips";
    EXPECT_GT(std::count(out.begin(), out.end(), 32767), 8150);
    EXPECT_EQ(r.e.PeakLevel, 64000);
    EXPECT_EQ(r.e.DisplayTexts[0], "64000");
}

// ---- Whole runs ---------------------------------------------------------------

namespace {

void busySession(EngineRig& r, int backing)
{
    const int tones[] = {4, 19, 26, 2, 7, 10, 21, 6};
    for (int i = 0; i < 8; ++i) {
        set(r.add(1, tones[i], 20 + 9 * i, 100 - 7 * i),
            {{fSGVol, 1 + i},
             {fWave1, (i % 3 ? 1 : 4) | (i > 0 ? kRampFlag : 0)}, // never the noise
             {fPitch1, (10 + 3 * i) | (i % 2 ? kRampFlag : 0)},
             {fPitch2, i % 3 ? 30 : 108},
             {fBackingSound, backing == 2 ? 2 : 1 + 2 * (i % 2)}});
    }
    r.e.AudioOutputFilter = true;
    r.e.BSVol = 0.3f;
    r.e.ASMaxLevel = 0.2f;
    r.e.AudioScale = 0.8f;
}

} // namespace

TEST(SoundRuns, RendersRepeatAndIgnoreTheBufferSize)
{
    SoundRig a;
    busySession(a, 3); // noise-free
    a.start();
    const auto first = a.render(40000);
    a.start();
    EXPECT_EQ(a.render(40000), first);

    std::vector<std::int16_t> reference;
    for (const int bytes : {65536, 4096, 64}) {
        SoundRig r;
        busySession(r, 2);
        r.start();
        const auto out = r.render(40960, bytes);
        if (reference.empty())
            reference = out;
        EXPECT_EQ(out, reference) << bytes;
    }
}

TEST(SoundRuns, EveryToneBalanceBackingAndRampRendersCleanly)
{
    SoundRig r;
    for (int i = 0; i < 120; ++i) {
        // Tone types 0..28, balances 0..14, backings 0..6, relative Pitch 1
        // values, and phase glides that overshoot.
        set(r.add(1, i % 29, 1 + i * 37 % 156, 1 + i * 11 % 156),
            {{fSGVol, i % 15},
             {fBackingSound, i % 7},
             {fWave1, (i % 21) | (i % 2 ? kRampFlag : 0)},
             {fWave2, (i * 3 % 21) | (i % 3 ? kRampFlag : 0)},
             {fPitch1, (1 + i * 7 % 115) | (i % 4 ? 0 : kRampFlag)},
             {fPitch2, (1 + i * 13 % 115) | (i % 5 ? 0 : kRampFlag)},
             {fPhase, (1 + i % 10) | (i % 2 ? kRampFlag : 0)},
             {fPhaseChange, 1 + i % 3}});
    }
    r.e.AudioOutputFilter = true;
    r.levels(1, 0.5f);
    r.carrierLevel(60);
    r.e.SesLengthFactor = 0.2f;
    r.start(RunKind::Play);
    int blocks = 0;
    while (r.block())
        ++blocks;
    EXPECT_GT(blocks, 8000);
    EXPECT_TRUE(r.e.StopRequest);
}
