#include "ProgressScope.h"

#include <QProgressBar>
#include <algorithm>

#include "Unit5.h"
#include "platform/Arith.h"

ProgressScope::ProgressScope(TForm5& dialog, const QString& caption, std::initializer_list<QWidget*> windows)
    : m_dialog(dialog)
{
    m_dialog.setWindowTitle(caption);
    m_dialog.ProgressBar1->setValue(0);
    for (QWidget* w : windows) {
        if (w) {
            m_windows.emplace_back(w);
            w->setEnabled(false);
        }
    }
    // Application-modal but not exec(): the caller's loop keeps running and
    // lets events through for Cancel, while no other window of the program
    // (a playback control's Play included) takes input meanwhile.
    m_dialog.setWindowModality(Qt::ApplicationModal);
    m_dialog.show();
}

ProgressScope::~ProgressScope()
{
    m_dialog.CloseAllowed = true;
    m_dialog.close();
    for (const QPointer<QWidget>& w : m_windows) {
        if (w)
            w->setEnabled(true);
    }
}

void ProgressScope::setProgress(std::int64_t done, std::int64_t total)
{
    ext percent = 100;
    if (total > 0)
        percent = std::clamp<ext>(static_cast<ext>(done) / total * 100, 0, 100);
    m_dialog.ProgressBar1->setValue(roundEven32(percent));
}

bool ProgressScope::cancelled() const
{
    return m_dialog.Cancelled;
}
