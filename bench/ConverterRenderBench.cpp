// Speed of the converter's render of a 10-minute source wav into a wav file,
// in audio seconds per wall second (x_realtime), beside the signal path's
// ComputeOutPut alone over the same file: the render's reading, writing and
// progress must cost little on top of the path.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "bench/NoiseWithBursts.h"
#include "converter/Render.h"
#include "converter/SignalPath.h"
#include "converter/WavSource.h"
#include "engine/WavFile.h"

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kRate = 44100;
constexpr std::int64_t kSeconds = 600;
constexpr std::int32_t kBlockBytes = 32768; // the options' default buffer size
constexpr int kLevel = 23;

/// The source file and the render's target, in a folder of their own that
/// goes with the program.
struct Files {
    fs::path dir = fs::temp_directory_path() / ("converter-render-" + std::to_string(::getpid()));
    std::string source = (dir / "source.wav").string();
    std::string target = (dir / "render.wav").string();

    Files()
    {
        fs::create_directories(dir);
        const std::vector<std::int16_t> samples = noiseWithBursts(kSeconds);
        WavWriter w;
        w.open(source);
        w.append(samples.data(), samples.size() * sizeof(std::int16_t));
        w.commit();
    }
    ~Files() { fs::remove_all(dir); }
};

Files& files()
{
    static Files f;
    return f;
}

std::unique_ptr<SignalPath> defaultPath()
{
    auto path = std::make_unique<SignalPath>();
    path->SetSineTable(sineTable());
    return path;
}

void report(benchmark::State& state, std::int64_t frames)
{
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
}

/// Opens the source file; false (the run skipped) when it does not open.
bool openSource(benchmark::State& state, WavSource& source)
{
    if (source.open(files().source, isChooserWavFormat))
        return true;
    state.SkipWithError("the source did not open");
    return false;
}

void render(benchmark::State& state)
{
    Files& f = files();
    auto path = defaultPath();
    WavSource source;
    if (!openSource(state, source))
        return;
    std::int64_t frames = 0;
    for (auto _ : state) {
        WavWriter writer;
        writer.open(f.target);
        const RenderResult r = renderToWav(*path, source, writer, kBlockBytes, kLevel,
                                           [](std::int64_t, std::int64_t) { return true; });
        if (r.status != RenderStatus::Done) {
            state.SkipWithError("the render failed");
            return;
        }
        frames += r.framesDone;
    }
    report(state, frames);
}

/// The same source through ComputeOutPut alone: read and compute, nothing written.
void computeOnly(benchmark::State& state)
{
    auto path = defaultPath();
    WavSource source;
    if (!openSource(state, source))
        return;
    std::int64_t frames = 0;
    for (auto _ : state) {
        source.seekFrame(0);
        path->SetSource(&source);
        path->ResetRun(kLevel);
        path->TotalFrames = path->FramesLeft = source.TotalFrames();
        std::int32_t size = kBlockBytes;
        while (path->ComputeOutPut(path->OutputBlock(), size))
            size = kBlockBytes;
        benchmark::DoNotOptimize(path->SampleBuffer.data());
        frames += path->FramesDone;
    }
    report(state, frames);
}

} // namespace

BENCHMARK(render)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(computeOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
