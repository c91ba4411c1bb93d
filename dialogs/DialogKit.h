#pragma once

#include <QString>

class QAbstractSlider;
class QFont;
class QLabel;
class QRect;
class QSlider;
class QWidget;

/// Gives the widget (and the children that inherit it) a font of this pixel
/// size; an empty family keeps the current one.
void setPixelFont(QWidget* widget, int pixels, bool bold = false, const QString& family = {});

/// The width a label gives its text in `font`: its contents less the margins
/// and the indent, which a framed label without one of its own makes half an
/// "x" of the font.
int labelTextRoom(const QLabel* label, const QFont& font);
/// Makes the label's pixel font smaller, down to `smallest` pixels, until its
/// text fits its width.
void shrinkToFit(QLabel* label, int smallest = 8);
/// Gives the label `text` in a pixel font of `pixels`, shrunk as shrinkToFit
/// does when it would not fit: a text that shortens again grows back.
void setFittedText(QLabel* label, const QString& text, int pixels);

/// Moves a window so that its frame is centred on its screen's available area.
void centreOnScreen(QWidget* window);

/// Lets every key that an enabled action of the box's window has as its
/// shortcut reach that action, where the box would take it as an editing key
/// (a line edit takes Ctrl+E, Ctrl+A and more). For read-only boxes, whose
/// editing keys matter less than the window's menus.
void yieldKeysToMenus(QWidget* box);

/// Shows a window (null: nothing), brings it to the front and activates it.
void showWindow(QWidget* window);

/// Sets a slider from code without its valueChanged: its handler runs only
/// where the caller calls it.
void setSilently(QAbstractSlider* slider, int pos);

/// A named horizontal slider of the options and the converter: range,
/// position, ticks below and page steps of a tenth of the range.
QSlider* tickedSlider(QWidget* parent, const char* name, int min, int max, int pos, const QRect& geometry);
