#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/Engine.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QTableView;
class QTimer;
class ScreenSaverInhibitor;
class StatusGridModel;
class TAudioOut;
class UserWaveLists;
struct LaunchInfo;
struct ParsedSession;
struct PlayerModel;

/// The player's main window: the tone and backing-sound wav files, the session
/// length factor, the four user waves, the depth and volume sliders, the
/// transport and export buttons, the status grid of the segment being played,
/// and the menu that reaches every other window. It owns the wave output the
/// engine plays through and is the engine's host. The constructor only builds
/// widgets; FormCreate (called once by start-up) loads the tables. Holds the
/// model by reference: the model outlives it. GUI thread only.
///
/// The transport, the wav files, the session files and the interchange files
/// are members of this class that live in files of their own.
class TForm1 final : public QMainWindow, public EngineHost {
    Q_OBJECT

public:
    explicit TForm1(PlayerModel& model);
    ~TForm1() override;

    PlayerModel& model() const { return m_model; }

    // ---- Start-up and session ------------------------------------------------

    /// The create steps: caption, program folder (also made the current
    /// folder), the command-line session, the data files, status grid, user
    /// waves. A data file that cannot be used is reported (naming it and why)
    /// and gives false: the program must end.
    bool FormCreate(const LaunchInfo& launch);
    /// Opens the command-line session (SesFileName), or starts a new one
    /// without one or when the file is refused.
    void OpenSessionWhenRun();
    /// "&Open...": offers to save a modified session, asks for a session file
    /// and reads it.
    void OpenSession();
    /// Reads a .lsf file, or the older kind for any other name (a .lrf takes
    /// the .lsf name). The whole file is parsed before anything changes: a
    /// file that cannot be read or used is reported and gives false, and the
    /// open session, its name and the captions stay as they were. With
    /// `applyIgnoreBoxes` false the options' "Ignore When Opening a Session"
    /// boxes count as off: an imported session keeps its own wavs, user waves
    /// and sliders.
    bool OpenSessionDirectly(const std::string& fileName, bool applyIgnoreBoxes = true);
    /// Row titles of the status grid.
    void FillGridVars();
    /// The status grid's and the playback control's values for segment 1
    /// before playback, and an empty display mailbox. After every full
    /// recomputation and every stop.
    void FillLabels();
    /// Length factor from TrackBar1, and the session length shown at it.
    void CompActSesLength();
    void ShowEditor();
    void ShowGraphicalEditor();
    /// The session properties dialog, modal.
    void Properties1Click();

    // ---- User waves (forwarded to the user-wave lists) -------------------------

    void SearchPcmDir(const std::string& dir);
    UserWaveLists& userWaves() const { return *m_userWaves; }

    // ---- Sliders: run on the user's moves; code that sets a position calls
    // SetPosition and then the handler where it must ---------------------------

    void TrackBar1Change();
    void TrackBar2Change();
    void TrackBar3Change();
    void TrackBar4Change();
    void TrackBar5Change();
    void RecompHBeatToBSWavVol();
    /// Moves a slider without running its handler.
    static void SetPosition(QSlider* bar, int position);

    // ---- Closing -----------------------------------------------------------------

    /// Asks to save a modified session; false in CanClose keeps the program.
    void FormCloseQuery(bool& CanClose);
    /// Silences the output and closes the wav readers, then writes the
    /// settings; every window still exists.
    void FormClose();
    /// Writes every window's place and every option to the user's settings
    /// (SaveConfig.cpp); other programs' values in the file stay.
    void SaveConfig();

    // ---- Transport (Transport.cpp) ----------------------------------------------------
    // The caption of Button1 is the playback state: "Start" (idle), "Delayed"
    // (start delay), "Stop" (playing), "Ending" (soft end), "Paused". The
    // engine changes it only through its mailbox and its posted press.

    /// Start/Stop: starts from "Start", cancels a pending start, resumes from
    /// "Paused", begins the soft end from "Stop" (or stops at once without
    /// one), stops at once from "Ending".
    void Button1Click();
    /// Pause and resume, while Button1 is enabled and playback has begun.
    void BitBtn3Click();
    /// Start delay tick: at its end opens the readers and the output.
    void Timer1Timer();
    /// Display tick: moves the engine's mailbox texts into the windows.
    void Timer2Timer();
    /// "No Tone Wav File selected !" / "No Backing Sound Wav File selected !"
    /// when the session needs a wav file that is not chosen (tone first, one
    /// message); false then.
    bool CheckWavFilesAssigned();
    /// Stops every kind of run, also a pending start: output silenced, timers
    /// off, caption "Start", controls unlocked, status grid back to segment 1,
    /// both readers closed. For the playback control's Stop too.
    void stopPlaybackAtOnce();
    /// Opens the readers the run's flags ask for (ToneWavOpen, BSWavOpen).
    /// Throws IoError when one cannot be opened or holds no wav data.
    void openFlaggedReaders();
    /// Starts AudioOut1 (the engine renders its first buffers in the call).
    /// When the device does not open or the first fills fail, reports why,
    /// stops at once and gives false.
    bool startOutput();

    /// A run was started and not stopped yet; the editors read it.
    bool Playing = false;
    /// Timer1 ticks left of the start delay.
    std::int32_t DelayTicks = 0;

    // ---- Wav files (WavFiles.cpp) ---------------------------------------------------

    void FillWaveHeader();
    /// The "..." choosers of the tone and backing-sound wav files: a file in
    /// 16-bit 44.1 kHz stereo PCM replaces the choice, another is refused with
    /// a message, Cancel clears the choice.
    void Button2Click();
    void Button3Click();
    void BitBtn1Click();
    void Recordtowavfile1Click();
    /// Renders the open session into a wav file the user names, behind the
    /// progress dialog; Cancel or a failure leaves no file and an earlier one
    /// of that name as it was.
    void RecSesToWavProc();

    /// The header exports are written with (sizes 0 until a write patches them).
    WavHeader OutWavHdr{};

    // ---- Interchange files ----------------------------------------------------------------

    /// "I&mport LNF file" (LnfImport.cpp).
    void ImportLNFFile();
    /// "&Export session as LNF file" (LnfExport.cpp).
    void ExportLNFFile();

    // ---- Wave output and engine host -------------------------------------------------

    /// The wave output's producer: one buffer of the engine's output. A wav
    /// file that fails to read ends the run: the fill gives false and the
    /// transport reports the failure and stops once the notification is over.
    bool AudioOut1FillBuffer(std::uint8_t* Buffer, std::int32_t& Size);
    void PostStopPress() override;
    void ReapplyFadeOptions() override;
    void ReapplyLevelOptions() override;

    /// The options dialog that "&Set Options..." shows; null disables the item.
    void setOptionsDialog(QWidget* dialog);

    /// Full paths of the chosen tone and backing-sound wav files, "" for none.
    std::string ToneWavName;
    std::string BSWavName;

    // ---- Controls, named as the design names them --------------------------------------

    QLineEdit* Edit1 = nullptr;     // tone wav file, name only
    QPushButton* Button2 = nullptr; // "..." tone wav chooser
    QLineEdit* Edit3 = nullptr;     // backing-sound wav file, name only
    QPushButton* Button3 = nullptr; // "..." backing-sound wav chooser
    QSlider* TrackBar1 = nullptr;   // session length factor x 10, 1..50
    QLabel* Label42 = nullptr;      // the factor, "1.0"
    QFrame* Panel1 = nullptr;       // "  Session Length"
    QLineEdit* Edit2 = nullptr;     // session length at the factor, m:ss
    QComboBox* ComboBox1 = nullptr; // user waves 1..4 (owned by the lists' layout here)
    QComboBox* ComboBox2 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QSlider* TrackBar2 = nullptr; // AM depth 0..100
    QLabel* Label3 = nullptr;
    QSlider* TrackBar5 = nullptr; // FM depth 0..100
    QLabel* Label9 = nullptr;
    QSlider* TrackBar4 = nullptr; // tone / backing-sound balance 0..100
    QLabel* Label4 = nullptr;
    QSlider* TrackBar3 = nullptr; // heart beat / backing-sound wav balance 0..100
    QLabel* Label10 = nullptr;
    QLabel* Label13 = nullptr;      // peak display, hidden
    QPushButton* BitBtn3 = nullptr; // pause
    QPushButton* Button1 = nullptr; // "Start" / "Delayed" / "Stop" / "Ending" / "Paused"
    QPushButton* BitBtn1 = nullptr; // export to wav
    QTableView* StringGrid1 = nullptr;
    StatusGridModel* GridCells = nullptr; // StringGrid1's cells
    QTimer* Timer1 = nullptr; // start delay, 1000 ms, off
    QTimer* Timer2 = nullptr; // display, 100 ms, off
    TAudioOut* AudioOut1 = nullptr;

    // ---- Menus -------------------------------------------------------------------------

    QMenu* Session1 = nullptr;
    QAction* New1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QMenu* Import1 = nullptr;
    QAction* ImportPsx1 = nullptr;
    QAction* ImportMlp1 = nullptr;
    QAction* ImportLNFfile1 = nullptr;
    QAction* ExportLNFfile1 = nullptr;
    QAction* Recordtowavfile1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Options1 = nullptr;
    QAction* SetOptions1 = nullptr;
    QMenu* Show1 = nullptr;
    QAction* Properties1 = nullptr;
    QAction* SpreadsheetEditor1 = nullptr;
    QAction* GraphicEditor1 = nullptr;
    QAction* PlaybackControl1 = nullptr;
    QAction* UserWaveEditor1 = nullptr;
    QAction* ShowWindow1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Contents1 = nullptr;
    QAction* Homepage1 = nullptr;
    QAction* About1 = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;
    /// Enter starts and stops, as on a default button.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void buildControls();
    void buildMenus();
    void disableUnbuilt();
    void stopForExit();
    void chooseWav(std::string& name, QLineEdit* edit);
    // Transport.
    void startPlayback();
    void stopOrEnd();
    void enginePress(std::uint64_t run);
    void reportFillError();
    void AudioOut1Stop();
    void setPaused(bool paused);
    /// The reader's commit of a parsed file; cannot fail. The errors to show
    /// once the session is in are added to `errors`; returns the warning
    /// about repaired values ("" for none).
    QString commitSession(const std::string& fileName, const ParsedSession& parsed, QStringList& errors,
                          bool applyIgnoreBoxes);
    /// One wav line of a read file (Windows-1252 text) into `name` and `edit`.
    void readWavLine(const std::string& line, std::string& name, QLineEdit* edit, QStringList& errors);

    PlayerModel& m_model;
    std::unique_ptr<UserWaveLists> m_userWaves;
    std::unique_ptr<ScreenSaverInhibitor> m_screenSaver;
    QPointer<QWidget> m_optionsDialog;
    QString m_fillError; // a read failure of the fill, not reported yet
};

/// Created once at start-up; lives until the program ends.
extern TForm1* Form1;
