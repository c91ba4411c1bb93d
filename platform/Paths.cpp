#include "Paths.h"

std::string namePart(std::string_view path)
{
    auto cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string withTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string joinPath(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string relocatedWavPath(std::string_view namedInFile, std::string_view srcWavDir)
{
    const std::string name = namePart(namedInFile);
    return name.empty() ? std::string() : joinPath(srcWavDir, name);
}
