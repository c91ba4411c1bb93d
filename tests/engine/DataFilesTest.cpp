#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <memory>
#include <set>
#include <utility>

#include "engine/CellText.h"
#include "engine/SampleTables.h"
#include "engine/ValueTables.h"
#include "platform/Arith.h"
#include "platform/Numbers.h"

// The data files shipped in the program folder: what the rest of the system
// relies on beyond what the loaders themselves refuse.

namespace {

const ValueTables& shipped()
{
    static const ValueTables tables = [] {
        ValueTables t;
        LoadVars(LUMI_BIN_DIR, t);
        return t;
    }();
    return tables;
}

const SampleTables& shippedSamples()
{
    static const std::unique_ptr<SampleTables> samples = [] {
        auto s = std::make_unique<SampleTables>();
        LoadSampleBuffers(LUMI_BIN_DIR, *s);
        return s;
    }();
    return *samples;
}

/// A grid column is 60 pixels wide.
constexpr std::size_t kLongestName = 10;

template <std::size_t N>
void expectShortNames(const std::array<std::string, N>& table, int count, const char* what)
{
    for (int i = 1; i <= count; ++i)
        EXPECT_LE(table[i].size(), kLongestName) << what << " " << i << ": " << table[i];
}

/// Share of a period's energy that lies in harmonics 0..last.
double energyUpTo(const WaveTable& w, int last)
{
    const ext pi = std::acos(-1.0L);
    ext total = 0;
    for (int i = 0; i < kWaveLen; ++i)
        total += ext(w[i]) * w[i];
    ext inBand = 0;
    for (int k = 0; k <= last; ++k) {
        std::complex<ext> x;
        for (int i = 0; i < kWaveLen; ++i)
            x += ext(w[i]) * std::polar(1.0L, -2 * pi * k * i / kWaveLen);
        inBand += (k == 0 ? 1 : 2) * std::norm(x) / kWaveLen;
    }
    return static_cast<double>(inBand / total);
}

} // namespace

TEST(ShippedDataFile, TimesAndPitches)
{
    const ValueTables& t = shipped();
    bool has60 = false;
    for (int i = 1; i <= 32; ++i) {
        EXPECT_GE(t.TimeSecs[i], 1.0f) << i;
        if (i > 1) {
            EXPECT_GT(t.TimeSecs[i], t.TimeSecs[i - 1]) << i;
        }
        has60 = has60 || t.TimeSecs[i] == 60.0f;
    }
    EXPECT_TRUE(has60);
    expectShortNames(t.TimeNames, 32, "time");

    // Equal-tempered semitones, seven octaves and a note, with C3 at 37.
    const std::string letters = "CcDdEFfGgAaB";
    for (int i = 1; i <= 85; ++i) {
        SCOPED_TRACE(i);
        const long double hz = *parseDecimal(t.PitchValues[i]);
        EXPECT_EQ(*parseDecimal(t.PitchNames2[i]), hz);
        if (i > 1) {
            EXPECT_NEAR(hz / *parseDecimal(t.PitchValues[i - 1]), std::exp2(1.0L / 12), 5e-4L);
        }
        const std::string& name = t.PitchNames[i];
        ASSERT_EQ(name.size(), 2u);
        EXPECT_EQ(name[0], letters[(i - 1) % 12]);
        EXPECT_EQ(name[1], '0' + (i - 1) / 12);
    }
    EXPECT_EQ(t.PitchNames[37], "C3");
    EXPECT_EQ(std::set(t.PitchNames.begin() + 1, t.PitchNames.begin() + 86).size(), 85u) << "one entry per name";

    // The Photosonix import maps an offset of n Hz to entry 100 + n (n > 0)
    // or 101 + n (n < 0).
    for (int n = -15; n <= 15; ++n) {
        if (n == 0)
            continue;
        const int entry = n > 0 ? 100 + n : 101 + n;
        EXPECT_EQ(t.PitchValues[entry], "r" + std::to_string(n));
        EXPECT_EQ(t.PitchNames[entry][0], 'r') << entry;
    }
}

TEST(ShippedDataFile, PhasePatternsAndChanges)
{
    const ValueTables& t = shipped();
    std::set<std::array<float, 4>> rows;
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(t.PhaseTable[k][0], 0.0f) << "the left light leads every pattern: " << k;
        rows.insert(t.PhaseTable[k]);
    }
    EXPECT_EQ(rows.size(), 8u) << "every combination once";
    EXPECT_EQ(t.PhaseTable[1], (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_EQ(t.PhaseTable[2], (std::array<float, 4>{0, 0.5f, 0, 0.5f}));
    // A phase change toggles k and its partner: the right side (light and
    // sound) moves half a period against the left.
    for (int k = 1; k <= 7; k += 2) {
        const auto& a = t.PhaseTable[k];
        const auto& b = t.PhaseTable[k + 1];
        EXPECT_TRUE(a[0] == b[0] && a[2] == b[2] && a[1] != b[1] && a[3] != b[3]) << k;
    }

    // The graph editor shows only the first two characters in narrow columns.
    std::set<std::string> starts;
    for (int k = 1; k <= 10; ++k)
        starts.insert(t.PhaseNames[k].substr(0, 2));
    EXPECT_EQ(starts.size(), 10u);
    expectShortNames(t.PhaseNames, 10, "phase");

    std::int64_t previous = 0;
    for (int k = 2; k <= 8; ++k) {
        const std::int64_t secs = leadingInteger(t.PhaseChangeNames[k]).value_or(0);
        EXPECT_GT(secs, previous) << k;
        previous = secs;
    }
    EXPECT_EQ(leadingInteger(t.PhaseChangeNames[5]), 16);
    EXPECT_EQ(leadingInteger(t.PhaseChangeNames[6]), 32);
    EXPECT_EQ(leadingInteger(t.PhaseChangeNames[8]), 64);
    expectShortNames(t.PhaseChangeNames, 8, "phase change");
}

TEST(ShippedDataFile, NamesDefaultAndMaxima)
{
    const ValueTables& t = shipped();
    for (int k = 1; k <= kBuiltInWaves; ++k) {
        const std::string file = kBuiltInWaveFiles[k - 1];
        EXPECT_EQ(t.WaveNames[k] + ".pcm", file);
    }
    expectShortNames(t.ToneNames, 27, "tone");
    expectShortNames(t.SGVolNames, 13, "balance");
    expectShortNames(t.WaveNames, 19, "wave");
    expectShortNames(t.BackingSoundNames, 5, "backing sound");

    // The loader already holds the default within the maxima (so without
    // ramp flags) and the maxima within their tables.
    EXPECT_EQ(t.TimeSecs[t.DefaultSegment.Time], 60.0f);
    EXPECT_LE(t.ParamMax.Pitch1, 85) << "Pitch 1 has no relative entries";
    EXPECT_EQ(t.ParamMax.Phase, 10);

    // The highest values the Photosonix and Mindlab Pro imports produce.
    for (const auto& [field, highest] :
         {std::pair{fTone, 8}, {fSGVol, 13}, {fPhase, 8}, {fPhaseChange, 8}, {fDutyCycle, 8}, {fPitch2, 115},
          {fWave1, 6}, {fWave2, 6}, {fIntensity, 19}, {fVolume, 21}})
        EXPECT_GE(t.ParamMax[field], highest) << RowTitle(field);
}

TEST(ShippedSampleFiles, WaveTables)
{
    namespace fs = std::filesystem;
    const SampleTables& s = shippedSamples();
    for (int k = 1; k <= kBuiltInWaves; ++k) {
        const char* name = kBuiltInWaveFiles[k - 1];
        SCOPED_TRACE(name);
        EXPECT_EQ(fs::file_size(fs::path(LUMI_BIN_DIR) / name), 2u * kWaveLen);
        const WaveTable& w = s.WaveTables[k];
        // Segment switches happen at these two samples.
        EXPECT_EQ(w[0], 0);
        EXPECT_EQ(w[kWaveLen / 2], 0);

        // One seamless period: the wrap from the last sample to the first is
        // no larger a step, nor a sharper bend, than the wave makes inside.
        int step = 0;
        int bend = 0;
        int peak = 0;
        for (int i = 1; i < kWaveLen; ++i) {
            step = std::max(step, std::abs(w[i] - w[i - 1]));
            if (i + 1 < kWaveLen)
                bend = std::max(bend, std::abs(w[i - 1] - 2 * w[i] + w[i + 1]));
            peak = std::max(peak, std::abs(int(w[i])));
        }
        EXPECT_LE(std::abs(w[0] - w[kWaveLen - 1]), step);
        EXPECT_LE(std::abs(w[kWaveLen - 1] - 2 * w[0] + w[1]), bend + 2);
        EXPECT_GE(peak, 32000);
    }

    // The sine is also the light carrier: exact.
    const ext pi = std::acos(-1.0L);
    for (int i = 0; i < kWaveLen; ++i)
        ASSERT_EQ(s.WaveTables[1][i], roundEven(32767 * std::sin(2 * pi * i / kWaveLen))) << i;

    // The "F" waves are band-limited.
    for (int k : {8, 9, 10})
        EXPECT_GT(energyUpTo(s.WaveTables[k], 16), 0.9999) << kBuiltInWaveFiles[k - 1];
}

TEST(ShippedSampleFiles, HeartBeat)
{
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::file_size(fs::path(LUMI_BIN_DIR) / kHeartBeatFile), 2u * kHeartBeatLen);
    const auto& h = shippedSamples().HeartBeatPcm;
    EXPECT_EQ(h[0], 0);
    EXPECT_EQ(h[kHeartBeatLen - 1], 0) << "held between beats";

    // Two thumps: loud 20 ms windows come in two bursts separated by quiet.
    constexpr int kWindow = 882;
    int bursts = 0;
    bool loud = false;
    for (int start = 0; start < kHeartBeatLen; start += kWindow) {
        int peak = 0;
        for (int i = start; i < std::min(start + kWindow, kHeartBeatLen); ++i)
            peak = std::max(peak, std::abs(int(h[i])));
        if (!loud && peak > 8000)
            ++bursts;
        loud = peak > 8000 || (loud && peak > 500);
    }
    EXPECT_EQ(bursts, 2);
}
