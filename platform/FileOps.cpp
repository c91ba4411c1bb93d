#include "platform/FileOps.h"

#include <cerrno>
#include <filesystem>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/IoError.h"

namespace {

class SystemFreeSpace final : public FreeSpace {
public:
    std::int64_t available(const std::string& folder) override
    {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::path at = fs::absolute(folder.empty() ? "." : folder, ec);
        if (ec)
            return -1;
        // A folder the copy would create: its nearest existing ancestor
        // holds what it will hold.
        while (!fs::exists(at, ec)) {
            if (ec || !at.has_relative_path())
                return -1;
            at = at.parent_path();
        }
        const fs::space_info space = fs::space(at, ec);
        if (ec || space.available == static_cast<std::uintmax_t>(-1))
            return -1;
        return space.available > static_cast<std::uintmax_t>(std::numeric_limits<std::int64_t>::max())
                   ? std::numeric_limits<std::int64_t>::max()
                   : static_cast<std::int64_t>(space.available);
    }
};

SystemFreeSpace g_systemFreeSpace;
FreeSpace* g_freeSpace = nullptr;

} // namespace

FreeSpace& freeSpace()
{
    return g_freeSpace ? *g_freeSpace : g_systemFreeSpace;
}

void setFreeSpace(FreeSpace* query)
{
    g_freeSpace = query;
}

EntryKind entryKind(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return EntryKind::Missing;
        throw IoError(path, "open", errnoText(errno));
    }
    if (S_ISREG(st.st_mode))
        return EntryKind::Regular;
    if (S_ISLNK(st.st_mode))
        return EntryKind::Symlink;
    if (S_ISDIR(st.st_mode))
        return EntryKind::Directory;
    return EntryKind::Other;
}

std::int64_t regularFileSize(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throw IoError(path, "open", errnoText(errno));
    if (!S_ISREG(st.st_mode))
        throw IoError(path, "open", "not a regular file");
    return st.st_size;
}

InputFile::InputFile(const std::string& path)
    : m_path(path)
{
    // Non-blocking: a FIFO put at the name after a check must not hang the
    // open; the descriptor's own kind is what counts.
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0)
        throw IoError(path, "open", errnoText(errno));
    struct stat st {};
    const bool statted = ::fstat(m_fd, &st) == 0;
    const int err = errno;
    if (!statted || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        throw IoError(path, "open", statted ? "not a regular file" : errnoText(err));
    }
    m_size = st.st_size;
}

InputFile::~InputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void InputFile::read(void* data, std::size_t bytes)
{
    readAt(m_position, data, bytes);
    m_position += static_cast<std::int64_t>(bytes);
}

void InputFile::readAt(std::int64_t offset, void* data, std::size_t bytes)
{
    auto* p = static_cast<unsigned char*>(data);
    while (bytes > 0) {
        const ssize_t got = ::pread(m_fd, p, bytes, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw IoError(m_path, "read", errnoText(errno));
        }
        if (got == 0)
            throw IoError(m_path, "read", "the file ended early: it changed while it was read");
        p += got;
        offset += got;
        bytes -= static_cast<std::size_t>(got);
    }
}
