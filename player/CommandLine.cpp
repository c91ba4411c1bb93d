#include "player/CommandLine.h"

#include <filesystem>
#include <system_error>

#include "platform/Paths.h"
#include "platform/TextLines.h"

namespace fs = std::filesystem;

std::string LongFileName(const std::string& name, const std::string& baseDir)
{
    if (name.empty() || name.find("\\\\") != std::string::npos || name.find_first_of("*?") != std::string::npos)
        return {};
    fs::path path(name);
    if (path.is_relative() && !baseDir.empty())
        path = fs::path(baseDir) / path;
    std::error_code ec;
    const fs::path resolved = fs::canonical(path, ec);
    if (ec || !fs::is_regular_file(resolved, ec))
        return {};
    return resolved.string();
}

std::string lowerExtension(const std::string& name)
{
    const std::string part = namePart(name);
    const std::size_t dot = part.rfind('.');
    if (dot == std::string::npos)
        return {};
    std::string ext = part.substr(dot);
    for (char& c : ext)
        c = asciiLower(c);
    return ext;
}

CommandLineSession commandLineSession(const std::vector<std::string>& arguments, const std::string& launchDir)
{
    std::string joined;
    for (const std::string& argument : arguments) {
        if (&argument != &arguments.front())
            joined += ' ';
        joined += argument;
    }
    CommandLineSession result;
    result.fileName = LongFileName(joined, launchDir);
    if (!result.fileName.empty() && lowerExtension(result.fileName) != ".lsf") {
        result.fileName.clear();
        result.invalid = true;
    }
    return result;
}
