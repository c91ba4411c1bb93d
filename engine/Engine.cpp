#include "engine/Engine.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

#include "engine/CellText.h"
#include "engine/Generators.h"
#include "engine/SampleTables.h"
#include "engine/SegParams.h"
#include "engine/SliderPositions.h"
#include "engine/ValueTables.h"
#include "platform/AudioStrobe.h"

namespace {

EngineHost g_quietHost;

/// Room reserved in every mailbox text, so that the per-block texts (a few
/// characters each) never allocate, whatever the display does in between.
constexpr std::size_t kTextCapacity = 32;

/// Frames in a minute: heart-beat periods are 60 s x 44 100 / rate.
constexpr std::int64_t kFramesPerMinute = 60LL * kFrameRate;

/// A text built on the stack, at most 31 characters.
struct ShortText {
    char chars[32];
    std::size_t length = 0;

    void append(char c) { chars[length++] = c; }
    void appendInt(std::uint64_t value)
    {
        length = static_cast<std::size_t>(std::to_chars(chars + length, chars + sizeof chars, value).ptr - chars);
    }
    /// Blanks on the left up to `width` characters, as a minimum field width does.
    void padLeft(std::size_t width)
    {
        if (length >= width)
            return;
        const std::size_t pad = width - length;
        std::memmove(chars + pad, chars, length);
        std::memset(chars, ' ', pad);
        length = width;
    }
};

/// Equality of a few characters without a library call: the per-block texts
/// are compared every block and are almost always equal.
template <class Text>
bool sameText(const Text& t, const std::string& s)
{
    if (t.length != s.size())
        return false;
    for (std::size_t i = 0; i < t.length; ++i)
        if (t.chars[i] != s[i])
            return false;
    return true;
}

/// Puts a text into a mailbox entry; writing the text an entry already holds
/// changes nothing, so it is skipped.
template <class Text>
void send(std::string& entry, const Text& text)
{
    if (!sameText(text, entry))
        entry.assign(text.chars, text.length);
}

/// The text `make(value)`, made again only when the value's bits differ from
/// those it was last made from.
template <class Cache, class Make>
const Cache& cachedText(Cache& cache, float value, Make make)
{
    const auto key = std::bit_cast<std::uint32_t>(value);
    if (!cache.valid || cache.key != key) {
        const ShortText t = make(value);
        static_assert(sizeof cache.chars >= sizeof t.chars);
        std::memcpy(cache.chars, t.chars, t.length);
        cache.length = static_cast<std::uint8_t>(t.length);
        cache.key = key;
        cache.valid = true;
    }
    return cache;
}

ShortText intText(std::int64_t value, std::size_t width = 0)
{
    ShortText t;
    if (value < 0)
        t.append('-');
    t.appendInt(value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value));
    t.padLeft(width);
    return t;
}

/// A float in fixed notation with two decimals, minimum width 2. The product
/// by 100 is exact in long double (24 + 7 bits), so rounding it ties-to-even
/// gives the correctly rounded text without a general float formatter.
ShortText fixed2Text(float value)
{
    const std::int64_t hundredths = roundEven(static_cast<ext>(value) * 100);
    const std::uint64_t mag = hundredths < 0 ? 0 - static_cast<std::uint64_t>(hundredths) : hundredths;
    ShortText t;
    if (hundredths < 0)
        t.append('-');
    t.appendInt(mag / 100);
    t.append('.');
    t.append(static_cast<char>('0' + mag / 10 % 10));
    t.append(static_cast<char>('0' + mag % 10));
    t.padLeft(2);
    return t;
}

/// m:ss, minutes unbounded (0:05, 1:05, 12:30).
ShortText minSecText(std::int64_t secs)
{
    const std::int64_t s = std::max<std::int64_t>(secs, 0);
    ShortText t = intText(s / 60);
    t.append(':');
    if (s % 60 < 10)
        t.append('0');
    t.appendInt(static_cast<std::uint64_t>(s % 60));
    return t;
}

/// a + (b - a) x progress, worked in long double and stored as float.
float glide(float start, float end, float progress)
{
    return static_cast<float>(static_cast<ext>(start) +
                              (static_cast<ext>(end) - static_cast<ext>(start)) * static_cast<ext>(progress));
}

} // namespace

Engine::Engine(Session& session, const ValueTables& tables, const SegParams& params, SampleTables& samples,
               PseudoRandom& random)
    : m_session(session)
    , m_tables(tables)
    , m_params(params)
    , m_samples(samples)
    , m_host(&g_quietHost)
    , m_random(random)
{
    BuildModSineTable();
    setAMDepthPos(kDefaultAMDepthPos);
    setFMDepthPos(kDefaultFMDepthPos);
    setToneBackingPos(kDefaultToneBackingPos);
    setHeartBeatWavPos(kDefaultHeartBeatWavPos);
    setLengthFactorPos(kDefaultLengthFactorPos);
    setSoftStartSecs(kDefaultSoftStartSecs);
    setSoftEndSecs(kDefaultSoftEndSecs);
    setASLevel(kDefaultASLevelPos);
    setASZeroLevel(kDefaultASZeroLevelPos);
    for (auto& text : DisplayTexts)
        text.reserve(kTextCapacity);
    for (auto& text : FreqTexts)
        text.reserve(kTextCapacity);
    for (auto& text : HBeatTexts)
        text.reserve(kTextCapacity);
}

void Engine::setHost(EngineHost* host)
{
    m_host = host ? host : &g_quietHost;
}

// ---- Slider rules -----------------------------------------------------------

namespace {

/// position / divisor, worked in long double and stored as a float.
float fraction(int position, int divisor)
{
    return static_cast<float>(static_cast<ext>(position) / divisor);
}

} // namespace

void Engine::setAMDepthPos(int pos)
{
    AMDepth = fraction(std::clamp(pos, 0, 100), 200);
    AMBase = static_cast<float>(1 - static_cast<ext>(AMDepth));
}

void Engine::setFMDepthPos(int pos)
{
    FMDepth = fraction(std::clamp(pos, 0, 100), 100);
}

void Engine::setToneBackingPos(int pos)
{
    const int p = std::clamp(pos, 0, 100);
    ToneVol = fraction(100 - p, 100);
    BSVol = fraction(p, 100);
}

void Engine::setHeartBeatWavPos(int pos)
{
    const int p = std::clamp(pos, 0, 100);
    HBeatVol = fraction(100 - p, 100);
    BSWavVol = fraction(p, 100);
}

void Engine::setLengthFactorPos(int pos)
{
    SesLengthFactor = fraction(std::clamp(pos, 1, 50), 10);
}

void Engine::setSoftStartSecs(int secs)
{
    FadeInLen = std::int64_t{std::clamp(secs, 0, 60)} * kFrameRate;
}

void Engine::setSoftEndSecs(int secs)
{
    FadeOutLen = std::int64_t{std::clamp(secs, 0, 60)} * kFrameRate;
}

void Engine::setASLevel(int pos)
{
    const AudioStrobeLevel level = audioStrobeLevel(pos, kMinASRampLen);
    ASMaxLevel = level.maxLevel;
    AudioScale = level.programScale;
    ASRampLen = level.rampFrames;
    ASEnvStep = level.rampStep;
}

void Engine::setASZeroLevel(int pos)
{
    ASZeroLevel = fraction(std::clamp(pos, 0, 100), 100);
    ASIntensitySpan = static_cast<float>(1 - static_cast<ext>(ASZeroLevel));
}

int Engine::lastSegment() const
{
    return std::clamp(m_session.SegCount, 1, kMaxSegments);
}

// ---- Frame steps of the sound ------------------------------------------------
//
// The per-frame sound steps, inlined into the frame loop. The generators
// (Generators.cpp) and the backing sound (Backing.cpp) are one call each per
// frame; the carrier, mix and peak are worked out here.

/// The run's peak, for one sample.
inline void Engine::notePeak(std::int64_t s)
{
    const std::uint64_t magnitude = s < 0 ? 0 - static_cast<std::uint64_t>(s) : static_cast<std::uint64_t>(s);
    if (magnitude > static_cast<std::uint64_t>(PeakLevel)) [[unlikely]] {
        PeakLevel = static_cast<std::int32_t>(std::min<std::uint64_t>(magnitude, INT32_MAX));
        send(DisplayTexts[dPeak], intText(PeakLevel));
    }
}

/// The frame's first steps: balance automation, generator switch steps.
inline void Engine::soundFrameControl()
{
    if (SGSwapMode != 0)
        balanceAutomation();
    if (SGSwitchPending)
        switchSteps();
}

/// Noise, backing value and heart-beat player; `frame` is the
/// index in the buffer (and in BSWavBuf).
inline void Engine::soundFrameBacking(int frame)
{
    backingFrame(frame);
}

/// The carrier's intensity factor: the block's, unless a volume/intensity
/// ramp moves CurIntensity from frame to frame.
inline ext Engine::carrierScale() const
{
    if (m_rampBlock)
        return static_cast<ext>(CurIntensity) * ASIntensitySpan + ASZeroLevel;
    return m_carrierScale;
}

void Engine::carrierTable()
{
    static_assert(kWaveLen == 30 * kCarrierSlots && kCarrierStep % 30 == 0);
    m_carrierTabled = ASCarrierPos >= 0 && ASCarrierPos < kWaveLen;
    if (!m_carrierTabled)
        return;
    const int residue = ASCarrierPos % 30;
    const double level = ASMaxLevel;
    for (int k = 0; k < kCarrierSlots; ++k)
        m_carrierTable[k] = static_cast<double>(m_samples.WaveTables[1][residue + 30 * k]) * level;
    m_carrierSlot = ASCarrierPos / 30;
}

/// A frame's two samples from its two sums: gain, rounding, peak and
/// saturation.
inline void Engine::frameSamples(ext left, ext right, std::int16_t* out)
{
    const ext gain = FadeGain;
    const std::int64_t sl = roundEven(left * gain);
    const std::int64_t sr = roundEven(right * gain);

    // The peak sees the sum before saturation, so overflow still shows. One
    // test for both sides: a new peak is rare.
    const auto magnitude = [](std::int64_t v) {
        return v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    };
    if (std::max(magnitude(sl), magnitude(sr)) > static_cast<std::uint64_t>(PeakLevel)) [[unlikely]] {
        notePeak(sl);
        notePeak(sr);
    }
    out[0] = saturate16(sl);
    out[1] = saturate16(sr);
}

/// Pitch, generators, carrier and mix; `frame` is the index in the buffer
/// (and in ToneWavBuf), `f` in the block. Without the output filter the
/// frame's samples go to `out`; with it the filter's input and the carriers
/// wait for filteredFrames.
inline void Engine::soundFrameMix(int frame, int f, std::int16_t* out)
{
    // Pitch, read positions, live noise, outputs and extra AM.
    generatorsFrame(frame);

    // Carrier index and values. One index for both sides keeps the two
    // carriers in phase.
    const int i = ASCarrierPos;
    ASCarrierPos += kCarrierStep;
    if (ASCarrierPos >= kWaveLen)
        ASCarrierPos -= kWaveLen;
    ext carrier;
    if (m_carrierTabled) {
        // The table holds the exact product of the sample and the level, so
        // only the intensity factor is left to multiply.
        carrier = static_cast<ext>(m_carrierTable[m_carrierSlot]) * carrierScale();
        m_carrierSlot += kCarrierStep / 30;
        if (m_carrierSlot >= kCarrierSlots)
            m_carrierSlot -= kCarrierSlots;
    } else {
        carrier = static_cast<ext>(m_samples.WaveTables[1][i]) * ASMaxLevel * carrierScale();
    }
    ASOut[0] = static_cast<float>(carrier * ASEnv[0]);
    ASOut[1] = static_cast<float>(carrier * ASEnv[1]);

    // The mix stays in extended precision up to the rounding; only the output
    // filter takes and gives a float. The carrier joins after the filter,
    // which would remove it.
    const ext volume = CurVolume;
    const ext toneVol = ToneVol;
    const ext bsVol = BSVol;
    const ext scale = AudioScale;
    const ext xl = ((static_cast<ext>(SGOut[0]) + SGOut[2]) * volume * toneVol + static_cast<ext>(BackOut[0]) * bsVol) *
                   scale;
    const ext xr = ((static_cast<ext>(SGOut[1]) + SGOut[3]) * volume * toneVol + static_cast<ext>(BackOut[1]) * bsVol) *
                   scale;
    if (AudioOutputFilter) {
        m_filterIn[f] = {static_cast<float>(xl), static_cast<float>(xr)};
        m_filterCarrier[f] = ASOut;
        return;
    }
    frameSamples(xl + ASOut[0], xr + ASOut[1], out);
}

// ---- Rendering --------------------------------------------------------------

bool Engine::FillBuffer(void* buffer, int sizeBytes)
{
    OutBuf.fill(0);
    const bool more = ComputeOutPut(OutBuf.data(), sizeBytes);
    const int bytes = std::clamp(sizeBytes, 0, kOutBufBytes);
    std::memcpy(buffer, OutBuf.data(), static_cast<std::size_t>(bytes / 2 * 2));
    return more;
}

bool Engine::ComputeOutPut(std::int16_t* buf, int sizeBytes)
{
    // A stopped run stays stopped until the next reset; the wav files do not
    // move on either.
    if (StopRequest)
        return false;
    const int frames = std::clamp(sizeBytes, 0, kOutBufBytes) / kWavFrameBytes;
    BlockCount = frames / BlockSize;
    refillWavs(frames * kWavFrameBytes);
    soundBufferStart();
    for (int b = 0; b < BlockCount; ++b) {
        if (!controlBlock())
            return false;
        soundBlockStart();
        renderFrames(buf + 2 * b * BlockSize, b * BlockSize);
    }
    return true;
}

void Engine::refillWavs(int bytes)
{
    if (ToneWavOpen)
        ToneWavFile.read(ToneWavBuf.data(), bytes);
    if (BSWavOpen)
        BSWavFile.read(BSWavBuf.data(), bytes);
}

bool Engine::controlBlock()
{
    // A stop request ends the buffer here.
    if (StopRequest)
        return false;

    // Soft start. The last step may overshoot 1 slightly when FadeInLen is
    // not a multiple of 16; the next block sets exactly 1.
    if (FadingIn) {
        if (FadePos >= FadeInLen) {
            FadeGain = 1;
            FadingIn = false;
        } else {
            FadePos += BlockSize;
            FadeGain = static_cast<float>(static_cast<ext>(FadePos) / static_cast<ext>(FadeInLen));
        }
    }

    // The engine begins the soft end by itself.
    if (SesSamplePos > FadeOutStart)
        engineSoftEnd();

    // Soft end.
    if (Ending) {
        if (FadePos > 0 && FadeOutLen > 0) {
            FadePos -= BlockSize;
            // FadePos is rarely a multiple of 16: its last step would go below 0.
            FadeGain = std::max(0.0f, static_cast<float>(static_cast<ext>(FadePos) / static_cast<ext>(FadeOutLen)));
        } else {
            FadeGain = 0;
            FadePos = 0;
            if (!Recording)
                m_host->PostStopPress();
            StopRequest = true;
            return false;
        }
    }

    // Segment change, at most one per block.
    if (m_session.SegEnd[ActSegment] <= SesSamplePos) {
        ActSegment += 1;
        if (ActSegment > lastSegment()) {
            Ending = true;
            if (!Recording)
                m_host->PostStopPress();
            StopRequest = true;
            return false;
        }
        segmentChange();
    }

    // Position and beat frequencies.
    const int a = ActSegment;
    m_segStart = m_session.SegEnd[a - 1];
    // A zero-length segment (unset record) would divide by zero.
    m_segLen = std::max<std::int64_t>(1, m_session.SegEnd[a] - m_segStart);
    updatePosition();

    // Pulse channels: phase glide, increments, channel frequencies.
    pulseGlideAndIncrements();

    // Heart-beat rate.
    {
        const std::int32_t from = m_params.SegHBeatStart[a];
        const std::int32_t to = m_params.SegHBeatEnd[a];
        CurHBeat = static_cast<float>(from + static_cast<ext>(to - from) * static_cast<ext>(SegProgress));
    }
    // The period and the texts below are made from a float that rarely
    // changes from block to block: each is made again only when it does.
    if (CurHBeat > 0) {
        const auto key = std::bit_cast<std::uint32_t>(CurHBeat);
        if (!m_hbeatPeriod.valid || m_hbeatPeriod.key != key)
            m_hbeatPeriod = {key, true, roundEven(kFramesPerMinute / static_cast<ext>(CurHBeat))};
        HBeatPeriod = m_hbeatPeriod.frames;
    }
    // Texts of this block equal the last ones sent once the block is done, so
    // both are only written when the text changes.
    {
        const auto& t =
            cachedText(m_hbeatText, CurHBeat, [](float rate) { return intText(roundEven(static_cast<ext>(rate)), 2); });
        if (!sameText(t, HBeatTexts[0])) {
            HBeatTexts[1].assign(t.chars, t.length);
            HBeatTexts[0].assign(t.chars, t.length);
            send(DisplayTexts[dHBeat], t);
        }
    }

    // Frequency texts, sent on change only.
    for (int i = 0; i < 2; ++i) {
        const auto& t = cachedText(m_freqText[i], i == 0 ? CurFreq1 : CurFreq2, fixed2Text);
        if (!sameText(t, FreqTexts[2 + i])) {
            FreqTexts[i].assign(t.chars, t.length);
            FreqTexts[2 + i].assign(t.chars, t.length);
            send(DisplayTexts[i == 0 ? dFreq1 : dFreq2], t);
        }
    }

    // Intensity and volume, texts every block.
    const auto percentText = [](float value) { return intText(roundEven(static_cast<ext>(value) * 100)); };
    CurIntensity = glide(m_params.SegIntensityStart[a], m_params.SegIntensityEnd[a], SegProgress);
    send(DisplayTexts[dIntensity], cachedText(m_intensityText, CurIntensity, percentText));
    CurVolume = glide(m_params.SegVolumeStart[a], m_params.SegVolumeEnd[a], SegProgress);
    send(DisplayTexts[dVolume], cachedText(m_volumeText, CurVolume, percentText));

    // Phase change.
    pulsePhaseChange();

    // Time texts, once per second.
    ElapsedSecs = SesSamplePos / kFrameRate;
    if (ElapsedSecs > ShownSecs) {
        ShownSecs = ElapsedSecs;
        const ShortText total = minSecText(ElapsedSecs);
        send(DisplayTexts[dTime], total);
        const ShortText segment = minSecText(ElapsedSecs - m_segStart / kFrameRate);
        send(DisplayTexts[dSegmentTime], segment);
    }

    // Pulse channels: duty, periods, advance, wraps, edges.
    pulseEdges();

    // Heart-beat trigger; a rate of 0 or less never beats.
    if (CurHBeat > 0 && HBeatPeriod > 0 && HBeatStart + HBeatPeriod <= SesSamplePos) {
        HBeatActive = true;
        HBeatStart += HBeatPeriod;
        HBeatIdx = 0;
    }
    return true;
}

void Engine::updatePosition()
{
    const int a = ActSegment;
    SegSamplePos = SesSamplePos - m_segStart;
    SegProgress = static_cast<float>(static_cast<ext>(SegSamplePos) / static_cast<ext>(m_segLen));
    CurFreq1 = glide(m_params.SegFreq1Start[a], m_params.SegFreq1End[a], SegProgress);
    CurFreq2 = glide(m_params.SegFreq2Start[a], m_params.SegFreq2End[a], SegProgress);
}

void Engine::renderFrames(std::int16_t* frames, int firstFrame)
{
    const int prev = ActSegment - 1;
    for (int f = 0; f < BlockSize; ++f) {
        // Balance automation and generator switches.
        soundFrameControl();

        // Volume and intensity ramp after a segment change: it replaces the
        // block values for the rest of the block.
        if (VolRamping) {
            if (VolRampPos < VolRampLen) {
                VolRampPos += 1;
                CurVolume = static_cast<float>(static_cast<ext>(VolRampPos) * static_cast<ext>(VolumeRampStep) +
                                               static_cast<ext>(m_params.SegVolumeEnd[prev]));
                CurIntensity =
                    static_cast<float>(static_cast<ext>(VolRampPos) * static_cast<ext>(IntensityRampStep) +
                                       static_cast<ext>(m_params.SegIntensityEnd[prev]));
            } else {
                VolRamping = false;
            }
        }

        // Noise, backing sound and heart beat.
        soundFrameBacking(firstFrame + f);

        // Pulse envelopes. Only the block start sets their counters, so once
        // all four are steady they stay as they are for the rest of the block.
        if (f == 0 || envelopesMoving())
            envelopeFrame();

        // Position, for the generators' pitch glide and cross-fades. The block
        // start has just worked it out for frame 0. Frames that read none of
        // it skip it, but the last one always brings it up to date.
        if (f == BlockSize - 1 || (f != 0 && m_positionPerFrame))
            updatePosition();

        // Generators, carrier, mix; without the output filter also the
        // frame's samples and the peak.
        soundFrameMix(firstFrame + f, f, frames + 2 * f);
        SesSamplePos += 1;
    }
    if (AudioOutputFilter)
        filteredFrames(frames);
}

void Engine::filteredFrames(std::int16_t* frames)
{
    // The filters see nothing of a frame but its mix, so they run here for
    // the whole block: one frame's long sums then overlap the next one's
    // instead of holding up the rest of the frame.
    for (int f = 0; f < BlockSize; ++f) {
        float left = m_filterIn[f][0];
        float right = m_filterIn[f][1];
        outputLowPasses(left, right);
        frameSamples(static_cast<ext>(left) + m_filterCarrier[f][0], static_cast<ext>(right) + m_filterCarrier[f][1],
                     frames + 2 * f);
    }
}

void Engine::segmentChange()
{
    const int a = ActSegment;
    const TSegRec& r = m_session.Segments[a];
    const int prevTone = m_session.Segments[a - 1].Tone;

    // The segment number.
    const ShortText number = intText(a);
    send(DisplayTexts[dSegment], number);

    // The sound generators prepare their click-free switch.
    soundSegmentChange(prevTone);
    m_planStale = true;

    // Volume and intensity move in VolRampLen frames from the previous
    // segment's end values to where this segment's own glide is by then.
    VolRamping = VolRampLen > 0;
    VolRampPos = 0;
    if (VolRamping) {
        const ext length = static_cast<ext>(std::max<std::int64_t>(1, m_session.SegEnd[a] - m_session.SegEnd[a - 1]));
        const ext share = static_cast<ext>(VolRampLen) / length;
        const auto step = [&](float start, float end, float prevEnd) {
            return static_cast<float>(((static_cast<ext>(end) - static_cast<ext>(start)) * share +
                                       static_cast<ext>(start) - static_cast<ext>(prevEnd)) /
                                      static_cast<ext>(VolRampLen));
        };
        IntensityRampStep =
            step(m_params.SegIntensityStart[a], m_params.SegIntensityEnd[a], m_params.SegIntensityEnd[a - 1]);
        VolumeRampStep = step(m_params.SegVolumeStart[a], m_params.SegVolumeEnd[a], m_params.SegVolumeEnd[a - 1]);
    }

    // Pulse channels: alignment, Freq 2 phase, phase pattern.
    pulseSegmentChange(prevTone, r.Tone);

    // The balance the generators switch to.
    soundBalanceTargets();

    // Texts; ramped fields carry " R".
    static constexpr std::pair<DisplayEntry, SegField> kTexts[] = {
        {dTone, fTone},     {dPitch1, fPitch1}, {dPitch2, fPitch2}, {dPhaseChange, fPhaseChange},
        {dDutyCycle, fDutyCycle}, {dSGVol, fSGVol}, {dWave1, fWave1}, {dWave2, fWave2},
        {dBackingSound, fBackingSound},
    };
    for (const auto& [entry, field] : kTexts)
        DisplayTexts[entry].assign(CellText(m_tables, r, field));
    pulseDutyChange();
}

void Engine::engineSoftEnd()
{
    beginSoftEnd(m_session.SegEnd[lastSegment()] - SesSamplePos);
    DisplayTexts[dButtonCaption].assign("Ending");
}

void Engine::beginSoftEnd(std::int64_t fadeFrames)
{
    Ending = true;
    FadingIn = false;
    FadeOutStart = m_session.SegEnd[lastSegment()] + 10000;
    FadePos = fadeFrames;
    if (FadeGain > 0)
        FadeOutLen = roundEven(static_cast<ext>(FadePos) / static_cast<ext>(FadeGain));
    else
        FadePos = 0; // already silent: the next block ends the run
}

// ---- Run set-up -------------------------------------------------------------

void Engine::InitializeVars()
{
    // The options' soft start and soft end.
    m_host->ReapplyFadeOptions();
    // Position, peak and wav read positions.
    PeakLevel = 0;
    SesSamplePos = 0;
    ActSegment = 1;
    ToneWavFile.rewind();
    BSWavFile.rewind();
    // Pulse channels: phases, pulses, envelopes, latches; all enabled.
    resetPulseChannels();
    // The playback control's pause state belongs to its window.
    // Segment 1's phase pattern.
    PhaseType = m_session.Segments[1].Phase & 0x7F;
    SetPhaseType();
    PhaseChangeCount = 0;
    DisplayTexts[dTime].clear();
    // No volume/intensity ramp; full volume and intensity.
    VolRampLen = 5000;
    VolRamping = false;
    CurVolume = 1;
    CurIntensity = 1;
    // Heart beat at 45 a minute until the first block sets the rate.
    CurHBeat = 45;
    HBeatPeriod = roundEven(kFramesPerMinute / static_cast<ext>(CurHBeat));
    HBeatStart = 0;
    // Segment 1's duty cycle, no duty glide.
    CurDutyCycle = m_params.SegDutyCycle[1];
    DutyRamping = false;
    // Sound generators for segment 1.
    soundReset();
    // Rendering may begin.
    StopRequest = false;
    // The options' playing AudioStrobe level and zero level.
    m_host->ReapplyLevelOptions();
    // The peak label and the length factor belong to the main window.
    ShownSecs = 0;
    // Segment 1's balance and its automation.
    soundBalanceReset();

    // A soft start left running by the previous run would fade in a run that
    // wants none (Play from a segment); runs that want one arm it afterwards.
    FadingIn = false;
    // Every run sends its first texts: what the display shows after a stop
    // need not be what the last run sent.
    for (auto& text : FreqTexts)
        text.clear();
    for (auto& text : HBeatTexts)
        text.clear();
}

void Engine::ComputeRunEnds()
{
    const int last = lastSegment();
    auto& SegEnd = m_session.SegEnd;
    const ext factor = SesLengthFactor;
    for (int i = 1; i <= last; ++i) {
        const int time = m_session.Segments[i].Time;
        const ext secs = time < static_cast<int>(m_tables.TimeSecs.size()) ? m_tables.TimeSecs[time] : 0.0f;
        SegEnd[i] = SegEnd[i - 1] + roundEven(secs * kFrameRate * factor);
    }
    const std::int64_t end = SegEnd[last];
    FadeOutStart = end - FadeOutLen;
    // A session no longer than the soft end fades out from its middle.
    if (end / 2 > FadeOutStart && end <= FadeOutLen)
        FadeOutStart = end / 2;
}

void Engine::PrepareRun(RunKind kind, int startSeg)
{
    ++RunSerial;
    MuteFilters();
    InitializeVars();
    Ending = false;
    Recording = kind == RunKind::Export;
    ComputeRunEnds();
    if (kind == RunKind::Play) {
        const int last = lastSegment();
        const int k = std::clamp(startSeg, 1, last);
        // From segment k > 1 the first block performs the change into k.
        ActSegment = k >= 2 ? k - 1 : 1;
        FadeOutStart = m_session.SegEnd[last] + 10000;
        SesSamplePos = m_session.SegEnd[k - 1];
        FadeGain = 1;
    }
}

void Engine::ArmSoftStart()
{
    if (FadeInLen >= 1) {
        FadingIn = true;
        FadePos = 0;
    } else {
        FadeGain = 1;
    }
}

bool Engine::StartSoftEnd()
{
    if (FadeGain <= 0)
        return false;
    const std::int64_t left = m_session.SegEnd[lastSegment()] - SesSamplePos;
    beginSoftEnd(std::min(left, FadeOutLen));
    return true;
}

void Engine::abortRun()
{
    StopRequest = true;
    Ending = false;
    ToneWavFile.close();
    BSWavFile.close();
    ToneWavOpen = false;
    BSWavOpen = false;
}
