#pragma once

#include <string>
#include <string_view>

/// A file in memory (memfd) that holds one input at a time, for readers that
/// take a path: its /proc/self/fd path opens, stats and reads like a regular
/// file, and nothing touches the disk. Throws IoError when it cannot be made.
class InputFile {
public:
    InputFile();
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    /// Replaces the content with `bytes`.
    void write(std::string_view bytes);
    const std::string& path() const { return m_path; }

private:
    int m_fd = -1;
    std::string m_path;
};

/// A private folder whose `name` is a link to an InputFile, for readers that
/// take a folder and a fixed file name. Removed when destroyed.
class InputFolder {
public:
    explicit InputFolder(const char* name);
    ~InputFolder();
    InputFolder(const InputFolder&) = delete;
    InputFolder& operator=(const InputFolder&) = delete;

    void write(std::string_view bytes) { m_file.write(bytes); }
    const std::string& path() const { return m_path; }

private:
    InputFile m_file;
    std::string m_path;
    std::string m_link;
};
