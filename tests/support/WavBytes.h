#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// Wav files built byte by byte, for the readers' and writers' tests.
namespace wavbytes {

/// `v` as `bytes` little-endian bytes.
inline std::string le(std::uint32_t v, int bytes = 4)
{
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += static_cast<char>(v >> 8 * i);
    return s;
}

/// A chunk with `body`, announcing `size` (default: the body's), padded to even.
inline std::string chunk(const char* id, const std::string& body, std::int64_t size = -1)
{
    return id + le(static_cast<std::uint32_t>(size < 0 ? body.size() : size)) + body + (body.size() % 2 ? "P" : "");
}

inline std::string fmt(int tag = 1, int channels = 2, int rate = 44100, int bits = 16, int extra = 0)
{
    return chunk("fmt ", le(tag, 2) + le(channels, 2) + le(rate) + le(rate * 4) + le(4, 2) + le(bits, 2) +
                             std::string(extra, '\0'));
}

/// `n` frames: left sample 2i, right 2i + 1.
inline std::string frames(int n)
{
    std::string s;
    for (int i = 0; i < 2 * n; ++i)
        s += le(static_cast<std::uint32_t>(i), 2);
    return s;
}

inline std::string riff(const std::string& chunks)
{
    return "RIFF" + le(static_cast<std::uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

/// A file's bytes (empty when it cannot be read).
inline std::string slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace wavbytes
