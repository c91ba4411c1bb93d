#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

// The user's mouse and keys, sent straight to a widget (no window system
// needed). Header-only; needs a QApplication.

/// A press, move or release of `button` at `at`, with `held` held besides
/// (a release leaves only those); a move with Qt::NoButton is a hover.
inline void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers mods = {},
                  Qt::MouseButtons held = Qt::NoButton)
{
    if (type != QEvent::MouseButtonRelease)
        held |= button;
    QMouseEvent e(type, at, w->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held, mods);
    QApplication::sendEvent(w, &e);
}

/// A key pressed and released.
inline void key(QWidget* w, int k, Qt::KeyboardModifiers mods = {}, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, k, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, k, mods, text);
    QApplication::sendEvent(w, &release);
}
