#include "DialogKit.h"

#include <QAbstractSlider>
#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QWidget>
#include <algorithm>

namespace {

class MenuKeysFirst final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::ShortcutOverride || !watched->isWidgetType())
            return false;
        const QKeySequence pressed(static_cast<QKeyEvent*>(e)->keyCombination());
        const QWidget* window = static_cast<QWidget*>(watched)->window();
        for (const QAction* action : window->findChildren<QAction*>())
            if (action->isEnabled() && action->shortcuts().contains(pressed))
                return true; // the override stays unaccepted: the shortcut runs
        return false;
    }
};

} // namespace

void setPixelFont(QWidget* widget, int pixels, bool bold, const QString& family)
{
    QFont font = widget->font();
    if (!family.isEmpty())
        font.setFamily(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    widget->setFont(font);
}

int labelTextRoom(const QLabel* label, const QFont& font)
{
    int indent = label->indent();
    if (indent < 0 && label->frameWidth() > 0)
        indent = QFontMetrics(font).horizontalAdvance(QLatin1Char('x')) / 2 - label->margin();
    if (indent < 0 || !(label->alignment() & (Qt::AlignLeft | Qt::AlignRight)))
        indent = 0;
    return label->contentsRect().width() - 2 * label->margin() - indent;
}

void shrinkToFit(QLabel* label, int smallest)
{
    QFont font = label->font();
    while (font.pixelSize() > smallest && QFontMetrics(font).horizontalAdvance(label->text()) > labelTextRoom(label, font))
        font.setPixelSize(font.pixelSize() - 1);
    label->setFont(font);
}

void setFittedText(QLabel* label, const QString& text, int pixels)
{
    QFont font = label->font();
    font.setPixelSize(pixels);
    label->setFont(font);
    label->setText(text);
    shrinkToFit(label);
}

void centreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

void yieldKeysToMenus(QWidget* box)
{
    box->installEventFilter(new MenuKeysFirst(box));
}

void showWindow(QWidget* window)
{
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

void setSilently(QAbstractSlider* slider, int pos)
{
    const QSignalBlocker block(slider);
    slider->setValue(pos);
}

QSlider* tickedSlider(QWidget* parent, const char* name, int min, int max, int pos, const QRect& geometry)
{
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(min, max);
    s->setValue(pos);
    const int tenth = std::max(1, (max - min) / 10);
    s->setPageStep(tenth);
    s->setTickPosition(QSlider::TicksBelow);
    s->setTickInterval(tenth);
    s->setGeometry(geometry);
    return s;
}
