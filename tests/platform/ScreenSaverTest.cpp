#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include "platform/ScreenSaverInhibitor.h"
#include "support/QtApp.h"

namespace {

// The desktop's side of the interface, answering from a thread of its own so
// that the inhibitor's waiting calls can be served.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QStringList calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }
public slots:
    uint Inhibit(const QString& application, const QString& reason)
    {
        QMutexLocker lock(&m_mutex);
        m_calls << QStringLiteral("Inhibit %1: %2").arg(application, reason);
        return 42;
    }
    void UnInhibit(uint cookie)
    {
        QMutexLocker lock(&m_mutex);
        m_calls << QStringLiteral("UnInhibit %1").arg(cookie);
    }

private:
    mutable QMutex m_mutex;
    QStringList m_calls;
};

} // namespace

TEST(ScreenSaverInhibitor, SilentWithoutABus)
{
    const QDBusConnection none = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                               QStringLiteral("lumi-no-bus"));
    ScreenSaverInhibitor inhibitor(QStringLiteral("App"), QStringLiteral("why"), none);
    EXPECT_FALSE(inhibitor.active());
    inhibitor.release();
    QDBusConnection::disconnectFromBus(QStringLiteral("lumi-no-bus"));
}

TEST(ScreenSaverInhibitor, InhibitsUntilReleasedOnAPrivateBus)
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        GTEST_SKIP() << "no dbus-daemon";
    QProcess bus;
    bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    ASSERT_TRUE(bus.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();

    {
        QDBusConnection desktop = QDBusConnection::connectToBus(address, QStringLiteral("lumi-desktop"));
        QDBusConnection program = QDBusConnection::connectToBus(address, QStringLiteral("lumi-program"));
        ASSERT_TRUE(desktop.isConnected());
        QThread thread;
        auto* saver = new FakeScreenSaver;
        saver->moveToThread(&thread);
        QObject::connect(&thread, &QThread::finished, saver, &QObject::deleteLater);
        thread.start();
        ASSERT_TRUE(desktop.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), saver,
                                           QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(desktop.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));

        {
            ScreenSaverInhibitor inhibitor(QStringLiteral("Lumisonorium SW"), QStringLiteral("Playing"), program);
            EXPECT_TRUE(waitUntil([&] { return inhibitor.active(); }));
            EXPECT_EQ(saver->calls(), QStringList{"Inhibit Lumisonorium SW: Playing"});
        } // released by going
        EXPECT_EQ(saver->calls(), QStringList({"Inhibit Lumisonorium SW: Playing", "UnInhibit 42"}));

        desktop.unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
        thread.quit();
        thread.wait();
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("lumi-desktop"));
    QDBusConnection::disconnectFromBus(QStringLiteral("lumi-program"));
    bus.terminate();
    bus.waitForFinished(5000);
}

#include "ScreenSaverTest.moc"
