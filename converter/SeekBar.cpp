#include "converter/SeekBar.h"

#include <QMouseEvent>
#include <algorithm>
#include <limits>

#include "platform/Arith.h"

namespace {

int toInt(std::int64_t v)
{
    return static_cast<int>(std::min<std::int64_t>(v, std::numeric_limits<int>::max()));
}

} // namespace

SeekBar::SeekBar(QWidget* parent)
    : QProgressBar(parent)
{
    setTextVisible(false);
    redraw();
}

void SeekBar::setMax(std::int64_t secs)
{
    m_max = std::max<std::int64_t>(secs, 0);
    m_position = std::clamp<std::int64_t>(m_position, 0, m_max);
    redraw();
}

void SeekBar::setPosition(std::int64_t secs)
{
    m_position = std::clamp<std::int64_t>(secs, 0, m_max);
    redraw();
}

std::int64_t SeekBar::positionAt(int x) const
{
    const int w = std::max(width(), 1);
    return std::clamp<std::int64_t>(roundEven(static_cast<ext>(x) / w * m_max), 0, m_max);
}

void SeekBar::redraw()
{
    // A range of 0..0 would draw Qt's busy indicator.
    setRange(0, toInt(std::max<std::int64_t>(m_max, 1)));
    setValue(toInt(m_position));
}

void SeekBar::mousePressEvent(QMouseEvent* e)
{
    if (OnMouseDown)
        OnMouseDown(e->buttons(), e->modifiers(), e->position().toPoint().x());
    e->accept();
}

void SeekBar::mouseMoveEvent(QMouseEvent* e)
{
    if (OnMouseMove)
        OnMouseMove(e->position().toPoint().x());
    e->accept();
}

void SeekBar::mouseReleaseEvent(QMouseEvent* e)
{
    if (OnMouseUp)
        OnMouseUp(e->position().toPoint().x());
    e->accept();
}
