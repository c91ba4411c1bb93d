#include "player/PlotRenderer.h"

#include "engine/ValueTables.h"
#include "platform/Arith.h"

namespace {

constexpr int kSmallFont = 9;  // "Arial" 7 pt
constexpr int kLabelFont = 13; // "Arial" 10 pt bold

/// Value index of a field byte, or 0 (drawn on the axis) for an unset one or
/// one past its table.
int plotIndex(int field, int index)
{
    return index >= 1 && index <= ValueTables::tableSize(field) ? index : 0;
}

PlotColor colourOf(const CurveSpec& c)
{
    return {c.r, c.g, c.b};
}

// Drawn first to last, so that Freq 1 ends on top.
constexpr int kCurveOrder[] = {8, 7, 6, 5, 4, 3, 2, 1};

} // namespace

void PlotRenderer::SpeedBtnTest(PlotGeometry& g, const PlotView& v)
{
    for (int b = 1; b <= 8; ++b) {
        if (v.CurveDown[b]) {
            g.YAxisGroup = kCurves[b].group;
            return;
        }
    }
}

void PlotRenderer::DrawImage(PlotGeometry& g, const PlotSession& s, const PlotView& v, PlotCanvas& image1,
                             PlotCanvas& image2)
{
    const Session& ses = s.Ses;
    SpeedBtnTest(g, v);
    image1.setBrush(kPlotWhite);
    image1.fillRect(0, 0, g.Width, g.Height);
    PlotGeometry::updateEnds(s);
    g.updatePxPerSample(ses);
    if (!g.drawable(ses)) {
        image2.setBrush(kPlotWhite);
        image2.fillRect(0, 0, v.AxisWidth, v.AxisHeight);
        return;
    }
    g.findVisibleSegs(ses);
    image1.setFont(kSmallFont, false);
    image1.setPen(kPlotBlack, 1);
    if (const int group = axisGroupOfRow(g.SelRect.top))
        g.YAxisGroup = group;
    DrawYAxis(g, s, v, image1, image2);
    image1.line(0, g.AxisY, g.Width, g.AxisY);
    drawTimeAxis(g, s, v, image1);
    if (v.ShowSegs)
        drawSegmentMarks(g, s, image1);
    image1.setFont(kSmallFont, false);
    image1.setPen(kPlotBlack, 2);
    for (int b : kCurveOrder)
        if (v.ShowAll || v.CurveDown[b])
            drawCurve(b, g, s, v, image1);
    // The selected row's curve once more, over the others.
    if (const int b = curveButtonOfRow(g.SelRect.top))
        drawCurve(b, g, s, v, image1);
}

void PlotRenderer::DrawYAxis(const PlotGeometry& g, const PlotSession& s, const PlotView& v, PlotCanvas& image1,
                             PlotCanvas& image2)
{
    const Session& ses = s.Ses;
    const auto band = [&](int first, int last) {
        const int x0 = g.x(ses.SegEnd[first - 1]);
        image1.fillRect(x0, 0, g.x(ses.SegEnd[last]) - x0, g.AxisY);
    };
    const auto [left, right] = g.selection(ses);
    image1.setBrush(kPlotSelection);
    band(left, right);
    image1.setBrush(kPlotCurrent);
    const int current = g.currentSegment(ses);
    band(current, current);
    image1.setBrush(kPlotWhite);

    image2.setBrush(kPlotWhite);
    image2.fillRect(0, 0, v.AxisWidth, v.AxisHeight);
    image2.setFont(kSmallFont, false);
    image2.setPen(kPlotBlack, 1);
    image1.setPen(kPlotBlack, 1);
    g.axisLabels(s.Tables, g.YAxisGroup, m_labels);
    for (const AxisLabel& label : m_labels) {
        image2.line(v.AxisWidth - 4, label.y, v.AxisWidth, label.y);
        if (v.ShowGrid) {
            image1.setPen(kPlotSilver, 1);
            image1.line(0, label.y, g.Width, label.y);
            image1.setPen(kPlotBlack, 1);
        }
        image2.text(label.x, label.y - 7, label.text);
    }
}

void PlotRenderer::drawTimeAxis(const PlotGeometry& g, const PlotSession& s, const PlotView& v, PlotCanvas& image1)
{
    g.timeTicks(s.Ses, m_ticks);
    for (const PlotTick& tick : m_ticks) {
        image1.line(tick.x, g.AxisY + 4, tick.x, g.AxisY - 1);
        if (v.ShowGrid) {
            image1.setPen(kPlotSilver, 1);
            image1.line(tick.x, g.AxisY - 1, tick.x, 0);
            image1.setPen(kPlotBlack, 1);
        }
        image1.text(tick.x, g.AxisY + 5, tickLabel(tick.secs));
    }
}

void PlotRenderer::drawSegmentMarks(const PlotGeometry& g, const PlotSession& s, PlotCanvas& image1)
{
    const Session& ses = s.Ses;
    image1.setFont(kLabelFont, true);
    image1.setPen(kPlotBlack, 1);
    const long double pps = g.PxPerSample;
    for (int i = g.FirstVisSeg; i <= g.LastVisSeg; ++i) {
        const int x1 = g.x(ses.SegEnd[i]);
        image1.line(x1, 0, x1, g.AxisY);
        const long double width = static_cast<long double>(ses.SegEnd[i] - ses.SegEnd[i - 1]) * pps;
        const std::string label = segmentLabel(s.Tables, i, ses.Segments[i].Phase, width);
        if (!label.empty())
            image1.text(g.x(ses.SegEnd[i - 1]) + 5, 2, label);
    }
}

void PlotRenderer::drawCurve(int button, const PlotGeometry& g, const PlotSession& s, const PlotView& v,
                             PlotCanvas& image1)
{
    const Session& ses = s.Ses;
    const CurveSpec& c = kCurves[button];
    const PlotColor colour = colourOf(c);
    image1.setPen(colour, curveButtonOfRow(v.EditorRow) == button ? 3 : 2);
    const float scale = g.YScale[c.scaleRow];
    if (c.group == 7) {
        // Between the absolute pitches (up to 85) and the relative ones.
        const int y = g.AxisY - static_cast<int>(roundEven(85.5L * g.YScale[fPitch2]));
        image1.setPen(kPlotBlack, 1);
        image1.line(0, y, g.Width, y);
        image1.setPen(colour, 2);
    }
    const int shift = c.offset ? 1 : 0;
    const bool glides = c.fromField != c.toField;
    m_lines.clear();
    for (int i = g.FirstVisSeg; i <= g.LastVisSeg; ++i) {
        const TSegRec& rec = ses.Segments[i];
        int from = 0;
        int to = 0;
        if (glides) {
            from = plotIndex(c.fromField, rec[c.fromField]);
            to = plotIndex(c.toField, rec[c.toField]);
        } else {
            const std::uint8_t byte = rec[c.fromField];
            to = plotIndex(c.fromField, byte & 0x7F);
            // Segment 1 has nothing to ramp from: drawn from its own value.
            from = i > 1 && byte > kRampFlag ? plotIndex(c.fromField, ses.Segments[i - 1][c.fromField] & 0x7F) : to;
        }
        m_lines.push_back({g.x(ses.SegEnd[i - 1]) + shift, g.y(from, scale, shift), g.x(ses.SegEnd[i]) + shift,
                           g.y(to, scale, shift)});
    }
    image1.lines(m_lines);
    image1.setPen(colour, 2);
}
