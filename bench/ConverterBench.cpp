// Speed of the converter's signal path over an in-memory source, in audio
// seconds per wall second (x_realtime).
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include "converter/SignalPath.h"
#include "tests/converter/TestSignals.h"

namespace {

constexpr std::int64_t kRate = 44100;
constexpr std::int64_t kSeconds = 60;
constexpr std::int32_t kBlockBytes = 32768;

/// Noise with bursts: white noise at about -24 dB, and on each channel, at its
/// own rate, decaying 100 Hz bursts that stand out in the default band, so
/// both lights trigger, rise and fall throughout.
std::vector<std::int16_t> noiseWithBursts()
{
    std::uint32_t state = 12345;
    return makeSignal(kRate * kSeconds, [&](std::int64_t k, int c) {
        state = state * 1664525u + 1013904223u;
        double v = (static_cast<std::int32_t>(state >> 16) - 32768) / 16.0;
        const std::int64_t t = k % (c == 0 ? 11025 : 15876);
        if (t < 6000)
            v += 14000 * std::exp(-t / 1500.0) * std::sin(2 * std::numbers::pi * 100 * t / kRate);
        return v;
    });
}

void run(benchmark::State& state, SignalPath& path, MemorySource& source)
{
    std::int64_t frames = 0;
    for (auto _ : state) {
        source.rewind();
        path.SetSource(&source);
        path.ResetRun(23);
        path.TotalFrames = path.FramesLeft = source.frames();
        std::int32_t size = kBlockBytes;
        while (path.ComputeOutPut(path.OutputBlock(), size))
            size = kBlockBytes;
        benchmark::DoNotOptimize(path.SampleBuffer.data());
        frames += path.FramesDone;
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
}

void typical(benchmark::State& state)
{
    static MemorySource source(noiseWithBursts());
    auto path = std::make_unique<SignalPath>();
    path->SetSineTable(sineTable());
    run(state, *path, source);
}

/// Every branch busy: mono detection, full gain into saturation, any value
/// above the light retriggers, no hold.
void worst(benchmark::State& state)
{
    static MemorySource source(noiseWithBursts());
    auto path = std::make_unique<SignalPath>();
    path->SetSineTable(sineTable());
    path->SetMix(true);
    path->SetInputGain(300);
    path->SetTriggerLevel(SignalPath::kLeft, 100);
    path->SetTriggerLevel(SignalPath::kRight, 100);
    path->SetFilteredLevel(SignalPath::kLeft, 1000);
    path->SetFilteredLevel(SignalPath::kRight, 1000);
    path->SetBandWidth(SignalPath::kLeft, 400);
    path->SetBandWidth(SignalPath::kRight, 400);
    run(state, *path, source);
}

} // namespace

BENCHMARK(typical)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(worst)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
