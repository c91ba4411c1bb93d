#include "Golden.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

/// FNV-1a over the samples' little-endian bytes.
std::uint64_t fnv1a(const std::int16_t* samples, std::size_t count)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < count; ++i) {
        const auto v = static_cast<std::uint16_t>(samples[i]);
        for (const unsigned char byte : {static_cast<unsigned char>(v & 0xFF), static_cast<unsigned char>(v >> 8)}) {
            h ^= byte;
            h *= 0x100000001b3ull;
        }
    }
    return h;
}

std::string hex(std::uint64_t v, int digits)
{
    char b[17];
    std::snprintf(b, sizeof b, "%0*llx", digits, static_cast<unsigned long long>(v));
    return b;
}

struct Golden {
    std::int64_t frames = -1;
    std::string hash;
    std::vector<std::string> chunks;
    std::vector<std::int16_t> excerpt;
};

Golden parse(const std::string& text)
{
    Golden g;
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        if (word == "frames") {
            in >> g.frames;
        } else if (word == "hash") {
            in >> g.hash;
        } else if (word == "chunks") {
            std::size_t n = 0;
            in >> n;
            g.chunks.resize(n);
            for (auto& c : g.chunks)
                in >> c;
        } else if (word == "excerpt") {
            std::size_t n = 0;
            in >> n;
            g.excerpt.resize(2 * n);
            for (auto& s : g.excerpt) {
                int v = 0;
                in >> v;
                s = static_cast<std::int16_t>(v);
            }
        }
    }
    return g;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

} // namespace

std::string goldenText(const std::vector<std::int16_t>& samples)
{
    const std::int64_t frames = static_cast<std::int64_t>(samples.size() / 2);
    std::string t = "Golden render: 16-bit stereo frames. Regenerate with LUMI_UPDATE_GOLDEN=1.\n";
    t += "frames " + std::to_string(frames) + "\n";
    t += "hash " + hex(fnv1a(samples.data(), samples.size()), 16) + "\n";
    const std::int64_t chunks = (frames + kGoldenChunkFrames - 1) / kGoldenChunkFrames;
    t += "chunks " + std::to_string(chunks) + " of " + std::to_string(kGoldenChunkFrames) + " frames";
    for (std::int64_t c = 0; c < chunks; ++c) {
        const std::int64_t first = c * kGoldenChunkFrames;
        const std::int64_t n = std::min(kGoldenChunkFrames, frames - first);
        t += c % 8 ? " " : "\n";
        t += hex(fnv1a(samples.data() + 2 * first, static_cast<std::size_t>(2 * n)) & 0xFFFFFFFFu, 8);
    }
    const std::int64_t excerpt = std::min(kGoldenExcerptFrames, frames);
    t += "\nexcerpt " + std::to_string(excerpt) + " frames, left right";
    for (std::int64_t k = 0; k < excerpt; ++k) {
        t += k % 8 ? "  " : "\n";
        t += std::to_string(samples[2 * k]) + " " + std::to_string(samples[2 * k + 1]);
    }
    return t + "\n";
}

::testing::AssertionResult matchesGolden(const std::string& path, const std::vector<std::int16_t>& samples)
{
    const std::string actual = goldenText(samples);
    if (const char* update = std::getenv("LUMI_UPDATE_GOLDEN"); update && *update && std::string(update) != "0") {
        if (!writeFile(path, actual))
            return ::testing::AssertionFailure() << "cannot write " << path;
        return ::testing::AssertionSuccess() << "rewrote " << path;
    }
    const std::string stored = readFile(path);
    if (stored == actual) {
        std::remove((path + ".actual").c_str());
        return ::testing::AssertionSuccess();
    }
    writeFile(path + ".actual", actual);
    auto failure = ::testing::AssertionFailure();
    failure << "the render differs from " << path << " (its own golden file: " << path << ".actual). ";

    const Golden want = parse(stored);
    const Golden got = parse(actual);
    if (want.frames < 0)
        return failure << "The golden file is missing or unreadable.";
    for (std::size_t i = 0; i < std::min(want.excerpt.size(), got.excerpt.size()); ++i)
        if (want.excerpt[i] != got.excerpt[i])
            return failure << "First differing frame: " << i / 2 << " (" << (i % 2 ? "right" : "left") << " "
                           << got.excerpt[i] << ", golden " << want.excerpt[i] << ").";
    for (std::size_t c = 0; c < std::min(want.chunks.size(), got.chunks.size()); ++c)
        if (want.chunks[c] != got.chunks[c])
            return failure << "First differing frame: in frames " << c * kGoldenChunkFrames << " to "
                           << (c + 1) * kGoldenChunkFrames - 1 << ".";
    if (want.frames != got.frames)
        return failure << "The render has " << got.frames << " frames, the golden " << want.frames << ".";
    return failure << "Only the file's text differs.";
}
