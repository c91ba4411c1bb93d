#include "platform/FileCalls.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

// Weak, so that a test program's own definitions take their place.
#define LUMI_REPLACEABLE __attribute__((weak))

namespace filecalls {

LUMI_REPLACEABLE int open(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

LUMI_REPLACEABLE ssize_t pwrite(int fd, const void* data, size_t bytes, off_t offset)
{
    return ::pwrite(fd, data, bytes, offset);
}

LUMI_REPLACEABLE int fdatasync(int fd)
{
    return ::fdatasync(fd);
}

LUMI_REPLACEABLE int close(int fd)
{
    return ::close(fd);
}

LUMI_REPLACEABLE int linkat(int fromDir, const char* from, int toDir, const char* to, int flags)
{
    return ::linkat(fromDir, from, toDir, to, flags);
}

LUMI_REPLACEABLE int rename(const char* from, const char* to)
{
    return ::rename(from, to);
}

} // namespace filecalls
