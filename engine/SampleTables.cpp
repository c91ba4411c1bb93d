#include "engine/SampleTables.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/IoError.h"
#include "platform/Paths.h"

const std::array<const char*, kBuiltInWaves> kBuiltInWaveFiles = {
    "Sine.pcm",     "Surf.pcm",     "Square.pcm",   "Saw.pcm",    "Triangle.pcm",
    "SineMix.pcm",  "Complex.pcm",  "FSquare.pcm",  "FSaw.pcm",   "FTriangle.pcm",
    "WaveMix1.pcm", "WaveMix2.pcm", "FMWav1.pcm",   "FMWav2.pcm", "FMWav3.pcm",
};

void readPcmSamples(const std::string& path, std::int16_t* dst, std::size_t count)
{
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw IoError(path, "open", errnoText(errno));
    std::vector<unsigned char> bytes(count * 2);
    std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (got != bytes.size()) {
        if (std::ferror(file.get()))
            throw IoError(path, "read", errnoText(errno));
        throw IoError(path, "read",
                      "the file holds " + std::to_string(got / 2) + " samples, " +
                          std::to_string(count) + " needed");
    }
    for (std::size_t i = 0; i < count; ++i)
        dst[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
}

void LoadSampleBuffers(const std::string& folder, SampleTables& samples)
{
    for (int t = 0; t < kBuiltInWaves; ++t)
        readPcmSamples(joinPath(folder, kBuiltInWaveFiles[t]), samples.WaveTables[t + 1].data(), kWaveLen);
    readPcmSamples(joinPath(folder, kHeartBeatFile), samples.HeartBeatPcm.data(), kHeartBeatLen);
}
