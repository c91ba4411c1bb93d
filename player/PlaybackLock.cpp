#include "PlaybackLock.h"

#include <QAction>
#include <QWidget>

PlaybackLock& PlaybackLock::instance()
{
    static PlaybackLock lock;
    return lock;
}

void PlaybackLock::add(QWidget* control)
{
    instance().m_controls.emplace_back(control);
}

void PlaybackLock::add(QAction* action)
{
    instance().m_actions.emplace_back(action);
}

void PlaybackLock::add(std::function<void(bool)> lockMethod)
{
    instance().m_methods.push_back(std::move(lockMethod));
}

void PlaybackLock::set(bool locked)
{
    PlaybackLock& self = instance();
    self.m_locked = locked;
    // Controls destroyed since they registered are skipped.
    for (const QPointer<QWidget>& control : self.m_controls) {
        if (control)
            control->setEnabled(!locked);
    }
    for (const QPointer<QAction>& action : self.m_actions) {
        if (action)
            action->setEnabled(!locked);
    }
    for (const auto& method : self.m_methods)
        method(locked);
}

bool PlaybackLock::locked()
{
    return instance().m_locked;
}

void PlaybackLock::clear()
{
    PlaybackLock& self = instance();
    self.m_controls.clear();
    self.m_actions.clear();
    self.m_methods.clear();
    self.m_locked = false;
}
