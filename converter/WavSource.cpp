#include "converter/WavSource.h"

#include <algorithm>
#include <cerrno>

#include <unistd.h>

#include "platform/IoError.h"

bool WavSource::open(const std::string& path, bool (*formatTest)(const WavInfo&))
{
    close();
    WavData data = openWavData(path);
    m_info = data.info();
    if (!data.isOpen() || !formatTest(m_info)) {
        data.close();
        return false;
    }
    m_data = std::move(data);
    return true;
}

void WavSource::close()
{
    m_data.close();
    m_info = {};
    m_pos = 0;
    m_error.clear();
}

void WavSource::seekFrame(Frames frame)
{
    m_pos = std::clamp<Frames>(frame, 0, TotalFrames()) * kWavFrameBytes;
}

std::int32_t WavSource::read(std::uint8_t* dst, std::int32_t bytes)
{
    if (!isOpen()) {
        m_error = IoError(path(), "read", errnoText(EBADF)).what();
        return -1;
    }
    const std::int64_t want = std::clamp<std::int64_t>(std::min<std::int64_t>(bytes, m_info.dataBytes - m_pos), 0,
                                                       bytes) / kWavFrameBytes * kWavFrameBytes;
    std::int64_t done = 0;
    while (done < want) {
        const ssize_t got = ::pread(m_data.fd(), dst + done, static_cast<std::size_t>(want - done),
                                    m_info.dataOffset + m_pos + done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            m_error = IoError(path(), "read", errnoText(errno)).what();
            return -1;
        }
        if (got == 0) {
            m_error = IoError(path(), "read", "the file ends before its sample data").what();
            break;
        }
        done += got;
    }
    // A part frame left by a shrunk file would swap left and right.
    done -= done % kWavFrameBytes;
    m_pos += done;
    return static_cast<std::int32_t>(done);
}
