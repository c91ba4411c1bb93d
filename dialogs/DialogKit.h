#pragma once

#include <QString>

class QWidget;

/// Gives the widget (and the children that inherit it) a font of this pixel
/// size; an empty family keeps the current one.
void setPixelFont(QWidget* widget, int pixels, bool bold = false, const QString& family = {});

/// Moves a window so that its frame is centred on its screen's available area.
void centreOnScreen(QWidget* window);

/// Shows a window (null: nothing), brings it to the front and activates it.
void showWindow(QWidget* window);
