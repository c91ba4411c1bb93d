#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/Session.h"
#include "player/GridRect.h"

struct SegParams;
struct ValueTables;

/// The session as the graphic editor's plot reads it. While a run is under
/// way (playing, ending or recording) SegEnd holds the run's positions at its
/// length factor: `Frozen` is set then, and nothing here rewrites SegEnd or
/// the session length.
struct PlotSession {
    Session& Ses;
    const ValueTables& Tables;
    SegParams& Params;
    bool Frozen = false;
};

/// The curve buttons 1..8 as the plot knows them: the field or fields each
/// draws and the value axis group it shows.
struct CurveSpec {
    int fromField; ///< value at a segment's start (Freq) or its only field
    int toField;   ///< value at its end; the same field for the others
    int scaleRow;  ///< the YScale entry it is drawn with
    int group;     ///< the value axis group its rows show
    bool offset;   ///< drawn one pixel right and down of its partner curve
    std::uint8_t r, g, b;
};

/// Button 1..8 (entry 0 unused).
extern const std::array<CurveSpec, 9> kCurves;

/// The curve button (1..8) of grid row 1..18, 0 for rows without a curve.
int curveButtonOfRow(int row);
/// The value axis group of a row with a curve (3, 7, 11, 12 or 18), else 0.
int axisGroupOfRow(int row);

/// What the mouse is over on the plot: nothing, the current segment's value
/// on the selected row (dragged up and down) or its end (dragged sideways).
enum class HandleKind { None, Value, End };

/// A hover hit: its kind, and for a Freq value the row (3..6) whose start or
/// end value it is, which a press selects; 0 otherwise.
struct PlotHandle {
    HandleKind Kind = HandleKind::None;
    int HoverRow = 0;

    friend bool operator==(const PlotHandle&, const PlotHandle&) = default;
};

/// One time-axis tick: its x in the plot and its time in whole seconds.
struct PlotTick {
    std::int32_t x;
    std::int64_t secs;
};

/// One value-axis label: its y in both images and its text (trailing blanks
/// kept: they count in its length, which places it).
struct AxisLabel {
    std::int32_t y;
    std::string text;
    std::int32_t x; ///< left edge of the text in the axis image
};

/// The graphic editor's geometry: how frames and value indices map to pixels
/// of its plot, which segments are visible, zoom and horizontal scrolling.
/// Plain arithmetic over the session; the window applies the results to its
/// controls. Every expression is worked in extended precision and rounded
/// ties-to-even; YScale and the ticks' pixels per second are single.
/// Selection fields may be stale (0 before the window has a selection, past
/// SegCount after a delete until it is mirrored): everything that indexes by
/// them clamps first. GUI thread only.
class PlotGeometry {
public:
    /// Zoom In stops doubling here: the virtual width and every pixel
    /// position derived from it stay within 32 bits.
    static constexpr std::int32_t kMaxVirtualWidth = 1 << 30;

    // ---- Fields, as the window keeps them ----------------------------------------

    std::int32_t AxisY = 0;      ///< y of the time axis: plot height - 20
    std::int32_t PlotHeight = 0; ///< pixels of a row's whole value range: AxisY - 20
    /// Pixels per value index, for rows 3..8, 11..13 and 18 (7 and 8 share one).
    std::array<float, kFieldCount + 1> YScale{};
    std::int32_t VirtualWidth = 0; ///< the whole session's width at this zoom
    std::int32_t CurveWidth = 0;   ///< VirtualWidth - 30: the session's duration
    double PxPerSample = 0;        ///< CurveWidth / SegEnd[SegCount]; 0 for an empty session
    std::int32_t ScrollX = 0;      ///< virtual x of the plot's left edge
    std::int32_t ScrollDiv = 0;    ///< virtual pixels per scroll-bar unit
    std::int32_t FirstVisSeg = 0;
    std::int32_t LastVisSeg = 0;
    std::int32_t YAxisGroup = 0; ///< 3, 7, 11, 12, 18; 0 until first set
    GridRect SelRect{0, 0, 0, 0}; ///< segments left..right, row top
    std::int32_t CurSeg = 0;
    /// The scroll bar in units of ScrollDiv: its maximum (VirtualWidth div
    /// ScrollDiv) and page (plot width div ScrollDiv).
    std::int32_t ScrollMax = 0;
    std::int32_t ScrollPage = 0;
    /// The plot's client size, as the last RecalcImage1Params saw it.
    std::int32_t Width = 0;
    std::int32_t Height = 0;

    // ---- Geometry -------------------------------------------------------------------------

    /// Recomputes every field from the plot's client size: the virtual width
    /// never below the plot's, the scroll range, SegEnd and the session length
    /// (unless frozen), pixels per frame and the value scales.
    void RecalcImage1Params(std::int32_t width, std::int32_t height, const PlotSession& s);
    /// SegEnd at factor 1 and the session length, unless frozen.
    static void updateEnds(const PlotSession& s);
    /// PxPerSample from CurveWidth and the session's end.
    void updatePxPerSample(const Session& ses);
    /// Whether there is anything to plot: a session of some length, room for
    /// the curve and for the values. Otherwise the redraw only clears and zoom
    /// does nothing (every scale would divide by zero).
    bool drawable(const Session& ses) const;
    /// FirstVisSeg and LastVisSeg for the present scroll position.
    void findVisibleSegs(const Session& ses);

    /// Plot x of a frame position.
    std::int32_t x(std::int64_t frame) const;
    /// Plot y of value index `index` at `scale` pixels per index, `shift`
    /// pixels down (added before rounding).
    std::int32_t y(int index, float scale, int shift = 0) const;

    /// The selection's segments, clamped to 1..SegCount with left <= right.
    std::pair<int, int> selection(const Session& ses) const;
    /// CurSeg clamped to 1..SegCount.
    int currentSegment(const Session& ses) const;

    // ---- Scrolling and zoom ------------------------------------------------------------

    /// The largest scroll position: the last page ends at the maximum.
    std::int32_t scrollLimit() const;
    /// A scroll position clamped to 0..scrollLimit().
    std::int32_t clampScroll(std::int64_t position) const;
    /// ScrollX from a scroll position (clamped).
    void scrollTo(std::int64_t position);
    /// Zoom: the selection plus 200 pixels fits the plot, its start 50 pixels
    /// from the left edge; In doubles the width first (up to the cap), Out
    /// halves it (not below the plot's). Returns the new scroll position, or
    /// nothing when there is nothing to zoom.
    std::optional<std::int32_t> zoomIn(const PlotSession& s);
    std::optional<std::int32_t> zoomOut(const PlotSession& s);
    /// After a selection change: zooms out (never in) until the selection
    /// plus 100 pixels fits the plot, recomputes the geometry, and scrolls
    /// its start 50 pixels from the left edge unless it is wholly in view.
    /// `position` is the scroll bar's; returns the position to take.
    std::int32_t fitSelection(const PlotSession& s, std::int32_t position);
    /// Back to the whole session in view: the virtual width := `plotWidth`,
    /// position 0.
    void resetZoom(std::int32_t plotWidth);

    // ---- Axes ----------------------------------------------------------------------------

    /// Pixels per second of the time axis (single precision); 0 when the
    /// session has no length.
    float pixelsPerSecond(const Session& ses) const;
    /// The time ticks from the plot's left edge to 20 pixels past its right,
    /// into `out` (cleared first). None unless p is finite and positive.
    void timeTicks(const Session& ses, std::vector<PlotTick>& out) const;
    /// The value axis labels of `group` into `out` (cleared first): the
    /// group's candidate entries, each more than 12 pixels above the last one
    /// placed; none for a group other than 3, 7, 11, 12 and 18.
    void axisLabels(const ValueTables& tables, int group, std::vector<AxisLabel>& out) const;

    // ---- Hit tests and drag values -----------------------------------------------------
    // The inverses of the mapping, for the mouse. On a degenerate plot (no
    // finite positive PxPerSample, or no scale for the row) they find
    // nothing, so nothing is selected or written.

    /// The frame under plot x (ScrollX added).
    std::optional<std::int64_t> frameAt(std::int32_t x) const;
    /// The handle under (x, y) for grid row `row`: the end of the current
    /// segment within the 6 pixels left of it, or its value within 10 pixels
    /// vertically: on the Freq rows the start value in its left half and the
    /// end value in its right half, on the other curve rows the value in the
    /// right half (where a ramp arrives). A value handle wins over the end.
    PlotHandle hoverHandle(const Session& ses, int row, std::int32_t x, std::int32_t y) const;
    /// The value index under plot y on `row`, held to 1..ParamMax.
    std::optional<int> valueAt(const ValueTables& tables, int row, std::int32_t y) const;
    /// Whole seconds (truncated toward zero) from the start of segment
    /// `segment` to the frame under plot x.
    std::optional<std::int64_t> secondsFromStart(const Session& ses, int segment, std::int32_t x) const;

private:
    std::optional<std::int32_t> fitAndScroll(const PlotSession& s);
};

/// The segment frame `f` lies in, a boundary frame belonging to the earlier
/// one; nothing outside the session.
std::optional<int> segmentOfFrame(const Session& ses, std::int64_t f);
/// The Time entry whose duration lies nearest to `secs`; the lower index on
/// a tie.
int nearestTimeEntry(const ValueTables& tables, std::int64_t secs);

/// Smallest whole number of seconds s >= 1 with s x p >= 30 (ticks at least
/// 30 pixels apart). p must be finite and positive.
std::int64_t tickSpacing(float p);
/// The tick step in seconds for a spacing: 1, 2, 5, 10, 20, 30, then whole
/// minutes up to 10 000 s, then the spacing itself.
std::int64_t tickStep(std::int64_t spacing);
/// "m:ss" of whole seconds, minutes unbounded.
std::string tickLabel(std::int64_t secs);
/// The phase label over a segment `width` pixels wide ("" below 30 px).
std::string segmentLabel(const ValueTables& tables, int segment, std::uint8_t phase, long double width);
