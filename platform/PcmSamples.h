#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// Frames per second of every signal in both programs.
constexpr int kFrameRate = 44100;

/// Reads `count` raw little-endian 16-bit samples from the start of a file;
/// anything after them is ignored. The destination changes only when all of
/// them were read. Throws IoError when the file is missing, unreadable, too
/// short or not a regular file (a pipe would block). Used for the player's wave tables, heart beat and user waves and for
/// the converter's carrier table; plain C++, so the converter's core reads its
/// table without linking the player's engine.
void readPcmSamples(const std::string& path, std::int16_t* dst, std::size_t count);
