#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/Session.h"
#include "engine/SessionFile.h"

struct ValueTables;

// What the readers of other programs' session files share: the result they
// hand to the windows, the field split of a line, the nearest-entry search and
// the repair of values that name nothing playable. Plain C++, no file access:
// a reader gets the whole file's bytes, split with splitLines
// (platform/TextLines.h), and reads numbers with leadingWhole, leadingReal or
// parseDecimal (platform/Numbers.h), never with a locale.
//
// A reader builds each record as an ImportRecord (index and ramp flag apart),
// repairs fields it reads back early with repairField, and turns the finished
// record into bytes with finishRecord. The windows commit an ImportedSession
// whole, or show an ImportError and change nothing.

/// A file that cannot be imported: nothing of it may be used.
struct ImportError {
    int Line = 0;     // 1-based line the reason is about; 0: the file as a whole
    std::string Text; // the reason, a lower-case clause ("the file holds no segment lines")
};

/// A file read successfully.
struct ImportedSession {
    std::string SessionName;        // bytes as in the file
    std::string SessionDescription; // CR LF breaks
    /// 1..kMaxSegments records; every field an index within 1..ParamMax, with
    /// the ramp flag only on ramp fields.
    std::vector<TSegRec> Records;
    /// The values that took the default segment's, in file order; `Segment`
    /// holds the file line the value came from.
    std::vector<FieldRepair> Repairs;
    /// What was left out of the file, one sentence each.
    std::vector<std::string> Notes;
};

using ImportResult = std::variant<ImportedSession, ImportError>;

/// The one warning after an import: the repaired values in the session
/// reader's form (listed by file line), then the notes. "" when there is
/// nothing to report.
std::string ImportWarning(const ImportedSession& imported);

// ---- Lines and fields ------------------------------------------------------------------

/// Fields 0..15 of a segment line.
constexpr int kImportFields = 16;
using ImportFields = std::array<std::string_view, kImportFields>;

/// Splits a line at `separator`: each field ends at the next separator or at
/// the end of the line; a missing field is empty and what lies past field 15
/// is ignored. The views point into `line`.
ImportFields splitFields(std::string_view line, char separator);

// ---- Nearest entry ---------------------------------------------------------------------

/// Initial distances of the nearest search: no entry farther away matches.
constexpr long double kTimeDistance = 10000; // TimeSecs, seconds
constexpr long double kNearDistance = 1000;  // BeatFreqs, pitches in Hz, percent

/// The index of the table entry nearest to `value`: entries 1..size-1 are
/// visited in order (entry 0 is not one), the distance |entry - value| worked
/// exactly in long double, and only a strictly nearer entry replaces the best,
/// so the first of equally near entries wins. 0 when no entry lies nearer than
/// `initialDistance`. The value is single precision, as both imports hold it.
int nearestEntry(float value, std::span<const float> table, long double initialDistance);
/// The same over whole numbers (the percent texts).
int nearestEntry(std::int32_t value, std::span<const std::int32_t> table, long double initialDistance);

/// A real as single precision: the nearest float, or an infinity beyond
/// float's range (rather than an undefined conversion).
float toFloat(long double value);

// ---- Records and repair ------------------------------------------------------------------

/// One field of a record under construction: its index and ramp flag kept
/// apart, so that an index past the table (258, a duty of 1290 %) cannot pass
/// for a small or ramped byte.
struct ImportValue {
    std::int64_t Index = 0; // 0: unset
    bool Ramp = false;
};

/// A record under construction: fields 1..18 by SegField; index 0 unused.
struct ImportRecord {
    std::array<ImportValue, kFieldCount + 1> Fields{};

    ImportValue& operator[](int field) { return Fields[field]; }
    const ImportValue& operator[](int field) const { return Fields[field]; }
};

/// Whether the field's index names a table entry: 1..ParamMax.
bool isPlayable(const ValueTables& tables, int field, std::int64_t index);

/// The session reader's rule for one field: an index of 0 or above ParamMax
/// becomes the default segment's (its ramp flag dropped) and is listed as
/// (line, field). For a field that a later rule reads before the record is
/// finished.
void repairField(ImportRecord& rec, int field, int line, const ValueTables& tables,
                 std::vector<FieldRepair>& repairs);

/// The record as bytes: every field repaired as repairField does, then the
/// ramp flag set on ramp fields that carry one.
TSegRec finishRecord(ImportRecord rec, int line, const ValueTables& tables, std::vector<FieldRepair>& repairs);
