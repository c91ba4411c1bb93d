#include "PostedEvents.h"

#include <QCoreApplication>
#include <QEvent>
#include <gtest/gtest.h>

namespace {

class DrainAfterEachTest final : public testing::EmptyTestEventListener {
public:
    void OnTestEnd(const testing::TestInfo&) override { drainPostedEvents(); }
};

} // namespace

void drainPostedEvents()
{
    if (!QCoreApplication::instance())
        return;
    // A delivered event may post another: a few rounds take those too.
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

void drainAfterEachTest()
{
    testing::UnitTest::GetInstance()->listeners().Append(new DrainAfterEachTest);
}
