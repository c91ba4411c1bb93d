#pragma once

#include <QMainWindow>
#include <string>
#include <vector>

#include "player/GraphicEditorLink.h"

class EditorGrid;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
class Settings;
class SegmentGridModel;
class TRepeatButton;
struct PlayerModel;
struct Session;
struct ImportSource;
struct SessionImage;

/// How ReplaceSession installs a session. The steps every kind shares are
/// ReplaceSession's; a kind adds or leaves out what only its caller does (an
/// import's kind keeps the FM depth and leaves the session modified).
enum class ReplaceKind {
    /// Session > New: the main window's sliders back to their defaults
    /// (AM 50, FM 20, tone/backing 50, heart beat/wav 50) and the session
    /// unmodified.
    New,
    /// An import: AM depth, tone/backing and heart beat/wav balance to 50
    /// (FM depth kept), playback from segment 1, the current cell on segment
    /// 1, the graphic editor's zoom reset and its plot redrawn, the session
    /// modified, and its first save asking before it replaces a file.
    Import,
};

/// The spreadsheet editor: the open session as a grid, one column per segment
/// and one row per field, with Value Up/Down, Ramp and a pop-up slider that
/// sets one value over the selected segments. Edits change the records at
/// once and reach playback when the window loses activation while nothing
/// plays. It owns the grid model that the graphic editor's grid also views,
/// and keeps that editor on its cell and selection. GUI thread only.
class TForm3 final : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm3(PlayerModel& model);
    ~TForm3() override;

    /// Start-up's create step, right after construction: window settings, and
    /// a session of one default segment.
    void FormCreate();
    /// Reads the window's place and maximized flag (F3x, F3y, F3w, F3h, F3m).
    void LoadConfig();
    void LoadConfig(const Settings& settings);

    /// The window opens maximized (the settings keep it).
    bool Maximized = false;

    /// The grid model of the open session, shared with the graphic editor.
    /// Every change of records shown in the grids goes through it.
    SegmentGridModel& gridModel() const { return *m_grid; }

    /// Set while the graphic editor, or a segment operation, moves this grid's
    /// current cell from code: the move is then not mirrored back.
    SyncFlag SkipSync;

    // ---- Cells and time texts --------------------------------------------------

    /// Rewrites cell (segment, row) and marks the session modified.
    void ChangeValue(int segment, int row);
    /// Rewrites segment's whole column; the modified mark is untouched.
    void RefreshSegment(int segment);
    /// Segments[segment] := the default segment, column rewritten.
    void FillDefSeg(int segment);
    /// Segment n's start time and the session's total time, here and in the
    /// graphic editor.
    void SesTimeComp(int n);

    // ---- Value editing on the selection and the current row ---------------------

    void ValueUp();
    void ValueDown();
    void RampClick();
    /// The repeat buttons and Button3: the operation, then the grid takes the
    /// keyboard.
    void RepeatButton1Click();
    void RepeatButton2Click();
    void Button3Click();
    /// A user's move of the pop-up slider: its position into every selected
    /// segment of the current row.
    void TrackBar1Change();

    // ---- Leaving the window ----------------------------------------------------

    /// Hides the slider and recomputes.
    void FormDeactivate();
    /// Brings the edits to the engine's per-segment values and the main
    /// window's labels, unless a run is under way (playing or ending).
    void recomputeAfterEdit();
    /// Panel layout, and the maximized flag.
    void FormResize();

    // ---- Session commands ---------------------------------------------------------

    /// A new session of one default segment, after offering to save a
    /// modified one; nothing changes when that is cancelled or the save fails.
    /// When the question was asked, the graphic editor's zoom is reset
    /// (resetZoom). The clipboard stays.
    void NewProc();
    /// Installs a whole session in place of the open one, in both grids, the
    /// three captions, the session properties, the main window's wav boxes,
    /// user waves, length factor and sliders (each slider's handler runs once),
    /// then recomputes it. `kind` says which sliders and what SesModified
    /// ends as; the imports add their own kind. Asks nothing: the caller has
    /// offered to save first.
    void ReplaceSession(const SessionImage& image, ReplaceKind kind);
    /// The Save item, and Yes to "Save it?": SaveProc with a file name, else
    /// SaveAsProc. True when the file was written.
    bool Save1Click();
    /// Writes the session to SesFileName (Save As without one). Before
    /// writing it offers to drop wav files the session does not use and
    /// reports needed ones that are missing. The previous file survives a
    /// failed write; true only when the file was written, which clears
    /// SesModified.
    bool SaveProc();
    /// Asks for a file name, then writes as SaveProc does; the session takes
    /// the name only once the file is written. False when cancelled or failed.
    bool SaveAsProc();
    /// Asks `question` (Yes, No, Cancel) when the session is modified; Yes
    /// saves. True when the caller may go on: not modified, No, or Yes and the
    /// file written.
    bool SaveBefore(const QString& question);
    /// The imports of other programs' session files, through RunImport.
    void ImportPsxProc();
    void ImportMlpProc();
    /// The steps every import shares: offers to save a modified session, asks
    /// for the file (its folder remembered with "Remember Recent
    /// Directories"), reads and parses it whole under the hourglass, and
    /// installs it with ReplaceSession(Import), then warns once about
    /// repaired values and what was left out. A file that cannot be read or
    /// used gets one error box, "Cannot import <name>: <reason>", and changes
    /// nothing. True when a session was imported.
    bool RunImport(const ImportSource& source);

    // ---- Segment operations -------------------------------------------------------
    // Both editors' Segment menus run these. Each keeps the records, SegCount,
    // both grids and the time texts in step, and marks the session modified
    // (Copy and refusals excepted). An edit that would pass 2000 segments, or
    // a Copy of more than 500, is refused with a message and changes nothing.
    // After Insert, Delete and Paste each grid keeps its current cell and
    // selection on their column numbers (EditorGrid); the graphic editor is
    // told only when the current column had to move. Nothing runs while
    // playback is locked.

    /// The Cut item: CutProc.
    void Cut1Click();
    /// Copy, then Delete of the same segments, only when the Copy was done:
    /// a refused Copy deletes nothing. For both editors' Cut.
    bool CutProc();
    /// The selected segments into the clipboard. The first Copy enables both
    /// editors' Paste (enablePaste) for the rest of the run.
    bool CopyProc();
    /// The clipboard's segments before the current column; it stays filled.
    void PasteProc();
    /// Removes the selected segments; deleting all leaves one default segment.
    void DeleteProc();
    /// Appends one default segment and makes it the current column (the move
    /// is not mirrored, but it notifies the graphic editor and shows the new
    /// segment's start time). False when refused: the menu then skips the
    /// graphic editor's AddNewSegUpd.
    bool AddNewSeg();
    /// One default segment before the current column, which stays current.
    void InsertProc();
    /// Records the clipboard holds.
    int ClipCount() const;

    // ---- Controls, named as the design names them ---------------------------------

    EditorGrid* StringGrid1 = nullptr;
    QFrame* Panel1 = nullptr;
    TRepeatButton* RepeatButton2 = nullptr; // "Down (A)"
    QLabel* Label1 = nullptr;               // "Value"
    TRepeatButton* RepeatButton1 = nullptr; // "Up (Q)"
    QPushButton* Button3 = nullptr;         // "Ramp (R)"
    QLabel* StaticText1 = nullptr;          // segment start time
    QLabel* StaticText2 = nullptr;          // session total time
    QSlider* TrackBar1 = nullptr;           // the pop-up value slider

    // ---- Menus -------------------------------------------------------------------------

    QMenu* Session1 = nullptr;
    QAction* New1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QMenu* Import1 = nullptr;
    QAction* ImportPsx1 = nullptr;
    QAction* ImportMlp1 = nullptr;
    QAction* CloseEditor1 = nullptr;
    QMenu* Segment1 = nullptr;
    QAction* Cut1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* AddNew1 = nullptr;
    QAction* Insert1 = nullptr;
    QAction* ValueUp1 = nullptr;
    QAction* ValueDown1 = nullptr;
    QAction* Ramp1 = nullptr;
    QMenu* Show1 = nullptr;
    QAction* MainWindow1 = nullptr;
    QAction* Properties1 = nullptr;
    QAction* GraphicEditor1 = nullptr;
    QAction* PlaybackControl1 = nullptr;
    QAction* UserWaveEditor1 = nullptr;
    QAction* ShowWindow1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Contents1 = nullptr;

    /// After every playback lock and unlock: enables the Session and Segment
    /// items that are built, unless locked; Paste only once something was
    /// copied.
    void lockCommands(bool locked);

protected:
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildControls();
    void buildMenus();
    /// A press anywhere on the grid: column and row 0 are the titles, -1 lies
    /// beside the cells.
    void StringGrid1MouseDown(Qt::MouseButton button, int column, int row);
    void StringGrid1SelectCell(int column, int row);
    void StringGrid1MouseUp();
    void StringGrid1KeyUp();
    void popUpSlider(int column, int row);
    void valueStep(bool up);
    bool playbackBusy() const;
    bool writeSession(const std::string& fileName);

    PlayerModel& m_model;
    SegmentGridModel* m_grid = nullptr;
    QWidget* m_client = nullptr;
    int m_gridHeight = 0;
};

/// Created once at start-up.
extern TForm3* Form3;

/// The session takes `fileName` ("" for a new session) and its title, and the
/// main window and both editors show that title in their captions. `chosen`:
/// the user picked the name or the file was read from it; else the first save
/// asks before it replaces a file of that name.
void nameSession(Session& ses, const std::string& fileName, bool chosen = true);
