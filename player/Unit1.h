#pragma once

#include <QMainWindow>

struct PlayerModel;

/// The spreadsheet editor. For now a shell: the window, the flag the main
/// window reads, and the session commands that the main window's menu calls,
/// which stand in for the real ones until those are built. GUI thread only.
class TForm3 final : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm3(PlayerModel& model);

    /// Start-up's create step, right after construction.
    void FormCreate();

    /// The window opens maximized (the settings keep it).
    bool Maximized = false;

    /// A new session of one default segment. Stand-in: the model and the main
    /// window's share of New, without the question and the editors' grids.
    void NewProc();
    /// The Save menu item: SaveProc with a file name, else SaveAsProc.
    void Save1Click();
    /// Each returns true only when the session file was written; the stand-ins
    /// write nothing.
    bool SaveProc();
    bool SaveAsProc();
    void ImportPsxProc();
    void ImportMlpProc();

private:
    PlayerModel& m_model;
};

/// Created once at start-up.
extern TForm3* Form3;
