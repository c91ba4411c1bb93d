#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// File-system questions and reads of the interchange export and import
// (and any other whole-file copy): the free space of a folder's file system,
// what kind of entry a name is, and a regular file read in exact amounts.
// Plain C++; writes go through AtomicFile. GUI thread only.

/// The free space of a folder's file system, as the copies test it before
/// they write. An interface so that tests put a fake in (setFreeSpace).
class FreeSpace {
public:
    virtual ~FreeSpace() = default;
    /// Bytes the user may still write on the file system of `folder`, or of
    /// its nearest existing ancestor when it does not exist (yet); -1 when
    /// that cannot be learnt.
    virtual std::int64_t available(const std::string& folder) = 0;
};

/// The free-space query in use: the file system's unless a test installed
/// its own.
FreeSpace& freeSpace();
/// Installs `query` for the following calls (not owned); nullptr restores the
/// file system's.
void setFreeSpace(FreeSpace* query);

/// What a name is, the name itself and not what a link at it points to.
enum class EntryKind { Missing, Regular, Symlink, Directory, Other /* FIFO, socket, device */ };

/// The kind of entry at `path` by lstat. A name whose folder is missing is
/// Missing. Throws IoError(path, "open", reason) when the name cannot be
/// looked at (no permission on a folder, a name too long).
EntryKind entryKind(const std::string& path);

/// The size of the regular file `path` (links followed). Throws
/// IoError(path, "open", reason) when it is missing or not a regular file.
std::int64_t regularFileSize(const std::string& path);

/// A regular file opened read-only, read in exact amounts: a file that ends
/// before the amount asked for (one that shrank after it was measured) is an
/// error, never a short copy. Refuses what is not a regular file before it
/// reads, without blocking on a FIFO. Not copyable; closed by the destructor.
class InputFile {
public:
    /// Opens `path`; throws IoError(path, "open", reason).
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    /// The size when it was opened.
    std::int64_t size() const { return m_size; }
    /// The next `bytes` bytes from where the last read ended. Throws
    /// IoError(path, "read", reason) on an error or when the file ends first.
    void read(void* data, std::size_t bytes);
    /// `bytes` bytes from `offset`, leaving the position of read() alone.
    /// Throws as read() does.
    void readAt(std::int64_t offset, void* data, std::size_t bytes);

private:
    std::string m_path;
    int m_fd = -1;
    std::int64_t m_size = 0;
    std::int64_t m_position = 0;
};
