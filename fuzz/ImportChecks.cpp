#include <algorithm>
#include <variant>

#include "engine/Interchange.h"
#include "engine/MindlabImport.h"
#include "engine/PhotosonixImport.h"
#include "engine/Random.h"
#include "engine/SessionFile.h"
#include "engine/ValueTables.h"
#include "fuzz/ReaderChecks.h"
#include "platform/TextLines.h"

namespace {

std::string lnfHeaderProblems(const LnfContents& c, std::int64_t containerBytes)
{
    const LnfHeader& h = c.Header;
    const LnfLayout& l = c.Layout;
    const std::pair<LnfName, const std::string*> names[] = {
        {LnfName::Session, &h.SessionName}, {LnfName::Wav, &h.ToneName},      {LnfName::Wav, &h.BSName},
        {LnfName::UserWave, &h.UserWaves[0]}, {LnfName::UserWave, &h.UserWaves[1]},
        {LnfName::UserWave, &h.UserWaves[2]}, {LnfName::UserWave, &h.UserWaves[3]},
    };
    for (const auto& [kind, name] : names) {
        // An entry is written into its folder under this name: never a path.
        if (!CheckLnfName(kind, *name).empty() || name->find_first_of("/\\") != std::string::npos ||
            *name == "." || *name == "..")
            return "an entry name that may leave its folder: \"" + *name + "\"";
    }
    for (const std::int64_t size : {h.SessionSize, h.ToneSize, h.BSSize})
        if (size < 0 || size > kLnfMaxFileBytes)
            return "a size outside 0.." + std::to_string(kLnfMaxFileBytes);
    if ((h.ToneName.empty() && h.ToneSize) || (h.BSName.empty() && h.BSSize))
        return "bytes for an entry without a name";
    if (h.SessionSize > static_cast<std::int64_t>(kMaxSessionFileBytes))
        return "a session larger than a session file may be";
    const LnfLayout expected(h, l.SessionOffset);
    if (l.SessionOffset < 1 || l.SessionOffset > static_cast<std::int64_t>(kLnfBlockBytes) || expected.TotalBytes != l.TotalBytes ||
        expected.ToneOffset != l.ToneOffset || expected.BSOffset != l.BSOffset ||
        expected.UserWaveOffsets != l.UserWaveOffsets)
        return "payloads that do not lie where the header puts them";
    if (l.TotalBytes > containerBytes)
        return "payloads past the end of the container";
    return {};
}

/// What the session writer and reader make of an imported session: it saves
/// and opens again as the same records. Each distinct record is written once
/// (loops repeat records by the thousand), the first one in its place, where
/// a ramp does not survive reading.
std::string importedRoundTrip(const ImportedSession& s, const ValueTables& t)
{
    SessionSnapshot snapshot{s.SessionName, s.SessionDescription, {}, {}};
    for (const TSegRec& r : s.Records)
        if (snapshot.Records.size() < 2 || std::find(snapshot.Records.begin() + 1, snapshot.Records.end(), r) ==
                                               snapshot.Records.end())
            snapshot.Records.push_back(r);
    auto again = ParseSession(FormatSession(snapshot, t), SessionKind::Lsf, t);
    if (const auto* e = std::get_if<SessionFileError>(&again))
        return "the imported session, saved, is refused: " + RefusalDetail(e->Line, e->Reason);
    const ParsedSession& p = std::get<ParsedSession>(again);
    if (p.SessionName != s.SessionName)
        return "the imported session's name changed on saving";
    bool same = p.SegCount == static_cast<int>(snapshot.Records.size()) && p.RepairedFields.empty();
    for (int i = 1; same && i <= p.SegCount; ++i)
        for (int f = 1; f <= kFieldCount; ++f) {
            const int written = snapshot.Records[static_cast<std::size_t>(i - 1)][f];
            same = same && p.Segments[i][f] == (i == 1 && isRampField(f) ? written & ~kRampFlag : written);
        }
    return same ? "" : "the imported session, saved, opens with other segments";
}

/// What every import promises the windows and the session writer: 1..2000
/// records, every field playable, a warning exactly when something was
/// repaired or left out, and a session that saves and opens again the same.
std::string importedProblems(const ImportedSession& s, const ValueTables& t)
{
    if (s.Records.empty() || s.Records.size() > kMaxSegments)
        return std::to_string(s.Records.size()) + " segments imported";
    for (const TSegRec& r : s.Records)
        for (int f = 1; f <= kFieldCount; ++f) {
            const bool flagged = isRampField(f) && (r[f] & kRampFlag);
            const int index = flagged ? r[f] & ~kRampFlag : r[f];
            if (index < 1 || index > t.ParamMax[f])
                return "an imported field outside 1..ParamMax (field " + std::to_string(f) + ")";
        }
    for (const FieldRepair& r : s.Repairs)
        if (r.Field < 1 || r.Field > kFieldCount || r.Segment < 1)
            return "a repair of no field";
    if (ImportWarning(s).empty() != (s.Repairs.empty() && s.Notes.empty()))
        return "the import warning does not match the repairs and notes";
    return importedRoundTrip(s, t);
}

} // namespace

std::string checkPhotosonix(std::string_view bytes)
{
    const ValueTables& t = shippedTables();
    PseudoRandom rng;
    const ImportResult result = ParsePhotosonix(bytes, t, rng);
    if (const auto* e = std::get_if<ImportError>(&result)) {
        if (e->Line < 0 || e->Line > static_cast<int>(splitLines(bytes).size()) || e->Text.empty())
            return "a refusal names no line of the file: " + e->Text;
        return {};
    }
    return importedProblems(std::get<ImportedSession>(result), t);
}

std::string checkMindlab(std::string_view bytes)
{
    const int lines = static_cast<int>(splitLines(bytes).size());
    const ImportResult result = ParseMindlab(bytes, shippedTables());
    if (const auto* e = std::get_if<ImportError>(&result)) {
        // A file that ends early is refused at its first missing line.
        if (e->Line < 0 || e->Line > lines + 1 || e->Text.empty())
            return "a refusal names no line of the file: " + std::to_string(e->Line) + " " + e->Text;
        return {};
    }
    const ImportedSession& s = std::get<ImportedSession>(result);
    for (const FieldRepair& r : s.Repairs)
        if (r.Segment < 5 || r.Segment > lines)
            return "a repair on no segment line";
    return importedProblems(s, shippedTables());
}

std::string checkLnfContainer(std::string_view bytes)
{
    const auto containerBytes = static_cast<std::int64_t>(bytes.size());
    const auto parsed = ParseLnfHeader(bytes.substr(0, kLnfBlockBytes), containerBytes);
    if (const auto* e = std::get_if<LnfError>(&parsed))
        return e->Reason.empty() ? "a refusal without a reason" : "";
    const LnfContents& c = std::get<LnfContents>(parsed);
    std::string problem = lnfHeaderProblems(c, containerBytes);
    if (!problem.empty())
        return problem;
    // The header as the export would write it reads back the same.
    const std::string header = FormatLnfHeader(c.Header);
    const auto again = ParseLnfHeader(header, static_cast<std::int64_t>(header.size()) + c.Layout.TotalBytes -
                                                  c.Layout.SessionOffset);
    const auto* d = std::get_if<LnfContents>(&again);
    if (!d)
        return "the header, written again, is refused: " + std::get<LnfError>(again).Reason;
    const LnfHeader &a = c.Header, &b = d->Header;
    if (a.SessionName != b.SessionName || a.SessionSize != b.SessionSize || a.ToneName != b.ToneName ||
        a.ToneSize != b.ToneSize || a.BSName != b.BSName || a.BSSize != b.BSSize || a.UserWaves != b.UserWaves)
        return "the header, written again, reads otherwise";
    CheckLnfSession(bytes.substr(static_cast<std::size_t>(c.Layout.SessionOffset),
                                 static_cast<std::size_t>(c.Header.SessionSize)),
                    shippedTables());
    return {};
}
