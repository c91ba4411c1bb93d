#pragma once

#include <QDBusConnection>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class QDBusPendingCallWatcher;

/// Keeps the desktop's screen saver from starting while a program runs, through
/// the org.freedesktop.ScreenSaver D-Bus interface: Inhibit when built, UnInhibit
/// at release() or destruction. Without a session bus, or without a screen-saver
/// service on it, it does nothing and says nothing. The Inhibit call does not
/// wait for its answer, so start-up never stalls on a slow bus. GUI thread only.
class ScreenSaverInhibitor {
public:
    ScreenSaverInhibitor(const QString& applicationName, const QString& reason,
                         const QDBusConnection& bus = QDBusConnection::sessionBus());
    ~ScreenSaverInhibitor();
    ScreenSaverInhibitor(const ScreenSaverInhibitor&) = delete;
    ScreenSaverInhibitor& operator=(const ScreenSaverInhibitor&) = delete;

    /// Ends the inhibition (waiting briefly for the Inhibit answer if it is
    /// still out). Later calls do nothing.
    void release();
    /// Whether the desktop has granted the inhibition so far.
    bool active() const { return m_cookie.has_value(); }

private:
    QDBusConnection m_bus;
    std::unique_ptr<QDBusPendingCallWatcher> m_pending;
    std::optional<std::uint32_t> m_cookie;
    bool m_released = false;
};
