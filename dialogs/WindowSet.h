#pragma once

#include <functional>
#include <vector>

class QWidget;

/// The windows a program's start-up creates, kept in creation order and
/// destroyed in reverse however start-up ends. `clearGlobals` runs first, so
/// that no window reaches one that is going. One set at a time. GUI thread
/// only.
class WindowSet {
public:
    explicit WindowSet(std::function<void()> clearGlobals);
    ~WindowSet();
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;

    /// Sets the window's global and keeps the window.
    template <class Form>
    Form* add(Form*& global, Form* window)
    {
        global = window;
        keep(window);
        return window;
    }

private:
    void keep(QWidget* window);
    std::function<void()> m_clearGlobals;
};

/// The windows the running start-up has created so far, in creation order;
/// empty outside it.
std::vector<QWidget*> startUpWindows();
