#include "engine/MindlabImport.h"

#include <optional>

#include "engine/ValueTables.h"
#include "platform/Numbers.h"
#include "platform/TextLines.h"

namespace {

constexpr int kHeaderLines = 4;
constexpr int kNamedPitches = 85; // PitchNames entries with two-character note names
constexpr int kHeartBeat = 36;
constexpr int kShortTime = 9; // an intensity code 1 ramps below this Time index

/// Field numbers of a segment line; 0, 7 and 8 are not read.
enum LineField : int {
    kFreqA = 1,
    kFreqB = 2,
    kDuration = 3,
    kWaveCode = 4,
    kMode = 5,
    kRampCode = 6,
    kFlagX = 9,
    kFlagY = 10,
    kPitchName = 11,
    kFreqD = 12,
    kLevel = 13,
    kFlagZ = 14,
    kLightPhase = 15,
};

// ---- The decision table ---------------------------------------------------------------

/// The groups, tried in this order: the first whose condition holds applies.
enum class Group {
    Y,     // flag Y is "1" on a segment after the first
    Wave4, // wave code "4"
    Later, // a segment after the first
    First, // segment 1
};

/// The mode character a row needs.
enum class Mode { Any, M0, M1, M3, Other };

/// The rest of a row's condition.
enum class When {
    Always,
    Z0Side1, // flag Z is "0" and the side is 1
    Z0Side2, // flag Z is "0" and the side is 2
    Z0,      // flag Z is "0"
    X0,      // flag X is "0"
};

/// A frequency pair's source. AB: From := A, To := B; D: both D; Prev: both
/// the previous record's Freq1To.
enum class Freq { NoFreq, AB, D, Prev };

/// A pitch's or wave's source. P and W: the line's pitch and wave so far;
/// One: index 1; Prev1, Prev2: the previous record's first or second pitch
/// (wave); Cross: its second on side 1, else its first.
enum class From { NoSource, P, W, One, Prev1, Prev2, Cross };

struct Decision {
    Group group;
    Mode mode;
    When when;
    int tone; // 0: left unset
    Freq freq1;
    Freq freq2;
    From pitch1;
    From pitch2;
    int sgVol; // 0: left unset
    From wave1;
    From wave2;
    int sideAfter; // 0: unchanged
};

using enum Group;
using enum Mode;
using enum When;
using enum Freq;
using enum From;

constexpr Decision kNothing(Group g, Mode m)
{
    return {g, m, Always, 0, NoFreq, NoFreq, NoSource, NoSource, 0, NoSource, NoSource, 0};
}

// One row per rule, in the order they are tried.
constexpr Decision kDecisions[] = {
    // group mode  when     tone freq1 freq2 pitch1 pitch2 sgVol wave1 wave2 side
    {Y, Any, Z0Side1, 2, AB, AB, P, Prev2, 5, W, Prev2, 2},
    {Y, Any, Z0Side2, 2, AB, AB, Prev1, P, 5, Prev1, W, 1},
    {Y, Any, X0, 5, AB, D, Cross, P, 5, One, One, 1},
    {Y, Any, Always, 5, AB, Prev, P, Cross, 5, One, One, 2},

    {Wave4, M0, Always, 1, AB, AB, P, Prev1, 13, One, One, 2},
    {Wave4, M1, Always, 1, AB, AB, Cross, P, 4, Cross, One, 2},
    {Wave4, M3, Always, 1, AB, AB, Cross, P, 2, Cross, One, 2},
    kNothing(Wave4, Other),

    {Later, M0, Z0, 1, AB, AB, P, P, 5, W, One, 2},
    {Later, M0, X0, 5, AB, D, P, P, 13, One, One, 1},
    {Later, M0, Always, 3, AB, AB, P, P, 5, One, One, 2},
    {Later, M1, Z0Side1, 2, AB, AB, P, Prev2, 3, W, Prev2, 2},
    {Later, M1, Z0Side2, 2, AB, AB, Prev1, P, 4, Prev1, W, 1},
    {Later, M1, X0, 5, AB, D, Cross, P, 4, One, One, 1},
    {Later, M1, Always, 5, AB, Prev, P, Cross, 3, One, One, 2},
    {Later, M3, Z0Side1, 2, AB, AB, P, Prev2, 1, W, Prev2, 2},
    {Later, M3, Z0Side2, 2, AB, AB, Prev1, P, 2, Prev1, W, 1},
    {Later, M3, X0, 5, AB, D, Cross, P, 2, One, One, 1},
    {Later, M3, Always, 5, AB, Prev, P, Cross, 1, One, One, 2},
    kNothing(Later, Other),

    {First, Any, Z0, 1, AB, AB, P, P, 5, W, One, 2},
    {First, Any, X0, 5, AB, D, P, P, 13, One, One, 2},
    {First, Any, Always, 3, AB, AB, P, P, 5, One, One, 2},
};

/// Wave codes "0".."3" as WaveNames indexes: Sine, SineMix, Square, Surf.
constexpr int kWaves[] = {1, 6, 3, 2};
/// Light phase codes "0".."7" as Phase indexes.
constexpr int kPhases[] = {6, 1, 4, 5, 2, 8, 7, 3};

// ---- Reading fields ---------------------------------------------------------------------

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

/// The field's first character; '\0' (which no rule names) for an empty one.
char firstChar(std::string_view field)
{
    return field.empty() ? '\0' : field.front();
}

/// Blanks, an optional sign, digits with an optional "." and digits, blanks.
std::optional<float> decimalField(std::string_view text)
{
    text = trimBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    const std::optional<long double> value = parseDecimal(text);
    if (!value)
        return std::nullopt;
    return toFloat(*value);
}

struct NumberField {
    int field;
    const char* meaning;
};
constexpr NumberField kNumberFields[] = {
    {kFreqA, "first frequency"}, {kFreqB, "second frequency"}, {kDuration, "duration"}, {kFreqD, "third frequency"}};

// ---- Segment lines ----------------------------------------------------------------------

class Parser {
public:
    Parser(const ValueTables& tables, ImportedSession& out)
        : m_tables(tables)
        , m_out(out)
    {
    }

    /// Segment `segment` (1-based) from file line `lineNo`; the reason when a
    /// number field is not a number.
    std::optional<ImportError> parse(std::string_view line, int lineNo, int segment)
    {
        const ImportFields f = splitFields(line, ',');
        int beat[kImportFields]{};
        float seconds = 0;
        for (const NumberField& n : kNumberFields) {
            const std::optional<float> value = decimalField(f[n.field]);
            if (!value)
                return ImportError{lineNo, "field " + formatInt(n.field + 1) + " (" + n.meaning +
                                               ") is not a decimal number"};
            if (n.field == kDuration)
                seconds = *value;
            else
                beat[n.field] = nearestEntry(*value, m_tables.BeatFreqs, kNearDistance);
        }
        ImportRecord r;
        r[fTime].Index = nearestEntry(seconds, m_tables.TimeSecs, kTimeDistance);
        // The intensity rule reads the Time index: it must be a real one.
        repairField(r, fTime, lineNo, m_tables, m_out.Repairs);

        const char waveCode = firstChar(f[kWaveCode]);
        if (waveCode >= '0' && waveCode <= '3')
            m_wave = kWaves[waveCode - '0'];
        if (const int pitch = namedPitch(f[kPitchName]))
            m_pitch = pitch;
        const char light = firstChar(f[kLightPhase]);
        if (light >= '0' && light <= '7')
            r[fPhase].Index = kPhases[light - '0'];

        const Decision& d = decide(f, segment);
        r[fTone].Index = d.tone;
        setFreqs(r, fFreq1From, d.freq1, beat);
        setFreqs(r, fFreq2From, d.freq2, beat);
        r[fPitch1].Index = source(d.pitch1, m_pitch, fPitch1);
        r[fPitch2].Index = source(d.pitch2, m_pitch, fPitch1);
        r[fSGVol].Index = d.sgVol;
        r[fWave1].Index = source(d.wave1, m_wave, fWave1);
        r[fWave2].Index = source(d.wave2, m_wave, fWave1);
        if (d.sideAfter)
            m_side = d.sideAfter;

        // No phase change, 50 % duty, 100 % volume, no backing sound.
        r[fPhaseChange].Index = 1;
        r[fDutyCycle].Index = 5;
        r[fVolume].Index = 21;
        r[fBackingSound].Index = 1;
        r[fHBeat].Index = kHeartBeat;

        const char rampCode = firstChar(f[kRampCode]);
        const char level = firstChar(f[kLevel]);
        if (level >= '0' && level <= '9' && (rampCode == '0' || rampCode == '1' || rampCode == '3')) {
            r[fIntensity].Index = 2 * (level - '0') + 1;
            r[fIntensity].Ramp = rampCode == '3' || (rampCode == '1' && r[fTime].Index < kShortTime);
        }
        if ((r[fTone].Index == 1 || r[fTone].Index == 3) && r[fSGVol].Index == 5)
            r[fSGVol].Index = 9;

        m_prev = finishRecord(r, lineNo, m_tables, m_out.Repairs);
        m_out.Records.push_back(m_prev);
        return std::nullopt;
    }

private:
    /// The last of PitchNames 1..85 that equals the field's first two
    /// characters; 0 when none does.
    int namedPitch(std::string_view field) const
    {
        if (field.size() < 2)
            return 0;
        const std::string_view name = field.substr(0, 2);
        int found = 0;
        for (int k = 1; k <= kNamedPitches; ++k)
            if (m_tables.PitchNames[k] == name)
                found = k;
        return found;
    }

    const Decision& decide(const ImportFields& f, int segment) const
    {
        const char mode = firstChar(f[kMode]);
        const bool z0 = firstChar(f[kFlagZ]) == '0';
        const auto holds = [&](const Decision& d) {
            bool group = false;
            switch (d.group) {
            case Y: group = segment >= 2 && firstChar(f[kFlagY]) == '1'; break;
            case Wave4: group = firstChar(f[kWaveCode]) == '4'; break;
            case Later: group = segment >= 2; break;
            case First: group = segment == 1; break;
            }
            bool modeHolds = false;
            switch (d.mode) {
            case Any: modeHolds = true; break;
            case M0: modeHolds = mode == '0'; break;
            case M1: modeHolds = mode == '1'; break;
            case M3: modeHolds = mode == '3'; break;
            case Other: modeHolds = mode != '0' && mode != '1' && mode != '3'; break;
            }
            bool when = false;
            switch (d.when) {
            case Always: when = true; break;
            case Z0Side1: when = z0 && m_side == 1; break;
            case Z0Side2: when = z0 && m_side == 2; break;
            case Z0: when = z0; break;
            case X0: when = firstChar(f[kFlagX]) == '0'; break;
            }
            return group && modeHolds && when;
        };
        // A group's rows cover every line the group takes, so the first row
        // that holds lies in the first group whose condition holds.
        for (const Decision& d : kDecisions)
            if (holds(d))
                return d;
        return kDecisions[std::size(kDecisions) - 1]; // not reached: segment 1 or later
    }

    /// A From/To pair; `beat` holds the BeatFreqs index of each number field.
    void setFreqs(ImportRecord& r, int fromField, Freq freq, const int (&beat)[kImportFields]) const
    {
        int from = 0;
        int to = 0;
        switch (freq) {
        case NoFreq: break;
        case AB: from = beat[kFreqA]; to = beat[kFreqB]; break;
        case D: from = to = beat[kFreqD]; break;
        case Prev: from = to = m_prev.Freq1To; break;
        }
        r[fromField].Index = from;
        r[fromField + 1].Index = to;
    }

    /// A pitch or wave by its source; `first` is fPitch1 or fWave1, the
    /// second of the pair following it.
    int source(From from, int own, int first) const
    {
        const auto prev = [&](int field) { return m_prev[field] & ~kRampFlag; };
        switch (from) {
        case NoSource: return 0;
        case P:
        case W: return own;
        case One: return 1;
        case Prev1: return prev(first);
        case Prev2: return prev(first + 1);
        case Cross: return prev(m_side == 1 ? first + 1 : first);
        }
        return 0;
    }

    const ValueTables& m_tables;
    ImportedSession& m_out;
    TSegRec m_prev;   // the finished previous record; zeros before segment 1
    int m_side = 2;
    int m_wave = 0;   // W, 0 until a line sets it
    int m_pitch = 0;  // P, likewise
};

} // namespace

ImportResult ParseMindlab(std::string_view bytes, const ValueTables& tables)
{
    const std::vector<std::string> lines = splitLines(bytes);
    if (lines.empty())
        return ImportError{0, "the file is empty"};
    ImportedSession out;
    const std::string_view header = lines[0];
    const std::size_t comma = header.find(',');
    if (comma == std::string_view::npos)
        return ImportError{1, "the line holds no segment count after the name"};
    out.SessionName = header.substr(0, comma);
    std::string_view countText = header.substr(comma + 1);
    countText = countText.substr(0, countText.find(','));
    const std::optional<std::int64_t> count = parseWholeNumber(trimBlanks(countText));
    if (!count || *count < 1 || *count > kMaxSegments)
        return ImportError{1, "the segment count must be a whole number from 1 to " + formatInt(kMaxSegments)};
    if (lines.size() < kHeaderLines)
        return ImportError{static_cast<int>(lines.size()) + 1, "the file ends before its segment lines"};
    const std::string_view description = lines[1];
    out.SessionDescription = description.substr(0, description.find(','));

    Parser parser(tables, out);
    out.Records.reserve(static_cast<std::size_t>(*count));
    for (int i = 1; i <= *count; ++i) {
        const int lineNo = kHeaderLines + i;
        if (lineNo > static_cast<int>(lines.size()))
            return ImportError{lineNo, "the file ends before segment " + formatInt(i) + " of " + formatInt(*count)};
        if (std::optional<ImportError> refused = parser.parse(lines[lineNo - 1], lineNo, i))
            return *refused;
    }
    return out;
}
