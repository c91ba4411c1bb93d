#pragma once

#include <QDialog>

struct PlayerModel;

/// The "Show Window" launcher. For now a shell that takes its stored place
/// and opens the windows the settings mark for start-up. GUI thread only.
class TForm11 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm11(PlayerModel& model);

    /// Start-up's create step, right after construction: the place read into
    /// the playback control's ShowWinPos (0, 0 unless stored), then
    /// ShowFormsOnStart.
    void FormCreate();
    /// Sets each "Open Up When Program Starts" box of the options to its
    /// stored flag (the playback control's ShowAtStart) and opens the window
    /// when it is set: spreadsheet editor, playback control, graphic editor,
    /// this window, in this order.
    void ShowFormsOnStart();

private:
    PlayerModel& m_model;
};

/// Created once at start-up.
extern TForm11* Form11;
