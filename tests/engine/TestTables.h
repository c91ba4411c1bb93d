#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/ValueTables.h"

// A synthetic data file with a distinct marker on every line, so that tests
// see exactly which line landed where. Times: 1 = 0.125 s and 2 = 0.375 s (half
// frames, rounded to even), 3 = 60 s, 4 = 1.5 s, 5 = 2.5 s, i = 10 i s after.
// Pitches 1..85 are 10 i + 0.5 Hz, 86..115 "r-15".."r-1", "r1".."r15".
std::vector<std::string> syntheticDataLines();
std::string joinDataLines(const std::vector<std::string>& lines, const char* eol = "\r\n");
ValueTables syntheticTables();
