#pragma once

#include <QPoint>

#include "player/PlayerSettings.h"

class QWidget;

/// Places a top-level window (its frame's left and top) at a place read from
/// the settings. The stored place is used when it was stored (Left is not
/// kNotSet) and the window there would meet at least one screen's available
/// area, even in part; otherwise the window goes to `fallback`, its default
/// place. So a monitor removed since, a hand-edited file or a Left stored
/// while Top is still kNotSet cannot leave a window out of reach. Either place
/// is then moved as little as it takes for the whole frame to lie on the
/// screen that most of it lies on (the primary screen when none), the window
/// cut to that screen's available size first when larger: a place stored at
/// another scale factor or on a larger desktop leaves no control out of
/// reach. Until the window manager has framed the window, its frame is
/// estimated, and checked again once framed. For every window that keeps its
/// place. GUI thread only.
void placeWindow(QWidget* window, StoredPos stored, QPoint fallback);

/// The window centred on the primary screen's full geometry:
/// ((screen width - width) / 2, (screen height - height) / 2) from the
/// screen's origin, with the window's client size and integer division.
QPoint centredPlace(QWidget* window);

// Both first give a window that was never resized the size its first show
// would give it, so that a place is worked out before the window shows.
