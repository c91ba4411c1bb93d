#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

// Preset files (.gbp) as bytes: the converter's slider positions, its three
// switches and optionally its source wav, in 17 text lines. Plain C++; the
// main window reads the file, parses, and applies only a successful parse,
// and writes the formatted bytes through AtomicFile.

/// Presets are some hundred bytes; a huge file chosen by mistake is refused
/// before it is read into memory.
constexpr std::size_t kMaxPresetFileBytes = 1 << 20;

/// The first line, written as is and never checked when read.
inline constexpr char kPresetHeader[] = "Lumisonorium SW - AS Glimmerbox Preset";

/// What a preset holds. The slider positions are not range-checked here:
/// the sliders bring any value into their range.
struct PresetValues {
    /// The positions in file order, each a main window slider.
    enum Slider : std::size_t {
        kCenterL,     // TrackBar4
        kCenterR,     // TrackBar9
        kBandL,       // TrackBar8
        kBandR,       // TrackBar10
        kLevelL,      // TrackBar7
        kLevelR,      // TrackBar12
        kTriggerL,    // TrackBar6
        kTriggerR,    // TrackBar11
        kOnDuration,  // TrackBar2
        kRetrigDelay, // TrackBar5
        kGain,        // TrackBar1
        kSliderCount
    };

    /// The source wav's file-system bytes; empty: no source.
    std::string SourcePath;
    /// The sliders' default positions until set.
    std::array<std::int32_t, kSliderCount> Sliders{142, 142, 50, 50, 100, 100, 50, 50, 0, 0, 100};
    bool Lock = false;         // CheckBox2 "L&R Controls Lock"
    bool Mix = false;          // CheckBox4 "Mix L&R Channels"
    bool HearFiltered = false; // CheckBox3 "Hear Filtered Signal"
    std::int32_t Interval = 5; // TrackBar13, detection interval
};

/// A numeric line that holds no whole number: nothing of the file may be used.
struct PresetError {
    int Line = 0;      // 1-based
    std::string Value; // the line's value as read (empty for a missing line)
};

/// The conversion error's text: "'<value>' is not a valid integer value".
std::string presetErrorText(const PresetError& error);

/// The file's bytes: 17 lines, each ended by CR LF. A source path holding a
/// line break would shift every later line, so it is written empty.
std::string FormatPreset(const PresetValues& values);

/// Reads a preset by position: the first 17 lines (LF or CR LF; missing lines
/// read as empty), each value taken from the line's 6th character on, keys
/// and header never compared. A switch is on only for exactly "1". Numbers
/// take optional leading blanks, an optional sign and digits within 32 bits,
/// nothing else; the first numeric line that fails is the error.
std::variant<PresetValues, PresetError> ParsePreset(std::string_view bytes);
