#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "tests/converter/TestSignals.h"

/// The converter benchmarks' source: white noise at about -24 dB, and on each
/// channel, at its own rate, decaying 100 Hz bursts that stand out in the
/// default band, so both lights trigger, rise and fall throughout.
inline std::vector<std::int16_t> noiseWithBursts(std::int64_t seconds)
{
    constexpr std::int64_t kRate = 44100;
    std::uint32_t state = 12345;
    return makeSignal(kRate * seconds, [&](std::int64_t k, int c) {
        state = state * 1664525u + 1013904223u;
        double v = (static_cast<std::int32_t>(state >> 16) - 32768) / 16.0;
        const std::int64_t t = k % (c == 0 ? 11025 : 15876);
        if (t < 6000)
            v += 14000 * std::exp(-t / 1500.0) * std::sin(2 * std::numbers::pi * 100 * t / kRate);
        return v;
    });
}
