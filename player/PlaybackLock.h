#pragma once

#include <QPointer>
#include <functional>
#include <vector>

class QAction;
class QWidget;

/// The controls that must not change while a session plays: each window
/// registers its own when it is built, and the transport locks and unlocks
/// them all in one call. GUI thread only.
class PlaybackLock {
public:
    /// Registers a control or menu action; disabling an action also disables
    /// its shortcut, and disabling a menu's action its items' shortcuts.
    static void add(QWidget* control);
    static void add(QAction* action);
    /// Registers a window's own lock method (called with true to lock).
    static void add(std::function<void(bool locked)> lockMethod);

    /// Disables (true) or enables (false) every registered control.
    static void set(bool locked);
    static bool locked();

    /// Forgets every registration; for tests that build windows again.
    static void clear();

private:
    static PlaybackLock& instance();

    std::vector<QPointer<QWidget>> m_controls;
    std::vector<QPointer<QAction>> m_actions;
    std::vector<std::function<void(bool)>> m_methods;
    bool m_locked = false;
};
