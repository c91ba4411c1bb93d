#include "platform/AudioStrobe.h"

#include <algorithm>

#include "platform/Arith.h"

AudioStrobeLevel audioStrobeLevel(int position, std::int32_t minRampFrames)
{
    const int pos = std::clamp(position, 0, 100);
    AudioStrobeLevel level;
    level.maxLevel = static_cast<float>(static_cast<ext>(pos) / 330);
    level.programScale = static_cast<float>(1 - static_cast<ext>(level.maxLevel));
    level.rampFrames = std::max(pos * 8, minRampFrames);
    if (level.rampFrames > 0)
        level.rampStep = static_cast<float>(1 / static_cast<ext>(level.rampFrames));
    return level;
}
