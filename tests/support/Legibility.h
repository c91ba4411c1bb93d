#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QStringList>
#include <QStyleOptionButton>
#include <QTableView>
#include <algorithm>

#include "dialogs/DialogKit.h"

/// What under `root` cannot be read, one line each: a text its widget cuts
/// (measured with the widget's font against the room the style gives it:
/// labels, buttons, check and radio boxes, table titles and cells in view),
/// the last column of a table scrolled to its end not whole, or a glyph
/// button without a tooltip or whose tooltip shows only while its window is
/// the active one. Empty when all is legible.
inline QStringList illegibleTexts(const QWidget* root)
{
    QStringList faults;
    const auto check = [&faults](const QWidget* w, QString text, int room) {
        const int need = w->fontMetrics().horizontalAdvance(text.remove(QLatin1Char('&')));
        if (need > room)
            faults << QStringLiteral("%1 \"%2\": %3 px in %4").arg(w->objectName(), text).arg(need).arg(room);
    };
    QList<const QWidget*> widgets = root->findChildren<const QWidget*>();
    widgets.prepend(root);
    for (const QWidget* w : widgets) {
        if (w->objectName().startsWith(QLatin1String("qt_")))
            continue; // Qt's own, such as the menu bar's overflow arrow
        if (const auto* label = qobject_cast<const QLabel*>(w); label && !label->wordWrap()) {
            check(label, label->text(), labelTextRoom(label, label->font()));
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            QStyleOptionButton option;
            option.initFrom(button);
            const bool box = qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w);
            const auto contents = qobject_cast<const QCheckBox*>(w)      ? QStyle::SE_CheckBoxContents
                                  : qobject_cast<const QRadioButton*>(w) ? QStyle::SE_RadioButtonContents
                                                                         : QStyle::SE_PushButtonContents;
            const int icon = box || button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            check(button, button->text(), w->style()->subElementRect(contents, &option, button).width() - icon);
            if (button->text().isEmpty() && !button->icon().isNull() && button->toolTip().isEmpty())
                faults << QStringLiteral("%1: a glyph without a word").arg(button->objectName());
            else if (button->text().isEmpty() && !button->icon().isNull() &&
                     !button->window()->testAttribute(Qt::WA_AlwaysShowToolTips))
                faults << QStringLiteral("%1: a word only in the active window").arg(button->objectName());
        } else if (const auto* table = qobject_cast<const QTableView*>(w); table && table->model()) {
            const QHeaderView* side = table->verticalHeader();
            const int headerRoom =
                side->width() - 2 * side->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, side);
            const int cellMargin = 2 * (w->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, w) + 1);
            const int columns = table->model()->columnCount();
            const int room = table->viewport()->width();
            // Scrolled to its end, a table aligns its last column to the right edge: a viewport narrower than
            // that column cuts it on the left, where its texts start. (A table never shown has no viewport yet.)
            const QScrollBar* bar = table->horizontalScrollBar();
            const int lastLeft = columns > 0 ? table->columnViewportPosition(columns - 1) : 0;
            if (table->isVisible() && columns > 0 && bar->value() == bar->maximum() &&
                (lastLeft < 0 || lastLeft + table->columnWidth(columns - 1) > room))
                faults << QStringLiteral("%1: last column not whole in %2 px").arg(w->objectName()).arg(room);
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                if (!side->isHidden())
                    check(side, table->model()->headerData(row, Qt::Vertical).toString(), headerRoom);
                for (int column = 0; column < columns && table->columnViewportPosition(column) < room; ++column)
                    check(table, table->model()->index(row, column).data().toString(),
                          table->columnWidth(column) - cellMargin);
            }
        }
    }
    return faults;
}
