#pragma once

#include <QDialog>
#include <QString>

class QLabel;
struct PlayerModel;

/// The playback control window. For now a shell: the window, the pause state
/// it shares with the main window's transport, the three value labels the
/// transport's display fills, and the start-up settings it carries for other
/// windows. GUI thread only.
class TForm7 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(PlayerModel& model);

    /// Start-up's create step, right after construction; reads the settings.
    void FormCreate();

    /// The graphic editor opens maximized (read from the settings).
    bool GraphEdMaximized = false;

    /// Playback is paused (by this window or the main window's pause button);
    /// SavedCaption keeps the main Start/Stop caption from before the pause.
    bool Paused = false;
    QString SavedCaption;

    QLabel* Label4 = nullptr; // current segment playing
    QLabel* Label5 = nullptr; // session time
    QLabel* Label6 = nullptr; // current segment time

private:
    PlayerModel& m_model;
};

/// Created once at start-up.
extern TForm7* Form7;
