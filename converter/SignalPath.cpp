#include "SignalPath.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/Arith.h"
#include "platform/AudioStrobe.h"
#include "platform/IoError.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/PcmSamples.h"

// Source blocks are read and output blocks handed on as raw bytes.
static_assert(std::endian::native == std::endian::little);

namespace {

using Channel = SignalPath::Channel;
using enum SignalPath::TriggerStates;
using enum SignalPath::LightStates;

constexpr double kPi = 3.141592654; // the filter design's stored constant
constexpr double kRate = kFrameRate;

float toFloat(ext v)
{
    return static_cast<float>(v);
}

float lightScale(float dynMax)
{
    return toFloat(std::log2(static_cast<ext>(dynMax)) * 0.07L / dynMax);
}

const char* sideName(SignalPath::Side side)
{
    return side == SignalPath::kLeft ? "L" : "R";
}

/// What the frame loop reads but never writes, copied out once per block.
struct BlockParams {
    std::int32_t DRInterval;
    float OnDurationSamples, RetrigDelaySamples;
    float ASRampUp, ASRampDown;
    std::int32_t ASRampSteps;
};

/// Starts a rise from the present level to `target`. The step count is taken
/// from `target` as given (a re-peak passes the unrounded product), the stored
/// target is its float.
inline void startRise(Channel& ch, ext target, const BlockParams& p)
{
    ch.LightState = kRising;
    ch.RampSteps = static_cast<std::int32_t>(std::lrint((target - ch.LightLevel) * p.ASRampSteps));
    ch.LightTarget = toFloat(target);
}

/// One frame of one channel from its detection input d: band-pass, adaptive
/// maximum, trigger and light envelope. Returns the band-passed value.
///
/// A single operation on two floats rounds to the same float whether it is
/// worked in float or in extended precision (a double rounding through 64 bits
/// is innocuous for a 24-bit result), so such steps use float arithmetic;
/// longer expressions are worked in extended precision.
inline float stepChannel(Channel& ch, float d, const BlockParams& p)
{
    const float u = d * ch.FilterGain;
    const float y = u + ch.FilterZ1;
    ch.FilterZ1 = toFloat(static_cast<ext>(ch.B1) * u - static_cast<ext>(ch.A1) * y + ch.FilterZ2);
    ch.FilterZ2 = toFloat(static_cast<ext>(ch.B2) * u - static_cast<ext>(ch.A2) * y);

    const float a = std::fabs(y * ch.FilteredLevel);

    if (a > ch.DynMax) {
        ch.DynMax = a;
        ch.LightScale = lightScale(a);
        ch.DRCount = 0;
        ch.DRPeak = 0;
    } else if (ch.DRCount > p.DRInterval) {
        // the renewal frame's own value is not counted into the next interval
        ch.DynMax = std::max(ch.DRPeak, 250.0f);
        ch.LightScale = lightScale(ch.DynMax);
        ch.DRPeak = 0;
        ch.DRCount = 0;
    } else {
        ch.DRPeak = std::max(ch.DRPeak, a);
        ++ch.DRCount;
    }

    // the product of two floats is exact in double
    if (ch.TriggerState == kArmed && a > static_cast<double>(ch.TriggerFraction) * ch.DynMax) {
        const float v = a * ch.LightScale;
        if (v > ch.LightLevel && v > ch.LightTarget) {
            startRise(ch, v, p);
            ch.TriggerState = kOnDuration;
            ch.TriggerCount = 0;
            ch.TriggerPeak = a;
        }
    }

    // The count runs on from state 1 into state 2: the retrigger delay is
    // measured from the trigger.
    if (ch.TriggerState == kOnDuration) {
        if (ch.TriggerCount >= p.OnDurationSamples) {
            ch.TriggerState = kRetrigDelay;
            ch.LightState = ch.LightState == kRising ? kRisingThenFalling : kFalling;
        } else {
            ++ch.TriggerCount;
            if (a > ch.TriggerPeak) {
                startRise(ch, static_cast<ext>(a) * ch.LightScale, p);
                ch.TriggerPeak = a;
            }
        }
    } else if (ch.TriggerState == kRetrigDelay) {
        if (ch.TriggerCount >= p.RetrigDelaySamples) {
            ch.TriggerState = kArmed;
        } else {
            ++ch.TriggerCount;
            if (static_cast<ext>(a) > 1.2L * ch.TriggerPeak) {
                startRise(ch, static_cast<ext>(a) * ch.LightScale, p);
                ch.TriggerState = kOnDuration;
                ch.TriggerCount = 0;
                ch.TriggerPeak = a;
            }
        }
    }

    switch (ch.LightState) {
    case kRising:
    case kRisingThenFalling:
        if (ch.RampSteps < 1) {
            ch.LightState = ch.LightState == kRisingThenFalling ? kFalling : kSteady;
            ch.LightTarget = 0;
        } else {
            ch.LightLevel += p.ASRampUp;
            --ch.RampSteps;
        }
        break;
    case kFalling:
        if (ch.LightLevel > 0)
            ch.LightLevel -= p.ASRampDown;
        else
            ch.LightState = kSteady;
        break;
    case kSteady:
        break;
    }
    return y;
}

/// The carrier's level factor. A fall may end one step below 0; clamping
/// there keeps a phase-inverted residue off while the light is meant to be off.
inline float carrierLevel(float lightLevel)
{
    return std::clamp(lightLevel, 0.0f, 1.0f);
}

} // namespace

SignalPath::SignalPath()
{
    ReCompGain();
    RedrawLightOffSpeed();
    RedrawLightRetrigDelay();
    ReCompDRInterval();
    ReCompLevelOfFS();
    ReCompSensitivity();
    SetPlayingASLevel(m_controls.PlayingASLevelPos);
    ResetRun(m_controls.PlayingASLevelPos);
    RedrawLabels();
}

void SignalPath::LoadSineTable(const std::string& folder)
{
    const std::string path = joinPath(folder, kSineFile);
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    if (ec)
        throw IoError(path, "open", ec.message());
    // A table of another length is some other file: its period would be wrong.
    if (bytes != static_cast<std::uintmax_t>(kSineFileBytes))
        throw IoError(path, "read",
                      "the carrier table must be exactly " + formatInt(kSineFileBytes) + " bytes, the file holds " +
                          formatInt(static_cast<std::int64_t>(bytes)));
    std::array<std::int16_t, kSineLen> table;
    readPcmSamples(path, table.data(), table.size());
    SineTable = table;
}

// ---- inputs -----------------------------------------------------------------

void SignalPath::SetInputGain(std::int32_t pos)
{
    m_controls.GainPos = std::clamp(pos, 0, 300);
    ReCompGain();
}

void SignalPath::SetOnDuration(std::int32_t pos)
{
    m_controls.OnDurationPos = std::clamp(pos, 0, 495);
    RedrawLightOffSpeed();
}

void SignalPath::SetRetrigDelay(std::int32_t pos)
{
    m_controls.RetrigDelayPos = std::clamp(pos, 0, 1000);
    RedrawLightRetrigDelay();
}

void SignalPath::SetCenterFreq(Side side, std::int32_t pos)
{
    m_controls.Ch[side].CenterPos = std::clamp(pos, 80, 1000);
    ReCompBand(side);
    RedrawLabels();
}

void SignalPath::SetBandWidth(Side side, std::int32_t pos)
{
    m_controls.Ch[side].BandPos = std::clamp(pos, 1, 400);
    ReCompBand(side);
    RedrawLabels();
}

void SignalPath::SetFilteredLevel(Side side, std::int32_t pos)
{
    m_controls.Ch[side].LevelPos = std::clamp(pos, 0, 1000);
    ReCompLevelOfFS();
}

void SignalPath::SetTriggerLevel(Side side, std::int32_t pos)
{
    m_controls.Ch[side].TriggerPos = std::clamp(pos, 0, 100);
    ReCompSensitivity();
}

void SignalPath::SetDRInterval(std::int32_t pos)
{
    m_controls.IntervalPos = std::clamp(pos, 1, 20);
    ReCompDRInterval();
}

void SignalPath::SetPlayingASLevel(std::int32_t pos)
{
    m_controls.PlayingASLevelPos = std::clamp(pos, 0, 100);
    m_controls.PlayingASLevelLabel = "Playing - AS Max Level: " + formatInt(m_controls.PlayingASLevelPos);
    SetASLevel(m_controls.PlayingASLevelPos);
}

void SignalPath::SetASLevel(std::int32_t pos)
{
    // A level of 0 has no carrier: the rule's step of 1 ends every rise and
    // fall at once.
    const AudioStrobeLevel level = audioStrobeLevel(pos);
    ASLevel = level.maxLevel;
    ASRampSteps = level.rampFrames;
    ASRampUp = level.rampStep;
    ASRampDown = level.rampStep;
}

// ---- parameters from positions ----------------------------------------------

void SignalPath::ReCompGain()
{
    InputGain = toFloat(static_cast<ext>(m_controls.GainPos) / 100);
    m_controls.GainLabel = "Input Gain: " + formatFixed(InputGain, 2);
}

void SignalPath::RedrawLightOffSpeed()
{
    OnDurationSamples = toFloat(m_controls.OnDurationPos * 44.1L);
    m_controls.OnDurationLabel = "Light On Duration: " + formatInt(m_controls.OnDurationPos + 5) + " ms";
}

void SignalPath::RedrawLightRetrigDelay()
{
    RetrigDelaySamples = toFloat(m_controls.RetrigDelayPos * 44.1L);
    m_controls.RetrigDelayLabel = "Light Retrigger Delay: " + formatInt(m_controls.RetrigDelayPos) + " ms";
}

void SignalPath::ReCompDRInterval()
{
    DRInterval = m_controls.IntervalPos * 4410;
    m_controls.IntervalLabel = "DR Detection Interval: " + formatInt(m_controls.IntervalPos * 100) + " ms";
}

void SignalPath::ReCompLevelOfFS()
{
    for (Side side : {kLeft, kRight}) {
        ChannelControls& c = m_controls.Ch[side];
        channel(side).FilteredLevel = toFloat(static_cast<ext>(c.LevelPos) / 100);
        c.LevelLabel = std::string("Filtered Signal Level ") + sideName(side) + ": " +
                       formatFixed(channel(side).FilteredLevel, 2);
    }
}

void SignalPath::ReCompSensitivity()
{
    for (Side side : {kLeft, kRight}) {
        ChannelControls& c = m_controls.Ch[side];
        channel(side).TriggerFraction = toFloat((100 - static_cast<ext>(c.TriggerPos)) / 100);
        c.TriggerLabel = std::string("Light Trigger Level ") + sideName(side) + ": " + formatInt(c.TriggerPos);
    }
}

void SignalPath::ReCompBand(Side side)
{
    const ChannelControls& c = m_controls.Ch[side];
    Channel& ch = channel(side);
    const ext steps = static_cast<ext>(c.CenterPos) / 10;
    ch.CenterFreq = toFloat(steps * steps / 2);
    ch.BandWidth = toFloat(static_cast<ext>(c.BandPos) * ch.CenterFreq / 100);
    CompBPCoefs(ch);
}

void SignalPath::RedrawLabels()
{
    const auto hz = [](float v) { return formatInt(roundEven(v)) + " Hz"; };
    for (Side side : {kLeft, kRight}) {
        ChannelControls& c = m_controls.Ch[side];
        c.CenterLabel = std::string("Center Frequency ") + sideName(side) + ": " + hz(channel(side).CenterFreq);
        c.BandLabel = std::string("Band Width ") + sideName(side) + ": " + hz(channel(side).BandWidth);
    }
}

void SignalPath::CompBPCoefs(Channel& ch)
{
    const double t = std::tan(kPi * ch.BandWidth / kRate);
    const double w = -std::cos(2 * kPi * ch.CenterFreq / kRate);
    const double c = (t - 1) / (t + 1);
    ch.FilterGain = static_cast<float>((c + 1) * 0.5);
    ch.B1 = 0;
    ch.B2 = -1;
    ch.A1 = static_cast<float>((1 - c) * w);
    ch.A2 = static_cast<float>(-c);
}

// ---- run reset ----------------------------------------------------------------

void SignalPath::MuteFilters()
{
    for (Channel* ch : {&L, &R}) {
        ch->FilterGain = 1;
        ch->A1 = ch->A2 = ch->B1 = ch->B2 = 0;
        ch->FilterZ1 = ch->FilterZ2 = 0;
    }
}

void SignalPath::InitVars()
{
    L.LightTarget = R.LightTarget = 0;
    CarrierIndex = 0;
    L.LightLevel = R.LightLevel = 0;
    OutputPeak = 0;
    L.LightState = R.LightState = kSteady;
    ReCompBand(kLeft);
    ReCompBand(kRight);
    ReCompLevelOfFS();
    ReCompSensitivity();
    RedrawLightOffSpeed();
    SetASLevel(m_controls.PlayingASLevelPos);
    RedrawLightRetrigDelay();
    ReCompGain();
    L.DynMax = R.DynMax = 1000;
    L.LightScale = R.LightScale = lightScale(1000);
    ReCompDRInterval();
    FramesDone = 0;
    // Trigger, envelope and interval state from an earlier run would block the
    // first triggers or set the first renewal from another song.
    for (Channel* ch : {&L, &R}) {
        ch->TriggerState = kArmed;
        ch->TriggerCount = 0;
        ch->TriggerPeak = 0;
        ch->RampSteps = 0;
        ch->DRCount = 0;
        ch->DRPeak = 0;
    }
    ReadFailed = false;
    m_lastBlockDelivered = false;
}

void SignalPath::ResetRun(std::int32_t asLevelPos)
{
    MuteFilters();
    InitVars();
    SetASLevel(asLevelPos);
    ProgramScale = audioStrobeLevel(asLevelPos).programScale;
}

// ---- per block ------------------------------------------------------------------

bool SignalPath::ComputeOutPut(std::int16_t* Output, std::int32_t& Size)
{
    Size = std::clamp(Size, 0, kMaxBlockBytes) & ~3;
    Frames frames = Size / 4;
    bool more = true;
    if (FramesLeft < frames) {
        frames = std::max<Frames>(FramesLeft, 0);
        Size = static_cast<std::int32_t>(frames * 4);
        more = false;
        if (frames == 0)
            return false;
    }
    FramesLeft -= frames;

    std::int32_t got = m_source ? m_source->read(reinterpret_cast<std::uint8_t*>(SampleBuffer.data()), Size) : -1;
    if (got != Size) {
        // Stop here rather than throw inside the device notification: what was
        // read is still processed and delivered, the caller sees ReadFailed.
        got = std::clamp(got, 0, Size) & ~3;
        Size = got;
        frames = got / 4;
        FramesLeft = 0;
        ReadFailed = true;
        more = false;
    }
    ProcessFrames(SampleBuffer.data(), Output, static_cast<std::int32_t>(frames));
    FramesDone += got / 4;
    return more;
}

void SignalPath::ProcessFrames(const std::int16_t* in, std::int16_t* out, std::int32_t frames)
{
    const BlockParams p{DRInterval, OnDurationSamples, RetrigDelaySamples, ASRampUp, ASRampDown, ASRampSteps};
    const float gain = InputGain;
    const float programScale = ProgramScale;
    const float asLevel = ASLevel;
    const bool mix = m_controls.Mix;
    std::int16_t* filtered = FilteredBuffer.data();
    std::int32_t index = CarrierIndex;
    std::int32_t prev = CarrierIndexPrev;
    float peak = OutputPeak;

    for (std::int32_t k = 0; k < frames; ++k) {
        // single float operations, see stepChannel; halving is exact
        const float xL = in[2 * k] * gain;
        const float xR = in[2 * k + 1] * gain;
        float dL = xL, dR = xR;
        if (mix) // the detection only: the music keeps its stereo image
            dL = dR = (xL + xR) * 0.5f;

        const float fL = stepChannel(L, dL, p);
        const float fR = stepChannel(R, dR, p);

        prev = index;
        index += kCarrierStep;
        if (index >= kSineLen)
            index -= kSineLen;
        // table x level x light has at most 16 + 24 + 24 bits: exact in extended
        const ext carrier = static_cast<ext>(SineTable[prev] * static_cast<double>(asLevel));
        const long cL = std::lrint(carrier * carrierLevel(L.LightLevel));
        const long cR = std::lrint(carrier * carrierLevel(R.LightLevel));

        const ext oL = static_cast<ext>(xL) * programScale + cL;
        const ext oR = static_cast<ext>(xR) * programScale + cR;
        const ext peakNow = std::max(std::fabs(oL), std::fabs(oR));
        if (peakNow > peak)
            peak = toFloat(peakNow);

        out[2 * k] = saturate16(std::lrint(oL));
        out[2 * k + 1] = saturate16(std::lrint(oR));
        filtered[2 * k] = saturate16(std::lrint(static_cast<ext>(fL) + cL));
        filtered[2 * k + 1] = saturate16(std::lrint(static_cast<ext>(fR) + cR));
    }
    CarrierIndex = index;
    CarrierIndexPrev = prev;
    OutputPeak = peak;
}

// ---- producer -------------------------------------------------------------------

bool SignalPath::AudioOut1FillBuffer(std::uint8_t* Buffer, std::int32_t& Size)
{
    if (!Playing) {
        Size = 0;
        return false;
    }
    if (m_lastBlockDelivered) {
        Size = 0;
        EndRun();
        return false;
    }
    const bool hearFiltered = m_controls.HearFiltered;
    std::int16_t* out = OutputBlock();
    const bool more = ComputeOutPut(out, Size);
    if (Size > 0)
        std::memcpy(Buffer, hearFiltered ? FilteredBuffer.data() : out, static_cast<std::size_t>(Size));
    if (more)
        return true;
    if (Size > 0) {
        // The component plays only blocks returned with True: deliver the
        // shortened last block and end the run on the next call.
        m_lastBlockDelivered = true;
        return true;
    }
    EndRun();
    return false;
}

void SignalPath::Reposition(Frames framesLeft)
{
    FramesLeft = std::max<Frames>(framesLeft, 0);
    m_lastBlockDelivered = false;
}

void SignalPath::EndRun()
{
    Playing = false;
    m_lastBlockDelivered = false;
    if (OnRunEnd)
        OnRunEnd();
}
