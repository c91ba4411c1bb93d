#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/Session.h"
#include "platform/PcmSamples.h"

/// One wave-table period of 4410 samples; entry 4410 is never loaded and stays 0.
using WaveTable = std::array<std::int16_t, kWaveLen + 1>;

/// The sample data the engine plays from. Tables 1..15 are the built-in waves
/// ("Sine.pcm" first), 16..19 the user-wave slots; the engine writes live noise
/// into table 2 while it plays.
struct SampleTables {
    std::array<WaveTable, kWaveTables + 1> WaveTables{};
    /// Tables 1..15 as loaded, never written afterwards: table 2 of
    /// WaveTables holds the noise of the last run, and a wave designed from
    /// a built-in one must not depend on what was played before.
    std::array<WaveTable, kBuiltInWaves + 1> LoadedWaves{};
    /// The heart-beat sample; the entry after it stays 0.
    std::array<std::int16_t, kHeartBeatLen + 1> HeartBeatPcm{};
};

/// File names of the built-in wave tables 1..15, in table order.
extern const std::array<const char*, kBuiltInWaves> kBuiltInWaveFiles;
constexpr const char* kHeartBeatFile = "HrtBeat.pcm";

/// Loads wave tables 1..15 (and their copy in LoadedWaves) and the heart
/// beat from the folder. Throws IoError naming the first file that is missing
/// or short.
void LoadSampleBuffers(const std::string& folder, SampleTables& samples);
