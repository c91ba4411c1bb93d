// The backing sound (filtered noise, heart beat, backing-sound wav, wav plus
// heart beat) and the optional low-pass on the mixed audio. Every filter here
// keeps its term order and stores to float where the sound always has, so
// that runs stay bit-identical from build to build.

#include "engine/Engine.h"
#include "engine/SampleTables.h"

namespace {

/// Input gain of the noise low-pass (4th-order Butterworth, 4 kHz): makes the
/// gain 1 at 0 Hz.
constexpr float kNoiseGain = 289.5062561f;
/// Input gain of the output low-pass (8th-order Butterworth, 8 kHz).
constexpr float kOutputGain = 818.7981567f;

// Each filter reads its histories where they are and shifts them after the
// sum: shifting first makes the sum load values just stored, which stalls it.

/// Moves entries 1..8 of a history to 0..7, one entry at a time (a loop here
/// turns into a library memmove per call).
inline void shiftDown(std::array<float, 9>& h)
{
    h[0] = h[1], h[1] = h[2], h[2] = h[3], h[3] = h[4], h[4] = h[5], h[5] = h[6], h[6] = h[7], h[7] = h[8];
}

/// Feedback coefficients of the output low-pass, oldest output first.
constexpr ext kOutputFeedback[8] = {-0.001845385L, 0.0254503167L, -0.1603748944L, 0.600903425L,
                                    -1.5001957966L, 2.5309101694L, -2.9903049132L, 2.1828037173L};

float outputLowPass(std::array<float, 9>& xv, std::array<float, 9>& yv, float in)
{
    const float x8 = static_cast<float>(0.7L * in / static_cast<ext>(kOutputGain));
    // Entry k of the shifted histories is entry k + 1 here.
    const ext* b = kOutputFeedback;
    const float out = static_cast<float>(static_cast<ext>(xv[1]) + x8 + 8 * (static_cast<ext>(xv[2]) + xv[8]) +
                                         28 * (static_cast<ext>(xv[3]) + xv[7]) +
                                         56 * (static_cast<ext>(xv[4]) + xv[6]) + 70 * static_cast<ext>(xv[5]) +
                                         b[0] * yv[1] + b[1] * yv[2] + b[2] * yv[3] + b[3] * yv[4] + b[4] * yv[5] +
                                         b[5] * yv[6] + b[6] * yv[7] + b[7] * yv[8]);
    shiftDown(xv);
    xv[8] = x8;
    shiftDown(yv);
    yv[8] = out;
    return out;
}

} // namespace

void Engine::MuteFilters()
{
    for (auto* history : {&NoiseXv, &NoiseYv, &FiltLXv, &FiltLYv, &FiltRXv, &FiltRYv})
        history->fill(0);
}

float Engine::GetNoiseVal()
{
    // Entries 5..8 are never used, so entry 4 is the newest.
    const auto r = static_cast<std::int32_t>(m_random.below(65535));
    const float x0 = NoiseXv[1], x1 = NoiseXv[2], x2 = NoiseXv[3], x3 = NoiseXv[4];
    // One division of two floats (r - 32768 is exact in float) rounds the same
    // in float as in long double: a 64-bit quotient is wide enough that its
    // second rounding never differs. So it stays out of the x87 unit.
    const float x4 = static_cast<float>(r - 32768) / kNoiseGain;
    const float y0 = NoiseYv[1], y1 = NoiseYv[2], y2 = NoiseYv[3], y3 = NoiseYv[4];
    const float out = static_cast<float>(static_cast<ext>(x0) + x4 + 4 * (static_cast<ext>(x1) + x3) +
                                         6 * static_cast<ext>(x2) - 0.2201292677L * y0 + 1.2062353665L * y1 -
                                         2.5608371103L * y2 + 2.5194645027L * y3);
    NoiseXv[0] = x0, NoiseXv[1] = x1, NoiseXv[2] = x2, NoiseXv[3] = x3, NoiseXv[4] = x4;
    NoiseYv[0] = y0, NoiseYv[1] = y1, NoiseYv[2] = y2, NoiseYv[3] = y3, NoiseYv[4] = out;
    return out;
}

void Engine::outputLowPasses(float& left, float& right)
{
    // Both sides in one pass, term by term in the order of outputLowPass, so
    // that each coefficient is loaded once for both; each side's partial sum
    // stays in extended precision until its one rounding.
    const ext inputScale = 0.7L;
    const float xl8 = static_cast<float>(inputScale * left / static_cast<ext>(kOutputGain));
    const float xr8 = static_cast<float>(inputScale * right / static_cast<ext>(kOutputGain));
    const auto& lx = FiltLXv;
    const auto& rx = FiltRXv;
    ext l = static_cast<ext>(lx[1]) + xl8;
    ext r = static_cast<ext>(rx[1]) + xr8;
    l += 8 * (static_cast<ext>(lx[2]) + lx[8]);
    r += 8 * (static_cast<ext>(rx[2]) + rx[8]);
    l += 28 * (static_cast<ext>(lx[3]) + lx[7]);
    r += 28 * (static_cast<ext>(rx[3]) + rx[7]);
    l += 56 * (static_cast<ext>(lx[4]) + lx[6]);
    r += 56 * (static_cast<ext>(rx[4]) + rx[6]);
    l += 70 * static_cast<ext>(lx[5]);
    r += 70 * static_cast<ext>(rx[5]);
    for (int k = 0; k < 8; ++k) {
        const ext b = kOutputFeedback[k];
        l += b * FiltLYv[k + 1];
        r += b * FiltRYv[k + 1];
    }
    left = static_cast<float>(l);
    right = static_cast<float>(r);
    shiftDown(FiltLXv);
    FiltLXv[8] = xl8;
    shiftDown(FiltLYv);
    FiltLYv[8] = left;
    shiftDown(FiltRXv);
    FiltRXv[8] = xr8;
    shiftDown(FiltRYv);
    FiltRYv[8] = right;
}

float Engine::FilterOutValSndL(float x)
{
    return outputLowPass(FiltLXv, FiltLYv, x);
}

float Engine::FilterOutValSndR(float x)
{
    return outputLowPass(FiltRXv, FiltRYv, x);
}

ext Engine::heartBeatSample()
{
    // The next period counts from the frame in which the beat is heard.
    if (HBeatIdx == 0)
        HBeatStart = SesSamplePos;
    const ext h = static_cast<ext>(m_samples.HeartBeatPcm[HBeatIdx]) * HBeatVol;
    if (HBeatIdx >= kHeartBeatLen - 1) {
        HBeatActive = false;
        HBeatIdx = 0;
    } else {
        ++HBeatIdx;
    }
    return h;
}

void Engine::backingFrame(int frame)
{
    // The generator runs on in every segment, whatever plays.
    // A fifth, as one division of floats (see GetNoiseVal).
    NoiseSample = GetNoiseVal() / 5.0f;

    switch (m_backing) {
    case 1:
        BackOut = {0, 0};
        break;
    case 2:
        BackOut = {NoiseSample, NoiseSample};
        break;
    case 3:
        // Between beats the value holds, the previous segment's included.
        if (HBeatActive) {
            const float h = static_cast<float>(heartBeatSample());
            BackOut = {h, h};
        }
        break;
    case 4:
    case 5: {
        const ext vol = BSWavVol;
        ext left = BSWavBuf[2 * frame] * vol;
        ext right = BSWavBuf[2 * frame + 1] * vol;
        if (m_backing == 5 && HBeatActive) {
            const ext h = heartBeatSample();
            left += h;
            right += h;
        }
        BackOut = {static_cast<float>(left), static_cast<float>(right)};
        break;
    }
    default:
        break;
    }
}
