// Speed of the wav export: a 10-minute session whose backing sound loops a wav
// file, rendered and written to a temporary file in 32768-byte blocks, against
// the same render without writing. Wall time: the write and the final flush
// to disk are part of the export.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

#include "engine/Engine.h"
#include "engine/SampleTables.h"
#include "engine/SegParams.h"
#include "engine/ValueTables.h"
#include "engine/WavExport.h"
#include "engine/WavFile.h"
#include "tests/engine/TestTables.h"

namespace fs = std::filesystem;

namespace {

constexpr int kBufferBytes = 32768;
constexpr int kSegments = 10; // of 60 s

struct Rig {
    ValueTables tables = syntheticTables();
    std::unique_ptr<Session> session = std::make_unique<Session>();
    std::unique_ptr<SegParams> params = std::make_unique<SegParams>();
    std::unique_ptr<SampleTables> samples = std::make_unique<SampleTables>();
    std::unique_ptr<Engine> engine = std::make_unique<Engine>(*session, tables, *params, *samples);
    fs::path dir = fs::temp_directory_path() / ("wav-export-bench-" + std::to_string(::getpid()));
    std::string backing = (dir / "backing.wav").string();
    std::string target = (dir / "export.wav").string();

    /// Ten minutes in ten segments with beat-frequency glides and changing
    /// phase patterns, all playing the backing-sound wav (7 s of a pattern
    /// that is not silence), on the shipped wave tables and heart beat, so
    /// that the generators and the carrier play.
    Rig()
    {
        LoadSampleBuffers(LUMI_BIN_DIR, *samples);
        Session& s = *session;
        s.SegCount = kSegments;
        for (int i = 1; i <= kSegments; ++i) {
            TSegRec r = tables.DefaultSegment;
            r.Time = 3;
            r.Tone = static_cast<std::uint8_t>(1 + i % 9);
            r.Freq1From = static_cast<std::uint8_t>(1 + (i * 37) % 156);
            r.Freq1To = static_cast<std::uint8_t>(1 + (i * 53) % 156);
            r.Freq2From = static_cast<std::uint8_t>(1 + (i * 71) % 156);
            r.Freq2To = static_cast<std::uint8_t>(1 + (i * 29) % 156);
            r.Phase = static_cast<std::uint8_t>(1 + i % 10);
            r.PhaseChange = 2;
            r.BackingSound = static_cast<std::uint8_t>(4 + i % 2);
            s.Segments[i] = r;
        }
        RecomputeSession(s, tables, *params);

        fs::create_directories(dir);
        WavWriter w;
        w.open(backing);
        std::int16_t block[4096];
        std::uint32_t x = 1;
        for (int b = 0; b < 7 * kFrameRate * 2 / 4096; ++b) {
            for (auto& v : block)
                v = static_cast<std::int16_t>((x = x * 1664525u + 1013904223u) >> 16);
            w.append(block, sizeof block);
        }
        w.commit();
    }
    ~Rig() { fs::remove_all(dir); }
};

void report(benchmark::State& state)
{
    const double secs = static_cast<double>(kSegments) * 60 * static_cast<double>(state.iterations());
    state.counters["x_realtime"] = benchmark::Counter(secs, benchmark::Counter::kIsRate);
}

void BM_export(benchmark::State& state)
{
    Rig rig;
    const WavExportJob job{rig.target, "", rig.backing, kBufferBytes};
    for (auto _ : state) {
        // Replacing the previous round's file would add freeing it to the time.
        state.PauseTiming();
        fs::remove(rig.target);
        state.ResumeTiming();
        if (exportSessionToWav(*rig.engine, *rig.session, job, {}) != WavExportEnd::Written)
            state.SkipWithError("export did not complete");
    }
    state.counters["MB_written"] = static_cast<double>(fs::file_size(rig.target)) / 1e6;
    report(state);
}
BENCHMARK(BM_export)->Name("backing_wav_10min/export")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_render(benchmark::State& state)
{
    Rig rig;
    Engine& e = *rig.engine;
    const int block = wavExportBlockBytes(kBufferBytes);
    for (auto _ : state) {
        wavReadProc(e.BSWavFile, 0, rig.backing);
        e.BSWavOpen = true;
        e.PrepareRun(RunKind::Export);
        e.ArmSoftStart();
        for (bool more = true; more;) {
            std::memset(e.OutBuf.data(), 0, static_cast<std::size_t>(block));
            more = e.ComputeOutPut(e.OutBuf.data(), block);
            benchmark::DoNotOptimize(e.OutBuf.data());
        }
        wavReadProc(e.BSWavFile, 2, rig.backing);
        e.BSWavOpen = false;
    }
    report(state);
}
BENCHMARK(BM_render)->Name("backing_wav_10min/render_only")->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
