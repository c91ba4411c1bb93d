#include "engine/ValueTables.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string_view>
#include <vector>

#include "platform/Arith.h"
#include "platform/IoError.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/TextLines.h"

namespace {

// First line of each block of the data file (1-based).
constexpr int kTimeLine = 1;          // 32 pairs: name, seconds
constexpr int kToneLine = 65;         // 27 names
constexpr int kPitchLine = 92;        // 115 triples: value, name 2, name
constexpr int kPatternLine = 437;     // 8 phase patterns
constexpr int kPhaseLine = 445;       // 10 names
constexpr int kPhaseChangeLine = 455; // 8 names
constexpr int kSGVolLine = 463;       // 13 names
constexpr int kWaveLine = 476;        // 19 names
constexpr int kBackingLine = 495;     // 5 names
constexpr int kDefaultLine = 500;     // 18 bytes
constexpr int kMaxLine = 519;         // 18 bytes (line 518 is not used)

constexpr int kAbsolutePitches = 85;

class Reader {
public:
    Reader(const std::vector<std::string>& lines, const std::string& path)
        : m_lines(lines)
        , m_path(path)
    {
    }

    const std::string& text(int line) const { return m_lines[line - 1]; }

    [[noreturn]] void fail(int line, const std::string& reason) const
    {
        throw DataFileError(m_path, line, reason);
    }

    /// A table text: non-empty, without TAB (session files separate with it).
    std::string name(int line) const
    {
        const std::string& t = text(line);
        if (t.empty())
            fail(line, "empty text");
        if (t.find('\t') != std::string::npos)
            fail(line, "text holds a TAB");
        return t;
    }

    /// A decimal number above 0 and at most `max`.
    long double positive(int line, long double max) const
    {
        auto v = parseDecimal(text(line));
        if (!v)
            fail(line, "not a decimal number");
        if (!(*v > 0))
            fail(line, "must be above 0");
        if (*v > max)
            fail(line, "must not exceed " + formatInt(static_cast<std::int64_t>(max)));
        return *v;
    }

    int byte(int line) const
    {
        auto v = parseWholeNumber(text(line));
        if (!v)
            fail(line, "not a whole number");
        if (*v < 0 || *v > 255)
            fail(line, "not a byte value");
        return static_cast<int>(*v);
    }

private:
    const std::vector<std::string>& m_lines;
    const std::string& m_path;
};

/// Table texts are looked up by text (session files, imports): no two alike.
template <std::size_t N>
void requireUnique(const Reader& in, const std::array<std::string, N>& table, int count,
                   int firstLine, int stride)
{
    std::set<std::string_view> seen;
    for (int i = 1; i <= count; ++i) {
        if (!seen.insert(table[i]).second)
            in.fail(firstLine + (i - 1) * stride, "text appears twice in its table");
    }
}

/// The session reader takes a trailing " R" as a ramp mark.
void requireNoRampLook(const Reader& in, const std::string& t, int line)
{
    if (!t.empty() && t.back() == 'R')
        in.fail(line, "a name that ends in \"R\" reads as a ramp mark");
}

template <std::size_t N>
void readNames(const Reader& in, std::array<std::string, N>& table, int count, int firstLine)
{
    for (int i = 1; i <= count; ++i)
        table[i] = in.name(firstLine + i - 1);
    requireUnique(in, table, count, firstLine, 1);
}

} // namespace

DataFileError::DataFileError(std::string path, int line, const std::string& reason)
    : std::runtime_error("The data file \"" + path + "\" cannot be used: line " +
                         std::to_string(line) + ": " + reason + ".")
    , m_path(std::move(path))
    , m_line(line)
{
}

int ValueTables::tableSize(int field)
{
    static constexpr int kSizes[kFieldCount] = {32, 27, 156, 156, 156, 156, 115, 115, 10,
                                                8,  8,  21,  21,  13,  19,  19,  5,   91};
    return field >= 1 && field <= kFieldCount ? kSizes[field - 1] : 0;
}

void BuildComputedTables(ValueTables& t)
{
    for (int i = 1; i <= 95; ++i) {
        t.BeatFreqs[i] = static_cast<float>(static_cast<ext>(i) * 0.1L + 0.4L);
        t.BeatFreqNames[i] = formatFixed(t.BeatFreqs[i], 1);
    }
    for (int j = 1; j <= 40; ++j) {
        t.BeatFreqs[95 + j] = static_cast<float>(static_cast<ext>(j) * 0.25L + 9.75L);
        t.BeatFreqNames[95 + j] = formatFixed(t.BeatFreqs[95 + j], 2);
    }
    for (int j = 1; j <= 21; ++j) {
        t.BeatFreqs[135 + j] = static_cast<float>(j + 19);
        t.BeatFreqNames[135 + j] = formatFixed(t.BeatFreqs[135 + j], 2);
    }
    // The Schumann resonance takes the place of 7.8 Hz.
    t.BeatFreqs[74] = 7.83f;
    t.BeatFreqNames[74] = "7.83";

    for (int k = 1; k <= 8; ++k)
        t.DutyCycleNames[k] = formatInt(10 * k);
    // Two blanks behind the number: a ramp mark replaces the last one.
    for (int k = 0; k <= 20; ++k)
        t.PercentNames[k + 1] = formatInt(5 * k) + "  ";
    for (int k = 10; k <= 100; ++k)
        t.HBeatNames[k - 9] = formatInt(k) + "  ";
}

void ParseDataFile(const std::string& text, const std::string& path, ValueTables& out)
{
    const std::vector<std::string> lines = splitLines(text);
    Reader in(lines, path);
    if (static_cast<int>(lines.size()) != kDataFileLines) {
        int line = lines.size() < kDataFileLines ? static_cast<int>(lines.size()) + 1 : kDataFileLines + 1;
        throw DataFileError(path, line,
                            "the file has " + std::to_string(lines.size()) + " lines, " +
                                std::to_string(kDataFileLines) + " expected");
    }

    ValueTables t;
    for (int i = 1; i <= 32; ++i) {
        int line = kTimeLine + 2 * (i - 1);
        t.TimeNames[i] = in.name(line);
        t.TimeSecs[i] = static_cast<float>(in.positive(line + 1, kMaxTimeSecs));
    }
    requireUnique(in, t.TimeNames, 32, kTimeLine, 2);

    readNames(in, t.ToneNames, 27, kToneLine);
    BuildComputedTables(t);

    for (int i = 1; i <= 115; ++i) {
        int line = kPitchLine + 3 * (i - 1);
        t.PitchValues[i] = in.name(line);
        t.PitchNames2[i] = in.name(line + 1);
        t.PitchNames[i] = in.name(line + 2);
        const std::string& v = t.PitchValues[i];
        if (i <= kAbsolutePitches) {
            in.positive(line, kMaxPitchHz);
            if (!parseDecimal(t.PitchNames2[i]))
                in.fail(line + 1, "not a decimal number");
            if (t.PitchNames[i].size() != 2)
                in.fail(line + 2, "an absolute pitch's name has two characters");
        } else {
            const std::optional<std::int64_t> offset = v.size() >= 2 && v[0] == 'r' && v[1] != ' '
                                                           ? parseWholeNumber(std::string_view(v).substr(1))
                                                           : std::nullopt;
            if (!offset)
                in.fail(line, "a relative pitch is \"r\" followed by a whole number");
            if (*offset < -kMaxPitchHz || *offset > kMaxPitchHz)
                in.fail(line, "a relative pitch lies within r-" + formatInt(kMaxPitchHz) + "..r" +
                                  formatInt(kMaxPitchHz));
        }
        requireNoRampLook(in, t.PitchNames[i], line + 2);
    }
    requireUnique(in, t.PitchValues, 115, kPitchLine, 3);
    requireUnique(in, t.PitchNames2, 115, kPitchLine + 1, 3);
    requireUnique(in, t.PitchNames, 115, kPitchLine + 2, 3);

    for (int k = 1; k <= 8; ++k) {
        int line = kPatternLine + k - 1;
        t.PhasePatterns[k] = in.name(line);
        const std::string& p = t.PhasePatterns[k];
        if (p.size() < 5)
            in.fail(line, "a phase pattern has at least 5 characters");
        // Characters 1, 2, 4, 5 belong to channels 1..4; character 3 separates.
        const char chars[4] = {p[0], p[1], p[3], p[4]};
        for (int c = 0; c < 4; ++c)
            t.PhaseTable[k][c] = chars[c] == 'O' ? 0.0f : 0.5f;
    }
    requireUnique(in, t.PhasePatterns, 8, kPatternLine, 1);

    readNames(in, t.PhaseNames, 10, kPhaseLine);
    for (int k = 1; k <= 10; ++k)
        requireNoRampLook(in, t.PhaseNames[k], kPhaseLine + k - 1);
    t.PhaseTable[9] = {0.0f, 0.5f, 0.5f, 0.0f};
    t.PhaseTable[10] = {0.5f, 0.0f, 0.0f, 0.5f};

    readNames(in, t.PhaseChangeNames, 8, kPhaseChangeLine);
    for (int k = 2; k <= 8; ++k) {
        auto secs = leadingInteger(t.PhaseChangeNames[k]);
        if (!secs || *secs < 1 || *secs > 86400)
            in.fail(kPhaseChangeLine + k - 1, "a phase change begins with its period in whole seconds");
    }

    readNames(in, t.SGVolNames, 13, kSGVolLine);
    readNames(in, t.WaveNames, 19, kWaveLine);
    for (int k = 1; k <= 19; ++k)
        requireNoRampLook(in, t.WaveNames[k], kWaveLine + k - 1);
    readNames(in, t.BackingSoundNames, 5, kBackingLine);

    for (int f = 1; f <= kFieldCount; ++f) {
        int line = kMaxLine + f - 1;
        int max = in.byte(line);
        int limit = isRampField(f) ? std::min(ValueTables::tableSize(f), 127) : ValueTables::tableSize(f);
        if (max < 1 || max > limit)
            in.fail(line, "a maximum lies within 1.." + std::to_string(limit));
        t.ParamMax[f] = static_cast<std::uint8_t>(max);
    }
    for (int f = 1; f <= kFieldCount; ++f) {
        int line = kDefaultLine + f - 1;
        int value = in.byte(line);
        if (value < 1 || value > t.ParamMax[f])
            in.fail(line, "a default value lies within 1.." + std::to_string(t.ParamMax[f]));
        t.DefaultSegment[f] = static_cast<std::uint8_t>(value);
    }

    out = std::move(t);
}

void LoadVars(const std::string& folder, ValueTables& tables)
{
    const std::string path = joinPath(folder, "DatLU.dat");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw IoError(path, "open", "the file is missing or unreadable");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        throw IoError(path, "read");
    ParseDataFile(text, path, tables);
}
