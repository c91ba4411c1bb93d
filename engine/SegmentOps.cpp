#include "engine/SegmentOps.h"

#include <algorithm>

namespace {

bool validCount(const Session& session)
{
    return session.SegCount >= 1 && session.SegCount <= kMaxSegments;
}

/// Opens `count` places before segment `cur` by moving cur..SegCount right.
void openGap(Session& session, int cur, int count)
{
    auto* records = session.Segments.data();
    std::copy_backward(records + cur, records + session.SegCount + 1, records + session.SegCount + count + 1);
    session.SegCount += count;
}

} // namespace

bool fitsSession(const Session& session, int added)
{
    return added >= 0 && session.SegCount <= kMaxSegments - added;
}

bool fitsClipboard(int left, int right)
{
    return right - left + 1 <= kClipRecords;
}

std::optional<SegmentEdit> AppendDefault(Session& session, const TSegRec& fill)
{
    return InsertDefault(session, session.SegCount + 1, fill);
}

std::optional<SegmentEdit> InsertDefault(Session& session, int cur, const TSegRec& fill)
{
    if (!validCount(session) || !fitsSession(session, 1) || cur < 1 || cur > session.SegCount + 1)
        return std::nullopt;
    openGap(session, cur, 1);
    session.Segments[cur] = fill;
    return SegmentEdit{session.SegCount, cur};
}

std::optional<SegmentEdit> DeleteRange(Session& session, int left, int right, const TSegRec& fill)
{
    if (!validCount(session) || left < 1 || right < left || right > session.SegCount)
        return std::nullopt;
    const int count = right - left + 1;
    if (count >= session.SegCount) {
        // A session never goes empty.
        session.Segments[1] = fill;
        session.SegCount = 1;
        return SegmentEdit{1, 1};
    }
    auto* records = session.Segments.data();
    std::copy(records + right + 1, records + session.SegCount + 1, records + left);
    session.SegCount -= count;
    return SegmentEdit{session.SegCount, left};
}

bool CopyRange(const Session& session, int left, int right, SegmentClipboard& clip)
{
    if (!validCount(session) || left < 1 || right < left || right > session.SegCount || !fitsClipboard(left, right))
        return false;
    const auto* records = session.Segments.data();
    std::copy(records + left, records + right + 1, clip.Records.begin());
    clip.Count = right - left + 1;
    return true;
}

std::optional<SegmentEdit> PasteAt(Session& session, int cur, const SegmentClipboard& clip)
{
    const int count = clip.Count;
    if (!validCount(session) || count < 1 || count > kClipRecords || !fitsSession(session, count) || cur < 1 ||
        cur > session.SegCount + 1)
        return std::nullopt;
    openGap(session, cur, count);
    std::copy(clip.Records.begin(), clip.Records.begin() + count, session.Segments.begin() + cur);
    return SegmentEdit{session.SegCount, cur};
}
