#include "engine/WavFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::uint16_t le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void put16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* p, std::uint32_t v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}

bool isId(const std::uint8_t* p, const char (&id)[5])
{
    return std::memcmp(p, id, 4) == 0;
}

/// Chunks looked at before "fmt " and "data" are both found; real files have
/// a handful.
constexpr int kMaxWalkedChunks = 1024;

/// Reads a file through a window of its bytes, so that walking a file of many
/// small chunks costs a few system calls rather than one per chunk.
class WindowedFile {
public:
    WindowedFile(int fd, std::int64_t size, const std::string& path)
        : m_fd(fd)
        , m_size(size)
        , m_path(path)
    {
    }

    /// Copies `n` (at most 16) bytes from `pos` to `dst`; false when the file
    /// ends first. Throws IoError when a read fails.
    bool read(std::int64_t pos, std::uint8_t* dst, int n)
    {
        if (pos < 0 || pos + n > m_size)
            return false;
        if (pos < m_start || pos + n > m_start + m_length)
            fill(pos);
        if (pos + n > m_start + m_length)
            return false; // the file shrank under us
        std::memcpy(dst, m_window.data() + (pos - m_start), static_cast<std::size_t>(n));
        return true;
    }

private:
    void fill(std::int64_t pos)
    {
        m_start = pos;
        m_length = 0;
        while (m_length < static_cast<std::int64_t>(m_window.size())) {
            const ssize_t got = ::pread(m_fd, m_window.data() + m_length, m_window.size() - m_length, pos + m_length);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                throw IoError(m_path, "read", errnoText(errno));
            }
            if (got == 0)
                break;
            m_length += got;
        }
    }

    int m_fd;
    std::int64_t m_size;
    const std::string& m_path;
    std::vector<std::uint8_t> m_window = std::vector<std::uint8_t>(4096);
    std::int64_t m_start = 0;
    std::int64_t m_length = 0;
};

/// The chunk walk over an open file; see openWavData.
WavInfo walkChunks(int fd, const std::string& path)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw IoError(path, "read", errnoText(errno));
    // Only a regular file has a size to walk; a device or pipe is no wav file.
    if (!S_ISREG(st.st_mode) || st.st_size < kWavHeaderBytes)
        return {};
    const std::int64_t fileBytes = st.st_size;
    WindowedFile file(fd, fileBytes, path);

    std::uint8_t b[16];
    if (!file.read(0, b, 12) || !isId(b, "RIFF") || !isId(b + 8, "WAVE"))
        return {};
    // The RIFF size is not trusted: the walk ends where the file ends.
    WavInfo info;
    bool haveFmt = false;
    bool haveData = false;
    std::uint32_t announced = 0;
    // A chunk's body is stepped over, only the window at its header is read;
    // the count bounds what a file of empty chunks costs (a sparse file of
    // zeros is one of 8-byte chunks all the way).
    int chunks = 0;
    for (std::int64_t pos = 12; !(haveFmt && haveData) && file.read(pos, b, 8);) {
        if (++chunks > kMaxWalkedChunks)
            return {};
        const std::uint32_t size = le32(b + 4);
        if (!haveFmt && isId(b, "fmt ")) {
            if (size < 16 || !file.read(pos + 8, b, 16))
                return {};
            info.formatTag = le16(b);
            info.channels = le16(b + 2);
            info.sampleRate = le32(b + 4);
            info.bitsPerSample = le16(b + 14);
            haveFmt = true;
        } else if (!haveData && isId(b, "data")) {
            info.dataOffset = pos + 8;
            announced = size;
            haveData = true;
        }
        // Chunks are padded to an even size.
        pos += 8 + static_cast<std::int64_t>(size) + (size & 1);
    }
    if (!haveFmt || !haveData)
        return {};
    info.dataBytes = usableWavDataBytes(announced, fileBytes, info.dataOffset);
    info.walked = true;
    return info;
}

} // namespace

// ---- Header -------------------------------------------------------------------

WavHeader canonicalWavHeader()
{
    WavHeader h{};
    std::uint8_t* p = h.data();
    std::memcpy(p, "RIFF", 4);
    std::memcpy(p + 8, "WAVE", 4);
    std::memcpy(p + 12, "fmt ", 4);
    put32(p + 16, 16);
    put16(p + 20, 1);
    put16(p + 22, 2);
    put32(p + 24, 44100);
    put32(p + 28, 44100 * kWavFrameBytes);
    put16(p + 32, kWavFrameBytes);
    put16(p + 34, 16);
    std::memcpy(p + 36, "data", 4);
    return h;
}

void patchWavSizes(WavHeader& header, std::int64_t dataBytes)
{
    const auto data = static_cast<std::uint32_t>(std::clamp<std::int64_t>(dataBytes, 0, kMaxWavDataBytes));
    put32(header.data() + 4, data + 36);
    put32(header.data() + 40, data);
}

// ---- Reading --------------------------------------------------------------------

bool isChooserWavFormat(const WavInfo& info)
{
    return info.formatTag == 1 && isSessionWavFormat(info);
}

bool isSessionWavFormat(const WavInfo& info)
{
    return info.walked && info.channels == 2 && info.sampleRate == 44100 && info.bitsPerSample == 16;
}

WavData::WavData(int fd, std::string path, const WavInfo& info)
    : m_fd(fd)
    , m_path(std::move(path))
    , m_info(info)
{
}

WavData::~WavData()
{
    close();
}

WavData::WavData(WavData&& other) noexcept
    : m_fd(other.release())
    , m_path(std::move(other.m_path))
    , m_info(other.m_info)
{
}

WavData& WavData::operator=(WavData&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.release();
        m_path = std::move(other.m_path);
        m_info = other.m_info;
    }
    return *this;
}

int WavData::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void WavData::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

WavData openWavData(const std::string& path)
{
    // Non-blocking, so that a named pipe chosen by mistake cannot hang the
    // open; a regular file reads the same either way.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw IoError(path, "open", errnoText(errno));
    WavData data(fd, path, {});
    const WavInfo info = walkChunks(fd, path);
    if (!info.walked)
        return WavData(-1, path, info);
    if (::lseek(fd, info.dataOffset, SEEK_SET) < 0)
        throw IoError(path, "read", errnoText(errno));
    return WavData(data.release(), path, info);
}

WavInfo readWavInfo(const std::string& path)
{
    return openWavData(path).info();
}

std::int64_t usableWavDataBytes(std::uint64_t announced, std::int64_t fileBytes, std::int64_t dataOffset)
{
    const std::int64_t held = std::max<std::int64_t>(0, fileBytes - std::max<std::int64_t>(0, dataOffset));
    const std::int64_t bytes =
        announced < static_cast<std::uint64_t>(held) ? static_cast<std::int64_t>(announced) : held;
    return bytes - bytes % kWavFrameBytes;
}

WavReader::~WavReader()
{
    close();
}

void WavReader::open(const std::string& path, std::int64_t dataOffset, std::uint64_t announcedBytes)
{
    close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw IoError(path, "open", errnoText(errno));
    adopt(fd, path, dataOffset, announcedBytes);
}

void WavReader::attach(WavData data)
{
    close();
    if (!data.isOpen())
        return;
    const std::string path = data.path();
    const WavInfo info = data.info();
    adopt(data.release(), path, info.dataOffset, static_cast<std::uint64_t>(info.dataBytes));
}

void WavReader::adopt(int fd, const std::string& path, std::int64_t dataOffset, std::uint64_t announcedBytes)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        throw IoError(path, "open", errnoText(err));
    }
    m_fd = fd;
    m_path = path;
    m_dataOffset = std::max<std::int64_t>(0, dataOffset);
    m_dataBytes = usableWavDataBytes(announcedBytes, st.st_size, m_dataOffset);
    m_pos = 0;
}

void WavReader::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_path.clear();
    m_dataOffset = 0;
    m_dataBytes = 0;
    m_pos = 0;
}

void WavReader::seekFrame(std::int64_t frame)
{
    const std::int64_t n = frames();
    m_pos = n > 0 && frame > 0 ? frame % n * kWavFrameBytes : 0;
}

void WavReader::read(std::int16_t* dst, int bytes)
{
    auto* out = reinterpret_cast<unsigned char*>(dst);
    const std::int64_t total = std::max(bytes, 0);
    const std::int64_t whole = total - total % kWavFrameBytes;
    std::memset(out + whole, 0, static_cast<std::size_t>(total - whole));

    std::int64_t done = 0;
    while (done < whole) {
        // Less than a frame would loop without ever delivering a sample.
        if (m_fd < 0 || m_dataBytes < kWavFrameBytes) {
            std::memset(out + done, 0, static_cast<std::size_t>(whole - done));
            break;
        }
        if (m_pos >= m_dataBytes)
            m_pos = 0;
        const std::int64_t want = std::min(m_dataBytes - m_pos, whole - done);
        const ssize_t got = ::pread(m_fd, out + done, static_cast<std::size_t>(want), m_dataOffset + m_pos);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw IoError(m_path, "read", errnoText(errno));
        }
        if (got < want) {
            // The file shrank under us: its data now ends at the last whole frame
            // it still holds, so the loop restarts there instead of waiting.
            const std::int64_t kept = got - got % kWavFrameBytes;
            done += kept;
            m_pos += kept;
            m_dataBytes = m_pos;
            continue;
        }
        done += want;
        m_pos += want;
    }

    if constexpr (std::endian::native == std::endian::big) {
        for (std::int64_t i = 0; i < whole / 2; ++i)
            dst[i] = static_cast<std::int16_t>(out[2 * i] | (out[2 * i + 1] << 8));
    }
}

WavInfo wavReadProc(WavReader& reader, int mode, const std::string& path)
{
    if (mode == 0) {
        WavData data = openWavData(path);
        const WavInfo info = data.info();
        reader.attach(std::move(data));
        return info;
    }
    if (mode == 2)
        reader.close();
    return {};
}

// ---- Writing ----------------------------------------------------------------------

namespace {

/// Runs one step of the file; its failures become the wav writer's own.
template <class Step>
void wavWriteStep(Step&& step)
{
    try {
        step();
    } catch (const WavWriteError&) {
        throw;
    } catch (const IoError& e) {
        throw WavWriteError(e.path(), e.action(), e.reason());
    }
}

} // namespace

void WavWriter::open(const std::string& target)
{
    m_dataBytes = 0;
    wavWriteStep([&] {
        m_file.open(target, LinkAtDestination::Follow);
        const WavHeader header = canonicalWavHeader();
        m_file.write(header.data(), header.size());
    });
}

void WavWriter::append(const void* data, std::size_t bytes)
{
    wavWriteStep([&] {
        if (static_cast<std::uint64_t>(m_dataBytes) + bytes > static_cast<std::uint64_t>(kMaxWavDataBytes)) {
            const std::string target = m_file.destination();
            m_file.discard();
            throw WavWriteError(target, "write", errnoText(EFBIG));
        }
        m_file.write(data, bytes);
    });
    m_dataBytes += static_cast<std::int64_t>(bytes);
}

void WavWriter::commit()
{
    wavWriteStep([&] {
        WavHeader header = canonicalWavHeader();
        patchWavSizes(header, m_dataBytes);
        m_file.writeAt(0, header.data(), header.size());
        m_file.commit();
    });
}

bool sameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}
