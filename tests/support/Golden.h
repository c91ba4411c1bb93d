#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Golden renders: a render of 16-bit stereo frames compared with a stored
// golden file. A full render would be megabytes, so the file keeps the frame
// count, a hash of all the bytes, a hash of every chunk of kGoldenChunkFrames
// frames and the first kGoldenExcerptFrames frames as numbers.
//
// On a mismatch the test fails naming the first differing frame (exactly when
// it lies in the excerpt, else as the first frame of the first differing
// chunk) and writes the render's own golden file beside the stored one, with
// ".actual" appended.
//
// To regenerate after a deliberate change of the output, run the test with
// LUMI_UPDATE_GOLDEN=1 in the environment: it then rewrites the stored files
// from the render and passes. Check the change (by ear, or by the frames the
// failing run named) before committing the new files.

constexpr std::int64_t kGoldenChunkFrames = 1024;
constexpr std::int64_t kGoldenExcerptFrames = 256;

/// The golden file's text for a render (left and right interleaved).
std::string goldenText(const std::vector<std::int16_t>& samples);

/// Compares a render with the golden file at `path` (see above).
::testing::AssertionResult matchesGolden(const std::string& path, const std::vector<std::int16_t>& samples);
