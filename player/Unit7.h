#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>

#include "player/PlayerSettings.h"

class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class Settings;
class TForm4;
struct PlayerModel;

/// The playback control window: plays the open session from a chosen
/// segment at full volume, with no soft start or soft end, and pauses and
/// stops it. It drives the main window's transport (the same engine, output,
/// wav readers, Start/Stop caption and playback lock), so either window stops
/// what the other started; the transport's display fills its three value
/// labels. The start segment follows the spreadsheet editor's current
/// segment and moves it. It also carries the start-up settings for other
/// windows. Fixed size; the close box hides it. GUI thread only.
class TForm7 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(PlayerModel& model);

    /// Start-up's create step, right after construction: reads the settings
    /// (LoadConfig), starts from segment 1 and takes this window's place: the
    /// stored one (F7x, F7y) where it meets a screen, moved wholly onto it,
    /// else centred across the primary screen at its top.
    void FormCreate();

    // ---- The start segment -------------------------------------------------

    /// The segment Play starts from, 1..SegCount (Play clamps it again: a
    /// structural edit may have shortened the session since).
    std::int32_t StartSeg = 1;
    /// StartSeg := n, shown in Edit1. Moves no grid: for the callers that
    /// follow another window's choice (the graphic editor's selection, an
    /// import's "segment 1").
    void SetStartSeg(std::int32_t n);
    /// On activation: StartSeg := the spreadsheet editor's current segment.
    void FormActivate();
    /// First segment, next segment (up to SegCount), previous segment (down to
    /// 1). Each moves the spreadsheet editor's grid to the new segment, on its
    /// current row, as a click there would; the graphic editor follows it.
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    /// Return or Enter in Edit1: a decimal integer (optional sign) is clamped
    /// to 1..SegCount and chosen as the buttons choose; an empty field or a
    /// lone tab shows StartSeg again; one trailing tab is dropped; anything
    /// else (an overflow included) shows StartSeg unchanged. Other keys are
    /// the field's own.
    void Edit1KeyDown(int key);

    // ---- Transport ---------------------------------------------------------
    // All three do nothing unless the main Start/Stop button and the main
    // window are enabled and no wav export runs. A wav file that cannot be
    // read stops playback first, then says why.

    /// Play from StartSeg: the main window's wav checks, then the engine set
    /// up at StartSeg at full gain, the readers opened where the looping wav
    /// files stand at that point, the playback lock, and the output started
    /// unless it is still being filled (playing or ending). A failure is
    /// reported and ends idle and unlocked.
    void BitBtn1Click();
    /// Stop at once, whoever started: the main window's immediate stop.
    void BitBtn2Click();
    /// Pause and resume: the main window's pause button.
    void BitBtn3Click();

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

    // ---- Controls, named as the design names them --------------------------

    QFrame* Panel1 = nullptr;       // " Start from segment No."
    QLineEdit* Edit1 = nullptr;     // the start segment, "1"
    QPushButton* BitBtn1 = nullptr; // play
    QPushButton* BitBtn2 = nullptr; // stop
    QPushButton* BitBtn3 = nullptr; // pause
    QPushButton* BitBtn4 = nullptr; // first segment
    QPushButton* BitBtn5 = nullptr; // next segment
    QPushButton* BitBtn6 = nullptr; // previous segment
    QFrame* Panel2 = nullptr;       // the three captions and value labels
    QLabel* Label4 = nullptr;       // current segment playing
    QLabel* Label5 = nullptr;       // session time
    QLabel* Label6 = nullptr;       // current segment time

protected:
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    /// Escape does nothing: the window closes through its close box only.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void buildControls();
    /// SetStartSeg(n), then the spreadsheet editor's grid to segment n.
    void chooseSegment(std::int32_t n);
    std::int32_t segmentCount() const;
    /// Runs a transport command when the transport is free for it; an
    /// IoError stops playback, then shows its text.
    void transportCommand(void (TForm7::*command)());
    void play();
    void stop();
    void pause();

    PlayerModel& m_model;
};

/// Created once at start-up.
extern TForm7* Form7;
