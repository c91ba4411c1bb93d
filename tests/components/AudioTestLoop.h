#pragma once

#include <functional>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

/// Runs the event loop until `done` holds or `ms` milliseconds have passed;
/// returns whether it held. For tests that play through SDL in real time.
inline bool runUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(2);
    }
    return done();
}

inline void runFor(int ms)
{
    runUntil([] { return false; }, ms);
}
