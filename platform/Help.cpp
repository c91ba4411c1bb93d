#include "Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "Prompts.h"

namespace {

QString g_helpFile;

} // namespace

void setHelpFile(const QString& path)
{
    g_helpFile = path;
}

QString helpFile()
{
    if (g_helpFile.isEmpty())
        return QCoreApplication::applicationDirPath() + QStringLiteral("/Lumisono.hlp");
    return g_helpFile;
}

void showHelp(int /*helpContext*/)
{
    const QString path = helpFile();
    if (!QFileInfo(path).isFile()) {
        prompts().information(QStringLiteral("The help file \"%1\" was not found.").arg(path));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        prompts().information(QStringLiteral("No program is set up to open the help file \"%1\".").arg(path));
}
