#include <set>
#include <variant>

#include "engine/CellText.h"
#include "engine/SessionFile.h"
#include "engine/ValueTables.h"
#include "fuzz/ReaderChecks.h"
#include "platform/IoError.h"
#include "platform/TextLines.h"

namespace {

std::string at(int segment, int field)
{
    return " (segment " + std::to_string(segment) + ", field " + std::to_string(field) + ")";
}

/// What the engine and the grids rely on: every maximum within its table,
/// every default within 1..maximum, and texts that a session file can hold
/// and tell apart.
std::string tableProblems(const ValueTables& t)
{
    for (int f = 1; f <= kFieldCount; ++f) {
        const int limit = isRampField(f) ? std::min(ValueTables::tableSize(f), 127) : ValueTables::tableSize(f);
        if (t.ParamMax[f] < 1 || t.ParamMax[f] > limit)
            return "a maximum outside its table" + at(0, f);
        if (t.DefaultSegment[f] < 1 || t.DefaultSegment[f] > t.ParamMax[f])
            return "a default outside 1..maximum" + at(0, f);
        const auto texts = FieldTexts(t, f);
        std::set<std::string_view> seen;
        for (int i = 1; i <= t.ParamMax[f]; ++i) {
            const std::string& text = texts[static_cast<std::size_t>(i)];
            if (text.empty() || text.find('\t') != std::string::npos)
                return "an empty text or one with a TAB" + at(i, f);
            if (!seen.insert(text).second)
                return "a text twice in its table" + at(i, f);
        }
    }
    for (int i = 1; i <= 32; ++i)
        if (!(t.TimeSecs[i] > 0) || t.TimeSecs[i] > static_cast<float>(kMaxTimeSecs))
            return "a duration outside 0..max" + at(i, fTime);
    return {};
}

/// Each description line as the reader joined them (CR LF between lines;
/// lines hold no LF), with a line that reads as the global marker kept from
/// ending the description, as the writer does.
std::string writtenDescription(std::string_view text)
{
    constexpr std::string_view kMarker = "SESSION GLOBAL DATA";
    std::string out;
    for (;;) {
        const std::size_t end = text.find("\r\n");
        const std::string_view line = text.substr(0, end);
        out += line;
        if (line == kMarker)
            out += ' ';
        if (end == std::string_view::npos)
            return out;
        out += "\r\n";
        text.remove_prefix(end + 2);
    }
}

/// What every successful read promises the engine and the windows.
std::string sessionProblems(const ParsedSession& p, SessionKind kind, const ValueTables& t)
{
    if (p.Kind != kind || p.Globals.has_value() != (kind == SessionKind::Lsf))
        return "the kind or the global lines do not match the kind asked for";
    if (p.SegCount < 1 || p.SegCount > kMaxSegments)
        return "SegCount " + std::to_string(p.SegCount) + " outside 1.." + std::to_string(kMaxSegments);
    for (int i = 1; i <= kMaxSegments; ++i) {
        for (int f = 1; f <= kFieldCount; ++f) {
            const std::uint8_t byte = p.Segments[i][f];
            const bool flagged = isRampField(f) && (byte & kRampFlag);
            const int index = flagged ? byte & ~kRampFlag : byte;
            if (i > p.SegCount && byte != 0)
                return "a record after the last segment is not empty" + at(i, f);
            if (i <= p.SegCount && (index < 1 || index > t.ParamMax[f]))
                return "a field outside 1..ParamMax" + at(i, f);
            if (flagged && i == 1)
                return "a ramp on the first segment" + at(i, f);
        }
    }
    for (const FieldRepair& r : p.RepairedFields)
        if (r.Segment < 1 || r.Segment > p.SegCount || r.Field < 1 || r.Field > kFieldCount ||
            p.Segments[r.Segment][r.Field] != t.DefaultSegment[r.Field])
            return "a repaired field that does not hold the default" + at(r.Segment, r.Field);
    if (p.Globals)
        for (const auto& v : {p.Globals->AMDepth, p.Globals->BSVolume, p.Globals->HBeatBSWavVolume, p.Globals->FMDepth})
            if (v && (*v < kSliderMin || *v > kSliderMax))
                return "a slider value outside 0..100";
    return {};
}

/// The session as the windows keep it after opening the file.
SessionSnapshot snapshotOf(const ParsedSession& p)
{
    SessionSnapshot s{p.SessionName, p.SessionDescription, {}, {}};
    s.Records.assign(p.Segments.begin() + 1, p.Segments.begin() + 1 + p.SegCount);
    if (p.Globals) {
        const ReadGlobals& g = *p.Globals;
        SessionGlobals& w = s.Globals;
        w.AMDepth = g.AMDepth.value_or(w.AMDepth);
        w.BSVolume = g.BSVolume.value_or(w.BSVolume);
        w.HBeatBSWavVolume = g.HBeatBSWavVolume.value_or(w.HBeatBSWavVolume);
        w.FMDepth = g.FMDepth.value_or(w.FMDepth);
        w.ToneWavName = g.ToneWavName;
        w.BSWavName = g.BSWavName;
        w.UserWaves = g.UserWaves;
    }
    return s;
}

/// A session saved after it was read opens again as the same session, with
/// nothing to repair.
std::string roundTripProblems(const ParsedSession& p, const ValueTables& t)
{
    const SessionSnapshot s = snapshotOf(p);
    auto again = ParseSession(FormatSession(s, t), SessionKind::Lsf, t);
    if (const auto* e = std::get_if<SessionFileError>(&again))
        return "the written session is refused: " + RefusalDetail(e->Line, e->Reason);
    const ParsedSession& q = std::get<ParsedSession>(again);
    if (q.SessionName != p.SessionName)
        return "the session name changed from \"" + p.SessionName + "\" to \"" + q.SessionName + "\"";
    if (q.SessionDescription != writtenDescription(p.SessionDescription))
        return "the description changed";
    if (q.SegCount != p.SegCount || q.Segments != p.Segments)
        return "the segments changed";
    if (!q.RepairedFields.empty() || !q.RepairedSliders.empty())
        return "the written session needs repairs";
    const ReadGlobals& g = *q.Globals;
    const SessionGlobals& w = s.Globals;
    if (g.AMDepth != w.AMDepth || g.BSVolume != w.BSVolume || g.HBeatBSWavVolume != w.HBeatBSWavVolume ||
        g.FMDepth != w.FMDepth || g.ToneWavName != w.ToneWavName || g.BSWavName != w.BSWavName ||
        g.UserWaves != w.UserWaves)
        return "the global lines changed";
    return {};
}

std::string checkOneKind(std::string_view bytes, SessionKind kind, const ValueTables& t)
{
    const char* kindName = kind == SessionKind::Lsf ? ".lsf: " : ".lrf: ";
    auto result = ParseSession(bytes, kind, t);
    if (const auto* e = std::get_if<SessionFileError>(&result)) {
        const int lines = std::max<int>(1, static_cast<int>(splitLines(bytes).size()));
        if (e->Line < 1 || e->Line > lines || e->Reason.empty())
            return kindName + std::string("a refusal names no line of the file, or no reason: ") +
                   RefusalDetail(e->Line, e->Reason);
        return {};
    }
    const ParsedSession& p = std::get<ParsedSession>(result);
    std::string problem = sessionProblems(p, kind, t);
    if (problem.empty()) {
        if (RepairWarning(p, false).empty() != (p.RepairedFields.empty() && p.RepairedSliders.empty()))
            problem = "the repair warning does not match the repairs";
        else
            problem = roundTripProblems(p, t);
    }
    return problem.empty() ? problem : kindName + problem;
}

} // namespace

const ValueTables& shippedTables()
{
    static const ValueTables tables = [] {
        ValueTables t;
        LoadVars(LUMI_DATA_DIR, t);
        return t;
    }();
    return tables;
}

std::string checkDataFile(std::string_view bytes)
{
    ValueTables t;
    try {
        ParseDataFile(std::string(bytes), "DatLU.dat", t);
    } catch (const DataFileError& e) {
        if (e.line() < 1 || e.line() > kDataFileLines + 1)
            return std::string("a refusal names no line of the file: ") + e.what();
        if (!(t == ValueTables{}))
            return "a refused file changed the tables";
        return {};
    }
    std::string problem = tableProblems(t);
    if (!problem.empty())
        return problem;
    // A session of the defaults and of every maximum, ramping where it can,
    // written with these tables reads back.
    ParsedSession p;
    p.SegCount = 2;
    p.Segments[1] = t.DefaultSegment;
    for (int f = 1; f <= kFieldCount; ++f)
        p.Segments[2][f] = static_cast<std::uint8_t>(t.ParamMax[f] | (isRampField(f) ? kRampFlag : 0));
    p.Globals.emplace();
    problem = roundTripProblems(p, t);
    return problem.empty() ? problem : "a session written with the tables: " + problem;
}

std::string checkSession(std::string_view bytes)
{
    const ValueTables& t = shippedTables();
    std::string problem = checkOneKind(bytes, SessionKind::Lsf, t);
    return problem.empty() ? checkOneKind(bytes, SessionKind::Lrf, t) : problem;
}
