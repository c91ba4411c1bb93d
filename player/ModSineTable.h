#pragma once

#include <array>

/// One period of the modulation sine, single precision: entry i is
/// sin(2 pi i / 1000) for i = 0..1000. The sound generators' AM and FM read
/// entries 0..999 with the index taken modulo 1000.
using ModSine = std::array<float, 1001>;

/// Fills the table once at start-up.
void BuildModSineTable(ModSine& table);
