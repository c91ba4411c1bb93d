#pragma once

#include <string>
#include <string_view>

/// A file in memory (memfd) that holds one input at a time, for readers that
/// take a path: its /proc/self/fd path opens, stats and reads like a regular
/// file, and nothing touches the disk. Throws IoError when it cannot be made.
class MemoryFile {
public:
    MemoryFile();
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    /// Replaces the content with `bytes`.
    void write(std::string_view bytes);
    const std::string& path() const { return m_path; }

private:
    int m_fd = -1;
    std::string m_path;
};

/// A private folder whose `name` is a link to a MemoryFile, for readers that
/// take a folder and a fixed file name. Removed when destroyed.
class MemoryFolder {
public:
    explicit MemoryFolder(const char* name);
    ~MemoryFolder();
    MemoryFolder(const MemoryFolder&) = delete;
    MemoryFolder& operator=(const MemoryFolder&) = delete;

    void write(std::string_view bytes) { m_file.write(bytes); }
    const std::string& path() const { return m_path; }

private:
    MemoryFile m_file;
    std::string m_path;
    std::string m_link;
};
