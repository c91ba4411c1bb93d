#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/IoError.h"

// The one place that knows the wav format: the header every file of ours is
// written with, the chunk walk every reader opens through, the looping reader
// of the engine and the writer of exports. Plain C++, no Qt.

/// Bytes of one stereo 16-bit frame.
constexpr int kWavFrameBytes = 4;

// ---- Header -----------------------------------------------------------------

constexpr int kWavHeaderBytes = 44;
using WavHeader = std::array<std::uint8_t, kWavHeaderBytes>;

/// Most data bytes a wav file can hold: its RIFF size (data + 36) is 32-bit.
constexpr std::int64_t kMaxWavDataBytes = 0xFFFFFFFFLL - 36; // 4 294 967 259

/// The header of every file we write: "RIFF"/"WAVE", a 16-byte fmt chunk of
/// PCM, 2 channels, 44 100 Hz, 176 400 bytes per second, block align 4, 16
/// bits, then "data"; both sizes 0 until patchWavSizes.
WavHeader canonicalWavHeader();

/// Writes the data size and the RIFF size (data + 36) into `header`.
/// `dataBytes` must not exceed kMaxWavDataBytes.
void patchWavSizes(WavHeader& header, std::int64_t dataBytes);

// ---- Reading ----------------------------------------------------------------

/// What the chunk walk found in a file. The fields are the file's own; each
/// caller applies its own format test to them.
struct WavInfo {
    /// False when the file is no RIFF/WAVE file with a "fmt " chunk of at
    /// least 16 bytes and a "data" chunk (files under 44 bytes included); the
    /// other fields are then 0.
    bool walked = false;
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;
    /// File offset of the first sample (just after the first "data" chunk's
    /// header).
    std::int64_t dataOffset = 0;
    /// Usable sample bytes: see usableWavDataBytes; a multiple of 4.
    std::int64_t dataBytes = 0;

    std::int64_t frames() const { return dataBytes / kWavFrameBytes; }
};

/// The format test of the wav choosers (player and converter): 16-bit PCM
/// (tag 1), 2 channels, 44 100 Hz.
bool isChooserWavFormat(const WavInfo& info);
/// The format test of the session reader: 2 channels, 44 100 Hz, 16 bits; the
/// format tag is not looked at.
bool isSessionWavFormat(const WavInfo& info);

/// The file dialogs' filter for wav files (either case of the extension).
inline constexpr char kWavFileFilter[] = "Wave file (*.wav *.WAV)";

/// What the choosers show when isChooserWavFormat fails.
inline constexpr char kChooserWavFormatText[] =
    "Unsupported file format!\r\n\r\nOnly Wav files (PCM, 16 bit, 44.1 kHz, stereo) are supported.";
/// What the session reader shows when isSessionWavFormat fails.
inline constexpr char kSessionWavFormatText[] =
    "Unsupported file format!\r\n\r\nOnly Wav files (16 bit, 44.1 kHz, stereo) are supported.";

/// The sample bytes of a data chunk that can really be played: the size the
/// header announces, clamped to what the file holds after the data offset and
/// rounded down to whole frames (an odd number of samples would swap left and
/// right on every other loop). Never negative.
std::int64_t usableWavDataBytes(std::uint64_t announced, std::int64_t fileBytes, std::int64_t dataOffset);

/// One wav file opened read-only for its samples: the descriptor stands at
/// the first sample. Move-only; closes the file when destroyed.
class WavData {
public:
    WavData() = default;
    WavData(int fd, std::string path, const WavInfo& info);
    ~WavData();
    WavData(WavData&& other) noexcept;
    WavData& operator=(WavData&& other) noexcept;
    WavData(const WavData&) = delete;
    WavData& operator=(const WavData&) = delete;

    /// -1 when the file could not be walked (it is closed then).
    int fd() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }
    const WavInfo& info() const { return m_info; }
    /// Hands the descriptor over; this object no longer closes it.
    int release();
    void close();

private:
    int m_fd = -1;
    std::string m_path;
    WavInfo m_info;
};

/// Opens `path` read-only and walks its chunks: "RIFF"/"WAVE", then chunks in
/// any order, each padded to an even size; the first "fmt " (at least 16
/// bytes) and the first "data" chunk count, found among the first 1024
/// chunks; the walk reads chunk headers only, a few reads whatever the file's
/// size. A walked file comes back open,
/// positioned at its first sample; a file that cannot be walked comes back
/// closed with info().walked false. Throws IoError when the file cannot be
/// opened or read.
WavData openWavData(const std::string& path);

/// The chunk walk of openWavData, for callers that only want the fields; the
/// file is closed again. Throws IoError as openWavData does.
WavInfo readWavInfo(const std::string& path);

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
    /// Takes over a file opened by openWavData: its samples from the data
    /// offset on (clamped again to the file as it is now), positioned at the
    /// first sample. Closes any file opened before; a file that could not be
    /// walked leaves the reader closed, reading silence.
    void attach(WavData data);
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
    /// Stands at frame `frame` of a data that loops from the start: frame
    /// modulo frames(), in 64 bits, so that a position counted through a
    /// whole session lands where the looping data would be. Without a whole
    /// frame of data (or for a negative frame) the first sample.
    void seekFrame(std::int64_t frame);

    /// Fills `bytes` bytes of `dst` (rounded down to whole frames; a trailing
    /// partial frame is zeroed) with the next samples, starting again at the
    /// first sample whenever the data ends. With less than one frame of data, or
    /// no file open, the samples are zero. Throws IoError when a read fails; a
    /// file that shrank since it was opened ends its data where it now ends.
    void read(std::int16_t* dst, int bytes);

private:
    void adopt(int fd, const std::string& path, std::int64_t dataOffset, std::uint64_t announcedBytes);

    int m_fd = -1;
    std::string m_path;
    std::int64_t m_dataOffset = 0;
    std::int64_t m_dataBytes = 0;
    std::int64_t m_pos = 0;
};

/// The readers' open and close as the windows call them (their Mode 0 and
/// Mode 2; other modes do nothing and report an empty info). Mode 0 opens
/// `path` through openWavData and attaches it to `reader`, positioned at its
/// first sample, and reports what the walk found so that a chooser can test
/// the format; a file that cannot be walked leaves the reader closed. Mode 2
/// closes the reader; closing twice does nothing. Throws IoError from Mode 0
/// when the file cannot be opened or read.
WavInfo wavReadProc(WavReader& reader, int mode, const std::string& path);

// ---- Writing ----------------------------------------------------------------

/// A failure of the wav writer (create, write, finish). Exports report these
/// with their own write-error text and the readers' failures with theirs.
class WavWriteError : public IoError {
public:
    using IoError::IoError;
};

/// Writes one wav file through AtomicFile, so that no partial file is ever
/// left: an earlier file of the target's name stays untouched until commit;
/// abort, a failure and the destructor leave nothing behind. GUI thread only.
class WavWriter {
public:
    WavWriter() = default;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    /// Refuses a target that is a directory or that the user may not write,
    /// creates the temporary (a symbolic link is followed, so that the file it
    /// names is the one replaced) and writes the canonical header with sizes
    /// 0. Aborts a write still open first. Throws WavWriteError.
    void open(const std::string& target);
    /// Appends `bytes` sample bytes (whole frames). Throws WavWriteError, also
    /// when the data would outgrow kMaxWavDataBytes; the temporary is then
    /// removed.
    void append(const void* data, std::size_t bytes);
    /// Patches both sizes and puts the file in the target's place. Throws
    /// WavWriteError; the temporary is then removed and the target left as
    /// it was.
    void commit();
    /// Removes the temporary; does nothing when nothing is open.
    void abort() noexcept { m_file.discard(); }

    bool isOpen() const { return m_file.isOpen(); }
    /// The file that commit replaces (a link already resolved).
    const std::string& target() const { return m_file.destination(); }
    std::int64_t dataBytes() const { return m_dataBytes; }
    std::int64_t framesWritten() const { return m_dataBytes / kWavFrameBytes; }

private:
    AtomicFile m_file;
    std::int64_t m_dataBytes = 0;
};

/// True when both paths name the same existing file (same device and inode,
/// links followed): an export must not replace a wav file it reads. False
/// when either is empty or does not exist.
bool sameFile(const std::string& a, const std::string& b);
