#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "player/PlotGeometry.h"

struct PlotColor {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend bool operator==(const PlotColor&, const PlotColor&) = default;
};

constexpr PlotColor kPlotBlack{0, 0, 0};
constexpr PlotColor kPlotWhite{255, 255, 255};
constexpr PlotColor kPlotSilver{192, 192, 192};
constexpr PlotColor kPlotSelection{0, 255, 255};
constexpr PlotColor kPlotCurrent{255, 192, 255};

struct PlotLine {
    std::int32_t x1;
    std::int32_t y1;
    std::int32_t x2;
    std::int32_t y2;

    friend bool operator==(const PlotLine&, const PlotLine&) = default;
};

/// Where the plot draws: one of the editor's two images, with a pen, a brush
/// and an "Arial" font of a pixel size. Coordinates may lie far outside the
/// image (a deep zoom); the canvas clips. GUI thread only.
class PlotCanvas {
public:
    virtual ~PlotCanvas() = default;

    virtual void setPen(PlotColor color, int width) = 0;
    virtual void setBrush(PlotColor color) = 0;
    virtual void setFont(int pixelSize, bool bold) = 0;
    /// Fills x..x + w - 1, y..y + h - 1 with the brush; nothing when w or h
    /// is not positive.
    virtual void fillRect(int x, int y, int w, int h) = 0;
    virtual void line(int x1, int y1, int x2, int y2) = 0;
    /// Many lines with the present pen at once.
    virtual void lines(std::span<const PlotLine> lines) = 0;
    /// Windows-1252 text with its top-left corner at (x, y), on a box of the
    /// brush's colour.
    virtual void text(int x, int y, std::string_view text) = 0;
};

/// The window's controls that choose what the plot shows.
struct PlotView {
    /// Curve buttons 1..8 (entry 0 unused) that are down.
    std::array<bool, 9> CurveDown{};
    bool ShowSegs = false;
    bool ShowGrid = false;
    bool ShowAll = false;
    /// The spreadsheet editor's current row: its curve is drawn 3 px wide.
    int EditorRow = 0;
    /// Client size of the value axis image.
    int AxisWidth = 0;
    int AxisHeight = 0;
};

/// Draws the graphic editor's plot and value axis from scratch: the bands of
/// the selection and the current segment, both axes with their labels and
/// optional grid, the segment marks and the curves. Touches only the visible
/// segments. Keeps its scratch buffers between redraws. GUI thread only.
class PlotRenderer {
public:
    /// The whole redraw into `image1` (the plot) and `image2` (the value axis).
    /// Updates the geometry's visible segments and axis group, and SegEnd and
    /// the session length unless the session is frozen.
    void DrawImage(PlotGeometry& g, const PlotSession& s, const PlotView& v, PlotCanvas& image1, PlotCanvas& image2);

    /// YAxisGroup from the first curve button that is down; unchanged when
    /// none is.
    static void SpeedBtnTest(PlotGeometry& g, const PlotView& v);

private:
    void DrawYAxis(const PlotGeometry& g, const PlotSession& s, const PlotView& v, PlotCanvas& image1,
                   PlotCanvas& image2);
    void drawTimeAxis(const PlotGeometry& g, const PlotSession& s, const PlotView& v, PlotCanvas& image1);
    void drawSegmentMarks(const PlotGeometry& g, const PlotSession& s, PlotCanvas& image1);
    void drawCurve(int button, const PlotGeometry& g, const PlotSession& s, const PlotView& v, PlotCanvas& image1);

    std::vector<PlotTick> m_ticks;
    std::vector<AxisLabel> m_labels;
    std::vector<PlotLine> m_lines;
};
