#pragma once

#include <sys/types.h>

// The system calls through which AtomicFile reaches the disk. Each has the
// signature and the errno convention of the call it is named after. They are
// defined weakly in the platform library: a test program may define all of
// them itself, as the tests replace operator new, to make one of them fail
// and reach the failure paths that a healthy disk never shows.
namespace filecalls {

int open(const char* path, int flags, mode_t mode);
ssize_t pwrite(int fd, const void* data, size_t bytes, off_t offset);
int fdatasync(int fd);
int close(int fd);
int linkat(int fromDir, const char* from, int toDir, const char* to, int flags);
int rename(const char* from, const char* to);

} // namespace filecalls
