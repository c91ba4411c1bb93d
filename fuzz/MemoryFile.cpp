#include "fuzz/MemoryFile.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "platform/IoError.h"
#include "platform/Paths.h"

MemoryFile::MemoryFile()
    : m_fd(::memfd_create("reader-input", MFD_CLOEXEC))
{
    if (m_fd < 0)
        throw IoError("memfd", "open", errnoText(errno));
    m_path = "/proc/self/fd/" + std::to_string(m_fd);
}

MemoryFile::~MemoryFile()
{
    ::close(m_fd);
}

void MemoryFile::write(std::string_view bytes)
{
    if (::ftruncate(m_fd, 0) != 0)
        throw IoError(m_path, "write", errnoText(errno));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw IoError(m_path, "write", errnoText(errno));
        done += static_cast<std::size_t>(n);
    }
}

MemoryFolder::MemoryFolder(const char* name)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = joinPath(tmp && *tmp ? tmp : "/tmp", "reader-input-XXXXXX");
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data()))
        throw IoError(pattern, "create", errnoText(errno));
    m_path = buf.data();
    m_link = joinPath(m_path, name);
    if (::symlink(m_file.path().c_str(), m_link.c_str()) != 0) {
        const int err = errno;
        ::rmdir(m_path.c_str());
        throw IoError(m_link, "create", errnoText(err));
    }
}

MemoryFolder::~MemoryFolder()
{
    ::unlink(m_link.c_str());
    ::rmdir(m_path.c_str());
}
