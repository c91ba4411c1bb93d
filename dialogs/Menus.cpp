#include "dialogs/Menus.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

#include "platform/Prompts.h"

namespace {

const char kHomePage[] = "https://www.halcyon-labs.example/";

} // namespace

QAction* menuItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

QMenu* namedMenu(QMenuBar* bar, const char* name, const QString& caption)
{
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

QMenu* addSubMenu(QMenu* menu, const char* name, const QString& caption)
{
    QMenu* sub = menu->addMenu(caption);
    sub->setObjectName(QLatin1String(name));
    return sub;
}

void visitHomePage()
{
    const QString page = QString::fromLatin1(kHomePage);
    if (!QDesktopServices::openUrl(QUrl(page)))
        prompts().information(QStringLiteral("No web browser is set up to open \"%1\".").arg(page));
}
