#include "player/QtPlotCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/Win1252Qt.h"

namespace {

constexpr std::uint32_t pixelOf(PlotColor c)
{
    return 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

} // namespace

QtPlotCanvas::~QtPlotCanvas()
{
    end();
}

void QtPlotCanvas::begin(QImage& image, QSize shown)
{
    end();
    m_image = &image;
    // Taken before the painter starts: the image is not shared, so this
    // detaches nothing, and the painter draws into the same pixels.
    m_bits = reinterpret_cast<std::uint32_t*>(image.bits());
    m_stride = image.bytesPerLine() / 4;
    // What lies beside the widget is never seen: no need to draw it.
    m_width = shown.isEmpty() ? image.width() : std::min(image.width(), shown.width());
    m_height = shown.isEmpty() ? image.height() : std::min(image.height(), shown.height());
    m_pen = pixelOf(kPlotBlack);
    m_penWidth = 1;
    m_brush = pixelOf(kPlotWhite);
    m_font = QFont(QStringLiteral("Arial"));
    m_font.setPixelSize(9);
    m_metrics = QFontMetrics(m_font);
    m_painter.begin(&image);
    m_painter.setFont(m_font);
    m_painter.setPen(Qt::black);
}

void QtPlotCanvas::end()
{
    if (!m_image)
        return;
    m_painter.end();
    m_image = nullptr;
    m_bits = nullptr;
}

void QtPlotCanvas::setPen(PlotColor color, int width)
{
    m_pen = pixelOf(color);
    m_penWidth = std::max(width, 1);
}

void QtPlotCanvas::setBrush(PlotColor color)
{
    m_brush = pixelOf(color);
}

void QtPlotCanvas::setFont(int pixelSize, bool bold)
{
    if (m_font.pixelSize() == pixelSize && m_font.bold() == bold)
        return;
    m_font.setPixelSize(pixelSize);
    m_font.setBold(bold);
    m_metrics = QFontMetrics(m_font);
    if (m_image)
        m_painter.setFont(m_font);
}

void QtPlotCanvas::fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                        std::uint32_t pixel)
{
    left = std::max<std::int64_t>(left, 0);
    top = std::max<std::int64_t>(top, 0);
    right = std::min(right, m_width);
    bottom = std::min(bottom, m_height);
    for (std::int64_t y = top; y < bottom && left < right; ++y)
        std::fill(m_bits + y * m_stride + left, m_bits + y * m_stride + right, pixel);
}

void QtPlotCanvas::fillRect(int x, int y, int w, int h)
{
    if (!m_image || w <= 0 || h <= 0)
        return;
    fill(x, y, std::int64_t{x} + w, std::int64_t{y} + h, m_brush);
}

void QtPlotCanvas::thinLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    // GDI's one-pixel line: its last pixel left out, nothing at zero length.
    if (x1 == x2 && y1 == y2)
        return;
    if (x1 == x2) {
        // The segment boundaries, ticks and vertical grid lines.
        const std::int64_t last = y2 > y1 ? y2 - 1 : y2 + 1;
        if (x1 < 0 || x1 >= m_width)
            return;
        const std::int64_t top = std::max<std::int64_t>(std::min(y1, last), 0);
        const std::int64_t bottom = std::min(std::max(y1, last), m_height - 1);
        for (std::int64_t y = top; y <= bottom; ++y)
            m_bits[y * m_stride + x1] = m_pen;
        return;
    }
    if (y1 == y2) {
        const std::int64_t last = x2 > x1 ? x2 - 1 : x2 + 1;
        fill(std::min(x1, last), y1, std::max(x1, last) + 1, y1 + 1, m_pen);
        return;
    }
    const std::int64_t dx = std::abs(x2 - x1);
    const std::int64_t dy = -std::abs(y2 - y1);
    const std::int64_t sx = x1 < x2 ? 1 : -1;
    const std::int64_t sy = y1 < y2 ? 1 : -1;
    std::int64_t err = dx + dy;
    for (std::int64_t x = x1, y = y1; x != x2 || y != y2;) {
        if (x >= 0 && x < m_width && y >= 0 && y < m_height)
            m_bits[y * m_stride + x] = m_pen;
        const std::int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void QtPlotCanvas::wideLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    // The pen's square tip, w pixels across, set at every point of the
    // Bresenham line, ends included. Drawn as one span across the line per
    // row (steep lines) or per column (flat ones): the tips of neighbouring
    // points overlap, and a span holds what they cover together.
    const std::int64_t w = m_penWidth;
    const std::int64_t h = w / 2; // a tip reaches h before its point, w - 1 - h after
    const bool steep = std::abs(y2 - y1) > std::abs(x2 - x1);
    std::int64_t major1 = steep ? y1 : x1;
    std::int64_t major2 = steep ? y2 : x2;
    std::int64_t minor1 = steep ? x1 : y1;
    std::int64_t minor2 = steep ? x2 : y2;
    if (major1 > major2) {
        std::swap(major1, major2);
        std::swap(minor1, minor2);
    }
    // One minor coordinate per major step, from Bresenham's walk.
    const std::int64_t n = major2 - major1 + 1;
    m_minor.resize(static_cast<std::size_t>(n));
    const std::int64_t dMajor = major2 - major1;
    const std::int64_t dMinor = std::abs(minor2 - minor1);
    const std::int64_t sMinor = minor1 < minor2 ? 1 : -1;
    std::int64_t err = 2 * dMinor - dMajor;
    for (std::int64_t k = 0, minor = minor1; k < n; ++k) {
        m_minor[static_cast<std::size_t>(k)] = minor;
        if (err > 0) {
            minor += sMinor;
            err -= 2 * dMajor;
        }
        err += 2 * dMinor;
    }
    for (std::int64_t m = major1 - h; m <= major2 + w - 1 - h; ++m) {
        // The points whose tips reach line m.
        const std::int64_t kFrom = std::max<std::int64_t>(m - (w - 1 - h) - major1, 0);
        const std::int64_t kTo = std::min<std::int64_t>(m + h - major1, n - 1);
        // The minor coordinate only moves one way: the window's ends bound it.
        const std::int64_t a = m_minor[static_cast<std::size_t>(kFrom)];
        const std::int64_t b = m_minor[static_cast<std::size_t>(kTo)];
        const std::int64_t low = std::max<std::int64_t>(std::min(a, b) - h, 0);
        if (steep) {
            if (m < 0 || m >= m_height)
                continue;
            const std::int64_t high = std::min(std::max(a, b) + w - 1 - h, m_width - 1);
            std::uint32_t* row = m_bits + m * m_stride;
            for (std::int64_t x = low; x <= high; ++x)
                row[x] = m_pen;
        } else {
            if (m < 0 || m >= m_width)
                continue;
            const std::int64_t high = std::min(std::max(a, b) + w - 1 - h, m_height - 1);
            for (std::int64_t y = low; y <= high; ++y)
                m_bits[y * m_stride + m] = m_pen;
        }
    }
}

void QtPlotCanvas::line(int x1, int y1, int x2, int y2)
{
    if (!m_image)
        return;
    // Clipped to the image with a margin for the widest tip (Liang-Barsky),
    // keeping the slope of the part in view; a line clipped at an end goes
    // on past the edge, so a left-out last pixel lies outside.
    constexpr double kMargin = 4;
    const double ax = x1;
    const double ay = y1;
    const double dx = static_cast<double>(x2) - x1;
    const double dy = static_cast<double>(y2) - y1;
    double t0 = 0;
    double t1 = 1;
    const auto clip = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        const double t = q / p;
        if (p < 0) {
            if (t > t1)
                return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0)
                return false;
            t1 = std::min(t1, t);
        }
        return true;
    };
    if (!clip(-dx, ax + kMargin) || !clip(dx, static_cast<double>(m_width) + kMargin - ax) ||
        !clip(-dy, ay + kMargin) || !clip(dy, static_cast<double>(m_height) + kMargin - ay))
        return;
    const auto at = [](double from, double d, double t, int exact) {
        return t == 0 || t == 1 ? std::int64_t{exact} : static_cast<std::int64_t>(std::lrint(from + t * d));
    };
    const std::int64_t cx1 = at(ax, dx, t0, x1);
    const std::int64_t cy1 = at(ay, dy, t0, y1);
    const std::int64_t cx2 = at(ax, dx, t1, x2);
    const std::int64_t cy2 = at(ay, dy, t1, y2);
    if (m_penWidth == 1)
        thinLine(cx1, cy1, cx2, cy2);
    else
        wideLine(cx1, cy1, cx2, cy2);
}

void QtPlotCanvas::lines(std::span<const PlotLine> lines)
{
    for (const PlotLine& l : lines)
        line(l.x1, l.y1, l.x2, l.y2);
}

void QtPlotCanvas::text(int x, int y, std::string_view text)
{
    if (!m_image)
        return;
    const QString shown = fromWin1252(text);
    const int width = m_metrics.horizontalAdvance(shown);
    const int height = m_metrics.height();
    fill(x, y, std::int64_t{x} + width, std::int64_t{y} + height, m_brush);
    m_painter.drawText(QRect(x, y, width, height), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
}
