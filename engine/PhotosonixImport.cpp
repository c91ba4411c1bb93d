#include "engine/PhotosonixImport.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/Random.h"
#include "engine/ValueTables.h"
#include "platform/Numbers.h"
#include "platform/TextLines.h"

namespace {

constexpr int kPitchEntries = 85;    // PitchNames2 entries that hold Hz
constexpr int kPercentEntries = 21;  // PercentNames
constexpr int kLowestRandomPitch = 32;
constexpr std::uint32_t kRandomPitches = 928; // 32..959 Hz
constexpr int kRelativeReach = 15;            // relative pitch entries: -15..-1, 1..15 Hz
constexpr int kTopSingleTonePitch = 73;       // a second pitch above it drops an octave
constexpr int kOctave = 12;
constexpr int kHeartBeat = 36;

/// Field numbers of a segment line.
enum LineField : int {
    kDuration = 1,
    kMode,
    kStartFreq,
    kPitch,
    kEndFreq,
    kSecondPitch,
    kPattern,
    kDuty,
    kVolume,
    kIntensity,
    kSegRamp,
    kPhaseChange,
    kTransition,
    kLoopLength,
    kLoopCount,
};

/// What a mode token sets before the branch on its tone; 0 leaves a field.
struct ModeRow {
    std::string_view token;
    int tone;
    int wave1;
    int sgVol;
};
constexpr ModeRow kModes[] = {
    {"PSu", 1, 2, 9}, {"PCh", 2, 0, 0}, {"bb", 3, 0, 9},  {"bbP", 8, 0, 0}, {"dbb", 4, 0, 0},
    {"bbS", 4, 0, 9}, {"dSb", 6, 0, 0}, {"PFr", 1, 0, 9}, {"F-S", 1, 0, 9},
};

/// Semitone step of the single-tone interval codes 1..9.
constexpr int kIntervalSteps[] = {0, 2, 3, 4, 5, 7, 8, 9, 11, 12};

/// The light patterns both branches know: a phase.
struct PhaseRow {
    std::string_view token;
    int phase;
};
constexpr PhaseRow kLightPhases[] = {{"IN", 1}, {"RL", 2}, {"FB", 3}, {"CR", 4}, {"SA", 7}, {"LA", 5}};

/// The light patterns of the two-tone branch besides those; 0 leaves a field
/// as it is.
struct PatternRow {
    std::string_view token;
    int tone;
    int phase;
    int sgVol;
};
constexpr PatternRow kTwoTonePatterns[] = {
    {"ORH", 0, 2, 0}, {"ILH", 4, 0, 0}, {"OLH", 4, 2, 0}, {"IRL", 0, 0, 7},
    {"ORL", 0, 2, 7}, {"ILL", 4, 0, 7}, {"OLL", 4, 2, 7},
};

struct PhaseChangeRow {
    std::string_view token;
    int index;
};
constexpr PhaseChangeRow kPhaseChanges[] = {{"none", 1}, {"16", 5}, {"32", 6}, {"64", 8}};

template <class Row>
const Row* findRow(std::span<const Row> rows, std::string_view token)
{
    const auto it = std::find_if(rows.begin(), rows.end(), [token](const Row& r) { return r.token == token; });
    return it == rows.end() ? nullptr : &*it;
}

bool endsSegments(std::string_view line)
{
    return line.empty() || line.front() == ';';
}

std::string_view fromSecondCharacter(std::string_view line)
{
    return line.empty() ? line : line.substr(1);
}

/// A parsed segment line: its finished record and its loop.
struct LineRecord {
    TSegRec Rec;
    std::int64_t Length = 0; // L
    std::int64_t Count = 0;  // C
};

class Parser {
public:
    Parser(const ValueTables& tables, PseudoRandom& rng, ImportedSession& out)
        : m_tables(tables)
        , m_rng(rng)
        , m_out(out)
    {
        for (int i = 1; i <= kPitchEntries; ++i)
            m_pitchHz[i] = toFloat(leadingReal(tables.PitchNames2[i]));
        for (int i = 1; i <= kPercentEntries; ++i)
            m_percent[i] = leadingWhole(tables.PercentNames[i]);
    }

    LineRecord parse(std::string_view line, int lineNo, const TSegRec& prev)
    {
        const ImportFields f = splitFields(line, '\t');
        ImportRecord r;
        r[fTime].Index = nearestEntry(duration(f[kDuration]), m_tables.TimeSecs, kTimeDistance);

        const std::string_view mode = f[kMode];
        r[fTone].Index = 1;
        r[fWave1].Index = 1;
        r[fWave2].Index = 1;
        if (const ModeRow* m = findRow<ModeRow>(kModes, mode)) {
            r[fTone].Index = m->tone;
            if (m->wave1)
                r[fWave1].Index = m->wave1;
            if (m->sgVol)
                r[fSGVol].Index = m->sgVol;
        }

        const int fs = beatFreq(f[kStartFreq]);
        ImportValue& p1 = r[fPitch1];
        p1.Index = f[kPitch] == "FSL" ? pitchIndex(kLowestRandomPitch + static_cast<std::int64_t>(
                                                                            m_rng.below(kRandomPitches)))
                                      : pitchIndex(leadingWhole(f[kPitch]));
        // The second pitch is worked from the first: it must be a real one.
        repairField(r, fPitch1, lineNo, m_tables, m_out.Repairs);
        const int fe = f[kEndFreq].empty() ? fs : beatFreq(f[kEndFreq]);

        const std::int64_t tone = r[fTone].Index;
        if (tone == 4 || tone == 6)
            twoTone(r, f, mode == "bbS");
        else
            singleTone(r, f);

        r[fDutyCycle].Index = std::lrint(static_cast<long double>(leadingWhole(f[kDuty])) / 10);
        r[fVolume].Index = nearestEntry(leadingWhole(f[kVolume]), m_percent, kNearDistance);
        r[fIntensity].Index = nearestEntry(leadingWhole(f[kIntensity]), m_percent, kNearDistance);
        if (f[kSegRamp] == "seg") {
            r[fVolume].Ramp = true;
            r[fIntensity].Ramp = true;
        }
        if (const PhaseChangeRow* pc = findRow<PhaseChangeRow>(kPhaseChanges, f[kPhaseChange]))
            r[fPhaseChange].Index = pc->index;

        const std::string_view transition = f[kTransition];
        std::array<std::int64_t, 4> freqs{};
        if (transition.empty())
            freqs = {fs, fe, fs, fe};
        else if (transition == "jump")
            freqs = {fs, fs, fe, fe};
        else if (transition == "ramp")
            freqs = {prev.Freq1To, fs, prev.Freq2To, fe};
        for (int i = 0; i < 4; ++i)
            r[fFreq1From + i].Index = freqs[i];

        if (mode == "bbS") {
            r[fTone].Index = 3;
            r[fBackingSound].Index = 2;
        } else {
            r[fBackingSound].Index = 1;
        }
        r[fHBeat].Index = kHeartBeat;
        if (r[fSGVol].Index == 0)
            r[fSGVol].Index = 5;

        LineRecord out;
        out.Length = leadingWhole(f[kLoopLength]);
        out.Count = leadingWhole(f[kLoopCount]);
        out.Rec = finishRecord(r, lineNo, m_tables, m_out.Repairs);
        return out;
    }

private:
    /// Minutes before ":" and seconds after it, or seconds alone.
    static float duration(std::string_view text)
    {
        const std::size_t colon = text.find(':');
        if (colon == std::string_view::npos)
            return toFloat(leadingReal(text));
        const long double minutes = leadingWhole(text.substr(0, colon));
        return toFloat(minutes * 60 + leadingReal(text.substr(colon + 1)));
    }

    int beatFreq(std::string_view text) const
    {
        return nearestEntry(toFloat(leadingReal(text)), m_tables.BeatFreqs, kNearDistance);
    }

    int pitchIndex(std::int64_t hz) const
    {
        return nearestEntry(toFloat(static_cast<long double>(hz)), m_pitchHz, kNearDistance);
    }

    void singleTone(ImportRecord& r, const ImportFields& f) const
    {
        std::int32_t code = leadingWhole(f[kSecondPitch]);
        if (code == 0)
            code = 9;
        const int step = code >= 1 && code <= 9 ? kIntervalSteps[code] : 0;
        std::int64_t p2 = r[fPitch1].Index + step;
        if (p2 > kTopSingleTonePitch)
            p2 -= kOctave;
        r[fPitch2].Index = p2;
        if (const PhaseRow* light = findRow<PhaseRow>(kLightPhases, f[kPattern]))
            r[fPhase].Index = light->phase;
    }

    void twoTone(ImportRecord& r, const ImportFields& f, bool backed) const
    {
        const std::string_view text = f[kSecondPitch] == "FSL" ? std::string_view("256") : f[kSecondPitch];
        std::int64_t p2 = 0;
        if (text.empty()) {
            p2 = r[fPitch1].Index;
        } else if (text.front() == 'r' || text.front() == 'R') {
            const std::int32_t n = leadingWhole(text.substr(1));
            // Past the relative entries an offset would land on an absolute
            // pitch (or outside the table): leave it for the repair.
            if (n >= -kRelativeReach && n <= kRelativeReach)
                p2 = n > 0 ? 100 + n : 101 + n;
        } else {
            p2 = pitchIndex(leadingWhole(text));
        }
        r[fPitch2].Index = p2;
        r[fTone].Index = 5;
        r[fPhase].Index = 1;
        r[fSGVol].Index = backed ? 9 : 5;
        r[fWave1].Index = 1;
        r[fWave2].Index = 1;
        if (const PatternRow* pattern = findRow<PatternRow>(kTwoTonePatterns, f[kPattern])) {
            if (pattern->tone)
                r[fTone].Index = pattern->tone;
            if (pattern->phase)
                r[fPhase].Index = pattern->phase;
            if (pattern->sgVol)
                r[fSGVol].Index = pattern->sgVol;
        } else if (const PhaseRow* light = findRow<PhaseRow>(kLightPhases, f[kPattern])) {
            r[fPhase].Index = light->phase;
        }
    }

    const ValueTables& m_tables;
    PseudoRandom& m_rng;
    ImportedSession& m_out;
    std::array<float, kPitchEntries + 1> m_pitchHz{};
    std::array<std::int32_t, kPercentEntries + 1> m_percent{};
};

} // namespace

ImportResult ParsePhotosonix(std::string_view bytes, const ValueTables& tables, PseudoRandom& rng)
{
    const std::vector<std::string> lines = splitLines(bytes);
    ImportedSession out;
    if (!lines.empty())
        out.SessionName = fromSecondCharacter(lines[0]);

    // Segment lines run from line 2 to the terminator; the description from
    // the terminator to the end.
    std::size_t end = 1;
    while (end < lines.size() && !endsSegments(lines[end]))
        ++end;
    for (std::size_t i = end; i < lines.size(); ++i) {
        if (i > end)
            out.SessionDescription += "\r\n";
        out.SessionDescription += fromSecondCharacter(lines[i]);
    }
    if (end <= 1)
        return ImportError{0, "the file holds no segment lines"};
    std::size_t segmentLines = end - 1;
    if (segmentLines > kMaxSegments) {
        segmentLines = kMaxSegments;
        out.Notes.push_back("Only the first " + formatInt(kMaxSegments) + " segment lines were read.");
    }

    std::vector<LineRecord> parsed;
    parsed.reserve(segmentLines);
    Parser parser(tables, rng, out);
    TSegRec previous; // line 1's "ramp" reads zeros, which the repair replaces
    for (std::size_t k = 0; k < segmentLines; ++k) {
        parsed.push_back(parser.parse(lines[k + 1], static_cast<int>(k + 2), previous));
        previous = parsed.back().Rec;
    }

    // Loop blocks: a record with a loop length starts a block of that many
    // records (as far as the file reaches), copied loop-count times; the
    // block's inner records are copied as they stand.
    const auto count = static_cast<std::int64_t>(parsed.size());
    bool full = false;
    for (std::int64_t k = 0; k < count && !full;) {
        TSegRec& first = parsed[k].Rec;
        if ((first.Tone == 1 || first.Tone == 3) && first.SGVol == 5)
            first.SGVol = 9;
        const std::int64_t length = parsed[k].Length;
        const std::int64_t block = length > 0 ? std::min(length, count - k) : 1;
        const std::int64_t copies = length > 0 ? parsed[k].Count : 1;
        for (std::int64_t c = 0; c < copies && !full; ++c) {
            for (std::int64_t i = k; i < k + block; ++i) {
                if (out.Records.size() == kMaxSegments) {
                    full = true;
                    out.Notes.push_back("The loops give more than " + formatInt(kMaxSegments) +
                                        " segments; only the first " + formatInt(kMaxSegments) + " were taken.");
                    break;
                }
                out.Records.push_back(parsed[i].Rec);
            }
        }
        k += length > 0 ? length : 1;
    }
    if (out.Records.empty())
        return ImportError{0, "its loop counts leave no segment"};
    return out;
}
