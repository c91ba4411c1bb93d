#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
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
