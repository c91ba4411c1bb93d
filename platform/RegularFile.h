#pragma once

#include <cstddef>
#include <limits>
#include <string>

// Readers of files that the user names (sessions, imports, presets,
// containers, user waves) refuse anything that is not a regular file before
// they open it: opening a FIFO blocks until some writer comes, which freezes
// the program, and a folder or a device has no content to read.

/// Throws IoError(path, "open", "not a regular file") unless `path` names a
/// regular file (links followed), and IoError(path, "open", reason) when it
/// cannot be looked at (missing, no permission). Call it before opening a
/// file that the user chose.
void requireRegularFile(const std::string& path);

/// The first `maxBytes` bytes of the regular file `path` (all of a smaller
/// one): requireRegularFile, then an open that cannot block even if the name
/// meanwhile became something else, which is checked again on the open file.
/// Throws IoError as requireRegularFile does, and when the read fails.
std::string readRegularFile(const std::string& path,
                            std::size_t maxBytes = std::numeric_limits<std::size_t>::max());
