#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "converter/SignalPath.h"

/// A source held in memory: interleaved 16-bit stereo frames. Can be told to
/// fail once it has delivered a number of bytes.
class MemorySource final : public SourceReader {
public:
    explicit MemorySource(std::vector<std::int16_t> samples)
        : m_samples(std::move(samples))
    {
    }

    std::int32_t read(std::uint8_t* dst, std::int32_t bytes) override
    {
        const std::size_t total = m_samples.size() * 2;
        if (m_pos >= m_failAfter)
            return -1;
        std::size_t n = std::min<std::size_t>({static_cast<std::size_t>(bytes), total - m_pos, m_failAfter - m_pos});
        std::memcpy(dst, reinterpret_cast<const std::uint8_t*>(m_samples.data()) + m_pos, n);
        m_pos += n;
        return static_cast<std::int32_t>(n);
    }

    void rewind() { m_pos = 0; }
    /// Reads stop short once this many bytes have been delivered, and fail after.
    void failAfter(std::size_t bytes) { m_failAfter = bytes; }
    std::int64_t frames() const { return static_cast<std::int64_t>(m_samples.size() / 2); }

private:
    std::vector<std::int16_t> m_samples;
    std::size_t m_pos = 0;
    std::size_t m_failAfter = std::numeric_limits<std::size_t>::max();
};

/// The carrier table as the data-file generator makes it: sample i =
/// round(32767 sin(2 pi i / 4410)), worked in extended precision, ties to even.
inline std::array<std::int16_t, SignalPath::kSineLen> sineTable()
{
    std::array<std::int16_t, SignalPath::kSineLen> t{};
    for (int i = 0; i < SignalPath::kSineLen; ++i)
        t[i] = static_cast<std::int16_t>(std::lrint(32767 * std::sin(2 * std::numbers::pi_v<long double> * i / 4410)));
    return t;
}

/// Interleaved stereo samples from a function of (frame, channel 0 = L,
/// 1 = R), rounded and clamped to 16 bits.
inline std::vector<std::int16_t> makeSignal(std::int64_t frames, const std::function<double(std::int64_t, int)>& f)
{
    std::vector<std::int16_t> s(static_cast<std::size_t>(frames * 2));
    for (std::int64_t k = 0; k < frames; ++k)
        for (int c = 0; c < 2; ++c)
            s[2 * k + c] = static_cast<std::int16_t>(std::clamp(std::lrint(f(k, c)), -32768L, 32767L));
    return s;
}

/// The samples as the bytes of a wav file's data.
inline std::string pcmBytes(const std::vector<std::int16_t>& samples)
{
    return {reinterpret_cast<const char*>(samples.data()), samples.size() * 2};
}

/// A signal path set up to play `samples` from memory at the playing AS
/// level 23, counting the end-of-run hook's calls.
struct PlayingPath {
    std::unique_ptr<SignalPath> path = std::make_unique<SignalPath>();
    MemorySource src;
    int ends = 0;

    explicit PlayingPath(std::vector<std::int16_t> samples)
        : src(std::move(samples))
    {
        path->SetSineTable(sineTable());
        path->OnRunEnd = [this] { ++ends; };
        path->SetSource(&src);
        path->ResetRun(23);
        path->TotalFrames = path->FramesLeft = src.frames();
        path->Playing = true;
    }
};
