#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Session.h"

/// One user wave: a single period of 4410 samples, as stored in its file.
using UserWave = std::array<std::int16_t, kWaveLen>;

/// The built-in entry that stands for a copy of wave table 1.
constexpr std::string_view kSineEntry = "Sine";

/// The entries of the user-wave lists for a folder: "Sine" first, then the
/// name of every user wave file without its ".pcm", in list order (see
/// userWaveNameLess). Names keep the file system's bytes, so that entry +
/// ".pcm" always names the entry's own file. A missing or unreadable folder
/// gives only "Sine".
std::vector<std::string> ListUserWaves(const std::string& folder);

/// Reads the first 4410 samples of a user wave file; bytes after them are
/// ignored. Throws IoError when the file is missing, not a regular file, or
/// too short: there is never a partial wave.
UserWave ReadUserWave(const std::string& path);

/// List order: Windows-1252 letters compared without regard to case, then
/// byte values; independent of the locale. Names equal under it tie, so a
/// stable sort or an insertion after the last equal entry keeps their order.
bool userWaveNameLess(std::string_view a, std::string_view b);

/// Whether two names are equal without regard to case (the lists' lookup).
bool sameUserWaveName(std::string_view a, std::string_view b);
