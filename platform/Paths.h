#pragma once

#include <string>
#include <string_view>

/// The name part of a path: everything after the last "/" or "\". Names that
/// come from files (sessions, containers, presets) may hold Windows paths.
std::string namePart(std::string_view path);

/// The folder with exactly one trailing "/" (folder settings keep one).
std::string withTrailingSlash(std::string folder);

/// Joins a folder and a file name with one "/" between them.
std::string joinPath(std::string_view folder, std::string_view name);
