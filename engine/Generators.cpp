// The four wave-table sound generators: output modes, balance and pitch rules
// by tone type, the click-free switch into a new segment, and the per-frame
// generator steps (pitch, read and advance, live noise, outputs, extra AM).

#include "engine/Generators.h"

#include <cmath>

#include "engine/Engine.h"
#include "engine/SampleTables.h"
#include "engine/SegParams.h"

std::array<float, 1001> ModSineTable{};

void BuildModSineTable()
{
    static bool built = false;
    if (built)
        return;
    for (int i = 0; i <= 1000; ++i)
        ModSineTable[i] = static_cast<float>(std::sin(static_cast<ext>(i) * 0.0062831853071795865L));
    built = true;
}

float TwoToX(float x)
{
    return static_cast<float>(std::exp(static_cast<ext>(x) * 0.693147180559945309417232121458176568L));
}

namespace {

constexpr int kToneTypes = 27;

bool isTone(int tone)
{
    return tone >= 1 && tone <= kToneTypes;
}

/// Tone types whose SG1 follows the sound pulses.
bool gated(int tone)
{
    return tone == 1 || tone == 2 || tone == 7 || (tone >= 16 && tone <= 19);
}

/// Output modes of SG1 and SG2 by tone type. Row 0 is any tone type outside
/// 1..27: silent.
constexpr std::array<std::array<SGOutputMode, 2>, kToneTypes + 1> kModes = [] {
    struct Row {
        std::initializer_list<int> tones;
        SGOutputMode sg1, sg2;
    };
    const Row rows[] = {
        {{1}, kSGGatedWave, kSGOff},
        {{2, 7, 16, 17, 18, 19}, kSGGatedWave, kSGGatedWave},
        {{3, 23}, kSGWave, kSGOff},
        {{4, 5, 6, 9, 24, 25, 26, 27}, kSGWave, kSGWave},
        {{8}, kSGWave, kSGGatedWave},
        {{10, 11}, kSGGatedToneWav, kSGOff},
        {{12, 13}, kSGToneWavAM, kSGOff},
        {{14, 15, 20, 21, 22}, kSGWaveAM, kSGWaveAM},
    };
    std::array<std::array<SGOutputMode, 2>, kToneTypes + 1> t{};
    for (const Row& r : rows)
        for (int tone : r.tones)
            t[tone] = {r.sg1, r.sg2};
    return t;
}();

const SGOutputMode* modesOf(int tone)
{
    return kModes[isTone(tone) ? tone : 0].data();
}

/// Gains of SG1 and SG2 by SGVol 1..13 and the automation that starts when a
/// switch completes (0 none).
struct Balance {
    float sg1, sg2;
    SGSwapKind swapMode;
};
constexpr Balance kBalance[14] = {
    {0, 0, kSwapNone},
    {0, 1, kSwapToSG1},
    {1, 0, kSwapToSG2},
    {0, 1, kSwapToSG1Timed},
    {1, 0, kSwapToSG2Timed},
    {0.5f, 0.5f, kSwapNone},
    {4.0f / 7, 3.0f / 7, kSwapNone},
    {2.0f / 3, 1.0f / 3, kSwapNone},
    {0.8f, 0.2f, kSwapNone},
    {1, 0, kSwapNone},
    {3.0f / 7, 4.0f / 7, kSwapNone},
    {1.0f / 3, 2.0f / 3, kSwapNone},
    {0.2f, 0.8f, kSwapNone},
    {0, 1, kSwapNone},
};
constexpr std::int64_t kTimedSwap = 220500; // five seconds

bool isBalance(int sgvol)
{
    return sgvol >= 1 && sgvol <= 13;
}

/// SGVol choices whose balance leans on SG1 (a) or on SG2 (b): between two
/// of a kind the silent generator takes over the audible one's position.
bool leansSg1(int v)
{
    return v == 1 || v == 3 || (v >= 6 && v <= 9);
}
bool leansSg2(int v)
{
    return v == 2 || v == 4 || (v >= 10 && v <= 13);
}

// Modulation sources of the AM and FM factors, the second index of m_am/m_fm.
constexpr std::uint8_t kMod = 0; // ModPhase
constexpr std::uint8_t kLP1 = 1; // LightPhase[1], the right light
constexpr std::uint8_t kLP2 = 2; // LightPhase[2], the left sound channel
constexpr std::uint8_t kLP3 = 3; // LightPhase[3], the right sound channel
constexpr std::uint8_t kNoSource = 4;

// Pitch bases.
constexpr std::uint8_t kNoRule = 0; // the step stays as it is
constexpr std::uint8_t kB1 = 1;     // Pitch 1
constexpr std::uint8_t kB2 = 2;     // Pitch 2
constexpr std::uint8_t kSg1 = 3;    // this side's SG1 step
// Binaural offsets.
constexpr std::uint8_t kF1 = 1; // + 0.1 x CurFreq1
constexpr std::uint8_t kF2 = 2; // + 0.1 x CurFreq2

/// A generator's step: FM(fm) x (base + offset).
struct PitchRule {
    std::uint8_t base = kNoRule;
    std::uint8_t add = 0;
    std::uint8_t fm = kNoSource;
};
using PitchRow = std::array<PitchRule, kToneTypes + 1>;

struct ToneRule {
    std::initializer_list<int> tones;
    PitchRule rule;
};

constexpr PitchRow pitchRow(std::initializer_list<ToneRule> rules)
{
    PitchRow row{};
    for (const ToneRule& r : rules)
        for (int tone : r.tones)
            row[tone] = r.rule;
    return row;
}

constexpr PitchRow kPitchRules[4] = {
    // SG1 left
    pitchRow({{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}, {kB1}},
              {{18, 20}, {kB1, 0, kMod}},
              {{19, 22}, {kB1, 0, kLP1}},
              {{21}, {kB1, 0, kLP2}},
              {{23, 24, 25, 26, 27}, {kB1, 0, kLP3}}}),
    // SG1 right
    pitchRow({{{1, 2, 7, 14, 15, 16, 17}, {kB1}},
              {{3, 4, 5, 8, 9}, {kB1, kF1}},
              {{6}, {kB2}},
              {{18, 20}, {kB1, 0, kMod}},
              {{19, 22}, {kB1, 0, kLP1}},
              {{21}, {kB1, 0, kLP3}},
              {{23, 24, 25, 26, 27}, {kB1, kF1, kLP3}}}),
    // SG2 left
    pitchRow({{{1, 2, 3, 5, 7, 8, 9, 14, 15, 16, 17}, {kB2}},
              {{4}, {kB2, kF2}},
              {{6}, {kSg1, kF1}},
              {{18, 20}, {kB2, 0, kMod}},
              {{19, 22}, {kB2, 0, kLP1}},
              {{21, 23, 24, 25}, {kB2, 0, kLP2}},
              {{26, 27}, {kB2, kF2, kLP2}}}),
    // SG2 right
    pitchRow({{{1, 2, 4, 7, 8, 14, 15, 16, 17}, {kB2}},
              {{3, 5, 9}, {kB2, kF2}},
              {{6}, {kSg1, kF2}},
              {{18, 20}, {kB2, 0, kMod}},
              {{19, 22}, {kB2, 0, kLP1}},
              {{21}, {kB2, 0, kLP3}},
              {{23, 24, 25}, {kB2, kF2, kLP2}},
              {{26, 27}, {kB2, 0, kLP2}}}),
};

/// Extra AM source of SG1 and SG2 outputs by tone type.
constexpr std::array<std::array<std::uint8_t, 2>, kToneTypes + 1> kExtraAm = [] {
    std::array<std::array<std::uint8_t, 2>, kToneTypes + 1> t{};
    for (auto& sources : t)
        sources = {kNoSource, kNoSource};
    t[18] = {kMod, kMod};
    t[19] = {kLP1, kLP1};
    for (int tone = 23; tone <= 27; ++tone)
        t[tone] = {kLP3, kLP2};
    return t;
}();

const WaveTable kSilentWave{};

/// Keeps a read position inside the table. A valid pitch needs one
/// subtraction at most; a step of a whole table or more, a negative step
/// (relative pitch below zero on unset records) or a runaway value must not
/// read outside it either.
float wrapSlow(float p)
{
    if (!(p > -1e7f && p < 1e7f))
        return 0;
    while (p >= kWaveLen)
        p -= kWaveLen;
    while (p < 0)
        p += kWaveLen; // may round up to kWaveLen itself, a valid index
    return p;
}

inline float wrapPhase(float p)
{
    if (p >= kWaveLen) [[unlikely]] {
        p -= kWaveLen;
        if (p >= kWaveLen)
            p = wrapSlow(p);
    } else if (p < 0) [[unlikely]] {
        p = wrapSlow(p);
    }
    return p;
}

} // namespace

// ---- Run start and segment change ------------------------------------------

void Engine::soundReset()
{
    const TSegRec& r = m_session.Segments[1];
    SGPhase.fill(0);
    const std::uint8_t w1 = r.Wave1 & 0x7F;
    const std::uint8_t w2 = r.Wave2 & 0x7F;
    SGWave = {w1, w1, w2, w2};
    WaveRamping.fill(false);
    PitchMode.fill(1);
    const SGOutputMode* modes = modesOf(r.Tone);
    SGMode = {modes[0], modes[0], modes[1], modes[1]};
    SGSwitchPending = false;
    SGSwitchStateL = SGSwitchStateR = kSwitchDone;
    SGSwitched.fill(false);
    // Tone types 10-13 never compute SG1 right and SG2, and a pending switch
    // waits for zero crossings that a frozen phase never reaches: every
    // generator starts at its own pitch of segment 1.
    SGStep = {m_params.SegPitch1[1], m_params.SegPitch1[1], m_params.SegPitch2[1], m_params.SegPitch2[1]};
    ASCarrierPos = 0;
    // A run starting on the heart beat would otherwise hold the last run's
    // value as DC, and a beat cut by the stop would resume mid-sample.
    BackOut.fill(0);
    HBeatActive = false;
    HBeatIdx = 0;
}

void Engine::soundBalanceReset()
{
    const int v = m_session.Segments[1].SGVol;
    SGSwapMode = kSwapNone;
    SGSwapCounter = SGSwapLen = 0;
    m_balanceLenPending = false;
    // An unset choice starts silent rather than with the last run's gains.
    const Balance b = isBalance(v) ? kBalance[v] : kBalance[0];
    SG1VolL = SG1VolR = SG1VolTarget = b.sg1;
    SG2VolL = SG2VolR = SG2VolTarget = b.sg2;
    SGSwapMode = isBalance(v) ? b.swapMode : kSwapNone;
    if (SGSwapMode == kSwapToSG2Timed || SGSwapMode == kSwapToSG1Timed)
        SGSwapCounter = kTimedSwap;
    // The transport rewrites SegEnd at the length factor after this reset:
    // the sweep over segment 1 takes its length when the first block renders.
    m_balanceLenPending = SGSwapMode == kSwapToSG2 || SGSwapMode == kSwapToSG1;
}

void Engine::soundSegmentChange(int prevTone)
{
    const int a = ActSegment;
    const TSegRec& r = m_session.Segments[a];
    const TSegRec& before = m_session.Segments[a - 1];
    const int tone = r.Tone;

    PitchMode.fill(0);
    WaveRamping.fill(false);
    const std::uint8_t w1 = before.Wave1 & 0x7F;
    const std::uint8_t w2 = before.Wave2 & 0x7F;
    PrevWave = {w1, w1, w2, w2};
    SGSwapMode = kSwapNone; // a running automation stops where it is
    SGSwitchPending = true;

    if (gated(tone) && gated(prevTone)) {
        SGSwitchStateL = SGSwitchStateR = kSwitchAtPulse;
    } else if (gated(tone) && prevTone != 8) {
        // Into a gated tone: fall silent at the zero crossings, switch at the
        // next pulse onset. A previous tone outside 1..27 played nothing, like
        // any ungated one.
        SGSwitchStateL = SGSwitchStateR = kSwitchMuteFirst;
    } else {
        // A silent generator has no zero crossing worth waiting for: the side
        // follows the audible one.
        const auto byGains = [](float sg1, float sg2) {
            if (static_cast<ext>(sg1) < 0.05L)
                return kSwitchAtSG2Zero;
            if (static_cast<ext>(sg2) < 0.05L)
                return kSwitchAtSG1Zero;
            return kSwitchEachAtZero;
        };
        SGSwitchStateL = byGains(SG1VolL, SG2VolL);
        SGSwitchStateR = byGains(SG1VolR, SG2VolR);
    }
    SGSwitched.fill(false);
}

void Engine::soundBalanceTargets()
{
    const int v = m_session.Segments[ActSegment].SGVol;
    if (!isBalance(v))
        return;
    SG1VolTarget = kBalance[v].sg1;
    SG2VolTarget = kBalance[v].sg2;
}

void Engine::soundPulseStart(int channel)
{
    if (channel == kSoundLeft && SGSwitchStateL == kSwitchAtPulse)
        ChangeSGParamsL();
    else if (channel == kSoundRight && SGSwitchStateR == kSwitchAtPulse)
        ChangeSGParamsR();
}

void Engine::soundBufferStart()
{
    if (!m_fmBuilt || FMDepth != m_fmDepth) {
        for (int i = 0; i < 1000; ++i)
            m_fmTable[i] = TwoToX(static_cast<float>(static_cast<ext>(ModSineTable[i]) * FMDepth));
        m_fmDepth = FMDepth;
        m_fmBuilt = true;
    }
    if (m_balanceLenPending) {
        m_balanceLenPending = false;
        SGSwapLen = SGSwapCounter = m_session.SegEnd[1] - SesSamplePos;
    }
    // Between buffers the windows and the reset may change anything a plan
    // is made from.
    m_planStale = true;
    carrierTable();
}

void Engine::soundBlockStart()
{
    if (m_planStale) {
        for (int g = 0; g < 4; ++g)
            planGenerator(g);
        m_planStale = false;
    }
    const TSegRec& r = m_session.Segments[ActSegment];
    m_backing = r.BackingSound;
    const auto& extra = kExtraAm[isTone(r.Tone) ? r.Tone : 0];

    // CurPhase, the phases and the depths move only between blocks, so every
    // factor the frames need is worked out here, exactly as a frame would.
    // Only a pending switch can bring in a mode or pitch rule that uses them
    // during the block.
    bool modulated = SGSwitchPending || extra[0] != kNoSource;
    for (int g = 0; g < 4; ++g)
        modulated = modulated || m_pitch[g].fm != kNoSource || SGMode[g] == kSGWaveAM || SGMode[g] == kSGToneWavAM;
    if (modulated) {
        const float sources[4] = {ModPhase, LightPhase[1], LightPhase[2], LightPhase[3]};
        const ext depth = AMDepth;
        const ext base = AMBase;
        for (int side = 0; side < 2; ++side) {
            const ext offset = static_cast<ext>(CurPhase[kSoundLeft + side]) * 1000;
            for (int k = 0; k < 4; ++k) {
                // Floor modulo: an unclamped phase glide can undershoot 0.
                std::int64_t i = roundEven(offset + sources[k]) % 1000;
                if (i < 0)
                    i += 1000;
                m_am[side][k] = static_cast<ext>(ModSineTable[i]) * depth + base;
                m_fm[side][k] = m_fmTable[i];
            }
        }
    }
    m_hasExtraAm = extra[0] != kNoSource;
    if (m_hasExtraAm)
        for (int g = 0; g < 4; ++g)
            m_extraAm[g] = m_am[g & 1][extra[g < 2 ? 0 : 1]];

    // Without a volume/intensity ramp CurIntensity holds for the block.
    m_rampBlock = VolRamping;
    if (!m_rampBlock)
        m_carrierScale = static_cast<ext>(CurIntensity) * ASIntensitySpan + ASZeroLevel;

    blockSteps();
}

// ---- Balance automation and switch steps ------------------------------------

float& Engine::gain(int g)
{
    switch (g) {
    case 0:
        return SG1VolL;
    case 1:
        return SG1VolR;
    case 2:
        return SG2VolL;
    default:
        return SG2VolR;
    }
}

void Engine::balanceAutomation()
{
    const auto set = [this](ext sg1, ext sg2) {
        SG1VolL = SG1VolR = static_cast<float>(sg1);
        SG2VolL = SG2VolR = static_cast<float>(sg2);
    };
    switch (SGSwapMode) {
    case kSwapToSG2:
        if (SGSwapCounter < 1) {
            set(0, 1);
            SGSwapMode = kSwapNone;
        } else {
            --SGSwapCounter;
            const ext f = static_cast<ext>(SGSwapCounter) / static_cast<ext>(SGSwapLen);
            set(f, 1 - f);
        }
        break;
    case kSwapToSG1:
        if (SGSwapCounter < 1) {
            set(1, 0);
            SGSwapMode = kSwapNone;
        } else {
            --SGSwapCounter;
            const ext f = static_cast<ext>(SGSwapCounter) / static_cast<ext>(SGSwapLen);
            set(1 - f, f);
        }
        break;
    case kSwapToSG2Timed:
        if (SGSwapCounter < 1) {
            set(0, 1);
            SGSwapMode = kSwapNone;
        } else {
            --SGSwapCounter;
            const ext f = static_cast<ext>(SGSwapCounter) / kTimedSwap;
            set(f, 1 - f);
        }
        break;
    case kSwapToSG1Timed:
        if (SGSwapCounter > 0) {
            --SGSwapCounter;
            const ext f = static_cast<ext>(SGSwapCounter) / kTimedSwap;
            set(1 - f, f);
        } else {
            set(1, 0);
            SGSwapMode = kSwapNone;
        }
        break;
    case kSwapNone:
        break;
    }
}

void Engine::startAutomation()
{
    const int v = m_session.Segments[ActSegment].SGVol;
    if (!isBalance(v))
        return;
    SGSwapMode = kBalance[v].swapMode;
    if (SGSwapMode == kSwapToSG2 || SGSwapMode == kSwapToSG1)
        SGSwapLen = SGSwapCounter = m_session.SegEnd[ActSegment] - SesSamplePos;
    else if (SGSwapMode != kSwapNone)
        SGSwapCounter = kTimedSwap;
}

bool Engine::atZeroCrossing(int g) const
{
    // Just past position 0 or the half period; the step is the last frame's.
    const ext p = SGPhase[g];
    const ext step = SGStep[g];
    return p < step || (p > 2204 && p < 2205 + step);
}

void Engine::applySwitch(int g)
{
    const int a = ActSegment;
    const TSegRec& r = m_session.Segments[a];
    const bool sg1 = g < 2;
    const bool right = (g & 1) != 0;
    gain(g) = sg1 ? SG1VolTarget : SG2VolTarget;
    // Tone type 6 plays Pitch 2 on SG1 right and follows Pitch 1 on SG2 left.
    const bool pitch1 = r.Tone == 6 ? !right : sg1;
    PitchMode[g] = pitch1 ? m_params.Pitch1Mode[a] : m_params.Pitch2Mode[a];
    SGMode[g] = modesOf(r.Tone)[sg1 ? 0 : 1];
    const std::uint8_t wave = sg1 ? r.Wave1 : r.Wave2;
    if (wave > kRampFlag)
        WaveRamping[g] = true;
    SGWave[g] = wave & 0x7F;
    planGenerator(g);
    blockSteps();
}

void Engine::changeSide(int side)
{
    const int a = ActSegment;
    applySwitch(side);
    applySwitch(side + 2);
    SGSwitchState& state = side == 0 ? SGSwitchStateL : SGSwitchStateR;
    const SGSwitchState other = side == 0 ? SGSwitchStateR : SGSwitchStateL;
    state = kSwitchDone;
    const int before = m_session.Segments[a - 1].SGVol;
    const int now = m_session.Segments[a].SGVol;
    if (leansSg1(before) && leansSg1(now))
        SGPhase[side + 2] = SGPhase[side];
    else if (leansSg2(before) && leansSg2(now))
        SGPhase[side] = SGPhase[side + 2];
    if (other == kSwitchDone) {
        SGSwitchPending = false;
        startAutomation();
    }
}

void Engine::ChangeSGParamsL()
{
    changeSide(0);
}

void Engine::ChangeSGParamsR()
{
    changeSide(1);
}

void Engine::switchSide(int side, SGSwitchState& state)
{
    const int g1 = side;
    const int g2 = side + 2;
    switch (state) {
    case kSwitchEachAtZero:
    case kSwitchMuteFirst:
        for (int g : {g1, g2}) {
            if (!SGSwitched[g] && atZeroCrossing(g)) {
                if (state == kSwitchEachAtZero)
                    applySwitch(g);
                else
                    gain(g) = 0;
                SGSwitched[g] = true;
            }
        }
        if (SGSwitched[g1] && SGSwitched[g2]) {
            if (state == kSwitchMuteFirst) {
                state = kSwitchAtPulse;
            } else {
                state = kSwitchDone;
                if (SGSwitchStateL == kSwitchDone && SGSwitchStateR == kSwitchDone) {
                    SGSwitchPending = false;
                    startAutomation();
                }
            }
        }
        break;
    case kSwitchAtSG1Zero:
        if (atZeroCrossing(g1))
            changeSide(side);
        break;
    case kSwitchAtSG2Zero:
        if (atZeroCrossing(g2))
            changeSide(side);
        break;
    case kSwitchDone:
    case kSwitchAtPulse: // completes at the side's next sound pulse onset
        break;
    }
}

void Engine::switchSteps()
{
    switchSide(0, SGSwitchStateL);
    switchSide(1, SGSwitchStateR);
}

// ---- Per-frame generator steps ---------------------------------------------

namespace {

// Kinds of PitchPlan.
constexpr std::uint8_t kUnchanged = 0; // a plan's start value: the step stays as it is
constexpr std::uint8_t kFixed = 1;    // base
constexpr std::uint8_t kRamp = 2;     // base + slope x SegProgress
constexpr std::uint8_t kRelative = 3; // SG1 step + base
constexpr std::uint8_t kFollow = 4;   // SG1 step
constexpr std::uint8_t kConstant = 5; // base, with no offset or FM

} // namespace

void Engine::planGenerator(int g)
{
    const int a = ActSegment;
    const int prev = a - 1;
    const SegParams& p = m_params;
    const auto table = [this](int wave) {
        return wave >= 1 && wave <= kWaveTables ? m_samples.WaveTables[wave].data() : kSilentWave.data();
    };
    m_wave[g] = table(SGWave[g]);
    m_prevWave[g] = table(PrevWave[g]);

    PitchPlan& plan = m_pitch[g];
    plan = PitchPlan{};
    const int mode = PitchMode[g];
    const int rowTone = m_session.Segments[mode == 0 ? prev : a].Tone;
    if (!isTone(rowTone) || mode > 3)
        return;
    const PitchRule rule = kPitchRules[g][rowTone];
    const auto set = [&](std::uint8_t kind, float base, float slope = 0) {
        plan.kind = kind;
        plan.base = base;
        plan.slope = slope;
        plan.add = rule.add;
        plan.fm = rule.fm;
    };
    switch (rule.base) {
    case kB1:
        if (mode == 0)
            set(kFixed, p.SegPitch1[prev]);
        else if (mode == 1)
            set(kFixed, p.SegPitch1[a]);
        else if (mode == 2)
            set(kRamp, p.SegPitch1[prev], p.Pitch1Delta[a]);
        break; // relative: no rule, the step stays
    case kB2:
        if (mode == 0)
            set(kFixed, p.SegPitch2[prev]);
        else if (mode == 1)
            set(kFixed, p.SegPitch2[a]);
        else if (mode == 2)
            set(kRamp, p.SegPitch2[prev], p.Pitch2Delta[a]);
        else
            set(kRelative, p.Pitch2Offset[a]);
        plan.rel = g == 3 ? 1 : 0; // the relative pitch follows SG1 left, or SG1 right for SG2 right
        break;
    case kSg1:
        if (mode == 0)
            set(kFixed, g == 2 ? p.SegPitch1[prev] : p.SegPitch2[prev]);
        else
            set(kFollow, 0);
        plan.rel = static_cast<std::uint8_t>(g - 2);
        break;
    default:
        break;
    }
    if (plan.kind == kFixed && plan.add == 0 && plan.fm == kNoSource)
        plan.kind = kConstant;
}

template <int g>
inline float& Engine::gainOf()
{
    if constexpr (g == 0)
        return SG1VolL;
    else if constexpr (g == 1)
        return SG1VolR;
    else if constexpr (g == 2)
        return SG2VolL;
    else
        return SG2VolR;
}

/// The binaural offset and the FM of a plan, applied to its base step.
inline float Engine::offsetAndFm(const PitchPlan& plan, int side, ext step) const
{
    if (plan.add == kF1)
        step += 0.1L * CurFreq1;
    else if (plan.add == kF2)
        step += 0.1L * CurFreq2;
    if (plan.fm != kNoSource)
        step = m_fm[side][plan.fm] * step;
    return static_cast<float>(step);
}

void Engine::blockSteps()
{
    // A beat frequency that does not glide in this segment is the same in
    // every frame (start + 0 x progress), and so are the FM factors of the
    // block: then every rule but the ramp gives one step for the block. A
    // relative step is fixed when the SG1 it follows is fixed or keeps its
    // step; generator order puts that SG1 first.
    const int a = ActSegment;
    const bool glides1 = !(m_params.SegFreq1Start[a] == m_params.SegFreq1End[a]);
    const bool glides2 = !(m_params.SegFreq2Start[a] == m_params.SegFreq2End[a]);
    bool perFrame = false;
    bool plain = true;
    for (int g = 0; g < 4; ++g) {
        PitchPlan& plan = m_pitch[g];
        const bool gliding = (plan.add == kF1 && glides1) || (plan.add == kF2 && glides2);
        plan.fixed = false;
        if (plan.kind == kConstant) {
            plan.fixed = true;
            plan.step = plan.base;
        } else if (plan.kind == kFixed && !gliding) {
            plan.fixed = true;
            plan.step = offsetAndFm(plan, g & 1, plan.base);
        } else if ((plan.kind == kRelative || plan.kind == kFollow) && !gliding) {
            const PitchPlan& sg1 = m_pitch[plan.rel];
            if (sg1.fixed || sg1.kind == kUnchanged) {
                const float sg1Step = sg1.fixed ? sg1.step : SGStep[plan.rel];
                plan.fixed = true;
                plan.step = offsetAndFm(plan, g & 1,
                                        plan.kind == kRelative ? static_cast<ext>(sg1Step) + plan.base
                                                               : static_cast<ext>(sg1Step));
            }
        }
        perFrame = perFrame || plan.kind == kRamp || gliding || WaveRamping[g];
        plain = plain && SGMode[g] == kSGWave && !WaveRamping[g];
    }
    m_positionPerFrame = perFrame;
    m_plainOutputs = plain;
}

template <int g>
inline void Engine::pitchStep(ext progress)
{
    const PitchPlan& plan = m_pitch[g];
    if (plan.fixed) {
        SGStep[g] = plan.step;
        return;
    }
    ext step;
    if (plan.kind == kFixed)
        step = plan.base;
    else if (plan.kind == kRamp)
        step = plan.base + static_cast<ext>(plan.slope) * progress;
    else if (plan.kind == kRelative)
        step = static_cast<ext>(SGStep[plan.rel]) + plan.base;
    else if (plan.kind == kFollow)
        step = SGStep[plan.rel];
    else
        return;
    SGStep[g] = offsetAndFm(plan, g & 1, step);
}

template <int g>
inline void Engine::outputStep(int frame, ext progress)
{
    constexpr int side = g & 1;
    const int pos = WavePos[g];
    const float v = gainOf<g>();
    const auto wave = [&]() -> ext {
        if (WaveRamping[g])
            return (1 - progress) * m_prevWave[g][pos] + progress * m_wave[g][pos];
        return m_wave[g][pos];
    };
    // AM of the generator's own sound channel.
    const auto am = [&] { return m_am[side][side == 0 ? kLP2 : kLP3]; };
    const SGOutputMode mode = SGMode[g];
    if (mode == kSGWave) {
        // One product of two floats rounds the same in float as in long double.
        if (!WaveRamping[g])
            SGOut[g] = static_cast<float>(m_wave[g][pos]) * v;
        else
            SGOut[g] = static_cast<float>(wave() * v);
    } else if (mode == kSGGatedWave) {
        SGOut[g] = static_cast<float>(wave() * v * GateEnv[side]);
    } else if (mode == kSGWaveAM) {
        SGOut[g] = static_cast<float>(am() * wave() * v);
    } else if (mode == kSGGatedToneWav) {
        SGOut[g] = static_cast<float>(static_cast<ext>(ToneWavBuf[2 * frame + side]) * v * GateEnv[side]);
    } else if (mode == kSGToneWavAM) {
        SGOut[g] = static_cast<float>(am() * ToneWavBuf[2 * frame + side] * v);
    } else {
        SGOut[g] = 0;
    }
}

void Engine::generatorsFrame(int frame)
{
    const ext progress = SegProgress;

    // Pitch, in generator order: the relative rules read SG1's new step.
    pitchStep<0>(progress);
    pitchStep<1>(progress);
    pitchStep<2>(progress);
    pitchStep<3>(progress);

    // Read indexes, then advance.
    for (int g = 0; g < 4; ++g) {
        WavePos[g] = static_cast<std::int32_t>(std::lrint(SGPhase[g]));
        SGPhase[g] = wrapPhase(SGPhase[g] + SGStep[g]);
    }

    // Live noise: wave 2 plays the current noise value wherever it is read.
    {
        WaveTable& noise = m_samples.WaveTables[2];
        const auto n = static_cast<std::int16_t>(std::lrint(NoiseSample));
        for (int g = 0; g < 4; ++g)
            noise[WavePos[g]] = n;
    }

    if (m_plainOutputs) {
        // Wave x gain: one product of two floats rounds the same in float as
        // in long double.
        SGOut[0] = static_cast<float>(m_wave[0][WavePos[0]]) * SG1VolL;
        SGOut[1] = static_cast<float>(m_wave[1][WavePos[1]]) * SG1VolR;
        SGOut[2] = static_cast<float>(m_wave[2][WavePos[2]]) * SG2VolL;
        SGOut[3] = static_cast<float>(m_wave[3][WavePos[3]]) * SG2VolR;
    } else {
        outputStep<0>(frame, progress);
        outputStep<1>(frame, progress);
        outputStep<2>(frame, progress);
        outputStep<3>(frame, progress);
    }

    // Extra AM by the tone of the segment, also while a switch is pending.
    if (m_hasExtraAm)
        for (int g = 0; g < 4; ++g)
            SGOut[g] = static_cast<float>(SGOut[g] * m_extraAm[g]);
}
