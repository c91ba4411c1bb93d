#include "QtApp.h"
#include "PostedEvents.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

#include "PrivateSettings.h"

namespace {

class QtEnvironment final : public testing::Environment {
public:
    void SetUp() override
    {
        // Headless also when the binary is run by hand.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Whatever the developer's own settings hold cannot change a result.
        m_settings.emplace();
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
        drainAfterEachTest();
    }
    void TearDown() override
    {
        m_app.reset();
        m_settings.reset();
    }

private:
    int m_argc = 1;
    char m_name[8] = "tests";
    char* m_argv[2] = {m_name, nullptr};
    std::optional<PrivateSettings> m_settings;
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

void spinEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        spinEvents(5);
    return done();
}
