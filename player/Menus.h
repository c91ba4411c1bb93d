#pragma once

#include <QKeySequence>
#include <QMenuBar>
#include <QPointer>
#include <QString>
#include <initializer_list>

#include "dialogs/Menus.h"
#include "player/PlaybackLock.h"

class QAction;
class QMenu;
class QObject;

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

/// The editors' Session and Segment items after a playback lock or unlock:
/// the plain items of `menus` enabled unless `locked`, except `paste` while
/// `pasteUsable` is false.
void enableCommands(std::initializer_list<QMenu*> menus, QAction* paste, bool pasteUsable, bool locked);

/// The editors' Segment menu: Cut, Copy, Paste, Delete, Add New and Insert,
/// then Value Up, Value Down and Ramp on their plain keys (Q, A, R).
template <class Window>
void addSegmentMenu(Window& w)
{
    w.Segment1 = namedMenu(w.menuBar(), "Segment1", QStringLiteral("S&egment"));
    w.Cut1 = menuItem(w.Segment1, "Cut1", QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X));
    w.Copy1 = menuItem(w.Segment1, "Copy1", QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    w.Paste1 = menuItem(w.Segment1, "Paste1", QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
    w.Delete1 = menuItem(w.Segment1, "Delete1", QStringLiteral("&Delete"), QKeySequence(Qt::Key_Delete));
    w.AddNew1 = menuItem(w.Segment1, "AddNew1", QStringLiteral("Add &New"), QKeySequence(Qt::CTRL | Qt::Key_A));
    w.Insert1 =
        menuItem(w.Segment1, "Insert1", QStringLiteral("&Insert"), QKeySequence(Qt::CTRL | Qt::Key_Insert));
    w.Segment1->addSeparator();
    w.ValueUp1 = menuItem(w.Segment1, "ValueUp1", QStringLiteral("Value &Up"), QKeySequence(Qt::Key_Q));
    w.ValueDown1 = menuItem(w.Segment1, "ValueDown1", QStringLiteral("Value &Down"), QKeySequence(Qt::Key_A));
    w.Ramp1 = menuItem(w.Segment1, "Ramp1", QStringLiteral("&Ramp"), QKeySequence(Qt::Key_R));
}

/// An editor's Session and Segment menus follow the playback lock, and its
/// lockCommands(bool) sets their items after every lock and unlock (and now).
template <class Window>
void lockWithPlayback(Window* w)
{
    PlaybackLock::add(w->Session1->menuAction());
    PlaybackLock::add(w->Segment1->menuAction());
    PlaybackLock::add([self = QPointer<Window>(w)](bool locked) {
        if (self)
            self->lockCommands(locked);
    });
    w->lockCommands(PlaybackLock::locked());
}

/// Connects the Show menu's items that open the same window from every window:
/// Playback Control, User Wave Editor and Show Window.
void connectShowItems(QObject* owner, QAction* playbackControl, QAction* userWaveEditor, QAction* showWindow);

/// Connects the Help menu's Contents item to the help file at `context`.
void connectContents(QObject* owner, QAction* contents, int context);

/// The Show menu, the same in the main window and the editors: Main Window
/// where the window has that item (the editors), Session Properties,
/// Spreadsheet Editor where it has that item, Graphic Editor where it has
/// that item (all but the graphic editor), Playback Control, User Wave Editor, then Show Window. The items
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
    if constexpr (requires { w.GraphicEditor1; })
        w.GraphicEditor1 = menuItem(w.Show1, "GraphicEditor1", QStringLiteral("&Graphic Editor"),
                                    QKeySequence(Qt::CTRL | Qt::Key_G));
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
