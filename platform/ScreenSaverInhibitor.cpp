#include "ScreenSaverInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");

// Short waits: a desktop that does not answer in time is treated as absent.
constexpr int kCallTimeoutMs = 2000;
constexpr int kExitTimeoutMs = 500;

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(const QString& applicationName, const QString& reason,
                                           const QDBusConnection& bus)
    : m_bus(bus)
{
    if (!m_bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
    call << applicationName << reason;
    m_pending = std::make_unique<QDBusPendingCallWatcher>(m_bus.asyncCall(call, kCallTimeoutMs));
    QObject::connect(m_pending.get(), &QDBusPendingCallWatcher::finished, m_pending.get(),
                     [this](QDBusPendingCallWatcher* w) {
                         const QDBusPendingReply<std::uint32_t> reply = *w;
                         if (!reply.isError())
                             m_cookie = reply.value();
                     });
}

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    release();
}

void ScreenSaverInhibitor::release()
{
    if (m_released)
        return;
    m_released = true;
    if (m_pending && !m_pending->isFinished()) {
        m_pending->waitForFinished();
        const QDBusPendingReply<std::uint32_t> reply = *m_pending;
        if (!reply.isError())
            m_cookie = reply.value();
    }
    m_pending.reset();
    if (!m_cookie)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("UnInhibit"));
    call << *m_cookie;
    m_cookie.reset();
    // Waits for the answer so that the call leaves before the program ends.
    m_bus.call(call, QDBus::Block, kExitTimeoutMs);
}
