#include <algorithm>
#include <cstdint>
#include <vector>

#include "converter/SignalPath.h"
#include "engine/UserWaves.h"
#include "engine/WavFile.h"
#include "fuzz/MemoryFile.h"
#include "fuzz/ReaderChecks.h"
#include "platform/IoError.h"
#include "platform/PcmSamples.h"

namespace {

constexpr std::int16_t kUntouched = 0x5A5A;

std::int16_t sampleAt(std::string_view bytes, std::size_t i)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data()) + 2 * i;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | b[1] << 8));
}

/// A read of `count` samples into `dst` (filled with kUntouched before):
/// either all of them as stored, when the file holds them, or an IoError and
/// `dst` untouched.
template <class Read>
std::string allOrNothing(const char* reader, std::string_view bytes, std::size_t count, std::int16_t* dst,
                         Read&& read)
{
    std::fill(dst, dst + count, kUntouched);
    const bool enough = bytes.size() >= 2 * count;
    try {
        read();
    } catch (const IoError&) {
        if (enough)
            return std::string(reader) + " refused a file that holds its samples";
        if (std::any_of(dst, dst + count, [](std::int16_t s) { return s != kUntouched; }))
            return std::string(reader) + " changed its destination and failed";
        return {};
    }
    if (!enough)
        return std::string(reader) + " read samples that the file does not hold";
    for (std::size_t i = 0; i < count; ++i)
        if (dst[i] != sampleAt(bytes, i))
            return std::string(reader) + " read sample " + std::to_string(i) + " wrong";
    return {};
}

std::uint32_t le32At(std::string_view bytes, std::int64_t pos)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data()) + pos;
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

/// What the walk promises about the data of a file it accepted.
std::string walkProblems(std::string_view bytes, const WavInfo& info)
{
    const auto size = static_cast<std::int64_t>(bytes.size());
    if (!info.walked) {
        if (info.formatTag || info.channels || info.sampleRate || info.bitsPerSample || info.dataOffset ||
            info.dataBytes)
            return "a file that was not walked reports fields";
        return {};
    }
    if (size < kWavHeaderBytes || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE")
        return "walked a file that is no RIFF/WAVE file";
    if (info.dataOffset < 20 || info.dataOffset > size || (info.dataOffset - 12) % 2 != 0)
        return "the data offset " + std::to_string(info.dataOffset) + " is no chunk body in the file";
    if (bytes.substr(static_cast<std::size_t>(info.dataOffset - 8), 4) != "data")
        return "the data offset does not follow a data chunk's header";
    const std::int64_t held = std::min<std::int64_t>(le32At(bytes, info.dataOffset - 4), size - info.dataOffset);
    if (info.dataBytes != held - held % kWavFrameBytes)
        return "the data size " + std::to_string(info.dataBytes) + " is not what the file holds";
    return {};
}

/// The looping reader delivers the data as stored, from its first sample (or
/// the frame sought), starting again at its end, in blocks of any size.
std::string loopProblems(std::string_view bytes, const WavInfo& info, WavReader& reader)
{
    if (reader.isOpen() != info.walked || reader.dataBytes() != info.dataBytes ||
        reader.dataOffset() != (info.walked ? info.dataOffset : 0))
        return "the reader does not take what the walk found";
    const std::string_view data = bytes.substr(static_cast<std::size_t>(info.dataOffset),
                                               static_cast<std::size_t>(info.dataBytes));
    const auto length = static_cast<std::int64_t>(data.size());
    std::vector<std::int16_t> block;
    auto delivers = [&](std::int64_t pos, int size) {
        block.assign(static_cast<std::size_t>(size / 2), kUntouched);
        reader.read(block.data(), size);
        const auto* got = reinterpret_cast<const unsigned char*>(block.data());
        const int whole = size - size % kWavFrameBytes;
        for (int k = 0; k < size; ++k) {
            const auto want = k < whole && length >= kWavFrameBytes
                                  ? static_cast<unsigned char>(data[static_cast<std::size_t>((pos + k) % length)])
                                  : 0;
            if (got[k] != want)
                return false;
        }
        return true;
    };
    std::int64_t pos = 0;
    for (const int size : {2, 6, 1022, 4096}) {
        if (!delivers(pos, size))
            return "the reader delivered a block of " + std::to_string(size) + " bytes wrong";
        if (length > 0)
            pos = (pos + size - size % kWavFrameBytes) % length;
    }
    // A frame counted through a whole session, the RIFF size read as one.
    const std::int64_t riffSize = bytes.size() >= 8 ? le32At(bytes, 4) : 0;
    for (const std::int64_t frame : {std::int64_t{-1}, riffSize, riffSize << 31, INT64_MAX}) {
        reader.seekFrame(frame);
        const std::int64_t frames = length / kWavFrameBytes;
        if (!delivers(frames > 0 && frame > 0 ? frame % frames * kWavFrameBytes : 0, 8))
            return "the reader delivered frame " + std::to_string(frame) + " wrong";
    }
    return {};
}

} // namespace

std::string checkPcmSamples(std::string_view bytes)
{
    static MemoryFile file;
    file.write(bytes);
    std::vector<std::int16_t> dst(kHeartBeatLen);
    for (const std::size_t count : {std::size_t{kWaveLen}, std::size_t{kHeartBeatLen}}) {
        std::string problem = allOrNothing("readPcmSamples", bytes, count, dst.data(),
                                           [&] { readPcmSamples(file.path(), dst.data(), count); });
        if (!problem.empty())
            return problem;
    }
    UserWave wave;
    std::string problem = allOrNothing("ReadUserWave", bytes, wave.size(), dst.data(), [&] {
        wave = ReadUserWave(file.path());
        std::copy(wave.begin(), wave.end(), dst.begin());
    });
    if (!problem.empty())
        return problem;

    // The carrier table takes a file of exactly one period, nothing else.
    static MemoryFolder folder(SignalPath::kSineFile);
    static SignalPath path;
    folder.write(bytes);
    if (bytes.size() != static_cast<std::size_t>(SignalPath::kSineFileBytes))
        bytes = bytes.substr(0, 0); // any other length must be refused whole
    return allOrNothing("LoadSineTable", bytes, SignalPath::kSineLen, dst.data(), [&] {
        path.SineTable.fill(kUntouched);
        try {
            path.LoadSineTable(folder.path());
        } catch (...) {
            std::copy(path.SineTable.begin(), path.SineTable.end(), dst.begin());
            throw;
        }
        std::copy(path.SineTable.begin(), path.SineTable.end(), dst.begin());
    });
}

std::string checkWavFile(std::string_view bytes)
{
    static MemoryFile file;
    file.write(bytes);
    try {
        const WavInfo info = readWavInfo(file.path());
        std::string problem = walkProblems(bytes, info);
        if (!problem.empty())
            return problem;
        WavReader reader;
        const WavInfo opened = wavReadProc(reader, 0, file.path());
        if (opened.walked != info.walked || opened.dataOffset != info.dataOffset ||
            opened.dataBytes != info.dataBytes || opened.channels != info.channels)
            return "two walks of one file differ";
        problem = loopProblems(bytes, info, reader);
        if (!problem.empty())
            return problem;
        if (info.walked) {
            // Reopened from the header's own offset and size, as a session does.
            reader.open(file.path(), info.dataOffset, le32At(bytes, info.dataOffset - 4));
            problem = loopProblems(bytes, info, reader);
            if (!problem.empty())
                return "reopened: " + problem;
        }
        wavReadProc(reader, 2, file.path());
        if (reader.isOpen())
            return "the reader stays open after Mode 2";
    } catch (const IoError& e) {
        return std::string("a file in memory could not be read: ") + e.what();
    }
    return {};
}
