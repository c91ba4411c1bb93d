#include "player/WindowPlace.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

// In 64 bits: a hand-edited place near the ends of the 32-bit range must not
// overflow when the window's size is added.
bool meetsAScreen(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height)
{
    const std::int64_t right = left + std::max<std::int64_t>(width, 1);
    const std::int64_t bottom = top + std::max<std::int64_t>(height, 1);
    const auto screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
        const QRect area = screen->availableGeometry();
        return left < std::int64_t{area.x()} + area.width() && area.x() < right &&
               top < std::int64_t{area.y()} + area.height() && area.y() < bottom;
    });
}

// What QWidget::show does to a window that nobody resized; show still
// adjusts it again, should its contents change before then.
void settleSize(QWidget* window)
{
    if (!window->testAttribute(Qt::WA_Resized)) {
        window->adjustSize();
        window->setAttribute(Qt::WA_Resized, false);
    }
}

} // namespace

void placeWindow(QWidget* window, StoredPos stored, QPoint fallback)
{
    if (!window)
        return;
    settleSize(window);
    const QSize size = window->frameGeometry().size();
    const bool usable =
        stored.Left != kNotSet && meetsAScreen(stored.Left, stored.Top, size.width(), size.height());
    window->move(usable ? QPoint(stored.Left, stored.Top) : fallback);
}

QPoint centredPlace(QWidget* window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !window)
        return {0, 0};
    settleSize(window);
    const QRect full = screen->geometry();
    return {full.x() + (full.width() - window->width()) / 2, full.y() + (full.height() - window->height()) / 2};
}
