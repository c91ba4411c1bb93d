// The four light pulse channels: phase accumulators driven by the beat
// frequencies, phase patterns and their changes and glides, duty and the
// trapezoid envelopes' triggers. All of it runs once per control block; the
// envelope counters move per frame (Engine::envelopeFrame in Engine.h).

#include <algorithm>

#include "engine/Engine.h"
#include "engine/SegParams.h"
#include "engine/ValueTables.h"

namespace {

constexpr int kToneTypes = 27;
constexpr int kFreq1 = 0;
constexpr int kFreq2 = 1;

/// Which beat frequency drives each channel, by row group of tone types.
constexpr std::uint8_t kGroupSources[6][kPulseChannels] = {
    {kFreq1, kFreq1, kFreq1, kFreq1}, // 0: 1-5, 10, 12, 14, 18, 20
    {kFreq1, kFreq2, kFreq1, kFreq2}, // 1: 6, 7, 9, 11, 13, 15, 21, 25, 27
    {kFreq1, kFreq1, kFreq2, kFreq2}, // 2: 8
    {kFreq1, kFreq2, kFreq1, kFreq1}, // 3: 16, 19, 22
    {kFreq1, kFreq2, kFreq2, kFreq2}, // 4: 17
    {kFreq1, kFreq1, kFreq1, kFreq2}, // 5: 23, 24, 26
};

/// Row group of tone types 1..27; entry 0 stands for "no tone type".
constexpr std::int8_t kToneGroup[kToneTypes + 1] = {
    -1,
    0, 0, 0, 0, 0, // 1-5
    1, 1, 2, 1, 0, // 6-10
    1, 0, 1, 0, 1, // 11-15
    3, 4, 0, 3, 0, // 16-20
    1, 3, 5, 5, 1, // 21-25
    5, 1,          // 26-27
};

int toneGroup(int tone)
{
    return tone >= 1 && tone <= kToneTypes ? kToneGroup[tone] : -1;
}

/// Channel 2 (right light) ran on Freq 2 under this tone type.
bool rightLightOnFreq2(int tone)
{
    const int g = toneGroup(tone);
    return g >= 0 && kGroupSources[g][kLightRight] == kFreq2;
}

/// What a segment change into tone type T aligns after a tone type that ran
/// the right light on Freq 2: nothing, the sound pair, or both pairs.
enum Align : std::uint8_t { kAlignNone, kAlignSound, kAlignBoth };
constexpr Align kAlignInto[kToneTypes + 1] = {
    kAlignNone,
    kAlignBoth,  kAlignBoth,  kAlignBoth,  kAlignBoth,  kAlignBoth,  // 1-5
    kAlignNone,  kAlignNone,  kAlignBoth,  kAlignSound, kAlignBoth,  // 6-10
    kAlignNone,  kAlignBoth,  kAlignNone,  kAlignBoth,  kAlignNone,  // 11-15
    kAlignSound, kAlignSound, kAlignBoth,  kAlignSound, kAlignBoth,  // 16-20
    kAlignNone,  kAlignSound, kAlignBoth,  kAlignBoth,  kAlignSound, // 21-25
    kAlignBoth,  kAlignSound,                                        // 26-27
};

/// Offsets of a phase pattern; a pattern outside 1..10 reads the empty row 0.
const std::array<float, kPulseChannels>& patternOffsets(const ValueTables& t, int pattern)
{
    return pattern >= 1 && pattern < static_cast<int>(t.PhaseTable.size()) ? t.PhaseTable[pattern] : t.PhaseTable[0];
}

const std::string& patternName(const ValueTables& t, int pattern)
{
    return pattern >= 1 && pattern < static_cast<int>(t.PhaseNames.size()) ? t.PhaseNames[pattern] : t.PhaseNames[0];
}

void alignPair(std::array<float, kPulseChannels>& phase, int a, int b)
{
    phase[a] = phase[b] = std::min(phase[a], phase[b]);
}

} // namespace

void Engine::resetPulseChannels()
{
    LightPhase.fill(0);
    ModPhase = 0;
    PulseOn.fill(false);
    ASEnvState.fill(kEnvSteady);
    ASEnvCount.fill(0);
    PulseFlags.fill(false);
    ChannelEnabled.fill(true);
    // Derived values, cleared too so that every run starts from the same state;
    // a tone type outside 1..27 thus keeps increments of 0 until a valid one.
    PulseEdges.fill(0);
    PulseInc.fill(0);
    FreqInc.fill(0);
    ASEnv.fill(0);
    GateEnv.fill(0);
}

void Engine::SetPhaseType()
{
    const int a = ActSegment;
    const TSegRec& r = m_session.Segments[a];
    const auto& offsets = patternOffsets(m_tables, PhaseType);
    const std::string& name = patternName(m_tables, PhaseType);

    if (r.Phase & kRampFlag) {
        PhaseRamping = true;
        DisplayTexts[dPhase].assign(name).append(" R");
        // The glide spans the segment, or one phase-change period (which the
        // length factor does not scale); other PhaseChange values keep the step.
        std::int64_t frames;
        if (r.PhaseChange == 1)
            frames = m_session.SegEnd[a] - m_session.SegEnd[a - 1];
        else if (r.PhaseChange >= 2 && r.PhaseChange <= 8)
            frames = static_cast<std::int64_t>(m_params.SegPhaseChangeSecs[a]) * kFrameRate;
        else
            return;
        for (int c = 0; c < kPulseChannels; ++c) {
            if (frames > 0) {
                PhaseStep[c] = static_cast<float>((static_cast<ext>(offsets[c]) - static_cast<ext>(CurPhase[c])) /
                                                  static_cast<ext>(frames));
            } else {
                // Nothing to glide over: the pattern holds at once.
                CurPhase[c] = offsets[c];
                PhaseStep[c] = 0;
            }
        }
        return;
    }

    PhaseRamping = false;
    CurPhase = offsets;
    DisplayTexts[dPhase].assign(name);
    // The alternation follows the record's pattern, not a toggled partner.
    if (r.Phase >= 1 && r.Phase <= 8) {
        AltPhase = false;
    } else if (r.Phase == 9 || r.Phase == 10) {
        AltPhase = true;
        const bool lightsNow = ChannelEnabled[kLightLeft];
        ChannelEnabled[kLightRight] = lightsNow;
        ChannelEnabled[kSoundLeft] = !lightsNow;
        ChannelEnabled[kSoundRight] = !lightsNow;
    }
}

void Engine::pulseGlideAndIncrements()
{
    // Phase glide, unclamped: the next SetPhaseType replaces it just as it
    // reaches the pattern.
    if (PhaseRamping) {
        for (int c = 0; c < kPulseChannels; ++c)
            CurPhase[c] = static_cast<float>(static_cast<ext>(CurPhase[c]) + 16 * static_cast<ext>(PhaseStep[c]));
    }
    // Thousandths of a period per block.
    FreqInc[kFreq1] = static_cast<float>(static_cast<ext>(CurFreq1) / 44.1L * 16);
    FreqInc[kFreq2] = static_cast<float>(static_cast<ext>(CurFreq2) / 44.1L * 16);
    // Channel frequencies by tone type; no tone type keeps the last ones.
    const int g = toneGroup(m_session.Segments[ActSegment].Tone);
    if (g >= 0) {
        for (int c = 0; c < kPulseChannels; ++c)
            PulseInc[c] = FreqInc[kGroupSources[g][c]];
    }
}

void Engine::pulsePhaseChange()
{
    const std::int32_t secs = m_params.SegPhaseChangeSecs[ActSegment];
    if (secs <= 0)
        return;
    const std::int64_t n = SegSamplePos / (static_cast<std::int64_t>(secs) * kFrameRate);
    if (n > PhaseChangeCount) {
        PhaseChangeCount = n;
        // Partners: 1 and 2, 3 and 4, ... 9 and 10.
        if (PhaseType >= 1 && PhaseType <= 10)
            PhaseType += PhaseType % 2 ? 1 : -1;
        SetPhaseType();
    }
}

void Engine::pulseEdges()
{
    const int a = ActSegment;

    // Duty.
    if (DutyRamping)
        CurDutyCycle = static_cast<float>(static_cast<ext>(DutyRampDelta) * static_cast<ext>(SegProgress) +
                                          static_cast<ext>(m_params.SegDutyCycle[a - 1]));
    PulseDuty.fill(CurDutyCycle);

    // Periods and the off-time limit: the gap between pulses always holds
    // the envelope's fall plus 10 frames. A channel without a positive
    // frequency has no period and starts no pulse (negative duty).
    for (int c = 0; c < kPulseChannels; ++c) {
        if (!(PulseInc[c] > 0)) {
            PeriodSamples[c] = 0;
            PulseDuty[c] = -1;
            continue;
        }
        PeriodSamples[c] = static_cast<float>(16 * 1000 / static_cast<ext>(PulseInc[c]));
        const ext period = PeriodSamples[c];
        if ((1 - static_cast<ext>(PulseDuty[c])) * period < ASRampLen + 10)
            PulseDuty[c] = static_cast<float>((period - ASRampLen - 10) / period);
    }

    // Advance.
    for (int c = 0; c < kPulseChannels; ++c)
        LightPhase[c] = static_cast<float>(static_cast<ext>(LightPhase[c]) + static_cast<ext>(PulseInc[c]));
    ModPhase = static_cast<float>(static_cast<ext>(ModPhase) + static_cast<ext>(FreqInc[kFreq2]));
    if (ModPhase >= 1000)
        ModPhase = static_cast<float>(static_cast<ext>(ModPhase) - 1000);

    // Period wrap.
    for (int c = 0; c < kPulseChannels; ++c) {
        if (LightPhase[c] < 1000)
            continue;
        float& off = PulseEdges[endEdge(c)];
        // A pulse still rising at the wrap past its end falls from 1.
        if (PulseOn[c] && LightPhase[c] >= off && !PulseFlags[endEdge(c)]) {
            ASEnvState[c] = kEnvFalling;
            ASEnvCount[c] = ASRampLen;
        }
        LightPhase[c] = static_cast<float>(static_cast<ext>(LightPhase[c]) - 1000);
        PulseFlags[startEdge(c)] = false;
        PulseFlags[endEdge(c)] = false;
        ChannelEnabled[c] = AltPhase ? !ChannelEnabled[c] : true;
        // A pulse that runs over the period boundary ends in the new period.
        if (off >= 1000)
            off = static_cast<float>(static_cast<ext>(off) - 1000);
    }

    // Edges and pulses.
    for (int c = 0; c < kPulseChannels; ++c)
        PulseEdges[startEdge(c)] = static_cast<float>(static_cast<ext>(CurPhase[c]) * 1000);
    for (int c = 0; c < kPulseChannels; ++c) {
        const float on = PulseEdges[startEdge(c)];
        float& off = PulseEdges[endEdge(c)];
        if (!PulseOn[c]) {
            if (LightPhase[c] >= on && !PulseFlags[startEdge(c)] && ChannelEnabled[c]) {
                PulseOn[c] = true;
                ASEnvState[c] = kEnvRising;
                ASEnvCount[c] = 0;
                PulseFlags[startEdge(c)] = true;
                off = static_cast<float>((static_cast<ext>(CurPhase[c]) + static_cast<ext>(PulseDuty[c])) * 1000);
                // The whole pulse lies behind the phase already: dropped.
                if (off < LightPhase[c]) {
                    PulseOn[c] = false;
                    ASEnvState[c] = kEnvSteady;
                }
                PulseFlags[endEdge(c)] = false;
                if (c == kSoundLeft || c == kSoundRight)
                    soundPulseStart(c);
            }
        } else if (LightPhase[c] >= off && ASEnvState[c] == kEnvSteady && !PulseFlags[endEdge(c)]) {
            ASEnvState[c] = kEnvFalling;
            ASEnvCount[c] = ASRampLen;
            PulseFlags[endEdge(c)] = true;
            // No second pulse in this period.
            if (off > on)
                PulseFlags[startEdge(c)] = true;
        }
    }
}

void Engine::pulseSegmentChange(int prevTone, int tone)
{
    // A. After a tone type that ran the right light on Freq 2, channels that
    // now share a frequency start from the same (the smaller) phase.
    if (rightLightOnFreq2(prevTone) && tone >= 1 && tone <= kToneTypes) {
        const Align align = kAlignInto[tone];
        if (align == kAlignBoth)
            alignPair(LightPhase, kLightLeft, kLightRight);
        if (align == kAlignBoth || align == kAlignSound)
            alignPair(LightPhase, kSoundLeft, kSoundRight);
    }
    // B.
    ModPhase = LightPhase[kSoundRight];
    // C.
    PhaseChangeCount = 0;
    PhaseType = m_session.Segments[ActSegment].Phase & 0x7F;
    SetPhaseType();
}

void Engine::pulseDutyChange()
{
    // D.
    const int a = ActSegment;
    if (m_session.Segments[a].DutyCycle > kRampFlag) {
        DutyRamping = true;
        DutyRampDelta = static_cast<float>(static_cast<ext>(m_params.SegDutyCycle[a]) -
                                           static_cast<ext>(m_params.SegDutyCycle[a - 1]));
    } else {
        DutyRamping = false;
    }
    CurDutyCycle = m_params.SegDutyCycle[a];
}
