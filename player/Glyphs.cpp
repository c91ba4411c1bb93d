#include "player/Glyphs.h"

#include <QAbstractButton>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
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
