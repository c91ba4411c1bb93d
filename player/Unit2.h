#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <string_view>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

/// Session properties: edits the session's name and description. Shown
/// modally by the main window; exec() returns 1 for OK and 2 for Cancel (also
/// the close box and Escape). The texts are Windows-1252 byte strings outside
/// this dialog. GUI thread only.
class TForm2 final : public QDialog {
    Q_OBJECT
public:
    /// What the user may type or paste into the fields; longer texts set from
    /// code are kept whole. The description counts its line breaks as CR LF.
    static constexpr int kNameLimit = 30;
    static constexpr int kDescriptionLimit = 255;

    explicit TForm2(QWidget* parent = nullptr);

    void setSessionName(std::string_view bytes);
    std::string sessionName() const;
    /// Bytes with CR LF line breaks, as the session keeps them.
    void setSessionDescription(std::string_view bytes);
    std::string sessionDescription() const;

    QLabel* StaticText1 = nullptr; // "Session Name"
    QLineEdit* Edit1 = nullptr;
    QLabel* StaticText2 = nullptr; // "Session Description"
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr; // "OK"
    QPushButton* Button2 = nullptr; // "Cancel"

    void reject() override;

private:
    void Edit1Edited(const QString& edited);

    QString m_nameBefore; // Edit1's text before the edit being handled
};

/// Created once at start-up by the player.
extern TForm2* Form2;
