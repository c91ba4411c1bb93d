#include "dialogs/WindowSet.h"

#include <QPointer>
#include <QWidget>
#include <utility>

namespace {

std::vector<QPointer<QWidget>> g_windows;

} // namespace

WindowSet::WindowSet(std::function<void()> clearGlobals)
    : m_clearGlobals(std::move(clearGlobals))
{
}

WindowSet::~WindowSet()
{
    m_clearGlobals();
    std::vector<QPointer<QWidget>> windows;
    windows.swap(g_windows);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        delete it->data();
}

void WindowSet::keep(QWidget* window)
{
    g_windows.emplace_back(window);
}

std::vector<QWidget*> startUpWindows()
{
    std::vector<QWidget*> windows;
    for (const QPointer<QWidget>& w : g_windows)
        if (w)
            windows.push_back(w.data());
    return windows;
}
