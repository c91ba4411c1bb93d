#include <QApplication>
#include <clocale>

#include "converter/StartUp.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Qt has set the C library's locale from the environment; every number in
    // files and texts is written and read with ".".
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("AS Glimmerbox"));
    return converterStartUp(LaunchInfo::current());
}
