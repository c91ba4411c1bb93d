#include "FailingFileCalls.h"

#include <cerrno>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include "platform/FileCalls.h"

FileCall g_failFileCall = FileCall::None;
int g_failFileCallErrno = EIO;
int g_fileCallsFailed = 0;

namespace {
bool failing(FileCall call)
{
    if (g_failFileCall != call)
        return false;
    ++g_fileCallsFailed;
    errno = g_failFileCallErrno;
    return true;
}
} // namespace

namespace filecalls {
int open(const char* path, int flags, mode_t mode)
{
    return (flags & O_TMPFILE) == O_TMPFILE && failing(FileCall::TmpfileOpen) ? -1 : ::open(path, flags, mode);
}
ssize_t pwrite(int fd, const void* data, size_t n, off_t at)
{
    return failing(FileCall::Write) ? -1 : ::pwrite(fd, data, n, at);
}
int fdatasync(int fd)
{
    return failing(FileCall::Flush) ? -1 : ::fdatasync(fd);
}
int close(int fd)
{
    const int result = ::close(fd); // as on Linux: gone even when it fails
    return failing(FileCall::Close) ? -1 : result;
}
int linkat(int fromDir, const char* from, int toDir, const char* to, int flags)
{
    return failing(FileCall::Link) ? -1 : ::linkat(fromDir, from, toDir, to, flags);
}
int rename(const char* from, const char* to)
{
    return failing(FileCall::Rename) ? -1 : ::rename(from, to);
}
} // namespace filecalls
