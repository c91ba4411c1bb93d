// Rendering speed of the engine through ComputeOutPut in 32768-byte buffers,
// as the wave output and the export call it.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

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

    Rig() { engine = std::make_unique<Engine>(*session, tables, *params, *samples); }

    void start()
    {
        engine->PrepareRun(RunKind::Start);
        engine->ArmSoftStart();
    }
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

void BM_short_segments(benchmark::State& state)
{
    Rig rig;
    shortSegments(rig);
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
BENCHMARK(BM_short_segments)->Name("short_segments")->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
