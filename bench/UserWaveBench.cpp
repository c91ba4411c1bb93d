// Speed of the user wave editor: one slider step (the mix of four sources and
// the result's picture) and the preview producer.

#include <benchmark/benchmark.h>

#include <QColor>
#include <QImage>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/UserWaveEditor.h"
#include "player/Unit10.h"

namespace {

// Four distinct sources at settings that make the mix louder than the peak,
// so that every step also scales.
std::unique_ptr<WaveMix> busyMix()
{
    auto m = std::make_unique<WaveMix>();
    for (int n = 0; n < kMixSources; ++n) {
        for (int i = 0; i < kWaveLen; ++i)
            m->SourceWaves[n][i] = static_cast<std::int16_t>(std::lrint(
                32767 * std::sin(6.283185307179586 * (n + 1) * i / kWaveLen + n)));
        m->SrcAmplitude[n] = srcAmplitudeOf(100 - 10 * n);
        m->SrcPhaseOffset[n] = srcPhaseOffsetOf(45 * n);
        m->SrcFreqMult[n] = 1 + 3 * n;
    }
    return m;
}

void BM_recompute(benchmark::State& state)
{
    auto mix = busyMix();
    QImage picture(416, 120, QImage::Format_RGB32);
    for (auto _ : state) {
        RecompDestWave(*mix);
        drawWavePicture(picture, mix->DestWave, 7, QColor(0, 128, 128), Qt::yellow);
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.counters["per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_recompute)->Name("recompute")->Unit(benchmark::kMicrosecond);

void BM_preview(benchmark::State& state)
{
    auto mix = busyMix();
    RecompDestWave(*mix);
    WavePreview preview{0.0f, previewStepOf("261.6")};
    std::vector<std::uint8_t> buffer(16384);
    std::int64_t frames = 0;
    for (auto _ : state) {
        std::int32_t size = static_cast<std::int32_t>(buffer.size());
        fillPreview(mix->DestWave, preview, buffer.data(), size);
        benchmark::DoNotOptimize(buffer.data());
        frames += size / 4;
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kFrameRate, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_preview)->Name("preview")->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
