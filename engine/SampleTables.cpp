#include "engine/SampleTables.h"

#include "platform/Paths.h"

const std::array<const char*, kBuiltInWaves> kBuiltInWaveFiles = {
    "Sine.pcm",     "Surf.pcm",     "Square.pcm",   "Saw.pcm",    "Triangle.pcm",
    "SineMix.pcm",  "Complex.pcm",  "FSquare.pcm",  "FSaw.pcm",   "FTriangle.pcm",
    "WaveMix1.pcm", "WaveMix2.pcm", "FMWav1.pcm",   "FMWav2.pcm", "FMWav3.pcm",
};

void LoadSampleBuffers(const std::string& folder, SampleTables& samples)
{
    for (int t = 0; t < kBuiltInWaves; ++t)
        readPcmSamples(joinPath(folder, kBuiltInWaveFiles[t]), samples.WaveTables[t + 1].data(), kWaveLen);
    for (int t = 1; t <= kBuiltInWaves; ++t)
        samples.LoadedWaves[t] = samples.WaveTables[t];
    readPcmSamples(joinPath(folder, kHeartBeatFile), samples.HeartBeatPcm.data(), kHeartBeatLen);
}
