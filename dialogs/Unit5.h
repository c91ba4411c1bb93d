#pragma once

#include <QDialog>

class QProgressBar;
class QPushButton;

/// The progress dialog of long operations (wav export, interchange export and
/// import, the converter's render). Callers drive it through ProgressScope.
/// The user can close it only by Cancel. It has no parent and stays on top:
/// a child of the caller's window would be disabled with it, Cancel included.
/// GUI thread only.
class TForm5 final : public QDialog {
    Q_OBJECT
public:
    TForm5();

    QProgressBar* ProgressBar1 = nullptr; // 0..100
    QPushButton* Button1 = nullptr;       // "Cancel"

    /// Set when the window actually closes; the callers' loops stop on it.
    bool Cancelled = false;
    /// Set by Cancel, or by the caller when it is done or has failed; until
    /// then the window refuses to close.
    bool CloseAllowed = false;

    void FormShow();
    void Button1Click();
    void FormCloseQuery(bool& CanClose);

    /// Escape asks the same question as the close box.
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
};

/// Created once at start-up by each program.
extern TForm5* Form5;
