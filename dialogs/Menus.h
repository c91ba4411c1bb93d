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

/// A submenu, named likewise.
QMenu* addSubMenu(QMenu* menu, const char* name, const QString& caption);

/// The Help menu's home page item of both programs: the maker's home page in
/// the desktop's browser, or an information box when no browser opens it.
void visitHomePage();
