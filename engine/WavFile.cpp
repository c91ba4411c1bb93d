#include "engine/WavFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/IoError.h"

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
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw IoError(path, "open", errnoText(errno));
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
