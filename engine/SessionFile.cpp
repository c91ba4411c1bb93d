#include "engine/SessionFile.h"

#include <algorithm>
#include <span>

#include "engine/CellText.h"
#include "engine/ValueTables.h"
#include "platform/Numbers.h"
#include "platform/TextLines.h"

namespace {

constexpr const char* kEol = "\r\n";
constexpr const char* kMagic = "Lumisonorium SW Session (FFV2)";
constexpr const char* kGlobalMarker = "SESSION GLOBAL DATA";
constexpr const char* kStartMarker = "START";
/// Segment lines listed one by one in the repair warning; a message box must
/// stay on the screen even when a whole long session is broken.
constexpr int kListedSegments = 20;

struct Refusal {
    int line;
    std::string reason;
};

/// The text from 1-based column `column` to the end; empty when the line is
/// shorter.
std::string_view fromColumn(std::string_view line, std::size_t column)
{
    return column - 1 < line.size() ? line.substr(column - 1) : std::string_view{};
}

bool isFmLine(std::string_view line)
{
    constexpr std::string_view kFm = "FM DEPTH";
    return equalsNoCase(line.substr(0, kFm.size()), kFm);
}

/// The grid row title without its " (R)" hint, for the warning.
std::string fieldName(int field)
{
    std::string name = RowTitle(field);
    if (name.ends_with(" (R)"))
        name.resize(name.size() - 4);
    return name;
}

class Reader {
public:
    Reader(std::string_view bytes, SessionKind kind, const ValueTables& tables)
        : m_lines(splitLines(bytes))
        , m_kind(kind)
        , m_tables(tables)
    {
    }

    void read(ParsedSession& out)
    {
        out.Kind = m_kind;
        if (m_kind == SessionKind::Lsf)
            next("the session name");
        out.SessionName = sessionName(next("the session name"));
        out.SegCount = segmentCount(next("the number of segments"));
        next("the description");
        if (m_kind == SessionKind::Lsf) {
            out.SessionDescription = description(kGlobalMarker);
            out.Globals = globals(out);
        } else {
            out.SessionDescription = description(kStartMarker);
        }
        for (int i = 1; i <= out.SegCount; ++i)
            segment(i, out);
    }

private:
    [[noreturn]] void fail(int line, std::string reason) const { throw Refusal{line, std::move(reason)}; }

    /// The next line; the file must not end before `what`.
    const std::string& next(const std::string& what)
    {
        if (m_next >= m_lines.size()) {
            if (m_lines.empty())
                fail(1, "the file is empty");
            fail(static_cast<int>(m_lines.size()), "the file ends here, before " + what);
        }
        return m_lines[m_next++];
    }

    int lineNumber() const { return static_cast<int>(m_next); }

    std::string sessionName(const std::string& line) const
    {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            fail(lineNumber(), "the line holds no \":\" before the session name");
        return std::string(fromColumn(line, colon + 3));
    }

    int segmentCount(const std::string& line) const
    {
        const auto count = parseWholeNumber(fromColumn(line, 11));
        if (!count || *count < 1 || *count > kMaxSegments)
            fail(lineNumber(), "the number of segments is not a whole number from 1 to " +
                                   std::to_string(kMaxSegments));
        return static_cast<int>(*count);
    }

    /// The lines up to the marker, joined by CR LF.
    std::string description(const char* marker)
    {
        const std::string what = std::string("\"") + marker + "\"";
        std::string text;
        for (const std::string* line = &next(what); *line != marker; line = &next(what))
            text += *line + kEol;
        text.resize(text.size() >= 2 ? text.size() - 2 : 0);
        return text;
    }

    ReadGlobals globals(ParsedSession& out)
    {
        const std::string what = "\"START\"";
        ReadGlobals g;
        g.AMDepth = slider(next(what), "AM Depth", 11, out);
        g.BSVolume = slider(next(what), "BS Volume", 12, out);
        g.HBeatBSWavVolume = slider(next(what), "H Beat/BS Wav Volume", 23, out);
        g.ToneWavName = fromColumn(next(what), 16);
        g.BSWavName = fromColumn(next(what), 14);
        for (std::string& wave : g.UserWaves)
            wave = fromColumn(next(what), 14);
        const std::string* line = &next(what);
        if (isFmLine(*line)) {
            g.FMDepth = slider(*line, "FM Depth", 11, out);
            line = &next(what);
        }
        while (*line != kStartMarker)
            line = &next(what);
        return g;
    }

    static std::optional<int> slider(std::string_view line, const char* label, std::size_t column,
                                     ParsedSession& out)
    {
        const std::string_view text = fromColumn(line, column);
        const auto value = parseWholeNumber(text);
        if (!value) {
            out.RepairedSliders.push_back({label, std::string(text), std::nullopt});
            return std::nullopt;
        }
        const int clamped = static_cast<int>(std::clamp<std::int64_t>(*value, kSliderMin, kSliderMax));
        if (clamped != *value)
            out.RepairedSliders.push_back({label, std::string(text), clamped});
        return clamped;
    }

    void segment(int i, ParsedSession& out)
    {
        const std::string& line =
            next("segment " + std::to_string(i) + " of " + std::to_string(out.SegCount));
        std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            fail(lineNumber(), "segment " + std::to_string(i) + " has no TAB after its number");
        TSegRec& rec = out.Segments[i];
        for (int field = 1; field <= kFieldCount; ++field) {
            std::string token;
            if (tab != std::string::npos) {
                const std::size_t end = line.find('\t', tab + 1);
                token = line.substr(tab + 1, end == std::string::npos ? std::string::npos : end - tab - 1);
                tab = end;
            }
            const auto value = decode(field, std::move(token), i >= 2);
            if (value) {
                rec[field] = *value;
            } else {
                rec[field] = m_tables.DefaultSegment[field];
                out.RepairedFields.push_back({i, field});
            }
        }
    }

    /// The byte a token stands for; empty when it names nothing playable.
    std::optional<std::uint8_t> decode(int field, std::string token, bool mayRamp) const
    {
        const bool lrfPhase = field == fPhase && m_kind == SessionKind::Lrf;
        bool ramp = false;
        if (isRampField(field) && !lrfPhase && !token.empty() && token.back() == 'R') {
            ramp = true;
            if (rampMarkReplacesLast(field))
                token.back() = ' ';
            else
                token.resize(token.size() >= 2 ? token.size() - 2 : 0);
        }
        if (token.empty())
            return std::nullopt;
        std::span<const std::string> texts = FieldTexts(m_tables, field);
        if (lrfPhase)
            texts = std::span<const std::string>(m_tables.PhasePatterns).first(9);
        const auto found = std::find(texts.begin() + 1, texts.end(), token);
        const int index = static_cast<int>(found - texts.begin());
        if (found == texts.end() || index > m_tables.ParamMax[field])
            return std::nullopt;
        return static_cast<std::uint8_t>(ramp && mayRamp ? index | kRampFlag : index);
    }

    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
    SessionKind m_kind;
    const ValueTables& m_tables;
};

} // namespace

SessionKind sessionKindOf(std::string_view fileName)
{
    return endsWithNoCase(fileName, ".lsf") ? SessionKind::Lsf : SessionKind::Lrf;
}

std::string FormatSession(const SessionSnapshot& s, const ValueTables& tables)
{
    std::string out;
    auto line = [&out](std::string_view text) {
        out += text;
        out += kEol;
    };
    line(kMagic);
    line("Session Name: " + s.SessionName);
    line("Segments: " + formatInt(static_cast<std::int64_t>(s.Records.size())));
    line("Session Description:");
    // Line by line as the reader will split it, so that a description line
    // that reads as the marker can be kept from ending the description.
    std::string_view rest = s.SessionDescription;
    for (;;) {
        const std::size_t lf = rest.find('\n');
        std::string_view piece = rest.substr(0, lf);
        if (lf != std::string_view::npos && piece.ends_with('\r'))
            piece.remove_suffix(1);
        line(piece == kGlobalMarker ? std::string(piece) + " " : std::string(piece));
        if (lf == std::string_view::npos)
            break;
        rest.remove_prefix(lf + 1);
    }
    const SessionGlobals& g = s.Globals;
    line(kGlobalMarker);
    line("AM Depth: " + formatInt(g.AMDepth));
    line("BS Volume: " + formatInt(g.BSVolume));
    line("H Beat/BS Wav Volume: " + formatInt(g.HBeatBSWavVolume));
    line("Tone Wav File: " + g.ToneWavName);
    line("BS Wav File: " + g.BSWavName);
    for (int n = 1; n <= 4; ++n)
        line("User Wave " + formatInt(n) + ": " + g.UserWaves[n - 1]);
    line("FM Depth: " + formatInt(g.FMDepth));
    line(kStartMarker);
    for (std::size_t i = 0; i < s.Records.size(); ++i) {
        std::string seg = formatInt(static_cast<std::int64_t>(i + 1));
        for (int field = 1; field <= kFieldCount; ++field)
            seg += '\t' + CellText(tables, s.Records[i], field);
        line(seg);
    }
    line("END");
    return out;
}

std::variant<ParsedSession, SessionFileError> ParseSession(std::string_view bytes, SessionKind kind,
                                                           const ValueTables& tables)
{
    ParsedSession parsed;
    try {
        Reader(bytes, kind, tables).read(parsed);
    } catch (const Refusal& r) {
        return SessionFileError{r.line, r.reason};
    }
    return parsed;
}

std::string RefusalDetail(int line, std::string_view reason)
{
    std::string text = line > 0 ? "line " + std::to_string(line) + ": " : std::string();
    return text.append(reason) + ".";
}

std::string DefaultedFieldsText(std::span<const FieldRepair> repairs, std::string_view place)
{
    std::string text = "Replaced by the default segment's values:";
    int listed = 0;
    int more = 0;
    int where = 0;
    for (const FieldRepair& r : repairs) {
        if (r.Segment != where) {
            where = r.Segment;
            if (listed == kListedSegments) {
                ++more;
                continue;
            }
            ++listed;
            text += "\r\n";
            text += place;
            text += " " + formatInt(where) + ": " + fieldName(r.Field);
        } else if (more == 0) {
            text += ", " + fieldName(r.Field);
        }
    }
    if (more > 0) {
        std::string noun(place);
        if (!noun.empty() && noun[0] >= 'A' && noun[0] <= 'Z')
            noun[0] = static_cast<char>(noun[0] - 'A' + 'a');
        text += "\r\n... and " + formatInt(more) + " more " + noun + (more == 1 ? "" : "s");
    }
    return text;
}

std::string RepairWarning(const ParsedSession& parsed, bool slidersIgnored)
{
    const bool sliders = !slidersIgnored && !parsed.RepairedSliders.empty();
    if (parsed.RepairedFields.empty() && !sliders)
        return {};
    std::string text = "The session file holds values that cannot be used.";
    if (!parsed.RepairedFields.empty())
        text += "\r\n\r\n" + DefaultedFieldsText(parsed.RepairedFields, "Segment");
    if (sliders) {
        text += "\r\n";
        for (const SliderRepair& r : parsed.RepairedSliders) {
            text += "\r\n" + r.Label + ": \"" + r.Text + "\" ";
            text += r.SetTo ? "lies outside " + formatInt(kSliderMin) + ".." + formatInt(kSliderMax) +
                                  "; " + formatInt(*r.SetTo) + " is used."
                            : "is not a whole number; the current setting is kept.";
        }
    }
    return text;
}
