#include "dialogs/Glyphs.h"

#include <QAbstractButton>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <functional>

namespace {

constexpr int kSide = 20;
const QColor kNavy(0, 0, 128);

QIcon drawn(const std::function<void(QPainter&)>& draw)
{
    QPixmap pm(kSide, kSide);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    draw(p);
    return QIcon(pm);
}

/// A filled triangle in the box (x, 4)..(x + w, 16), its point to the right
/// when `right`.
void triangle(QPainter& p, qreal x, qreal w, bool right, const QColor& colour)
{
    QPainterPath path;
    const qreal tip = right ? x + w : x;
    const qreal base = right ? x : x + w;
    path.moveTo(base, 4);
    path.lineTo(tip, 10);
    path.lineTo(base, 16);
    path.closeSubpath();
    p.fillPath(path, colour);
}

} // namespace

void setGlyph(QAbstractButton* button, const QIcon& glyph, const QString& action)
{
    button->setText(QString());
    button->setIcon(glyph);
    button->setIconSize({kSide, kSide});
    button->setToolTip(action);
    button->setAccessibleName(action);
    // The tooltip is the glyph's only word, and it is wanted while another
    // window is the active one: a look at the launcher or the transport
    // buttons after a click elsewhere.
    button->window()->setAttribute(Qt::WA_AlwaysShowToolTips);
}

QPushButton* dialogGlyphButton(QWidget* parent, const char* name, const QIcon& glyph, const QString& action)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    setGlyph(b, glyph, action);
    b->setFixedSize(36, 30);
    // In a dialog, Enter clicks the default or auto-default button: a press
    // meant for a field, or for the button that has the focus, would act on
    // another button.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QIcon pauseGlyph()
{
    return drawn([](QPainter& p) {
        p.fillRect(5, 4, 4, 12, kNavy);
        p.fillRect(11, 4, 4, 12, kNavy);
    });
}

QIcon recordGlyph()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(128, 0, 0), 1));
        p.setBrush(QColor(230, 0, 0));
        p.drawEllipse(QRectF(4.5, 4.5, 11, 11));
    });
}

QIcon playGlyph()
{
    return drawn([](QPainter& p) { triangle(p, 5, 11, true, QColor(0, 128, 0)); });
}

QIcon stopGlyph()
{
    return drawn([](QPainter& p) { p.fillRect(5, 5, 10, 10, kNavy); });
}

QIcon firstGlyph()
{
    return drawn([](QPainter& p) {
        p.fillRect(4, 4, 2, 12, kNavy);
        triangle(p, 6, 10, false, kNavy);
    });
}

QIcon previousGlyph()
{
    return drawn([](QPainter& p) {
        triangle(p, 2, 8, false, kNavy);
        triangle(p, 10, 8, false, kNavy);
    });
}

QIcon nextGlyph()
{
    return drawn([](QPainter& p) {
        triangle(p, 2, 8, true, kNavy);
        triangle(p, 10, 8, true, kNavy);
    });
}

QIcon mainWindowGlyph()
{
    return drawn([](QPainter& p) {
        p.fillRect(2, 3, 16, 14, kNavy);
        p.fillRect(3, 7, 14, 9, Qt::white);
        p.fillRect(5, 9, 10, 2, QColor(0, 128, 0)); // a slider
        p.fillRect(5, 13, 6, 2, QColor(0, 128, 0));
    });
}

QIcon spreadsheetGlyph()
{
    return drawn([](QPainter& p) {
        p.fillRect(2, 3, 16, 13, kNavy);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                p.fillRect(3 + 5 * col, 4 + 4 * row, 4, 3, row == 0 ? QColor(192, 192, 192) : QColor(Qt::white));
    });
}

QIcon graphGlyph()
{
    return drawn([](QPainter& p) {
        p.fillRect(2, 2, 2, 16, kNavy);
        p.fillRect(2, 16, 16, 2, kNavy);
        p.setPen(QPen(QColor(200, 0, 0), 2));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({{5, 13}, {9, 13}, {9, 6}, {13, 6}, {17, 10}}));
    });
}

QIcon waveGlyph()
{
    return drawn([](QPainter& p) {
        QPainterPath wave;
        wave.moveTo(2, 10);
        wave.cubicTo(5, 1, 8, 1, 10, 10);
        wave.cubicTo(12, 19, 15, 19, 18, 10);
        p.setPen(QPen(kNavy, 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
    });
}

QIcon propertiesGlyph()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(kNavy, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 2.5, 11, 15));
        for (int y : {6, 9, 12})
            p.fillRect(7, y, 6, 1, kNavy);
    });
}
