#pragma once

#include <cstdint>
#include <string>

#include "converter/SignalPath.h"
#include "engine/WavFile.h"

/// The converter's source wav while a run reads it: opened through the one
/// chunk walk (openWavData), tested with the caller's format test, read block
/// by block for the signal path from any frame on. Plain C++, GUI thread only.
///
/// The main window opens one for each run (Start, render) and closes it when
/// the run ends; choosing a source opens one only to test the file. The
/// presets reuse the same open with isSessionWavFormat.
class WavSource final : public SourceReader {
public:
    using Frames = std::int64_t; // signed: differences stay valid

    WavSource() = default;
    WavSource(const WavSource&) = delete;
    WavSource& operator=(const WavSource&) = delete;

    /// Opens `path` (closing any file opened before) and applies `formatTest`
    /// to what the walk found. True: the file stays open at its first frame.
    /// False: the file is no wav file or fails the test, and is closed again;
    /// info() still tells what the walk found. Throws IoError when the file
    /// cannot be opened or read.
    bool open(const std::string& path, bool (*formatTest)(const WavInfo&));
    void close();

    bool isOpen() const { return m_data.isOpen(); }
    const std::string& path() const { return m_data.path(); }
    const WavInfo& info() const { return m_info; }
    /// Whole frames of sample data (the usable bytes div 4); 0 when closed.
    Frames TotalFrames() const { return isOpen() ? m_info.frames() : 0; }
    /// File offset of the first sample.
    std::int64_t DataOffset() const { return m_info.dataOffset; }

    /// Makes `frame` (kept within 0..TotalFrames) the next frame read.
    void seekFrame(Frames frame);
    /// The next frame read, 0..TotalFrames.
    Frames position() const { return m_pos / kWavFrameBytes; }

    /// Reads up to `bytes` bytes (whole frames) of sample data from the
    /// position on. Returns the bytes read: fewer at the end of the data, and
    /// also when the file has shrunk since it was opened; -1 when the read
    /// failed. The last two set error(). Never throws: it runs inside the
    /// device's notifications.
    std::int32_t read(std::uint8_t* dst, std::int32_t bytes) override;

    /// The text of the last failed read, empty when none (cleared by open).
    const std::string& error() const { return m_error; }

private:
    WavData m_data;
    WavInfo m_info;
    std::int64_t m_pos = 0; // bytes from the first sample
    std::string m_error;
};
