#pragma once

#include <stdexcept>
#include <string>

/// An I/O failure on a named file: which file, what was being done, and why.
/// Thrown by readers and writers; caught by the event handler that started the
/// operation and shown in an error box. Never crosses the event loop.
class IoError : public std::runtime_error {
public:
    IoError(std::string path, std::string action, std::string reason = {});

    const std::string& path() const { return m_path; }
    const std::string& action() const { return m_action; }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_path;
    std::string m_action;
    std::string m_reason;
};

/// The text of the current errno, for IoError reasons.
std::string errnoText(int err);
