#include <gtest/gtest.h>

#include <QApplication>

// The windows' tests need one application object for the whole run. Test
// discovery runs this binary without the tests' environment, so headless is
// the default here too.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
