#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>

#include "engine/UserWaveEditor.h"
#include "platform/Arith.h"

namespace {

// The mix worked out independently: index by the modulo, sum in long double,
// scale by the float ratio.
WaveTable reference(const WaveMix& m)
{
    std::array<float, kWaveLen> mixed{};
    float peak = 32700;
    for (int i = 0; i < kWaveLen; ++i) {
        ext sum = 0;
        for (int n = 0; n < 4; ++n)
            sum += ext(m.SourceWaves[n][(m.SrcFreqMult[n] * i + m.SrcPhaseOffset[n]) % kWaveLen]) *
                   ext(m.SrcAmplitude[n]);
        peak = std::max(peak, std::fabs(mixed[i] = float(sum)));
    }
    WaveTable out{};
    for (int i = 0; i < kWaveLen; ++i)
        out[i] = std::int16_t(std::lrint(ext(mixed[i]) * ext(float(32700.0L / peak))));
    return out;
}

} // namespace

TEST(UserWaveMix, EqualsTheReferenceAndScalesOnlyLoudMixes)
{
    struct Case {
        const char* what;
        std::array<int, 4> amplitude, phase, mult;
        int peak; // of the result, -1: not checked
    };
    const Case cases[] = {
        {"four sources at full level", {100, 100, 100, 100}, {0, 0, 0, 0}, {1, 1, 1, 1}, 32700},
        {"one source at half", {50, 0, 0, 0}, {0, 0, 0, 0}, {1, 1, 1, 1}, 5000},
        {"phases 90 and 360, multiple 3", {30, 30, 30, 30}, {90, 360, 45, 1}, {3, 1, 10, 2}, -1},
        {"silence", {0, 0, 0, 0}, {0, 0, 0, 0}, {1, 1, 1, 1}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto m = std::make_unique<WaveMix>();
        for (int n = 0; n < 4; ++n) {
            for (int i = 0; i < kWaveLen; ++i) // ramps that show which sample was read
                m->SourceWaves[n][i] = std::int16_t((i * 7 + n * 1000) % 20000 - 10000);
            m->SrcAmplitude[n] = srcAmplitudeOf(c.amplitude[n]);
            m->SrcPhaseOffset[n] = srcPhaseOffsetOf(c.phase[n]);
            m->SrcFreqMult[n] = c.mult[n];
        }
        m->DestWave[kWaveLen] = 123;
        RecompDestWave(*m);
        EXPECT_EQ(m->DestWave, reference(*m)) << "entry 4410 back to 0 too";
        const auto [lo, hi] = std::minmax_element(m->DestWave.begin(), m->DestWave.end());
        if (c.peak >= 0) {
            EXPECT_EQ(std::max(-*lo, int(*hi)), c.peak);
        }
    }
    // 1102.5 and 367.5 round to even; 360 degrees read as 0.
    EXPECT_EQ(std::tuple(srcPhaseOffsetOf(90), srcPhaseOffsetOf(30), srcPhaseOffsetOf(360), srcAmplitudeOf(29)),
              std::tuple(1102, 368, 4410, 0.29f));
}

TEST(UserWavePreview, TenthLevelOnBothChannelsWrappingAtThePeriod)
{
    WaveTable dest{15, 25, -15, -25, 32700};
    dest[kWaveLen - 1] = 100;
    WavePreview p{0.0f, previewStepOf("10")};
    std::uint8_t buf[64];
    std::int32_t size = 23; // five whole frames
    ASSERT_TRUE(fillPreview(dest, p, buf, size));
    EXPECT_EQ(size, 20);
    const std::int16_t expected[] = {2, 2, -2, -2, 3270}; // ties to even
    for (int f = 0; f < 5; ++f) {
        EXPECT_EQ(std::int16_t(buf[4 * f] | buf[4 * f + 1] << 8), expected[f]) << f;
        EXPECT_EQ(std::tuple(buf[4 * f + 2], buf[4 * f + 3]), std::tuple(buf[4 * f], buf[4 * f + 1]));
    }
    // 4409, then 4409.5 reads the trailing 0, then the position wraps to 0.
    p = {4409.0f, 0.5f};
    size = 12;
    fillPreview(dest, p, buf, size);
    EXPECT_EQ(std::tuple(buf[0], buf[4], buf[5], buf[8], p.PreviewPos), std::tuple(10, 0, 0, 2, 0.5f));

    for (const auto& [text, step] : {std::pair("441", 44.1f), std::pair("130.8", float(130.8L / 10)),
                                     std::pair("r5", 0.0f), std::pair("", 0.0f), std::pair("50000", 0.0f)})
        EXPECT_EQ(previewStepOf(text), step) << text;
}
