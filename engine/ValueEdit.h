#pragma once

#include "engine/Session.h"

struct ValueTables;

// The editors' value operations over a range of segments on one row (field).
// They change only the records; the caller rewrites the cells of the segments
// reported, in both editors, and that marks the session modified. GUI thread.
//
// A range is clipped to segments 1..SegCount; a row outside 1..18 changes
// nothing and visits nothing.

/// The segments an operation went through, ascending: first..last, empty when
/// last < first. Every visited segment must be shown again, changed or not.
struct VisitedSegments {
    int first = 1;
    int last = 0;
    /// Ramp only: the toggle stopped before a Phase byte of 9..127 (a phase
    /// type that never ramps); the segments from there on are untouched.
    bool stoppedEarly = false;

    bool empty() const { return last < first; }
    int count() const { return empty() ? 0 : last - first + 1; }
};

/// One step up on `row` of segments left..right, kept within the row's
/// maximum; ramp flags stay. Rows without a ramp flag compare the whole byte
/// (the Freq rows use bit 7 as part of the index). Phase: going from type 8 to
/// 9 clears the flag, as types 9 and 10 never ramp.
VisitedSegments valueUp(Session& session, const ValueTables& tables, int left, int right, int row);

/// One step down, never below index 1; index 0 (unset) stays 0. Flags stay.
VisitedSegments valueDown(Session& session, const ValueTables& tables, int left, int right, int row);

/// Toggles the ramp flag of segments left..right on a ramp row, skipping
/// segment 1 (it never ramps). On the Phase row the toggle stops at the first
/// byte of 9..127. Other rows: nothing.
VisitedSegments toggleRamp(Session& session, int left, int right, int row);

/// The pop-up slider's maximum on `row`: the row's highest index (at least 1).
int sliderMaximum(const ValueTables& tables, int row);

/// The slider position that shows a record's field: the whole byte on rows
/// without a ramp flag, the index without the flag on ramp rows; held to
/// 1..sliderMaximum, as the slider cannot show anything else.
int sliderPosition(const ValueTables& tables, const TSegRec& rec, int row);

/// What a user's move of the slider to `position` writes: every segment
/// left..right takes that index, each keeping its own ramp flag, except that
/// Phase types 9 and 10 clear it. The position is held to 1..sliderMaximum.
VisitedSegments writeSliderPosition(Session& session, const ValueTables& tables, int left, int right,
                                    int row, int position);

/// What a value drag in the graphic editor writes: every segment left..right
/// takes index `value` (held to 1..ParamMax), each keeping its own ramp flag
/// on the ramp rows.
VisitedSegments writeDraggedValue(Session& session, const ValueTables& tables, int left, int right, int row,
                                  int value);
