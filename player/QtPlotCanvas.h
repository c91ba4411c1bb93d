#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <vector>

#include "player/PlotRenderer.h"

/// Paints the plot's primitives into a backing image (Format_RGB32) the way
/// the editor has always drawn: no antialiasing, rectangles without their
/// right and bottom edges, one-pixel lines without their last pixel, wider
/// lines with both ends and a square tip the pen's width across (a round cap
/// at these widths), text boxed on the brush's colour in "Arial".
///
/// Lines and rectangles are set into the image's pixels here rather than
/// through QPainter, whose wide pens cost microseconds a line: a redraw has
/// up to 18 000 of them. Each line is first clipped to the image's columns
/// (interpolating y), so that ends about 10^9 pixels away at a deep zoom
/// still draw. Only text goes through the painter, which writes the same
/// pixels at once, so the order of the calls is the order on the image.
/// GUI thread only.
class QtPlotCanvas final : public PlotCanvas {
public:
    QtPlotCanvas() = default;
    ~QtPlotCanvas() override;
    QtPlotCanvas(const QtPlotCanvas&) = delete;
    QtPlotCanvas& operator=(const QtPlotCanvas&) = delete;

    /// Starts drawing into `image`, which must stay alive and unresized until
    /// end(); pen black 1, brush white, 9-pixel type. Lines and rectangles
    /// stay within its top-left `shown` part (the whole image when empty).
    void begin(QImage& image, QSize shown = {});
    /// Releases the image.
    void end();

    void setPen(PlotColor color, int width) override;
    void setBrush(PlotColor color) override;
    void setFont(int pixelSize, bool bold) override;
    void fillRect(int x, int y, int w, int h) override;
    void line(int x1, int y1, int x2, int y2) override;
    void lines(std::span<const PlotLine> lines) override;
    void text(int x, int y, std::string_view text) override;

private:
    void fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, std::uint32_t pixel);
    void thinLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
    void wideLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);

    QImage* m_image = nullptr;
    std::uint32_t* m_bits = nullptr;
    std::int64_t m_stride = 0; // pixels per row
    std::int64_t m_width = 0;
    std::int64_t m_height = 0;
    std::uint32_t m_pen = 0xFF000000;
    int m_penWidth = 1;
    std::uint32_t m_brush = 0xFFFFFFFF;
    QFont m_font;
    QFontMetrics m_metrics{QFont()};
    QPainter m_painter;
    std::vector<std::int64_t> m_minor; // a wide line's points, reused
};
