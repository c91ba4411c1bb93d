#include "player/StartUp.h"

#include <QApplication>
#include <memory>

#include "dialogs/Unit13.h"
#include "dialogs/Unit5.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "player/Unit10.h"
#include "player/Unit11.h"
#include "player/Unit14.h"
#include "player/Unit2.h"
#include "player/Unit4.h"
#include "player/Unit7.h"
#include "player/Unit8.h"

int startUp(const LaunchInfo& launch)
{
    QApplication::setQuitOnLastWindowClosed(false);
    // Task bars and window lists show it for every window.
    QApplication::setWindowIcon(programIcon());
    // Every window refers to the model: it is made first and goes last.
    const auto model = std::make_unique<PlayerModel>();
    WindowSet windows([] {
        Form1 = nullptr;
        Form2 = nullptr;
        Form3 = nullptr;
        Form4 = nullptr;
        Form5 = nullptr;
        Form7 = nullptr;
        Form8 = nullptr;
        Form10 = nullptr;
        Form11 = nullptr;
        Form13 = nullptr;
        Form14 = nullptr;
    });

    TForm1* main = windows.add(Form1, new TForm1(*model));
    if (!main->FormCreate(launch))
        return 1;
    // The two small dialogs that the main window opens stay on top of it.
    windows.add(Form2, new TForm2(main));
    windows.add(Form3, new TForm3(*model))->FormCreate();
    main->setOptionsDialog(windows.add(Form4, new TForm4(*model->Eng, model->Eng->AudioOutputFilter, model->Folders,
                                                         *main->AudioOut1, model->AppDir)));
    windows.add(Form7, new TForm7(*model))->FormCreate();
    windows.add(Form8, new TForm8(*model, Form3->gridModel()))->FormCreate();
    windows.add(Form5, new TForm5);
    windows.add(Form10, new TForm10(*model))->FormCreate();
    windows.add(Form11, new TForm11(*model))->FormCreate();
    windows.add(Form13, new TForm13);
    windows.add(Form14, new TForm14(main));

    main->show();
    return QApplication::exec();
}
