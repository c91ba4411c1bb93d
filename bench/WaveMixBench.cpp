// Mixes two wave output streams the way the SDL audio callback does, one
// 1024-frame period per iteration, while the GUI side keeps both queues fed.
#include <array>
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/WaveMix.h"

namespace {

constexpr std::uint32_t kPeriod = 1024;
constexpr double kRate = 44100.0;

struct Stream {
    std::vector<std::int16_t> samples;
    std::array<MixSlot, 16> ring{};
    MixQueue queue;

    Stream(std::uint32_t slotFrames, int seed) : samples(slotFrames * 2)
    {
        // Loud enough that about one sum in four saturates.
        std::uint32_t x = 12345u + seed;
        for (auto& s : samples) {
            x = x * 1664525u + 1013904223u;
            s = static_cast<std::int16_t>(x >> 16);
        }
        queue.ring = ring.data();
        queue.mask = ring.size() - 1;
        feed();
    }

    void feed()
    {
        while (queue.write - queue.play < 8)
            ring[queue.write++ & queue.mask] =
                MixSlot{reinterpret_cast<const std::uint8_t*>(samples.data()),
                        static_cast<std::uint32_t>(samples.size() / 2)};
    }
};

void mixTwo(benchmark::State& state, std::uint32_t slotFrames)
{
    Stream a(slotFrames, 1), b(slotFrames, 2);
    std::array<MixQueue*, 2> queues{&a.queue, &b.queue};
    std::vector<std::int32_t> acc(kPeriod * 2);
    std::vector<std::int16_t> out(kPeriod * 2);
    for (auto _ : state) {
        mixQueues(queues.data(), queues.size(), acc.data(), out.data(), kPeriod);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
        a.feed();
        b.feed();
    }
    state.counters["x_realtime"] =
        benchmark::Counter(kPeriod / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

// Two players with 8192-byte buffers: a header boundary every other period.
void typical(benchmark::State& state)
{
    mixTwo(state, 2048);
}

// Two streams of 512-byte buffers: eight header boundaries in every period.
void worst(benchmark::State& state)
{
    mixTwo(state, 128);
}

} // namespace

BENCHMARK(typical);
BENCHMARK(worst);
BENCHMARK_MAIN();
