#pragma once

#include <QDialog>
#include <QString>

#include "player/PlayerSettings.h"

class QLabel;
class QWidget;
class Settings;
class TForm4;
struct PlayerModel;

/// The playback control window. For now a shell: the window, the pause state
/// it shares with the main window's transport, the three value labels the
/// transport's display fills, and the start-up settings it carries for other
/// windows. GUI thread only.
class TForm7 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(PlayerModel& model);

    /// Start-up's create step, right after construction: reads the settings
    /// (LoadConfig), then takes this window's own place.
    void FormCreate();

    /// Reads the user's settings once at start-up, after the main window and
    /// the options dialog exist and before any window shows, and applies
    /// them: the folders to the options' rows, the main window's place, this
    /// window's fields below, the options' boxes, then each slider with its
    /// handler and the preset group with its click handler.
    void LoadConfig();
    /// The same from `settings`, onto `options` and `mainWindow` (null: no
    /// main window to place).
    void LoadConfig(const Settings& settings, TForm4& options, QWidget* mainWindow);

    // ---- Start-up settings carried for other windows ----------------------
    // Read by LoadConfig before the graphic editor and the launcher are made;
    // those windows take them when they are created, and the main window's
    // SaveConfig writes them back at exit.

    /// The graphic editor's start bounds (F8x, F8y, F8w, F8h). Left kNotSet:
    /// centred; Width kNotSet: its design size.
    StoredBounds GraphEdBounds;
    /// The graphic editor opens maximized (F8m); the editor keeps it current
    /// while it is shown maximized or normal.
    bool GraphEdMaximized = false;
    /// The graphic editor's view switches "Show Segs" (F8SS), "Show Grid"
    /// (F8SG), "Show All" (F8SA) and "Auto Refresh" (F8AR); the editor takes
    /// them at each activation and keeps them current.
    bool ShowSegs = true;
    bool ShowGrid = true;
    bool ShowAll = false;
    bool AutoRefresh = false;
    /// This window's place (F7x, F7y). Left kNotSet: centred across the
    /// screen at its top.
    StoredPos PlayCtlPos;
    /// The launcher's place (F11x, F11y), 0, 0 unless stored.
    StoredPos ShowWinPos{0, 0};
    /// The windows the launcher opens at start (F3Show, F7Show, F8Show,
    /// F11Show); each defaults to its options check box.
    StartWindows ShowAtStart;

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
