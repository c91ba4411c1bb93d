#pragma once

#include <array>
#include <cstdint>

#include "engine/Session.h"

struct ValueTables;

/// The numbers the engine plays for each segment, derived from the records by
/// CompSegParams. Indexed by segment 1..2000; entry 0 holds nothing. Valid for
/// segments 1..SegCount after the last full recomputation.
struct SegParams {
    template <class T>
    using PerSegment = std::array<T, kMaxSegments + 1>;

    PerSegment<float> SegFreq1Start{}, SegFreq1End{}; // Hz
    PerSegment<float> SegFreq2Start{}, SegFreq2End{}; // Hz
    /// Wave-table steps per frame (Hz x 0.1).
    PerSegment<float> SegPitch1{}, SegPitch2{};
    PerSegment<std::uint8_t> Pitch1Mode{}; // 1 constant, 2 ramp
    PerSegment<std::uint8_t> Pitch2Mode{}; // 1 constant, 2 ramp, 3 relative to Pitch 1
    PerSegment<float> Pitch1Delta{}, Pitch2Delta{}; // ramp span in steps (mode 2 only)
    PerSegment<float> Pitch2Offset{};               // relative offset in steps (mode 3 only)
    PerSegment<float> SegVolumeStart{}, SegVolumeEnd{};       // 0..1
    PerSegment<float> SegIntensityStart{}, SegIntensityEnd{}; // 0..1
    PerSegment<float> SegDutyCycle{};                         // 0.1..0.8
    PerSegment<std::int32_t> SegPhaseChangeSecs{};            // 0 = no phase change
    PerSegment<std::int32_t> SegHBeatStart{}, SegHBeatEnd{};  // beats per minute
    bool NeedToneWav = false; // some segment plays the tone wav (tone 10..13)
    bool NeedBSWav = false;   // some segment plays the backing-sound wav (4, 5)
    /// SegEnd[1..SegCount] at length factor 1, as CompSegParams sets them, and
/// nothing else: the graphic editor's redraw runs it while nothing plays.
void CompSegEnds(Session& session, const ValueTables& tables);

/// Session length in whole seconds at length factor 1.
    std::int32_t SesLengthSecs = 0;
};

/// Turns segment i (1..SegCount) into the engine's numbers and SegEnd[i] at
/// factor 1. Reads segment i-1 and its results for ramps, so segments must be
/// computed in ascending order. May set, never clears, the wav flags. Indexes
/// outside a table read as its empty entry 0 (zero values), so an unset record
/// cannot read out of bounds; the entry points that fill records keep every
/// field within 1..ParamMax.
void CompSegParams(int i, Session& session, const ValueTables& tables, SegParams& params);

/// The full recomputation that follows every edit pass, New, open, save and
/// import: clear both wav flags, compute segments 1..SegCount in order, then
/// the session length.
void RecomputeSession(Session& session, const ValueTables& tables, SegParams& params);

/// SegEnd[1..SegCount] at length factor 1, as CompSegParams sets them, and
/// nothing else: the graphic editor's redraw runs it while nothing plays.
void CompSegEnds(Session& session, const ValueTables& tables);

/// Session length in whole seconds: SegEnd[SegCount] / 44100, ties to even.
std::int32_t sessionLengthSecs(const Session& session);
