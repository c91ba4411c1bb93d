#include "platform/PcmSamples.h"

#include "platform/IoError.h"
#include "platform/RegularFile.h"

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
