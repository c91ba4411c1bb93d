// gtest main for tests that need Qt's event loop (posted events, socket notifiers).
#include <QCoreApplication>

#include <gtest/gtest.h>

#include "tests/support/PostedEvents.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    drainAfterEachTest();
    return RUN_ALL_TESTS();
}
