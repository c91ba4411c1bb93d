// The main window's writer of the settings store: every window's place and
// every option, read from the windows as they are at exit.

#include "platform/Settings.h"
#include "player/PlayerModel.h"
#include "player/PlayerSettings.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "player/Unit11.h"
#include "player/Unit4.h"
#include "player/Unit7.h"
#include "player/Unit8.h"

namespace {

// Places are frame positions and sizes client sizes, as the windows read them
// back; a window counts whether it is shown or not.
StoredPos placeOf(const QWidget& window)
{
    return {window.pos().x(), window.pos().y()};
}

StoredBounds boundsOf(const QWidget& window)
{
    return {window.pos().x(), window.pos().y(), window.width(), window.height()};
}

} // namespace

void TForm1::SaveConfig()
{
    PlayerSettings s;
    s.Folders = m_model.Folders;
    s.AppDir = m_model.AppDir;
    s.MainPos = placeOf(*this);
    if (Form3) {
        s.SpreadsheetBounds = boundsOf(*Form3);
        s.SpreadsheetMaximized = Form3->Maximized;
    }
    if (Form8)
        s.GraphEdBounds = boundsOf(*Form8);
    if (Form7) {
        s.GraphEdMaximized = Form7->GraphEdMaximized;
        s.ShowSegs = Form7->ShowSegs;
        s.ShowGrid = Form7->ShowGrid;
        s.ShowAll = Form7->ShowAll;
        s.AutoRefresh = Form7->AutoRefresh;
        s.PlayCtlPos = placeOf(*Form7);
    }
    if (Form11)
        s.ShowWinPos = placeOf(*Form11);
    if (Form4)
        Form4->storeInto(s);
    Settings settings;
    writePlayerSettings(settings, s);
    // A write that fails goes unreported, as everywhere the settings are
    // written: the session itself is safe, and nothing else could be done.
    settings.sync();
}
