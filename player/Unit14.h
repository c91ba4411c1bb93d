#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
struct OverwriteQuestion;

/// Asks what to do with an incoming file whose destination exists. Shown
/// modally by the interchange import; exec() returns 7 Rename, 6 Overwrite,
/// 5 Skip or 2 Cancel (also the close box and Escape). GUI thread only.
class TForm14 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm14(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;      // "Overwrite:"
    QLabel* StaticText1 = nullptr; // full path of the existing file
    QLabel* Label2 = nullptr;      // "With File:"
    QLabel* StaticText2 = nullptr; // the incoming file's name
    QPushButton* Button1 = nullptr; // "Rename"
    QPushButton* Button2 = nullptr; // "Overwrite"
    QPushButton* Button4 = nullptr; // "Skip"
    QPushButton* Button3 = nullptr; // "Cancel"

    /// Shows the question modally (Skip disabled unless offered) and gives
    /// the answer; Skip is enabled again afterwards.
    int ask(const OverwriteQuestion& question);

    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
};

/// Created once at start-up by the player.
extern TForm14* Form14;
