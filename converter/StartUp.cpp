#include "converter/StartUp.h"

#include <QApplication>

#include "converter/Unit12.h"
#include "converter/Unit9.h"
#include "dialogs/Unit13.h"
#include "dialogs/Unit5.h"
#include "dialogs/WindowSet.h"

int converterStartUp(const LaunchInfo& launch)
{
    QApplication::setQuitOnLastWindowClosed(false);
    // Task bars and window lists show it for every window.
    QApplication::setWindowIcon(programIcon());
    WindowSet windows([] {
        Form9 = nullptr;
        Form5 = nullptr;
        Form12 = nullptr;
        Form13 = nullptr;
    });

    TForm9* main = windows.add(Form9, new TForm9);
    if (!main->FormCreate(launch))
        return 1;
    windows.add(Form5, new TForm5);
    windows.add(Form12, new TForm12(main->signalPath(), main->folders(), *main->AudioOut1, main->AppDir))
        ->FormCreate();
    windows.add(Form13, new TForm13);

    main->show();
    return QApplication::exec();
}
