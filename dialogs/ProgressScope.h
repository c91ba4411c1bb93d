#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <initializer_list>
#include <vector>

class TForm5;

/// One long operation under the progress dialog. On entry it sets the
/// caption, sets the bar to 0, disables the caller's windows and shows the
/// dialog application-modal without blocking (which clears its flags). However the scope ends, exceptions
/// included, it allows the close, closes the dialog and enables the windows
/// again, so neither stays stuck. GUI thread only.
class ProgressScope {
public:
    ProgressScope(TForm5& dialog, const QString& caption, std::initializer_list<QWidget*> windows);
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    /// Shows done/total as a percentage, rounded and kept within 0..100;
    /// a total of 0 (or less) shows 100.
    void setProgress(std::int64_t done, std::int64_t total);

    /// The user pressed Cancel (valid while the operation runs).
    bool cancelled() const;

    TForm5& dialog() { return m_dialog; }

private:
    TForm5& m_dialog;
    std::vector<QPointer<QWidget>> m_windows;
};
