#include "IoError.h"

#include <cstring>

namespace {
std::string compose(const std::string& path, const std::string& action, const std::string& reason)
{
    std::string text = "Could not " + action + " \"" + path + "\"";
    if (!reason.empty())
        text += ": " + reason;
    return text + ".";
}
} // namespace

IoError::IoError(std::string path, std::string action, std::string reason)
    : std::runtime_error(compose(path, action, reason))
    , m_path(std::move(path))
    , m_action(std::move(action))
    , m_reason(std::move(reason))
{
}

std::string errnoText(int err)
{
    return std::strerror(err);
}
