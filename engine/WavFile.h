#pragma once

#include <cstdint>
#include <string>

/// Bytes of one stereo 16-bit frame.
constexpr int kWavFrameBytes = 4;

/// The sample bytes of a data chunk that can really be played: the size the
/// header announces, clamped to what the file holds after the data offset and
/// rounded down to whole frames (an odd number of samples would swap left and
/// right on every other loop). Never negative.
std::int64_t usableWavDataBytes(std::uint64_t announced, std::int64_t fileBytes, std::int64_t dataOffset);

/// Streams the sample data of one open wav file, looping from its end to its
/// start, for the engine's tone and backing-sound buffers. The read position
/// is the only state: nothing depends on where the file itself stands. GUI
/// thread only.
class WavReader {
public:
    WavReader() = default;
    ~WavReader();
    WavReader(const WavReader&) = delete;
    WavReader& operator=(const WavReader&) = delete;

    /// Opens `path` read-only and takes `announcedBytes` bytes from `dataOffset`
    /// on as the samples (clamped by usableWavDataBytes), positioned at the
    /// first sample. Closes any file opened before. Throws IoError when the file
    /// cannot be opened.
    void open(const std::string& path, std::int64_t dataOffset, std::uint64_t announcedBytes);
    /// Closes the file; closing a closed reader does nothing.
    void close();

    bool isOpen() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }
    std::int64_t dataOffset() const { return m_dataOffset; }
    /// Usable sample bytes, a multiple of 4 (0 when closed).
    std::int64_t dataBytes() const { return m_dataBytes; }
    std::int64_t frames() const { return m_dataBytes / kWavFrameBytes; }
    /// Bytes of the data already read in the current loop, 0..dataBytes().
    std::int64_t position() const { return m_pos; }
    /// Back to the first sample.
    void rewind() { m_pos = 0; }

    /// Fills `bytes` bytes of `dst` (rounded down to whole frames; a trailing
    /// partial frame is zeroed) with the next samples, starting again at the
    /// first sample whenever the data ends. With less than one frame of data, or
    /// no file open, the samples are zero. Throws IoError when a read fails; a
    /// file that shrank since it was opened ends its data where it now ends.
    void read(std::int16_t* dst, int bytes);

private:
    int m_fd = -1;
    std::string m_path;
    std::int64_t m_dataOffset = 0;
    std::int64_t m_dataBytes = 0;
    std::int64_t m_pos = 0;
};
