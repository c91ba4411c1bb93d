#include <gtest/gtest.h>

#include "TestSignals.h"
#include "support/Golden.h"

// Golden renders of the converter's signal path on a generated source: the
// output and the monitoring signal, compared with the files in
// tests/converter/golden (see tests/support/Golden.h). After a deliberate
// change of the output, regenerate them with
//   LUMI_UPDATE_GOLDEN=1 build/tests/converter_tests --gtest_filter='GoldenRender.*'
// and commit the new files with the change.

namespace {

/// Six seconds of music-like material: decaying 70 Hz and 95 Hz drum hits at
/// different tempos on the two sides, a slow chord, and a noisy hi-hat.
std::vector<std::int16_t> generatedSource()
{
    std::uint32_t noise = 12345;
    return makeSignal(6 * 44100, [&](std::int64_t k, int ch) {
        const double t = k / 44100.0;
        const double beat = ch == 0 ? 0.43 : 0.61;
        const double since = std::fmod(t, beat);
        const double drum = 14000 * std::exp(-since * 18) * std::sin(2 * std::numbers::pi * (ch ? 95 : 70) * since);
        const double chord = 3000 * (std::sin(2 * std::numbers::pi * 220 * t) + std::sin(2 * std::numbers::pi * 277 * t));
        noise = noise * 1664525u + 1013904223u;
        const double hat = std::fmod(t, 0.25) < 0.03 ? static_cast<std::int16_t>(noise >> 16) / 6.0 : 0.0;
        return drum + chord + hat;
    });
}

struct Renders {
    std::vector<std::int16_t> output, monitoring;
};

Renders render()
{
    SignalPath path;
    path.SetSineTable(sineTable());
    path.SetInputGain(120);
    path.SetOnDuration(40);
    path.SetRetrigDelay(90);
    path.SetCenterFreq(SignalPath::kLeft, 118);
    path.SetCenterFreq(SignalPath::kRight, 138);
    path.SetBandWidth(SignalPath::kLeft, 80);
    path.SetBandWidth(SignalPath::kRight, 120);
    path.SetFilteredLevel(SignalPath::kLeft, 250);
    path.SetFilteredLevel(SignalPath::kRight, 180);
    path.SetTriggerLevel(SignalPath::kLeft, 60);
    path.SetTriggerLevel(SignalPath::kRight, 45);
    path.SetDRInterval(8);
    MemorySource source(generatedSource());
    path.SetSource(&source);
    path.ResetRun(40);
    path.TotalFrames = path.FramesLeft = source.frames();
    Renders r;
    int litL = 0, litR = 0;
    for (bool more = true; more;) {
        std::int32_t size = 4096;
        more = path.ComputeOutPut(path.OutputBlock(), size);
        r.output.insert(r.output.end(), path.OutputBlock(), path.OutputBlock() + size / 2);
        r.monitoring.insert(r.monitoring.end(), path.FilteredBuffer.data(), path.FilteredBuffer.data() + size / 2);
        litL += path.L.LightLevel > 0;
        litR += path.R.LightLevel > 0;
    }
    // Between blocks the lights are on often, but not always.
    EXPECT_GT(litL, 3);
    EXPECT_GT(litR, 3);
    EXPECT_LT(litL + litR, 2 * static_cast<int>(r.output.size() / 2 / 4096));
    EXPECT_EQ(r.output.size(), 2u * 6 * 44100);
    EXPECT_GT(path.OutputPeak, 10000) << "the lights and the music both play";
    return r;
}

} // namespace

TEST(GoldenRender, GeneratedSourceOutputAndMonitoring)
{
    const Renders r = render();
    EXPECT_TRUE(matchesGolden(LUMI_SOURCE_DIR "/tests/converter/golden/generated-source.golden", r.output));
    EXPECT_TRUE(
        matchesGolden(LUMI_SOURCE_DIR "/tests/converter/golden/generated-source-monitoring.golden", r.monitoring));
}
