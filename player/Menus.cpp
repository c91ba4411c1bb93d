#include "player/Menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "dialogs/DialogKit.h"
#include "platform/Help.h"
#include "player/Unit10.h"
#include "player/Unit11.h"
#include "player/Unit7.h"

void enableCommands(std::initializer_list<QMenu*> menus, QAction* paste, bool pasteUsable, bool locked)
{
    for (QMenu* menu : menus) {
        for (QAction* action : menu->actions()) {
            if (action->isSeparator() || action->menu())
                continue;
            action->setEnabled((action != paste || pasteUsable) && !locked);
        }
    }
}

void connectShowItems(QObject* owner, QAction* playbackControl, QAction* userWaveEditor, QAction* showWindow)
{
    QObject::connect(playbackControl, &QAction::triggered, owner, [] { ::showWindow(Form7); });
    QObject::connect(userWaveEditor, &QAction::triggered, owner, [] { ::showWindow(Form10); });
    QObject::connect(showWindow, &QAction::triggered, owner, [] { ::showWindow(Form11); });
}

void connectContents(QObject* owner, QAction* contents, int context)
{
    QObject::connect(contents, &QAction::triggered, owner, [context] { showHelp(context); });
}
