#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;

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
