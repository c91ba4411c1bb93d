#include "player/ModSineTable.h"

#include <cmath>

void BuildModSineTable(ModSine& table)
{
    // 2 pi / 1000 as an extended-precision constant, so that every entry is the
    // one the sound has always been made from.
    constexpr long double kStep = 0.0062831853071795865L;
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<float>(sinl(static_cast<long double>(i) * kStep));
}
