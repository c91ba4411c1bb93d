#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/SampleTables.h"

struct ValueTables;

// The arithmetic and rules of the user wave editor, over plain arrays: the mix
// of four source waves into one period, the preview producer, the editor's
// wave list and the rules for the name a wave is saved under. No Qt; the
// editor window calls these on the GUI thread.

constexpr int kMixSources = 4;
/// A mix louder than this is scaled down so that its peak is exactly this.
constexpr int kMixPeak = 32700;

/// The mix of four sources. Every array is indexed by source 0..3 (the
/// window's sources 1..4).
struct WaveMix {
    /// Entries 0..4409 used; entry 4410 stays 0.
    std::array<WaveTable, kMixSources> SourceWaves{};
    std::array<float, kMixSources> SrcAmplitude{1.0f, 1.0f, 1.0f, 1.0f};
    /// Samples, 0..4410 (4410 samples a turn, so 4410 reads as 0).
    std::array<std::int32_t, kMixSources> SrcPhaseOffset{};
    /// 1..10: the source is read that many times a period.
    std::array<std::int32_t, kMixSources> SrcFreqMult{1, 1, 1, 1};
    /// The unscaled mix.
    std::array<float, kWaveLen> MixBuf{};
    /// The result; entry 4410 stays 0.
    WaveTable DestWave{};
};

/// Amplitude of an amplitude slider position 0..100: position / 100.
float srcAmplitudeOf(int position);
/// Phase offset in samples of a phase slider position in degrees 0..360:
/// position × 12.25 rounded half to even (90° gives 1102).
std::int32_t srcPhaseOffsetOf(int position);

/// Mixes the sources into MixBuf (each term summed in long double in source
/// order, then stored as float) and scales the mix into DestWave: a mix within
/// ±32700 passes unchanged, a louder one gets its peak at exactly 32700.
void RecompDestWave(WaveMix& mix);

/// The preview's read state: 0 ≤ PreviewPos < 4410, PreviewStep samples a frame.
struct WavePreview {
    float PreviewPos = 0.0f;
    float PreviewStep = 0.0f;
};

/// Read step per frame for a pitch value text in Hz: Hz / 10 plays the
/// 4410-sample period at that pitch. A text that is not a decimal number, and
/// a pitch above 44100 Hz (a step of more than one period a frame), give 0:
/// the preview then holds one sample.
float previewStepOf(std::string_view pitchValue);

/// The preview producer: fills Size div 4 stereo frames of `buffer` with the
/// result at a tenth of its level, the same on both channels, 16-bit little
/// endian, leaves in `size` the bytes filled and returns true: the preview
/// never ends by itself. Reads entry 4410 (0) once a period, where the read
/// position rounds up to it. No allocation or libm call.
bool fillPreview(const WaveTable& destWave, WavePreview& preview, std::uint8_t* buffer, std::int32_t& size);

/// The text a table entry of WaveNames is listed with: trailing blanks and
/// control characters removed.
std::string builtInWaveName(std::string_view tableEntry);

/// The editor's wave list: the 15 built-in wave names (builtInWaveName), then
/// the user waves in the order given, each skipped when it equals an entry
/// already listed without regard to case (sameUserWaveName). "Sine", the
/// main lists' stand-in for table 1, is no file and is always skipped.
std::vector<std::string> editorWaveList(const ValueTables& tables, const std::vector<std::string>& userWaves);

/// The stem a typed file name is saved under: the name without a final
/// ".pcm" in any letter case. The file is always stem + ".pcm".
std::string_view userWaveStem(std::string_view fileName);
/// A stem may name a user wave when it is not empty and holds no ".", TAB,
/// CR or LF: list entries are file names without their ".pcm", and session
/// and interchange files keep them on lines of their own.
bool validUserWaveStem(std::string_view stem);
/// Whether `name` is exactly one of the 15 built-in wave names.
bool isBuiltInWaveName(const ValueTables& tables, std::string_view name);
