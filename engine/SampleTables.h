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
    /// The heart-beat sample; the entry after it stays 0.
    std::array<std::int16_t, kHeartBeatLen + 1> HeartBeatPcm{};
};

/// File names of the built-in wave tables 1..15, in table order.
extern const std::array<const char*, kBuiltInWaves> kBuiltInWaveFiles;
constexpr const char* kHeartBeatFile = "HrtBeat.pcm";

/// Loads wave tables 1..15 and the heart beat from the folder. Throws IoError
/// naming the first file that is missing or short.
void LoadSampleBuffers(const std::string& folder, SampleTables& samples);
