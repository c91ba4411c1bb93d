#pragma once

#include <QKeySequence>
#include <QMenuBar>
#include <QString>

class QAction;
class QMenu;
class QObject;

/// A menu item named as the design names it, so that tests find it by name.
QAction* menuItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {});

/// A menu of the bar, named likewise.
QMenu* namedMenu(QMenuBar* bar, const char* name, const QString& caption);

/// The Session menu's file items (New, Open, Save, Save As and the import
/// submenu), the same in the main window and the spreadsheet editor.
template <class Window>
void addSessionFileItems(Window& w)
{
    w.New1 = menuItem(w.Session1, "New1", QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_N));
    w.Open1 = menuItem(w.Session1, "Open1", QStringLiteral("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    w.Save1 = menuItem(w.Session1, "Save1", QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S));
    w.SaveAs1 = menuItem(w.Session1, "SaveAs1", QStringLiteral("Save &As..."));
    w.Import1 = addSubMenu(w.Session1, "Import1", QStringLiteral("&Import (3-rd party session)"));
    w.ImportPsx1 = menuItem(w.Import1, "ImportPsx1", QStringLiteral("Photosonix file (.lss)"));
    w.ImportMlp1 = menuItem(w.Import1, "ImportMlp1", QStringLiteral("Mindlab Pro file (.ses)"));
}

/// A submenu, named likewise.
QMenu* addSubMenu(QMenu* menu, const char* name, const QString& caption);

/// Connects the Show menu's items that open the same window from every window:
/// Playback Control, User Wave Editor and Show Window.
void connectShowItems(QObject* owner, QAction* playbackControl, QAction* userWaveEditor, QAction* showWindow);

/// Connects the Help menu's Contents item to the help file at `context`.
void connectContents(QObject* owner, QAction* contents, int context);

/// The Show menu, the same in the main window and the editors: Main Window
/// where the window has that item (the editors), Session Properties,
/// Spreadsheet Editor where it has that item (the main window), Graphic
/// Editor, Playback Control, User Wave Editor, then Show Window. The items
/// that open a window of their own are connected here; the others are the
/// window's to connect.
template <class Window>
void addShowMenu(Window& w)
{
    w.Show1 = namedMenu(w.menuBar(), "Show1", QStringLiteral("Sho&w"));
    if constexpr (requires { w.MainWindow1; })
        w.MainWindow1 =
            menuItem(w.Show1, "MainWindow1", QStringLiteral("&Main Window"), QKeySequence(Qt::CTRL | Qt::Key_M));
    w.Properties1 =
        menuItem(w.Show1, "Properties1", QStringLiteral("S&ession Properties"), QKeySequence(Qt::CTRL | Qt::Key_P));
    if constexpr (requires { w.SpreadsheetEditor1; })
        w.SpreadsheetEditor1 = menuItem(w.Show1, "SpreadsheetEditor1", QStringLiteral("&Spreadsheet Editor"),
                                        QKeySequence(Qt::CTRL | Qt::Key_E));
    w.GraphicEditor1 =
        menuItem(w.Show1, "GraphicEditor1", QStringLiteral("&Graphic Editor"), QKeySequence(Qt::CTRL | Qt::Key_G));
    w.PlaybackControl1 = menuItem(w.Show1, "PlaybackControl1", QStringLiteral("&Playback Control"),
                                  QKeySequence(Qt::CTRL | Qt::Key_L));
    w.UserWaveEditor1 = menuItem(w.Show1, "UserWaveEditor1", QStringLiteral("&User Wave Editor"),
                                 QKeySequence(Qt::CTRL | Qt::Key_W));
    w.Show1->addSeparator();
    w.ShowWindow1 = menuItem(w.Show1, "ShowWindow1", QStringLiteral("Show Window"));
    connectShowItems(&w, w.PlaybackControl1, w.UserWaveEditor1, w.ShowWindow1);
}

/// The Help menu: Contents, opening the help file at `context`, and where the
/// window has them (the main window) the home page and About items, which the
/// window connects.
template <class Window>
void addHelpMenu(Window& w, int context)
{
    w.Help1 = namedMenu(w.menuBar(), "Help1", QStringLiteral("&Help"));
    w.Contents1 = menuItem(w.Help1, "Contents1", QStringLiteral("&Contents"));
    connectContents(&w, w.Contents1, context);
    if constexpr (requires { w.Homepage1; }) {
        w.Help1->addSeparator();
        w.Homepage1 = menuItem(w.Help1, "Homepage1", QStringLiteral("&Visit Lumisonorium SW Homepage..."));
        w.About1 = menuItem(w.Help1, "About1", QStringLiteral("&About..."));
    }
}
