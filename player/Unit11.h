#pragma once

#include <QDialog>

class QKeyEvent;
class QPushButton;
struct PlayerModel;

/// The "Show Window" launcher: a small red tool window, on top of the others,
/// whose six glyph buttons bring the player's windows to the front (main
/// window, spreadsheet editor, graphic editor, playback control, user wave
/// editor) and open the session properties. At start-up it opens the windows
/// the settings mark. Parentless, so that a disabled window never disables
/// it; fixed size; the close box hides it. GUI thread only.
class TForm11 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm11(PlayerModel& model);

    /// Start-up's create step, right after construction: the place read into
    /// the playback control's ShowWinPos (0, 0 unless stored, and where it
    /// meets no screen), then ShowFormsOnStart.
    void FormCreate();
    /// Sets each "Open Up When Program Starts" box of the options to its
    /// stored flag (the playback control's ShowAtStart) and opens the window
    /// when it is set: spreadsheet editor, playback control, graphic editor,
    /// this window, in this order.
    void ShowFormsOnStart();

    /// Each button calls the operation the menus call.
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();

    QPushButton* BitBtn1 = nullptr; // "Main Window"
    QPushButton* BitBtn2 = nullptr; // "Spreadsheet Editor"
    QPushButton* BitBtn3 = nullptr; // "Graphic Editor"
    QPushButton* BitBtn4 = nullptr; // "Playback Control"
    QPushButton* BitBtn5 = nullptr; // "User Wave Editor"
    QPushButton* BitBtn6 = nullptr; // "Session Properties"

protected:
    /// Escape does nothing: the window closes only by its close box.
    void keyPressEvent(QKeyEvent* e) override;

private:
    PlayerModel& m_model;
};

/// Created once at start-up.
extern TForm11* Form11;
