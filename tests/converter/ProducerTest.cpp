#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "TestSignals.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::int32_t kBuffer = 4096 * 3; // bytes
constexpr std::int64_t kFrames = 44100 + 1234;

/// Noise with a click every 5000 frames, so that lights run.
std::vector<std::int16_t> source()
{
    std::uint32_t r = 5;
    return makeSignal(kFrames, [&](std::int64_t k, int) {
        r = r * 1664525u + 1013904223u;
        return (k % 5000 == 10 ? 30000 : 0) + double(std::int16_t(r >> 16)) / 16;
    });
}

struct Player : PlayingPath {
    Player()
        : PlayingPath(source())
    {
    }
    /// Blocks computed straight through the signal path: the output, or the
    /// monitoring signal, per block.
    std::vector<Bytes> reference(bool filtered)
    {
        std::vector<Bytes> blocks;
        bool more = true;
        while (more) {
            std::int32_t size = kBuffer;
            more = path->ComputeOutPut(path->OutputBlock(), size);
            auto* p = reinterpret_cast<const std::uint8_t*>(filtered ? path->FilteredBuffer.data() : path->OutputBlock());
            if (size > 0)
                blocks.emplace_back(p, p + size);
        }
        return blocks;
    }
    /// Calls the producer as the wave output component does: primes up to
    /// four buffers, then asks once for each buffer played. `beforeCall` runs
    /// before each call with the number of buffers delivered so far.
    std::vector<Bytes> play(const std::function<void(std::size_t)>& beforeCall = {})
    {
        std::vector<Bytes> played;
        std::deque<Bytes> queue;
        const auto ask = [&] {
            if (beforeCall)
                beforeCall(played.size() + queue.size());
            Bytes buf(kBuffer);
            std::int32_t size = kBuffer;
            const bool ok = path->AudioOut1FillBuffer(buf.data(), size);
            if (ok) {
                buf.resize(static_cast<std::size_t>(size));
                queue.push_back(std::move(buf));
            }
            return ok;
        };
        for (int i = 0; i < 4 && ask(); ++i) {
        }
        while (!queue.empty()) {
            played.push_back(std::move(queue.front()));
            queue.pop_front();
            ask();
        }
        return played;
    }
};

} // namespace

TEST(SignalPathProducer, PlaysTheWholeSourceAndEndsOnce)
{
    const auto expected = Player().reference(false);
    ASSERT_NE(kFrames * 4 % kBuffer, 0);
    Player p;
    EXPECT_EQ(p.play(), expected) << "the shortened last buffer is played too";
    EXPECT_EQ(p.ends, 1);
    EXPECT_FALSE(p.path->Playing);
    std::uint8_t buf[16];
    std::int32_t size = 16;
    EXPECT_FALSE(p.path->AudioOut1FillBuffer(buf, size));
    EXPECT_EQ(p.ends, 1);
    EXPECT_EQ(p.path->FramesDone, kFrames);
}

TEST(SignalPathProducer, HearFilteredSwitchesTheNextBuffer)
{
    const auto out = Player().reference(false);
    const auto mon = Player().reference(true);
    Player p;
    const auto played = p.play([&](std::size_t delivered) { p.path->SetHearFiltered(delivered >= 3); });
    ASSERT_EQ(played.size(), out.size());
    for (std::size_t i = 0; i < played.size(); ++i)
        EXPECT_EQ(played[i], i < 3 ? out[i] : mon[i]) << i;
    EXPECT_NE(out[5], mon[5]);
}

TEST(SignalPathProducer, FailedReadEndsTheRunCleanly)
{
    const auto expected = Player().reference(false);
    Player p;
    const std::size_t failAt = kBuffer * 5 + 4 * 1000 + 2; // mid-frame, mid-buffer
    p.src.failAfter(failAt);
    std::vector<Bytes> played;
    ASSERT_NO_THROW(played = p.play());
    ASSERT_EQ(played.size(), 6u);
    EXPECT_EQ(played[5].size(), 4000u) << "whole frames read are delivered";
    EXPECT_TRUE(std::equal(played[5].begin(), played[5].end(), expected[5].begin()));
    EXPECT_TRUE(p.path->ReadFailed);
    EXPECT_EQ(p.ends, 1);
    EXPECT_EQ(p.path->FramesDone, 5 * kBuffer / 4 + 1000);
}
