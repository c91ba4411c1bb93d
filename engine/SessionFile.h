#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/Session.h"
#include "engine/SliderPositions.h"

struct ValueTables;

// Session files as bytes: the .lsf writer and the .lsf/.lrf reader, without
// file access or widgets. The caller reads the whole file, parses, and commits
// only a successful parse; it writes the formatted bytes through a temporary.
// Segment tokens are the grid's cell texts (CellText) of our own tables; files
// written with other texts open only where their texts match ours.

/// The largest session file that is read: sessions are some hundred
/// kilobytes at most, and reading a huge file chosen by mistake would freeze
/// the windows for nothing.
constexpr std::size_t kMaxSessionFileBytes = 16 << 20;

/// ".lsf" (the kind we write) or the older ".lrf" (read only).
enum class SessionKind { Lsf, Lrf };

/// Lsf when the name ends in ".lsf" in any letter case; any other name reads
/// as the older kind.
SessionKind sessionKindOf(std::string_view fileName);

/// The main window's four session sliders all run 0..100.
constexpr int kSliderMin = 0;
constexpr int kSliderMax = 100;

/// The main window's settings that a session file carries.
struct SessionGlobals {
    int AMDepth = kDefaultAMDepthPos;                // TrackBar2
    int BSVolume = kDefaultToneBackingPos;           // TrackBar4, tone / backing-sound balance
    int HBeatBSWavVolume = kDefaultHeartBeatWavPos;  // TrackBar3
    int FMDepth = kDefaultFMDepthPos;                // TrackBar5
    std::string ToneWavName;              // full path, or empty
    std::string BSWavName;                // full path, or empty
    std::array<std::string, 4> UserWaves; // texts of ComboBox1..4: "Sine" or a user wave
};

/// Everything the writer needs, taken from the model at save time.
struct SessionSnapshot {
    std::string SessionName;
    std::string SessionDescription; // CR LF breaks
    std::vector<TSegRec> Records;   // segments 1..SegCount in order, 1..2000 of them
    SessionGlobals Globals;
};

/// The bytes of a .lsf file: CR LF after every line, "END" last.
std::string FormatSession(const SessionSnapshot& snapshot, const ValueTables& tables);

/// The global lines of a .lsf file as read. An empty slider value means "keep
/// the current position": the line held no whole number (listed as a repair)
/// or, for FM depth, there was no FM line. Values outside 0..100 are clamped.
struct ReadGlobals {
    std::optional<int> AMDepth;
    std::optional<int> BSVolume;
    std::optional<int> HBeatBSWavVolume;
    std::optional<int> FMDepth;
    std::string ToneWavName; // text from its column, as written (may be a Windows path)
    std::string BSWavName;
    std::array<std::string, 4> UserWaves; // as written; the lists match them without case
};

/// A segment value that could not be played and took the default segment's.
struct FieldRepair {
    int Segment = 0; // 1..SegCount; in an import, the file line of the value
    int Field = 0;   // SegField
};

/// A slider line whose value could not be used as it stood.
struct SliderRepair {
    std::string Label;        // "AM Depth", "BS Volume", "H Beat/BS Wav Volume", "FM Depth"
    std::string Text;         // the value as read
    std::optional<int> SetTo; // clamped value; empty: not a whole number, position kept
};

/// A file read successfully: every field of segments 1..SegCount is an index
/// within 1..ParamMax (plus the ramp flag on ramp fields of segments 2..).
struct ParsedSession {
    SessionKind Kind = SessionKind::Lsf;
    std::string SessionName;
    std::string SessionDescription; // CR LF breaks
    int SegCount = 0;
    std::array<TSegRec, kMaxSegments + 1> Segments{}; // 1..SegCount; the rest zero
    std::optional<ReadGlobals> Globals;               // .lsf only
    std::vector<FieldRepair> RepairedFields;          // in file order
    std::vector<SliderRepair> RepairedSliders;
};

/// A file whose structure is broken: nothing of it may be used.
struct SessionFileError {
    int Line = 0;       // 1-based line the reason is about
    std::string Reason; // a lower-case clause ("the file ends here, before the session name")
};

/// What a refusal says after naming the file: "line 3: " (left out for line
/// 0, the file as a whole), the reason and a full stop. The session reader's
/// and the imports' refusals all end in it.
std::string RefusalDetail(int line, std::string_view reason);

/// Reads a session file's bytes (LF or CR LF lines).
std::variant<ParsedSession, SessionFileError> ParseSession(std::string_view bytes, SessionKind kind,
                                                           const ValueTables& tables);

/// The one warning about repaired values, "" when there is nothing to report.
/// Slider repairs are left out when the sliders' lines are ignored.
std::string RepairWarning(const ParsedSession& parsed, bool slidersIgnored);

/// The list part of the repair warning: "Replaced by the default segment's
/// values:", then one line per place in order ("Segment 3: Time, Pitch1", with
/// `place` "Segment"; an import lists by "Line"), at most 20 places and a count
/// of the rest.
std::string DefaultedFieldsText(std::span<const FieldRepair> repairs, std::string_view place);
