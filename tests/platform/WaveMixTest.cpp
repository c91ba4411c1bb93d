#include <array>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "platform/WaveMix.h"

namespace {

using Samples = std::vector<std::int16_t>;

// Interleaved samples 1, 2, 3, ... from `first`, so every frame is distinct.
Samples ramp(std::uint32_t frames, std::int16_t first)
{
    Samples s(frames * 2);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>(first + i);
    return s;
}

struct Queue {
    std::array<MixSlot, 8> ring{};
    std::vector<Samples> data;
    MixQueue q;

    explicit Queue(std::vector<Samples> buffers) : data(std::move(buffers))
    {
        q.ring = ring.data();
        q.mask = 7;
        for (const Samples& b : data)
            ring[q.write++ & q.mask] = MixSlot{reinterpret_cast<const std::uint8_t*>(b.data()),
                                               static_cast<std::uint32_t>(b.size() / 2)};
    }
};

// Mixes `total` frames in periods of `period`; counts the periods that used up a slot.
Samples mix(std::vector<MixQueue*> queues, std::uint32_t total, std::uint32_t period, int* finished = nullptr)
{
    Samples out(total * 2);
    std::vector<std::int32_t> acc(period * 2);
    for (std::uint32_t at = 0; at < total; at += period) {
        const std::uint32_t n = std::min(period, total - at);
        if (mixQueues(queues.data(), queues.size(), acc.data(), out.data() + at * 2, n) && finished)
            ++*finished;
    }
    return out;
}

Samples concat(std::initializer_list<Samples> parts, std::uint32_t silenceFrames)
{
    Samples all;
    for (const Samples& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    all.resize(all.size() + silenceFrames * 2, 0);
    return all;
}

} // namespace

TEST(WaveMix, OneQueuePassesThroughBitExactAcrossSlotsAndPeriods)
{
    const Samples a = ramp(300, -32768), b = ramp(1000, 30000), c = ramp(5, 7);
    for (std::uint32_t period : {1u, 256u, 1024u}) {
        SCOPED_TRACE(period);
        Queue q({a, {}, b, c});
        int finished = 0;
        EXPECT_EQ(mix({&q.q}, 1305 + 419, period, &finished), concat({a, b, c}, 419))
            << "then silence on underrun";
        EXPECT_EQ(q.q.play, 4u) << "the zero-length slot is used up too";
        EXPECT_GE(finished, 1);
    }
}

TEST(WaveMix, TwoQueuesAddAndSaturate)
{
    Queue loud({Samples{30000, -30000, 1000, 5, 32767, -32768}});
    Queue also({Samples{30000, -30000, -3000, 5, 1, -1}});
    EXPECT_EQ(mix({&loud.q, &also.q}, 4, 4), (Samples{32767, -32768, -2000, 10, 32767, -32768, 0, 0}));
}

TEST(WaveMix, PausedQueueKeepsItsPlaceAndZeroLengthSlotGoesAtOnce)
{
    const Samples a = ramp(10, 100), b = ramp(10, -100);
    Queue playing({a}), held({b});
    held.q.paused = true;
    EXPECT_EQ(mix({&playing.q, &held.q}, 10, 10), a);
    EXPECT_EQ(held.q.play, 0u);
    EXPECT_EQ(held.q.offset, 0u);
    held.q.paused = false;
    EXPECT_EQ(mix({&playing.q, &held.q}, 10, 10), b);

    // A zero-length slot reached exactly at the end of a period is reported in that period.
    Queue ends({a, {}});
    int finished = 0;
    mix({&ends.q}, 10, 10, &finished);
    EXPECT_EQ(ends.q.play, 2u);
    EXPECT_EQ(finished, 1);
    Queue empty({Samples{}});
    EXPECT_EQ(mix({&empty.q}, 3, 3, &finished), Samples(6, 0));
    EXPECT_EQ(empty.q.play, 1u);
}
