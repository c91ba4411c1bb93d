// Speed of the converter's signal path over an in-memory source, in audio
// seconds per wall second (x_realtime).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "bench/NoiseWithBursts.h"
#include "converter/SignalPath.h"

namespace {

constexpr std::int64_t kRate = 44100;
constexpr std::int64_t kSeconds = 60;
constexpr std::int32_t kBlockBytes = 32768;

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
    static MemorySource source(noiseWithBursts(kSeconds));
    auto path = std::make_unique<SignalPath>();
    path->SetSineTable(sineTable());
    run(state, *path, source);
}

/// Every branch busy: mono detection, full gain into saturation, any value
/// above the light retriggers, no hold.
void worst(benchmark::State& state)
{
    static MemorySource source(noiseWithBursts(kSeconds));
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
