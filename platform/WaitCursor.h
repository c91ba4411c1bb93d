#pragma once

#include <QCursor>
#include <QGuiApplication>

/// Shows the hourglass cursor for its lifetime; nests, and is restored however
/// the scope ends. GUI thread only.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
