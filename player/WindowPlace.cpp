#include "player/WindowPlace.h"

#include <QGuiApplication>
#include <QMargins>
#include <QRect>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>
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

bool framed(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return handle && !handle->frameMargins().isNull();
}

// The window manager tells the frame only once it has framed the window;
// before that, a title bar and border as the style draws them, close to what
// most desktops draw (WholeOnceFramed corrects the rest).
QMargins frameMargins(const QWidget* window)
{
    if (framed(window))
        return window->windowHandle()->frameMargins();
    const QStyle* style = window->style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    return {border, style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window), border, border};
}

// The available area of the screen that most of the frame lies on; the
// primary screen's when it lies on none.
QRect areaFor(const QRect& frame)
{
    QRect best;
    std::int64_t most = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        const QRect common = area.intersected(frame);
        const std::int64_t shared = std::int64_t{common.width()} * common.height();
        if (shared > most) {
            most = shared;
            best = area;
        }
    }
    if (best.isEmpty())
        if (const QScreen* primary = QGuiApplication::primaryScreen())
            best = primary->availableGeometry();
    return best;
}

// Puts the frame's left and top at `place`, then moves the window as little
// as it takes for the whole frame to lie on one screen's available area, its
// size cut to that area first where the frame would be larger. A window of
// fixed size that is still larger keeps its title bar on the screen.
void placeWhole(QWidget* window, QPoint place)
{
    const QMargins margins = frameMargins(window);
    const QRect area = areaFor({place, window->size().grownBy(margins)});
    if (area.isEmpty()) {
        window->move(place);
        return;
    }
    const QSize room = area.size().shrunkBy(margins);
    if (window->width() > room.width() || window->height() > room.height())
        window->resize(window->size().boundedTo(room));
    const QSize frame = window->size().grownBy(margins);
    window->move(std::max(area.left(), std::min(place.x(), area.left() + area.width() - frame.width())),
                 std::max(area.top(), std::min(place.y(), area.top() + area.height() - frame.height())));
}

// Checks the place again with the real frame, at the first move that comes
// with it, when the frame the place was worked out with was an estimate.
class WholeOnceFramed final : public QObject {
public:
    static constexpr const char* kName = "WholeOnceFramed";

    explicit WholeOnceFramed(QWidget* window)
        : QObject(window)
    {
        setObjectName(QLatin1String(kName));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        auto* window = static_cast<QWidget*>(watched);
        if (e->type() == QEvent::Move && framed(window)) {
            window->removeEventFilter(this);
            deleteLater();
            if (window->windowState() == Qt::WindowNoState)
                placeWhole(window, window->frameGeometry().topLeft());
        }
        return false;
    }
};

} // namespace

void placeWindow(QWidget* window, StoredPos stored, QPoint fallback)
{
    if (!window)
        return;
    settleSize(window);
    const QSize frame = window->size().grownBy(frameMargins(window));
    const bool usable =
        stored.Left != kNotSet && meetsAScreen(stored.Left, stored.Top, frame.width(), frame.height());
    placeWhole(window, usable ? QPoint(stored.Left, stored.Top) : fallback);
    if (!framed(window) && !window->findChild<QObject*>(QLatin1String(WholeOnceFramed::kName),
                                                        Qt::FindDirectChildrenOnly))
        window->installEventFilter(new WholeOnceFramed(window));
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
