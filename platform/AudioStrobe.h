#pragma once

#include <cstdint>

/// The AudioStrobe encoding that both programs add to their sound: a 19 200 Hz
/// sine carrier per channel, read from one 4410-sample sine period, whose
/// amplitude carries that channel's light. Plain C++; the player's engine and
/// the converter's core both take their level values from here, so the two
/// programs encode a level identically.

/// Carrier table steps per frame: 4410 samples a period at 44 100 frames per
/// second make 19 200 Hz; the index sequence repeats every 147 frames.
constexpr std::int32_t kCarrierStep = 1920;

/// The options' "AudioStrobe" preset for the playing and recording levels,
/// also their position in a fresh options dialog, in both programs.
constexpr int kAudioStrobePresetLevel = 23;

/// What an AudioStrobe level slider position (0..100) sets.
struct AudioStrobeLevel {
    /// Carrier amplitude at full light, as a fraction of the sine table's peak.
    /// Even the top position leaves most of the range to the sound.
    float maxLevel = 0;
    /// 1 - maxLevel: the scale of the program sound before the carrier joins.
    float programScale = 1;
    /// Frames of a full light rise (or fall) from 0 to 1: position x 8, and at
    /// least the caller's minimum.
    std::int32_t rampFrames = 0;
    /// 1 / rampFrames, the light's change per frame; 1 when rampFrames is 0, so
    /// that a silent carrier's rises and falls end at once.
    float rampStep = 1;
};

/// The level rule. `position` is clamped to 0..100; every value is worked in
/// extended precision and stored as a float, as the engines store it.
AudioStrobeLevel audioStrobeLevel(int position, std::int32_t minRampFrames = 0);
