#include "engine/SegParams.h"

#include <algorithm>
#include <cassert>
#include <string_view>

#include "engine/ValueTables.h"
#include "platform/Arith.h"
#include "platform/Numbers.h"

namespace {

/// Entry `index` of a 1-based table, or the empty entry 0 when it lies outside.
template <class T, std::size_t N>
const T& entry(const std::array<T, N>& table, int index)
{
    return index >= 1 && static_cast<std::size_t>(index) < N ? table[index] : table[0];
}

int choice(std::uint8_t byte)
{
    return byte & 0x7F;
}

/// A byte counts as ramping when it is above 128 (flag set on a real index).
bool ramps(std::uint8_t byte)
{
    return byte > kRampFlag;
}

ext level(std::uint8_t byte)
{
    return (static_cast<ext>(choice(byte)) * 5 - 5) / 100;
}

std::int32_t rate(std::uint8_t byte)
{
    return choice(byte) + 9;
}

/// Frames of one segment at length factor 1.
std::int64_t segmentFrames(const ValueTables& tables, const TSegRec& r)
{
    const ext secs = entry(tables.TimeSecs, r.Time);
    return roundEven(secs * kFrameRate);
}

} // namespace

void CompSegParams(int i, Session& session, const ValueTables& tables, SegParams& p)
{
    const TSegRec& r = session.Segments[i];
    const TSegRec& prev = session.Segments[i - 1];
    const bool later = i > 1;

    session.SegEnd[i] = session.SegEnd[i - 1] + segmentFrames(tables, r);

    p.SegFreq1Start[i] = entry(tables.BeatFreqs, r.Freq1From);
    p.SegFreq1End[i] = entry(tables.BeatFreqs, r.Freq1To);
    p.SegFreq2Start[i] = entry(tables.BeatFreqs, r.Freq2From);
    p.SegFreq2End[i] = entry(tables.BeatFreqs, r.Freq2To);

    // Pitch 1 in Hz; a relative text here reads as the number before the "r" (0).
    const ext v = leadingDecimal(entry(tables.PitchValues, choice(r.Pitch1)));
    p.SegPitch1[i] = static_cast<float>(v);
    if (later && ramps(r.Pitch1)) {
        p.Pitch1Mode[i] = 2;
        p.Pitch1Delta[i] = static_cast<float>(0.1L * v - static_cast<ext>(p.SegPitch1[i - 1]));
    } else {
        p.Pitch1Mode[i] = 1;
    }

    // Pitch 2: "r" + n is Pitch 1 + n Hz, Pitch 1 still in Hz at this point.
    const std::string& t = entry(tables.PitchValues, choice(r.Pitch2));
    const bool relative = !t.empty() && t[0] == 'r';
    const ext n = relative ? static_cast<ext>(parseWholeNumber(std::string_view(t).substr(1)).value_or(0)) : 0;
    const ext pitch2 = relative ? n + static_cast<ext>(p.SegPitch1[i]) : leadingDecimal(t);
    p.SegPitch2[i] = static_cast<float>(pitch2);
    if (!later) {
        p.Pitch2Mode[i] = 1;
    } else if (ramps(r.Pitch2)) {
        p.Pitch2Mode[i] = 2;
        p.Pitch2Delta[i] = static_cast<float>(0.1L * static_cast<ext>(p.SegPitch2[i]) -
                                              static_cast<ext>(p.SegPitch2[i - 1]));
    } else if (relative) {
        p.Pitch2Mode[i] = 3;
        p.Pitch2Offset[i] = static_cast<float>(n * 0.1L);
    } else {
        p.Pitch2Mode[i] = 1;
    }

    // From here on both pitches are wave-table steps per frame.
    p.SegPitch1[i] = static_cast<float>(static_cast<ext>(p.SegPitch1[i]) * 0.1L);
    p.SegPitch2[i] = static_cast<float>(static_cast<ext>(p.SegPitch2[i]) * 0.1L);

    p.SegPhaseChangeSecs[i] =
        r.PhaseChange == 1 ? 0
                           : static_cast<std::int32_t>(
                                 leadingInteger(entry(tables.PhaseChangeNames, r.PhaseChange)).value_or(0));

    p.SegDutyCycle[i] = static_cast<float>(static_cast<ext>(choice(r.DutyCycle)) / 10);

    p.SegVolumeEnd[i] = static_cast<float>(level(r.Volume));
    p.SegVolumeStart[i] = later && ramps(r.Volume) ? static_cast<float>(level(prev.Volume)) : p.SegVolumeEnd[i];
    p.SegIntensityEnd[i] = static_cast<float>(level(r.Intensity));
    p.SegIntensityStart[i] =
        later && ramps(r.Intensity) ? static_cast<float>(level(prev.Intensity)) : p.SegIntensityEnd[i];

    p.SegHBeatEnd[i] = rate(r.HBeat);
    p.SegHBeatStart[i] = later && ramps(r.HBeat) ? rate(prev.HBeat) : p.SegHBeatEnd[i];

    if (r.Tone >= 10 && r.Tone <= 13)
        p.NeedToneWav = true;
    if (r.BackingSound > 3)
        p.NeedBSWav = true;
}

void CompSegEnds(Session& session, const ValueTables& tables)
{
    const int count = std::clamp(session.SegCount, 0, kMaxSegments);
    session.SegEnd[0] = 0;
    for (int i = 1; i <= count; ++i)
        session.SegEnd[i] = session.SegEnd[i - 1] + segmentFrames(tables, session.Segments[i]);
}

std::int32_t sessionLengthSecs(const Session& session)
{
    const int last = std::clamp(session.SegCount, 0, kMaxSegments);
    return static_cast<std::int32_t>(roundEven(static_cast<ext>(session.SegEnd[last]) / kFrameRate));
}

void RecomputeSession(Session& session, const ValueTables& tables, SegParams& params)
{
    params.NeedToneWav = false;
    params.NeedBSWav = false;
    assert(session.SegCount >= 1 && session.SegCount <= kMaxSegments);
    const int count = std::clamp(session.SegCount, 1, kMaxSegments);
    for (int i = 1; i <= count; ++i)
        CompSegParams(i, session, tables, params);
    params.SesLengthSecs = sessionLengthSecs(session);
}
