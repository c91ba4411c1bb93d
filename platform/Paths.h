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

/// Where a wav file named in a session or preset is looked for when the name
/// as written is no file: the source-wav folder plus the name part after the
/// last "/" or "\". Empty when the name has no name part (ends in a
/// separator or is empty).
std::string relocatedWavPath(std::string_view namedInFile, std::string_view srcWavDir);
