#include "engine/ValueEdit.h"

#include <algorithm>
#include <cstdint>

#include "engine/ValueTables.h"

namespace {

constexpr std::uint8_t kIndexBits = 0x7F;

bool validRow(int row)
{
    return row >= 1 && row <= kFieldCount;
}

/// left..right clipped to the session's segments; empty for a bad row.
VisitedSegments span(const Session& session, int left, int right, int row)
{
    VisitedSegments v;
    if (!validRow(row))
        return v;
    v.first = std::max(left, 1);
    v.last = std::min({right, session.SegCount, kMaxSegments});
    return v;
}

/// The index part of a byte: bit 7 is the ramp flag only on ramp rows.
int indexOf(std::uint8_t byte, int row)
{
    return isRampField(row) ? (byte & kIndexBits) : byte;
}

} // namespace

VisitedSegments valueUp(Session& session, const ValueTables& tables, int left, int right, int row)
{
    const VisitedSegments v = span(session, left, right, row);
    if (v.empty())
        return v;
    const int max = tables.ParamMax[row];
    for (int s = v.first; s <= v.last; ++s) {
        std::uint8_t& b = session.Segments[s][row];
        const int i = indexOf(b, row);
        if (i >= max)
            continue;
        if (row == fPhase && i >= 8)
            b = static_cast<std::uint8_t>(i + 1); // types 9 and 10 never ramp
        else
            ++b; // the flag, if any, stays
    }
    return v;
}

VisitedSegments valueDown(Session& session, const ValueTables&, int left, int right, int row)
{
    const VisitedSegments v = span(session, left, right, row);
    for (int s = v.first; s <= v.last; ++s) {
        std::uint8_t& b = session.Segments[s][row];
        if (indexOf(b, row) > 1)
            --b;
    }
    return v;
}

VisitedSegments toggleRamp(Session& session, int left, int right, int row)
{
    VisitedSegments v = span(session, std::max(left, 2), right, row);
    if (!isRampField(row)) {
        v.last = v.first - 1;
        return v;
    }
    for (int s = v.first; s <= v.last; ++s) {
        std::uint8_t& b = session.Segments[s][row];
        if (row == fPhase && b >= 9 && b <= 127) {
            v.last = s - 1;
            v.stoppedEarly = true;
            break;
        }
        b ^= kRampFlag;
    }
    return v;
}

int sliderMaximum(const ValueTables& tables, int row)
{
    return validRow(row) ? std::max<int>(tables.ParamMax[row], 1) : 1;
}

int sliderPosition(const ValueTables& tables, const TSegRec& rec, int row)
{
    if (!validRow(row))
        return 1;
    return std::clamp(indexOf(rec[row], row), 1, sliderMaximum(tables, row));
}

VisitedSegments writeSliderPosition(Session& session, const ValueTables& tables, int left, int right,
                                    int row, int position)
{
    const VisitedSegments v = span(session, left, right, row);
    if (v.empty())
        return v;
    const int p = std::clamp(position, 1, sliderMaximum(tables, row));
    const bool mayRamp = isRampField(row) && !(row == fPhase && p >= 9);
    for (int s = v.first; s <= v.last; ++s) {
        std::uint8_t& b = session.Segments[s][row];
        const bool ramped = mayRamp && b >= kRampFlag + 1;
        b = static_cast<std::uint8_t>(ramped ? p + kRampFlag : p);
    }
    return v;
}

VisitedSegments writeDraggedValue(Session& session, const ValueTables& tables, int left, int right, int row,
                                  int value)
{
    const VisitedSegments v = span(session, left, right, row);
    const int index = std::clamp(value, 1, sliderMaximum(tables, row));
    for (int s = v.first; s <= v.last; ++s) {
        std::uint8_t& b = session.Segments[s][row];
        const int flag = isRampField(row) ? b & kRampFlag : 0;
        b = static_cast<std::uint8_t>(index + flag);
    }
    return v;
}
