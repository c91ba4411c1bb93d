#pragma once

#include <array>

/// One sine period in 1000 steps plus the closing entry: entry i is
/// sin(2 pi i / 1000) as a float. The AM and FM of the sound generators read
/// entries 0..999. Zero until BuildModSineTable has run.
extern std::array<float, 1001> ModSineTable;

/// Fills ModSineTable; the first call does the work, later calls nothing.
/// Called by the main window's start-up and by every Engine's constructor.
void BuildModSineTable();

/// 2 to the power x, worked as exp(x ln 2) in long double and stored as a
/// float. A libm call: build tables with it, never call it per frame.
float TwoToX(float x);
