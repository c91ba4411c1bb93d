#include "engine/TimeTexts.h"

#include <algorithm>
#include <cstdint>

#include "engine/ValueTables.h"
#include "platform/Arith.h"

namespace {

float timeSecs(const ValueTables& tables, const TSegRec& rec)
{
    const int index = rec.Time;
    return index >= 1 && index < static_cast<int>(tables.TimeSecs.size()) ? tables.TimeSecs[index] : 0.0f;
}

/// "m:ss.t" from a sum of seconds.
std::string minutesSeconds(float secs)
{
    // Split only after rounding: 59.96 s splits as 0 min 59.96 s and would
    // show as "0:60.0".
    const std::int64_t tenths = std::max<std::int64_t>(roundEven(static_cast<ext>(secs) * 10), 0);
    const std::int64_t minutes = tenths / 600;
    const int rest = static_cast<int>(tenths % 600);
    std::string text = std::to_string(minutes) + ":";
    if (rest < 100)
        text += '0';
    text += std::to_string(rest / 10) + "." + std::to_string(rest % 10);
    return text;
}

} // namespace

TimeTexts sessionTimeTexts(const Session& session, const ValueTables& tables, int n)
{
    const int count = std::clamp(session.SegCount, 0, kMaxSegments);
    const int before = std::clamp(n - 1, 0, count);
    float start = 0.0f;
    float total = 0.0f;
    for (int s = 1; s <= count; ++s) {
        if (s == before + 1)
            start = total;
        total += timeSecs(tables, session.Segments[s]);
    }
    if (before == count)
        start = total;
    return {"Segment " + std::to_string(n) + " start time: " + minutesSeconds(start),
            "Session total time: " + minutesSeconds(total)};
}
