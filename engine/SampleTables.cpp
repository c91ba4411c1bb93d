#include "engine/SampleTables.h"

#include "platform/IoError.h"
#include "platform/Paths.h"
#include "platform/RegularFile.h"

const std::array<const char*, kBuiltInWaves> kBuiltInWaveFiles = {
    "Sine.pcm",     "Surf.pcm",     "Square.pcm",   "Saw.pcm",    "Triangle.pcm",
    "SineMix.pcm",  "Complex.pcm",  "FSquare.pcm",  "FSaw.pcm",   "FTriangle.pcm",
    "WaveMix1.pcm", "WaveMix2.pcm", "FMWav1.pcm",   "FMWav2.pcm", "FMWav3.pcm",
};

void readPcmSamples(const std::string& path, std::int16_t* dst, std::size_t count)
{
    // Only the samples needed are read; anything after them is ignored.
    const std::string bytes = readRegularFile(path, count * 2);
    if (bytes.size() != count * 2)
        throw IoError(path, "read",
                      "the file holds " + std::to_string(bytes.size() / 2) + " samples, " + std::to_string(count) +
                          " needed");
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < count; ++i)
        dst[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(b[2 * i] | (b[2 * i + 1] << 8)));
}

void LoadSampleBuffers(const std::string& folder, SampleTables& samples)
{
    for (int t = 0; t < kBuiltInWaves; ++t)
        readPcmSamples(joinPath(folder, kBuiltInWaveFiles[t]), samples.WaveTables[t + 1].data(), kWaveLen);
    readPcmSamples(joinPath(folder, kHeartBeatFile), samples.HeartBeatPcm.data(), kHeartBeatLen);
}
