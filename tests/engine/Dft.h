#pragma once

#include <cmath>
#include <vector>

// Power of one frequency in a signal by a direct, Hann-windowed DFT: enough
// to tell which tones a render holds without an FFT library.

/// Power at `hz` of `count` samples taken every `stride` from `x` (stride 2
/// reads one channel of interleaved stereo), at 44 100 samples per second.
template <class T>
double powerAt(const std::vector<T>& x, double hz, std::size_t first, std::size_t count, std::size_t stride = 1)
{
    double re = 0, im = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const double w = 0.5 - 0.5 * std::cos(2 * M_PI * k / count);
        const double v = w * x[first + k * stride];
        const double a = 2 * M_PI * hz * k / 44100;
        re += v * std::cos(a);
        im -= v * std::sin(a);
    }
    return (re * re + im * im) / count;
}

/// powerAt averaged over consecutive windows of `count` samples (Welch).
template <class T>
double averagePower(const std::vector<T>& x, double hz, std::size_t count, std::size_t stride = 1)
{
    double sum = 0;
    const std::size_t windows = x.size() / stride / count;
    for (std::size_t i = 0; i < windows; ++i)
        sum += powerAt(x, hz, i * count * stride, count, stride);
    return sum / windows;
}
