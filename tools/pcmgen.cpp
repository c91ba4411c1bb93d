// Writes the built-in wave tables and the heart-beat sample into a folder:
// raw little-endian 16-bit samples, no header. The output depends on nothing
// but this file, so every build writes the same bytes.
//
// Every wave is one period of 4410 samples. The sound generators switch
// segments at samples 0 and 2205, so each wave is exactly 0 there; sums of
// sine harmonics (and shapes that are odd about 0 and 2205) give that for free.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using ext = long double;

constexpr int kWaveLen = 4410;
constexpr int kHalf = kWaveLen / 2;
constexpr int kHeartBeatLen = 23599;
constexpr int kRate = 44100;
constexpr ext kPi = 3.141592653589793238462643383279502884L;
constexpr ext kFullScale = 32767;

/// Round to nearest, ties to even (the default rounding mode).
std::int16_t toSample(ext v)
{
    return static_cast<std::int16_t>(std::llrint(v));
}

/// Angle of sample i within the period, 0 <= angle < 2 pi.
ext angle(int i)
{
    return 2 * kPi * i / kWaveLen;
}

/// Samples the shape over one period and scales it so that its largest
/// magnitude is full scale.
std::vector<std::int16_t> normalised(const std::function<ext(int)>& shape)
{
    std::vector<ext> v(kWaveLen);
    ext max = 0;
    for (int i = 0; i < kWaveLen; ++i) {
        v[i] = shape(i);
        max = std::max(max, std::fabs(v[i]));
    }
    std::vector<std::int16_t> out(kWaveLen);
    for (int i = 0; i < kWaveLen; ++i)
        out[i] = toSample(v[i] * kFullScale / max);
    return out;
}

/// Sum of sine harmonics a[k] sin(k x), k = 1..a.size() - 1.
ext harmonics(const std::vector<ext>& a, ext x)
{
    ext sum = 0;
    for (std::size_t k = 1; k < a.size(); ++k)
        sum += a[k] * std::sin(static_cast<ext>(k) * x);
    return sum;
}

// Fourier series of the ideal shapes, cut off after `last` harmonics.
std::vector<ext> squareSeries(int last)
{
    std::vector<ext> a(last + 1, 0);
    for (int k = 1; k <= last; k += 2)
        a[k] = 1.0L / k;
    return a;
}

std::vector<ext> sawSeries(int last)
{
    std::vector<ext> a(last + 1, 0);
    for (int k = 1; k <= last; ++k)
        a[k] = (k % 2 ? 1.0L : -1.0L) / k;
    return a;
}

std::vector<ext> triangleSeries(int last)
{
    std::vector<ext> a(last + 1, 0);
    for (int k = 1; k <= last; k += 2)
        a[k] = ((k / 2) % 2 ? -1.0L : 1.0L) / (static_cast<ext>(k) * k);
    return a;
}

// The ideal shapes, each rising through 0 at sample 0. At the saw's and the
// square's jump (sample 2205) they take the midpoint, 0.
ext square(int i)
{
    return i == 0 || i == kHalf ? 0 : i < kHalf ? 1 : -1;
}

ext saw(int i)
{
    if (i == kHalf)
        return 0;
    return static_cast<ext>(i < kHalf ? i : i - kWaveLen) / kHalf;
}

ext triangle(int i)
{
    const ext x = static_cast<ext>(i) / kWaveLen;
    if (x < 0.25L)
        return 4 * x;
    if (x < 0.75L)
        return 2 - 4 * x;
    return 4 * x - 4;
}

/// A fixed linear congruential generator: the same numbers in every build.
class Lcg {
public:
    /// Uniform in [-1, 1).
    ext next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<ext>(m_state) / 2147483648.0L - 1;
    }

private:
    std::uint32_t m_state = 0x5EA5u;
};

/// Surf: a dense, pink-tilted spectrum of 48 harmonics with scattered
/// amplitudes and signs: a noise-like period. While playing, the engine writes
/// live noise into this table where the generators read it.
std::vector<ext> surfSeries()
{
    Lcg lcg;
    std::vector<ext> a(49, 0);
    for (int k = 1; k <= 48; ++k)
        a[k] = lcg.next() / std::sqrt(static_cast<ext>(k));
    return a;
}

/// Complex: a 1/k spectrum up to harmonic 16 with a vowel-like formant
/// bump around harmonic 7 and signs that alternate in pairs.
std::vector<ext> complexSeries()
{
    std::vector<ext> a(17, 0);
    for (int k = 1; k <= 16; ++k) {
        const ext formant = 1 + 2 * std::exp(-(k - 7.0L) * (k - 7.0L) / 4);
        a[k] = ((k - 1) / 2 % 2 ? -1.0L : 1.0L) * formant / k;
    }
    return a;
}

/// Phase-modulated sine: carrier harmonic c, modulator harmonic m, index b.
/// Whole harmonics keep it periodic; sin(c x + b sin(m x)) vanishes at 0 and pi.
std::function<ext(int)> phaseModulated(int c, int m, ext b)
{
    return [=](int i) { return std::sin(c * angle(i) + b * std::sin(m * angle(i))); };
}

std::function<ext(int)> series(std::vector<ext> a)
{
    return [a = std::move(a)](int i) { return harmonics(a, angle(i)); };
}

/// One damped thump starting at t0 seconds: a sine whose pitch falls from
/// f0 + df towards f0 with time constant tf, under an envelope that rises
/// from 0 to its peak at tp and then decays.
ext thump(ext t, ext t0, ext f0, ext df, ext tf, ext tp, ext gain)
{
    const ext u = t - t0;
    if (u <= 0)
        return 0;
    const ext phase = 2 * kPi * (f0 * u + df * tf * (1 - std::exp(-u / tf)));
    return gain * (u / tp) * std::exp(1 - u / tp) * std::sin(phase);
}

/// Heart beat: "lub" (lower, longer) and "dub" (higher, shorter, softer).
/// The player holds the last sample between beats, so the sample begins and
/// ends in exact zeros: the envelope starts at 0 and a raised-cosine fade
/// closes the tail.
std::vector<std::int16_t> heartBeat()
{
    std::vector<ext> v(kHeartBeatLen);
    ext max = 0;
    constexpr int kFade = 2205;
    for (int n = 0; n < kHeartBeatLen; ++n) {
        const ext t = static_cast<ext>(n) / kRate;
        ext x = thump(t, 0.0L, 42, 22, 0.030L, 0.014L, 1.0L) + thump(t, 0.30L, 58, 26, 0.020L, 0.009L, 0.7L);
        const int left = kHeartBeatLen - 1 - n;
        if (left < kFade)
            x *= (1 - std::cos(kPi * left / kFade)) / 2;
        v[n] = x;
        max = std::max(max, std::fabs(x));
    }
    std::vector<std::int16_t> out(kHeartBeatLen);
    for (int n = 0; n < kHeartBeatLen; ++n)
        out[n] = toSample(v[n] * 0.9L * kFullScale / max);
    return out;
}

bool write(const std::string& folder, const std::string& name, const std::vector<std::int16_t>& samples)
{
    const std::string path = folder + "/" + name;
    std::vector<unsigned char> bytes;
    bytes.reserve(samples.size() * 2);
    for (std::int16_t s : samples) {
        const auto u = static_cast<std::uint16_t>(s);
        bytes.push_back(static_cast<unsigned char>(u & 0xFF));
        bytes.push_back(static_cast<unsigned char>(u >> 8));
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "pcmgen: cannot create %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "pcmgen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: pcmgen <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];

    // The sine is also the light carrier table: exact, not normalised.
    std::vector<std::int16_t> sine(kWaveLen);
    for (int i = 0; i < kWaveLen; ++i)
        sine[i] = toSample(kFullScale * std::sin(angle(i)));

    struct Wave {
        const char* name;
        std::vector<std::int16_t> samples;
    };
    // SineMix: a fundamental with soft 2nd, 3rd and 5th partials. WaveMix1: a
    // sine thickened by a band-limited square; WaveMix2: a triangle with a
    // band-limited saw's edge.
    const auto waveMix1 = [mix = squareSeries(9)](int i) {
        return std::sin(angle(i)) + 0.6L * harmonics(mix, angle(i));
    };
    const auto waveMix2 = [mix = sawSeries(9)](int i) { return triangle(i) + 0.5L * harmonics(mix, angle(i)); };
    const Wave waves[] = {
        {"Sine.pcm", sine},
        {"Surf.pcm", normalised(series(surfSeries()))},
        {"Square.pcm", normalised(square)},
        {"Saw.pcm", normalised(saw)},
        {"Triangle.pcm", normalised(triangle)},
        {"SineMix.pcm", normalised(series({0, 1, 0.5L, 0.3L, 0, 0.15L}))},
        {"Complex.pcm", normalised(series(complexSeries()))},
        {"FSquare.pcm", normalised(series(squareSeries(15)))},
        {"FSaw.pcm", normalised(series(sawSeries(15)))},
        {"FTriangle.pcm", normalised(series(triangleSeries(15)))},
        {"WaveMix1.pcm", normalised(waveMix1)},
        {"WaveMix2.pcm", normalised(waveMix2)},
        {"FMWav1.pcm", normalised(phaseModulated(1, 2, 1.0L))},
        {"FMWav2.pcm", normalised(phaseModulated(1, 3, 2.0L))},
        {"FMWav3.pcm", normalised(phaseModulated(2, 1, 3.0L))},
    };
    for (const Wave& w : waves) {
        if (w.samples[0] != 0 || w.samples[kHalf] != 0) {
            std::fprintf(stderr, "pcmgen: %s does not cross zero at samples 0 and %d\n", w.name, kHalf);
            return 1;
        }
        if (!write(folder, w.name, w.samples))
            return 1;
    }
    return write(folder, "HrtBeat.pcm", heartBeat()) ? 0 : 1;
}
