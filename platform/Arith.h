#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

/// Extended precision: every engine expression is worked in it and stored back
/// to float or an integer. 80-bit on x86-64.
using ext = long double;

/// Round to the nearest integer, ties to the even neighbour (default rounding
/// mode). One instruction with -fno-math-errno; never std::round, which rounds
/// ties away from zero.
inline std::int64_t roundEven(ext x)
{
    return std::llrint(x);
}

inline std::int32_t roundEven32(ext x)
{
    return static_cast<std::int32_t>(std::lrint(x));
}

/// A sample beyond 16 bits clips rather than wrapping into the opposite sign.
/// Peaks are taken from the value before it, so that overflow still shows.
inline std::int16_t saturate16(std::int64_t s)
{
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(s, INT16_MIN, INT16_MAX));
}
