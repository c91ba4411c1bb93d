#include "platform/RegularFile.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/IoError.h"

namespace {

void requireRegular(const struct stat& st, const std::string& path)
{
    if (!S_ISREG(st.st_mode))
        throw IoError(path, "open", "not a regular file");
}

} // namespace

void requireRegularFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throw IoError(path, "open", errnoText(errno));
    requireRegular(st, path);
}

std::string readRegularFile(const std::string& path, std::size_t maxBytes)
{
    requireRegularFile(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw IoError(path, "open", errnoText(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw IoError(path, "open", errnoText(errno));
    requireRegular(st, path);

    // The size is a hint only: the file may grow or shrink while it is read.
    std::string bytes;
    bytes.reserve(std::min(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)), maxBytes));
    char buf[65536];
    while (bytes.size() < maxBytes) {
        const ssize_t got = ::read(fd, buf, std::min(sizeof buf, maxBytes - bytes.size()));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw IoError(path, "read", errnoText(errno));
        }
        if (got == 0)
            break;
        bytes.append(buf, static_cast<std::size_t>(got));
    }
    return bytes;
}
