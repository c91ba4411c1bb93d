#pragma once

#include <QDialog>
#include <QIcon>

class QFrame;
class QLabel;

/// The About box of both programs: picture, product name and version. The
/// callers show it modally. GUI thread only.
class TForm13 final : public QDialog {
    Q_OBJECT
public:
    TForm13();

    QLabel* Image1 = nullptr; // 32 x 32 picture
    QLabel* Label1 = nullptr; // product name
    QLabel* Label2 = nullptr; // version
    QFrame* Bevel1 = nullptr; // raised line under them

protected:
    void showEvent(QShowEvent* e) override;
};

/// The About picture, which both programs also show as their window icon.
QIcon programIcon();

/// Created once at start-up by each program.
extern TForm13* Form13;
