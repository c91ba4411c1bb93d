#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/PcmSamples.h"

/// Most segments a session holds.
constexpr int kMaxSegments = 2000;
/// Samples in one wave-table period (one period at 10 Hz).
constexpr int kWaveLen = 4410;
/// Wave tables: 1..15 built in, 16..19 the user-wave slots.
constexpr int kWaveTables = 19;
constexpr int kBuiltInWaves = 15;
constexpr int kHeartBeatLen = 23599;

/// Row numbers of a segment's fields, 1-based in record order (also the
/// spreadsheet editor's rows).
enum SegField : int {
    fTime = 1,
    fTone,
    fFreq1From,
    fFreq1To,
    fFreq2From,
    fFreq2To,
    fPitch1,
    fPitch2,
    fPhase,
    fPhaseChange,
    fDutyCycle,
    fVolume,
    fIntensity,
    fSGVol,
    fWave1,
    fWave2,
    fBackingSound,
    fHBeat,
};
constexpr int kFieldCount = 18;

/// Bit 7 of a ramp field: the value glides from the previous segment's.
constexpr std::uint8_t kRampFlag = 128;

/// Whether bit 7 of this field is the ramp flag (Pitch 1/2, Phase, Duty,
/// Volume, Intensity, Wave 1/2, H Beat).
constexpr bool isRampField(int field)
{
    return field == fPitch1 || field == fPitch2 || field == fPhase || field == fDutyCycle ||
           field == fVolume || field == fIntensity || field == fWave1 || field == fWave2 ||
           field == fHBeat;
}

/// One segment: 18 one-byte choices, each a 1-based index into its field's
/// value table (0 = unset). Stored byte for byte in this order.
struct TSegRec {
    std::uint8_t Time = 0;
    std::uint8_t Tone = 0;
    std::uint8_t Freq1From = 0;
    std::uint8_t Freq1To = 0;
    std::uint8_t Freq2From = 0;
    std::uint8_t Freq2To = 0;
    std::uint8_t Pitch1 = 0;
    std::uint8_t Pitch2 = 0;
    std::uint8_t Phase = 0;
    std::uint8_t PhaseChange = 0;
    std::uint8_t DutyCycle = 0;
    std::uint8_t Volume = 0;
    std::uint8_t Intensity = 0;
    std::uint8_t SGVol = 0;
    std::uint8_t Wave1 = 0;
    std::uint8_t Wave2 = 0;
    std::uint8_t BackingSound = 0;
    std::uint8_t HBeat = 0;

    /// Field by row number 1..18 (see SegField).
    std::uint8_t& operator[](int field) { return this->*kFields[field - 1]; }
    std::uint8_t operator[](int field) const { return this->*kFields[field - 1]; }

    friend bool operator==(const TSegRec&, const TSegRec&) = default;

private:
    static constexpr std::uint8_t TSegRec::*kFields[kFieldCount] = {
        &TSegRec::Time,        &TSegRec::Tone,       &TSegRec::Freq1From,   &TSegRec::Freq1To,
        &TSegRec::Freq2From,   &TSegRec::Freq2To,    &TSegRec::Pitch1,      &TSegRec::Pitch2,
        &TSegRec::Phase,       &TSegRec::PhaseChange, &TSegRec::DutyCycle,  &TSegRec::Volume,
        &TSegRec::Intensity,   &TSegRec::SGVol,      &TSegRec::Wave1,       &TSegRec::Wave2,
        &TSegRec::BackingSound, &TSegRec::HBeat,
    };
};
static_assert(sizeof(TSegRec) == 18, "a segment record is 18 bytes");

/// The open session. One instance lives for the whole run; GUI thread only.
struct Session {
    /// Segments 1..SegCount; entry 0 holds nothing. New, open and import zero
    /// all 2000 records first.
    std::array<TSegRec, kMaxSegments + 1> Segments{};
    std::int32_t SegCount = 1;
    /// Cumulative end frame of each segment; SegEnd[0] = 0 starts segment 1.
    /// 64-bit so that long sessions at a large length factor cannot wrap.
    std::array<std::int64_t, kMaxSegments + 1> SegEnd{};
    std::string SesFileName;        // full path, empty for a new session
    /// SesFileName is a name the user never chose (the .lsf beside an opened
    /// older-kind file): the next save asks before it replaces a file there.
    bool AskBeforeReplace = false;
    std::string SesTitle;           // file name without folder and extension
    std::string SessionName;        // at most 30 characters typed
    std::string SessionDescription; // at most 255 characters typed, CR LF breaks
    bool SesModified = false;
};

/// A whole session to install in place of the open one: what New makes and
/// what an import reads. The records are segments 1, 2, ...; more than 2000
/// are cut, none counts as one unset segment.
struct SessionImage {
    std::vector<TSegRec> Records;
    std::string SessionName;
    std::string SessionDescription;
    std::string FileName; // "" for a new session
};

/// The title of a session file: the characters after the last "/" or "\",
/// without the last four (the extension).
std::string sessionTitleOf(const std::string& fileName);
