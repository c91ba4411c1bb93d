// Rendering speed of the engine through ComputeOutPut in 32768-byte buffers,
// as the wave output and the export call it.
//
// ENGINE_BENCH_BUFFERS=n runs every benchmark for exactly n buffers, so that
// instruction counts compare between builds whatever the machine's load:
//   ENGINE_BENCH_BUFFERS=400 valgrind --tool=callgrind bench/engine_bench --benchmark_filter=typical

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "engine/Engine.h"
#include "engine/SampleTables.h"
#include "engine/SegParams.h"
#include "engine/ValueTables.h"
#include "tests/engine/TestTables.h"

namespace {

constexpr int kBufferBytes = 32768;

struct Rig {
    ValueTables tables = syntheticTables();
    std::unique_ptr<Session> session = std::make_unique<Session>();
    std::unique_ptr<SegParams> params = std::make_unique<SegParams>();
    std::unique_ptr<SampleTables> samples = std::make_unique<SampleTables>();
    std::unique_ptr<Engine> engine;
    std::vector<std::int16_t> buffer = std::vector<std::int16_t>(kBufferBytes / 2);

    Rig()
    {
        engine = std::make_unique<Engine>(*session, tables, *params, *samples);
        // Wave w: the first w odd harmonics of a sine, so tables differ and
        // cross-fades have something to do.
        for (int w = 1; w <= kWaveTables; ++w)
            for (int i = 0; i < kWaveLen; ++i) {
                double v = 0;
                for (int h = 1; h <= 2 * w - 1; h += 2)
                    v += std::sin(2 * M_PI * h * i / kWaveLen) / h;
                samples->WaveTables[w][i] = static_cast<std::int16_t>(std::lrint(26000 * v));
            }
        // A thump that decays over the sample, so the heart beat is heard.
        for (int i = 0; i < kHeartBeatLen; ++i)
            samples->HeartBeatPcm[i] =
                static_cast<std::int16_t>(std::lrint(20000 * std::exp(-i / 3000.0) * std::sin(2 * M_PI * 55 * i / 44100)));
    }
    ~Rig()
    {
        if (!m_wavPath.empty())
            std::remove(m_wavPath.c_str());
    }

    /// Loops a backing-sound wav of 3 s of a stereo pattern through every run.
    void loopBackingWav()
    {
        m_wavPath = (std::filesystem::temp_directory_path() / ("engine-bench-" + std::to_string(::getpid()) + ".wav"))
                        .string();
        std::vector<std::int16_t> data(2 * 3 * kFrameRate);
        for (std::size_t k = 0; k < data.size(); ++k)
            data[k] = static_cast<std::int16_t>((k * 7919) % 50000 - 25000);
        std::FILE* f = std::fopen(m_wavPath.c_str(), "wb");
        const char header[44] = {};
        std::fwrite(header, 1, sizeof header, f);
        std::fwrite(data.data(), 2, data.size(), f);
        std::fclose(f);
        engine->BSWavFile.open(m_wavPath, 44, data.size() * 2);
        engine->BSWavOpen = true;
    }

    void start()
    {
        engine->PrepareRun(RunKind::Start);
        engine->ArmSoftStart();
    }

private:
    std::string m_wavPath;
};

/// 400 segments of 1.5 and 2.5 s cycling every tone type, with beat-frequency
/// glides, phase patterns that change every second and glide, duty glides and
/// volume and intensity ramps at every change.
void shortSegments(Rig& rig)
{
    Session& s = *rig.session;
    s.SegCount = 400;
    for (int i = 1; i <= s.SegCount; ++i) {
        TSegRec r = rig.tables.DefaultSegment;
        r.Time = static_cast<std::uint8_t>(i % 2 ? 4 : 5);
        r.Tone = static_cast<std::uint8_t>(1 + i % 27);
        r.Freq1From = static_cast<std::uint8_t>(1 + (i * 37) % 156);
        r.Freq1To = static_cast<std::uint8_t>(1 + (i * 53) % 156);
        r.Freq2From = static_cast<std::uint8_t>(1 + (i * 71) % 156);
        r.Freq2To = static_cast<std::uint8_t>(1 + (i * 29) % 156);
        r.Phase = static_cast<std::uint8_t>(1 + i % 10);
        r.PhaseChange = static_cast<std::uint8_t>(i % 3 ? 2 : 1); // 1 s, or none
        r.DutyCycle = static_cast<std::uint8_t>(1 + i % 8);
        r.Volume = static_cast<std::uint8_t>(1 + (i * 7) % 21);
        r.Intensity = static_cast<std::uint8_t>(1 + (i * 11) % 21);
        r.HBeat = static_cast<std::uint8_t>(1 + (i * 13) % 91);
        if (i > 1) {
            r.Phase |= i % 2 ? kRampFlag : 0;
            r.DutyCycle |= kRampFlag;
            r.Volume |= kRampFlag;
            r.Intensity |= kRampFlag;
            r.HBeat |= kRampFlag;
        }
        s.Segments[i] = r;
    }
    RecomputeSession(s, rig.tables, *rig.params);
}

/// Segments of 1.5 and 2.5 s with the given tone types in turn, the given
/// backing sound and an even balance; `ramped` cross-fades both waves at every
/// change.
void soundSegments(Rig& rig, std::initializer_list<int> tones, bool ramped, int backing = 2)
{
    Session& s = *rig.session;
    s.SegCount = 400;
    const std::vector<int> cycle(tones);
    for (int i = 1; i <= s.SegCount; ++i) {
        TSegRec r = rig.tables.DefaultSegment;
        r.Time = static_cast<std::uint8_t>(i % 2 ? 4 : 5);
        r.Tone = static_cast<std::uint8_t>(cycle[i % cycle.size()]);
        r.Freq1From = r.Freq1To = static_cast<std::uint8_t>(20 + i % 60);
        r.Freq2From = r.Freq2To = static_cast<std::uint8_t>(30 + i % 50);
        r.Pitch1 = static_cast<std::uint8_t>(10 + i % 30);
        r.Pitch2 = static_cast<std::uint8_t>(12 + i % 30);
        r.SGVol = 5;
        r.Wave1 = static_cast<std::uint8_t>(1 + i % 15);
        r.Wave2 = static_cast<std::uint8_t>(1 + (i + 7) % 15);
        if (ramped && i > 1) {
            r.Wave1 |= kRampFlag;
            r.Wave2 |= kRampFlag;
        }
        r.BackingSound = static_cast<std::uint8_t>(backing);
        if (backing == 5)
            r.HBeat = static_cast<std::uint8_t>(60 + i % 30); // beats overlap at up to 98 a minute
        s.Segments[i] = r;
    }
    RecomputeSession(s, rig.tables, *rig.params);
}

void run(benchmark::State& state, Rig& rig)
{
    rig.start();
    std::int64_t frames = 0;
    for (auto _ : state) {
        if (!rig.engine->ComputeOutPut(rig.buffer.data(), kBufferBytes))
            rig.start();
        benchmark::DoNotOptimize(rig.buffer.data());
        frames += kBufferBytes / 4;
    }
    state.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kFrameRate, benchmark::Counter::kIsRate);
}

void BM_short_segments(benchmark::State& state)
{
    Rig rig;
    shortSegments(rig);
    run(state, rig);
}

/// Everything at once: four generators with FM and extra AM, cross-fades,
/// noise (the generator runs in every frame), the looping backing-sound wav
/// with the heart beat on top, the output filter, both depths at 100.
void BM_worst(benchmark::State& state)
{
    Rig rig;
    soundSegments(rig, {18, 19, 24, 25, 26, 27}, true, 5);
    rig.loopBackingWav();
    rig.engine->AMDepth = 0.5f;
    rig.engine->AMBase = 0.5f;
    rig.engine->FMDepth = 1;
    rig.engine->AudioOutputFilter = true;
    run(state, rig);
}

/// A common session: SG1 and SG2 plain with binaural offsets, noise, the
/// carrier at its default level, no filter.
void BM_typical(benchmark::State& state)
{
    Rig rig;
    soundSegments(rig, {4, 5, 9}, false);
    run(state, rig);
}

} // namespace

int main(int argc, char** argv)
{
    const char* buffers = std::getenv("ENGINE_BENCH_BUFFERS");
    const long fixed = buffers ? std::atol(buffers) : 0;
    using Fn = void (*)(benchmark::State&);
    const std::pair<const char*, Fn> benchmarks[] = {
        {"short_segments", BM_short_segments}, {"worst", BM_worst}, {"typical", BM_typical}};
    for (const auto& [name, fn] : benchmarks) {
        auto* b = benchmark::RegisterBenchmark(name, fn)->Unit(benchmark::kMicrosecond);
        if (fixed > 0)
            b->Iterations(fixed);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
