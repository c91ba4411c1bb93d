#pragma once

#include <string>

#include "engine/Session.h"

struct ValueTables;

/// The two time texts under the editors' grids.
struct TimeTexts {
    std::string start; ///< "Segment n start time: m:ss.t"
    std::string total; ///< "Session total time: m:ss.t"
};

/// The start time of segment n (the Time values of segments 1..n-1 added up)
/// and the length of the session's SegCount segments, summed in single
/// precision as the editors always have. A Time index of 0 or past the table
/// counts as 0 s. Each sum is rounded to tenths (ties to even) before minutes
/// and seconds are split, so a sum just under a minute shows as the next
/// minute. Minutes are not folded into hours.
TimeTexts sessionTimeTexts(const Session& session, const ValueTables& tables, int n);
