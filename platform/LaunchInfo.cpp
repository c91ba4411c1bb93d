#include "platform/LaunchInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

LaunchInfo LaunchInfo::current()
{
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    return {QCoreApplication::applicationDirPath(), QDir::currentPath(), arguments};
}

std::string LaunchInfo::programFolder() const
{
    std::string folder = QFile::encodeName(programDir).toStdString();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}
