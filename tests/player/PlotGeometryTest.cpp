#include <gtest/gtest.h>

#include <limits>

#include "engine/SegParams.h"
#include "engine/TestTables.h"
#include "player/PlotGeometry.h"

namespace {

// A plot of the design size (400 x 360: AxisY 340, PlotHeight 320) over a
// session of 60-second segments (Time 3 of the synthetic tables).
struct Geometry : testing::Test {
    ValueTables tables = syntheticTables();
    Session ses;
    SegParams params;
    PlotGeometry g;

    PlotSession session(bool frozen = false) { return {ses, tables, params, frozen}; }
    void setSegments(int count, std::uint8_t time = 3)
    {
        ses.SegCount = count;
        for (int s = 1; s <= count; ++s)
            ses.Segments[s].Time = time;
        g.RecalcImage1Params(400, 360, session());
    }
    std::vector<std::string> tickTexts()
    {
        std::vector<PlotTick> ticks;
        g.timeTicks(ses, ticks);
        std::vector<std::string> texts;
        for (const PlotTick& t : ticks)
            texts.push_back(std::to_string(t.x) + " " + tickLabel(t.secs));
        return texts;
    }
};

} // namespace

TEST_F(Geometry, VirtualWidthFloorAndScrollUnits)
{
    setSegments(1);
    struct Case {
        int virtualWidth, width;
        int wantWidth, wantDiv, wantMax, wantPage, wantLimit;
    };
    const Case cases[] = {
        {0, 400, 400, 1, 400, 400, 0},            {300, 400, 400, 1, 400, 400, 0},
        {29999, 400, 29999, 1, 29999, 400, 29599}, {30000, 400, 30000, 2, 15000, 200, 14800},
        {59999, 400, 59999, 2, 29999, 200, 29799}, {60000, 1000, 60000, 3, 20000, 333, 19667},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.virtualWidth);
        g.VirtualWidth = c.virtualWidth;
        g.RecalcImage1Params(c.width, 360, session());
        EXPECT_EQ(g.VirtualWidth, c.wantWidth);
        EXPECT_EQ(g.CurveWidth, c.wantWidth - 30);
        EXPECT_EQ(g.ScrollDiv, c.wantDiv);
        EXPECT_EQ(g.ScrollMax, c.wantMax);
        EXPECT_EQ(g.ScrollPage, c.wantPage);
        EXPECT_EQ(g.scrollLimit(), c.wantLimit);
        EXPECT_EQ(g.clampScroll(-5), 0);
        EXPECT_EQ(g.clampScroll(1 << 30), c.wantLimit);
    }
    EXPECT_EQ(g.AxisY, 340);
    EXPECT_EQ(g.PlotHeight, 320);
    // Single-precision scales, each row its own maximum but the pitch rows
    // sharing Pitch 2's.
    EXPECT_EQ(g.YScale[fFreq1From], static_cast<float>(320.0L / 156));
    EXPECT_EQ(g.YScale[fVolume], static_cast<float>(320.0L / 21));
    EXPECT_EQ(g.YScale[fHBeat], static_cast<float>(320.0L / 91));
    EXPECT_EQ(g.YScale[fPitch1], static_cast<float>(320.0L / 115));
    EXPECT_EQ(g.YScale[fPitch2], g.YScale[fPitch1]);
    EXPECT_EQ(g.YScale[fPhase], 0.0f);
}

TEST_F(Geometry, TickSpacingAndStep)
{
    const std::pair<float, std::int64_t> spacings[] = {
        {30.0f, 1}, {15.0f, 2}, {7.5f, 4}, {370.0f / 60, 5}, {370.0f / 1800, 146}, {370.0f / 7200, 584}, {0.3f, 100},
    };
    for (auto [p, s] : spacings)
        EXPECT_EQ(tickSpacing(p), s) << p;
    const std::pair<std::int64_t, std::int64_t> steps[] = {
        {1, 1},   {2, 2},   {3, 5},     {5, 5},     {6, 10},    {10, 10},       {11, 20},      {20, 20},
        {21, 30}, {30, 30}, {31, 60},   {61, 120},  {146, 180}, {584, 600},     {10000, 10020}, {10001, 10001},
    };
    for (auto [s, step] : steps)
        EXPECT_EQ(tickStep(s), step) << s;
    for (auto [secs, text] : std::initializer_list<std::pair<int, const char*>>{
             {0, "0:00"}, {30, "0:30"}, {65, "1:05"}, {750, "12:30"}, {7200, "120:00"}})
        EXPECT_EQ(tickLabel(secs), text);
}

TEST_F(Geometry, TimeTicks)
{
    // One 60-second segment: ticks every 5 s to 20 px past the edge.
    setSegments(1);
    std::vector<std::string> ticks = tickTexts();
    ASSERT_EQ(ticks.size(), 14u);
    EXPECT_EQ(ticks[0], "0 0:00");
    EXPECT_EQ(ticks[1], "31 0:05");
    EXPECT_EQ(ticks[13], "401 1:05");
    // Two minutes: 90 s x p is 277.5 in double precision but just under in
    // the single-precision p that places the ticks.
    setSegments(2);
    EXPECT_EQ(tickTexts()[9], "277 1:30");
    // Scrolled: the first tick is the one at or left of the view's edge.
    setSegments(20);
    g.VirtualWidth = 4000;
    g.RecalcImage1Params(400, 360, session());
    g.ScrollX = 1000;
    ticks = tickTexts();
    EXPECT_EQ(ticks.front(), "-7 5:00");
    EXPECT_EQ(ticks.back(), "390 7:00");
    // Nothing to place: no length, or no room.
    setSegments(3, 0);
    EXPECT_TRUE(tickTexts().empty());
    EXPECT_FALSE(g.drawable(ses));
    setSegments(1);
    g.VirtualWidth = 0;
    g.RecalcImage1Params(20, 30, session());
    EXPECT_TRUE(tickTexts().empty());
    EXPECT_FALSE(g.drawable(ses));
}

TEST_F(Geometry, ValueAxisLabels)
{
    setSegments(1);
    std::vector<AxisLabel> labels;
    const auto texts = [&](int group) {
        g.axisLabels(tables, group, labels);
        std::string all;
        for (const AxisLabel& l : labels)
            all += l.text + "@" + std::to_string(l.x) + "," + std::to_string(l.y) + " ";
        return all;
    };
    EXPECT_EQ(texts(3), "1.0@17,328 2.0@17,307 3.0@17,287 4.0@17,266 5.0@17,246 6.0@17,225 7.0@17,205 8.0@17,184 "
                        "9.0@17,164 10.0@12,143 12.0@12,127 14.0@12,110 16.0@12,94 18.0@12,77 20.0@12,61 "
                        "26.0@12,49 32.0@12,36 39.0@12,22 ");
    EXPECT_EQ(texts(7).substr(0, 42), "C0@22,282 C5@22,268 G0@22,170 G5@22,156 re");
    // Trailing blanks count in the length that places a label.
    EXPECT_EQ(texts(12).substr(0, 32), "0  @20,325 5  @20,310 10  @15,29");
    EXPECT_EQ(texts(18).substr(0, 42), "10  @15,336 15  @15,319 20  @15,301 25  @1");
    EXPECT_EQ(texts(0), "");
    // Thinned by the unrounded height against the last label's rounded y:
    // at 11.875 px per entry, entry 6 (71.25 px up) clears entry 5's 59 + 12.
    g.YScale[fDutyCycle] = 11.875f;
    EXPECT_EQ(texts(11), "10@22,328 30@22,304 50@22,281 60@22,269 70@22,257 ");
}

TEST_F(Geometry, SegmentLabelForms)
{
    ses.Segments[3].Phase = 10 | kRampFlag;
    const std::pair<long double, const char*> cases[] = {
        {120, "3: Ph10 R"}, {105.01L, "3: Ph10 R"}, {105, "3: Ph R"}, {68.01L, "3: Ph R"},
        {68, "3"},          {30.01L, "3"},          {30, ""},         {25, ""},
    };
    for (auto [width, text] : cases)
        EXPECT_EQ(segmentLabel(tables, 3, ses.Segments[3].Phase, width), text) << width;
    EXPECT_EQ(segmentLabel(tables, 4, 7, 120), "4: Ph7");
    // No table entry: an empty phase name.
    EXPECT_EQ(segmentLabel(tables, 4, 0, 120), "4: ");
    EXPECT_EQ(segmentLabel(tables, 4, 11, 120), "4: ");
}

TEST_F(Geometry, ZoomFitsTheSelectionAndScrollsToIt)
{
    setSegments(10);
    struct Case {
        int virtualWidth, left, right;
        bool in;
        int wantWidth, wantPosition;
    };
    const Case cases[] = {
        {400, 5, 5, true, 800, 258},    // fits doubled: its start 50 px from the edge
        {400, 10, 10, true, 800, 400},  // the last page ends at the maximum
        {400, 1, 10, true, 400, 0},     // the whole session: back to the widest
        {1600, 2, 9, true, 468, 0},     // wider than the view: zoomed out to fit
        {800, 3, 3, false, 400, 0},     // halved, never below the plot's width
        {6400, 4, 4, false, 2476, 684}, // halved, then fitted: 317 + 200 px > 400
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.virtualWidth * 100 + c.left);
        g.VirtualWidth = c.virtualWidth;
        g.RecalcImage1Params(400, 360, session());
        g.SelRect = {c.left, 12, c.right, 12};
        const std::optional<std::int32_t> position = c.in ? g.zoomIn(session()) : g.zoomOut(session());
        ASSERT_TRUE(position);
        EXPECT_EQ(g.VirtualWidth, c.wantWidth);
        EXPECT_EQ(*position, c.wantPosition);
        EXPECT_EQ(g.ScrollX, c.wantPosition * g.ScrollDiv);
    }
    // A stale selection past the end is clamped before anything is indexed.
    g.SelRect = {14, 12, 12, 12};
    ASSERT_TRUE(g.zoomIn(session()));
    // Nothing to zoom in a session of no length.
    setSegments(10, 0);
    const int before = g.VirtualWidth;
    EXPECT_FALSE(g.zoomIn(session()));
    EXPECT_FALSE(g.zoomOut(session()));
    EXPECT_EQ(g.VirtualWidth, before);
}

TEST_F(Geometry, RepeatedZoomInStopsAtTheCap)
{
    // Two thousand 320-second segments; the selection is one eighth of a second.
    setSegments(kMaxSegments, 32);
    ses.Segments[1000].Time = 1;
    CompSegEnds(ses, tables);
    g.SelRect = {1000, 12, 1000, 12};
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(g.zoomIn(session()));
    // Doubled to the cap and fitted back below it, every time alike.
    const int steady = g.VirtualWidth;
    EXPECT_LE(steady, PlotGeometry::kMaxVirtualWidth);
    EXPECT_GT(steady, PlotGeometry::kMaxVirtualWidth / 2);
    ASSERT_TRUE(g.zoomIn(session()));
    EXPECT_EQ(g.VirtualWidth, steady);
    // The selection starts 50 px from the edge, to a scroll unit.
    const int start = g.x(ses.SegEnd[999]);
    EXPECT_GE(start, 50);
    EXPECT_LT(start, 50 + g.ScrollDiv);
}

TEST_F(Geometry, HitTestsAndDragValuesInvertTheMapping)
{
    // Segment 2 of three, x 123.3..246.7: Volume 7 at y 233, Freq1 10 -> 40
    // at y 319 -> 258, Pitch1 20 (ramped) at y 284.
    setSegments(3);
    TSegRec& r = ses.Segments[2];
    std::tie(r.Volume, r.Freq1From, r.Freq1To, r.Pitch1) = std::tuple(7, 10, 40, 20 | kRampFlag);
    g.CurSeg = 2;
    using H = PlotHandle;
    const H none, end{HandleKind::End, 0}, value{HandleKind::Value, 0};
    struct Case {
        int row, x, y;
        H want;
    };
    const Case cases[] = {
        {fVolume, 200, 242, value}, {fVolume, 200, 243, none}, {fVolume, 200, 224, value}, // 9 px, 10 px
        {fVolume, 200, 223, none},  {fVolume, 150, 233, none},                            // the left half
        {fVolume, 241, 233, value}, {fVolume, 241, 100, end},  {fVolume, 246, 100, end},  // the end's 6 px
        {fVolume, 240, 100, none},  {fVolume, 247, 100, none}, {fTone, 241, 233, end},
        {fFreq1From, 150, 319, {HandleKind::Value, 3}},        {fFreq1From, 200, 258, {HandleKind::Value, 4}},
        {fFreq1To, 150, 319, {HandleKind::Value, 3}},          {fFreq1From, 200, 319, none},
        {fPitch1, 200, 284, value},
    };
    for (const Case& c : cases)
        EXPECT_EQ(g.hoverHandle(ses, c.row, c.x, c.y), c.want) << c.row << " " << c.x << "," << c.y;

    g.CurSeg = 9; // stale after a Delete: the last segment's handles
    EXPECT_EQ(g.hoverHandle(ses, fTone, 368, 0), end);

    // A boundary frame belongs to the earlier segment; nothing past the end.
    const std::pair<std::int64_t, std::optional<int>> frames[] = {
        {0, 1}, {2646000, 1}, {2646001, 2}, {7938000, 3}, {7938001, std::nullopt}};
    for (auto [f, seg] : frames)
        EXPECT_EQ(segmentOfFrame(ses, f), seg) << f;
    EXPECT_EQ(g.frameAt(0), 0);

    // Values held to 1..ParamMax; seconds truncated toward zero from the
    // current segment's start; the nearest duration, the lower on a tie.
    EXPECT_EQ(g.valueAt(tables, fVolume, -1000000000), 21);
    EXPECT_EQ(g.secondsFromStart(ses, 2, 139), 7);
    EXPECT_EQ(g.secondsFromStart(ses, 2, 100), -11);
    const std::pair<std::int64_t, int> times[] = {{7, 5}, {65, 3}, {66, 7}, {-3, 1}, {100000, 32}};
    for (auto [secs, entry] : times)
        EXPECT_EQ(nearestTimeEntry(tables, secs), entry) << secs;

    // A degenerate plot finds nothing and gives no value.
    g.YScale[fVolume] = 0;
    EXPECT_EQ(g.hoverHandle(ses, fVolume, 200, 340), none);
    EXPECT_FALSE(g.valueAt(tables, fVolume, 100));
    g.PxPerSample = std::numeric_limits<double>::infinity();
    EXPECT_EQ(g.hoverHandle(ses, fTone, 241, 0), none);
    EXPECT_FALSE(g.frameAt(10) || g.secondsFromStart(ses, 2, 139));
}
