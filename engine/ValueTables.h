#pragma once

#include <array>
#include <stdexcept>
#include <string>

#include "engine/Session.h"

/// Every value table of a segment's fields, the default and maximum records
/// and the four-channel phase table. All arrays are 1-based; entry 0 is empty.
/// Filled once at start-up by LoadVars and read-only afterwards.
struct ValueTables {
    std::array<std::string, 33> TimeNames;
    std::array<float, 33> TimeSecs{};
    std::array<std::string, 28> ToneNames;
    std::array<float, 157> BeatFreqs{};
    std::array<std::string, 157> BeatFreqNames;
    std::array<std::string, 116> PitchValues; // what the engine plays: Hz, or "r" + n
    std::array<std::string, 116> PitchNames2; // Hz as numbers (1..85)
    std::array<std::string, 116> PitchNames;  // what the editors show and files store
    std::array<std::string, 11> PhasePatterns; // 1..8 used
    std::array<std::string, 11> PhaseNames;
    std::array<std::string, 9> PhaseChangeNames;
    std::array<std::string, 9> DutyCycleNames;
    std::array<std::string, 22> PercentNames;
    std::array<std::string, 14> SGVolNames;
    std::array<std::string, 20> WaveNames;
    std::array<std::string, 6> BackingSoundNames;
    std::array<std::string, 92> HBeatNames;
    /// Template of every new segment; no ramp flags.
    TSegRec DefaultSegment;
    /// Highest valid index of each field, by field.
    TSegRec ParamMax;
    /// Offset (0 or 0.5 of a pulse period) of pulse channels 1..4 (index 0..3)
    /// for each Phase choice 1..10.
    std::array<std::array<float, 4>, 11> PhaseTable{};

    friend bool operator==(const ValueTables&, const ValueTables&) = default;

    /// Number of entries of the table that row (field) 1..18 indexes; 0 for
    /// any other row.
    static int tableSize(int field);
};

/// A data file that cannot be used: names the file and the 1-based line.
class DataFileError : public std::runtime_error {
public:
    DataFileError(std::string path, int line, const std::string& reason);
    const std::string& path() const { return m_path; }
    int line() const { return m_line; }

private:
    std::string m_path;
    int m_line;
};

constexpr int kDataFileLines = 536;

/// Longest segment duration the data file may give, in seconds: 2000 such
/// segments keep the session length in whole seconds within 32 bits, and
/// every frame position far within 64 bits at any session-length factor.
constexpr long double kMaxTimeSecs = 1e6;
/// Highest absolute pitch, and largest offset of a relative one, in Hz: at
/// most one wave-table period per frame, a step the generators can take.
constexpr int kMaxPitchHz = kFrameRate;

/// Reads "DatLU.dat" from the folder into the tables. The file is parsed and
/// checked whole before anything is stored, so the tables are either complete
/// and consistent or untouched. Throws IoError when the file cannot be read and
/// DataFileError when its content would break the engine or the session file.
void LoadVars(const std::string& folder, ValueTables& tables);

/// Parses the text of a data file (LF or CR LF lines) into the tables;
/// LoadVars without the file. `path` only names the file in errors.
void ParseDataFile(const std::string& text, const std::string& path, ValueTables& tables);

/// The table entries that do not come from the data file: beat frequencies and
/// their texts, duty cycle, percent and heart-beat texts.
void BuildComputedTables(ValueTables& tables);
