#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "engine/Session.h"

// The editors' structural edits of a session: adding, inserting, deleting,
// copying and pasting whole segments. They change only the records and
// SegCount; the caller tells the grids. A refused edit touches nothing, so
// the caller can check the same rule first (fitsSession, fitsClipboard) and
// explain the refusal. GUI thread only.

/// Most records the segment clipboard holds.
constexpr int kClipRecords = 500;

/// The editors' segment clipboard: Count records in Records[0 .. Count - 1].
/// One instance lives for the whole run; a new or opened session keeps it.
struct SegmentClipboard {
    std::array<TSegRec, kClipRecords> Records{};
    std::int32_t Count = 0;

    friend bool operator==(const SegmentClipboard&, const SegmentClipboard&) = default;
};

/// What an edit that was carried out did.
struct SegmentEdit {
    /// SegCount afterwards.
    int SegCount = 1;
    /// The first segment whose record moved or changed. After a Delete of the
    /// last segments it lies past the new end: only columns went.
    int FirstChanged = 1;

    friend bool operator==(const SegmentEdit&, const SegmentEdit&) = default;
};

/// Whether `added` more segments fit into the session (at most 2000).
bool fitsSession(const Session& session, int added);
/// Whether segments left..right fit into the clipboard (at most 500).
bool fitsClipboard(int left, int right);

/// One `fill` segment after the last.
std::optional<SegmentEdit> AppendDefault(Session& session, const TSegRec& fill);
/// One `fill` segment before segment `cur` (1..SegCount + 1); segment cur and
/// those after it move one place right.
std::optional<SegmentEdit> InsertDefault(Session& session, int cur, const TSegRec& fill);
/// Removes segments left..right (within 1..SegCount); those after them move
/// left. Removing all of them leaves one `fill` segment. Records past the new
/// end keep their bytes: only SegCount says where the session ends. Ramp
/// flags move with their records, also onto segment 1.
std::optional<SegmentEdit> DeleteRange(Session& session, int left, int right, const TSegRec& fill);
/// Copies segments left..right (within 1..SegCount, at most 500) into `clip`;
/// false, and `clip` as it was, when refused.
bool CopyRange(const Session& session, int left, int right, SegmentClipboard& clip);
/// Inserts the clipboard's records before segment `cur` (1..SegCount + 1),
/// ramp flags included; the clipboard stays filled. Refused when the session
/// would pass 2000 segments or the clipboard is empty.
std::optional<SegmentEdit> PasteAt(Session& session, int cur, const SegmentClipboard& clip);
