#include "RepeatBtn.h"

#include <QEvent>
#include <QMouseEvent>
#include <algorithm>
#include <climits>

TRepeatButton::TRepeatButton(QWidget* parent)
    : TRepeatButton(QString(), parent)
{
}

TRepeatButton::TRepeatButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent)
{
    // A coarse timer may fire 5 % early; the repeats keep their schedule.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TRepeatButton::TimerTick);
    // A context menu opened by a right-button hold would take the release,
    // and the timer would click on with nobody holding the button.
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void TRepeatButton::mousePressEvent(QMouseEvent* e)
{
    QPushButton::mousePressEvent(e);
    if (!isEnabled())
        return;
    if (e->button() == Qt::LeftButton)
        m_leftHeld = isDown();
    else
        e->accept(); // other buttons repeat too: keep their release for us
    m_timer.setInterval(static_cast<int>(std::min<std::uint32_t>(InitRepeatPause, INT32_MAX)));
    m_timer.start();
}

void TRepeatButton::mouseReleaseEvent(QMouseEvent* e)
{
    // Stop first: the release click's handler may open a modal window.
    stopRepeating();
    QPushButton::mouseReleaseEvent(e);
    if (e->button() != Qt::LeftButton)
        e->accept();
}

void TRepeatButton::focusOutEvent(QFocusEvent* e)
{
    // The editors' click handlers focus their grid. A push button that loses
    // the focus forgets it is down and would swallow the release click.
    const bool keepDown = m_leftHeld && isDown();
    QPushButton::focusOutEvent(e);
    if (keepDown && isEnabled() && isVisible())
        setDown(true);
}

void TRepeatButton::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::EnabledChange && !isEnabled())
        stopRepeating();
    QPushButton::changeEvent(e);
}

void TRepeatButton::hideEvent(QHideEvent* e)
{
    // A hidden button neither repeats nor clicks when the mouse comes up.
    stopRepeating();
    setDown(false);
    QPushButton::hideEvent(e);
}

bool TRepeatButton::event(QEvent* e)
{
    // A modal window takes the mouse: the release would never reach us, so
    // neither repeat nor stay drawn pressed.
    if (e->type() == QEvent::WindowBlocked) {
        stopRepeating();
        setDown(false);
    }
    return QPushButton::event(e);
}

void TRepeatButton::TimerTick()
{
    if (!isEnabled()) {
        stopRepeating();
        return;
    }
    m_timer.setInterval(static_cast<int>(std::min<std::uint32_t>(RepeatPause, INT32_MAX)));
    // Not click(): that would press the button again and lose the release click.
    emit clicked(false);
}

void TRepeatButton::stopRepeating()
{
    m_timer.stop();
    m_leftHeld = false;
}
