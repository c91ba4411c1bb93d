#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "converter/ConverterFolders.h"
#include "converter/SignalPath.h"
#include "converter/WavSource.h"

class QAction;
class QCheckBox;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QShowEvent;
class QSlider;
class QTimer;
class ScreenSaverInhibitor;
class SeekBar;
class Settings;
class TAudioOut;
struct PresetValues;
struct LaunchInfo;

/// The converter's main window: the signal path's sliders and switches, the
/// source choice, the transport (Start/Stop, Pause, the 250 ms peak and
/// position display, seeking on the progress bar), the render into a new wav
/// file, and the menus. It owns the signal path, the wave output the path
/// plays through, and the folders; the options dialog (Form12) is built on
/// references to them. Closing it stops the output, writes the settings and
/// ends the program. GUI thread only.
///
/// Each slider's handler hands its position to the path's setter and shows
/// the label the path wrote. While "L&R Controls Lock" is checked, a channel
/// slider first sets its partner of the other channel (without the
/// partner's handler) and the path computes both channels.
///
/// Button3's caption is the transport's state: "Start" (idle), "Stop" (a run
/// plays), "Paused". Beside it the window keeps its run mode: only a live run
/// sets the path's Playing; a render never does, so a device still draining
/// the last run gets nothing from the producer.
class TForm9 final : public QMainWindow {
    Q_OBJECT

public:
    enum class RunMode { Idle, Playing, Rendering };

    /// Builds the controls and the wave output (44 100 frames per second,
    /// stereo, 16 bits) with its producer. The carrier table stays silent
    /// until the start-up loads "Sine.pcm" into signalPath().
    explicit TForm9(QWidget* parent = nullptr);
    /// Stops the output at once.
    ~TForm9() override;

    /// Start-up's create step: the program folder, the screen-saver
    /// inhibition, the title and help file, and the carrier table ("Sine.pcm"
    /// from the current folder, else from the program folder). Returns false
    /// after showing why when no usable table is found.
    bool FormCreate(const LaunchInfo& launch);
    /// Loads the carrier table; throws IoError with the program folder's
    /// path when neither folder holds a usable one.
    void LoadSampleBuffers();
    /// The path's reset of its derived values from the sliders.
    void InitVars();
    /// Every label of the path's sliders, from the values the path holds.
    void RedrawLabels();
    /// Writes the converter's settings (to the settings file, or to
    /// `settings`) and syncs.
    void SaveConfig();
    void SaveConfig(Settings& settings);
    /// The end of the program: the output stopped at once and the source
    /// closed (playing, paused or playing out), then the settings written.
    void FormClose();

    /// Moves a slider from code (presets): its handler runs, lock included,
    /// exactly when the position changes.
    void setSliderPosition(QSlider* slider, int pos);

    SignalPath& signalPath() { return *m_path; }
    ConverterFolders& folders() { return m_folders; }
    RunMode runMode() const { return m_mode; }

    // ---- Source ----------------------------------------------------------------

    /// "...": stops a run, asks for a wav file in SourceWavDir and takes it
    /// when it passes the chooser's test (isChooserWavFormat). Cancel leaves
    /// no source.
    void Button1Click();
    /// Takes `path` as the source when it opens and passes `formatTest`:
    /// SourcePath, Edit1 (its name part), ProgressBar1 at 0 with Max = its
    /// data bytes div 176 400, enabled. Otherwise shows `refusalText` (or the
    /// reader's error when it cannot be read), keeps the previous source and
    /// returns false. The chooser passes isChooserWavFormat and
    /// kChooserWavFormatText, a preset isSessionWavFormat and
    /// kSessionWavFormatText.
    bool acceptSource(const std::string& path, bool (*formatTest)(const WavInfo&), const char* refusalText);
    /// No source: SourcePath and Edit1 empty, ProgressBar1 at 0, disabled.
    void clearSource();

    // ---- Transport ---------------------------------------------------------------

    /// Start, Stop, or resume from a pause, by the caption.
    void Button3Click();
    /// Pause or resume while a run plays.
    void BitBtn3Click();
    /// Ends a live run at once and restores the controls (the "stop
    /// playback" of choosing a source, opening a preset and the render menu
    /// item): caption "Start", output stopped without play-out, source
    /// closed, BitBtn1 and the buffer-size slider enabled, ProgressBar1 back
    /// where the run started, pause cleared. Does nothing while idle or
    /// rendering.
    void stopPlayback();
    /// Every 250 ms while a run plays: output peak (red above 100 %), the
    /// hidden dynamic maxima, and the position unless the bar is dragged.
    void Timer1Timer();
    /// Seeking: a press with the left button alone starts a drag, moves
    /// follow it, the release applies the position to the stream while a run
    /// is under way (playing or paused) and otherwise only sets where the
    /// next Start begins.
    void ProgressBar1MouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x);
    void ProgressBar1MouseMove(int x);
    void ProgressBar1MouseUp(int x);
    /// Label5: "Position: " + minutes + ":" + two-digit seconds of the bar.
    void RedrawPosition();
    /// The output's producer: forwards to the path, which delivers nothing
    /// unless a live run plays.
    bool AudioOut1FillBuffer(std::uint8_t* Buffer, std::int32_t& Size);

    // ---- Signal path controls ----------------------------------------------------

    void TrackBar1Change();  // input gain
    void TrackBar2Change();  // light on duration
    void TrackBar5Change();  // light retrigger delay
    void TrackBar13Change(); // detection interval
    void TrackBar4Change();  // centre frequency L
    void TrackBar9Change();  // centre frequency R
    void TrackBar8Change();  // band width L
    void TrackBar10Change(); // band width R
    void TrackBar7Change();  // filtered signal level L
    void TrackBar12Change(); // filtered signal level R
    void TrackBar6Change();  // light trigger level L
    void TrackBar11Change(); // light trigger level R
    void CheckBox3Click();   // hear filtered signal
    void CheckBox4Click();   // mix L&R channels

    // ---- Presets ----------------------------------------------------------------

    void Open1Click();
    /// Stops a live run, asks for a preset and applies it whole: the source
    /// (found by its name in SourceWavDir when it has moved, or none), the
    /// sliders in file order with the lock as it stands, the switches, the
    /// caption. A value that is no whole number, a source wav that cannot be
    /// used or a file that cannot be read is reported and changes nothing.
    void OpenPresetProc();
    void SaveAs1Click();
    /// Writes the sliders, the switches and, when the options say so, the
    /// source into a preset the user names, and shows its name in the
    /// caption. A failed write is reported and leaves an earlier file of that
    /// name and the caption as they were.
    void SavePresetProc();

    // ---- Render -----------------------------------------------------------------

    void BitBtn1Click();
    /// The menu item; it stops a live run first.
    void GenerateEncodedWavFile1Click();
    /// Renders the whole source into a wav file the user names, at the
    /// options' recording level, behind the progress dialog (both windows
    /// disabled meanwhile). The source named as the destination is refused
    /// before the question whether to replace the file. A failed or cancelled
    /// render leaves no file and an earlier file of that name as it was.
    void RecSesToWavProc();

    // ---- Controls, named as in the design --------------------------------

    QSlider* TrackBar1 = nullptr;  // input gain, 0..300 (100); Label3
    QSlider* TrackBar2 = nullptr;  // light on duration, 0..495 (0); Label4
    QSlider* TrackBar5 = nullptr;  // light retrigger delay, 0..1000 (0); Label7
    QSlider* TrackBar13 = nullptr; // detection interval, 1..20 (5); Label10
    QSlider* TrackBar4 = nullptr;  // centre frequency L, 80..1000 (142); Label6
    QSlider* TrackBar9 = nullptr;  // centre frequency R; Label14
    QSlider* TrackBar8 = nullptr;  // band width L, 1..400 (50); Label13
    QSlider* TrackBar10 = nullptr; // band width R; Label15
    QSlider* TrackBar7 = nullptr;  // filtered signal level L, 0..1000 (100); Label2
    QSlider* TrackBar12 = nullptr; // filtered signal level R; Label9
    QSlider* TrackBar6 = nullptr;  // light trigger level L, 0..100 (50); Label8
    QSlider* TrackBar11 = nullptr; // light trigger level R; Label16
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QCheckBox* CheckBox2 = nullptr; // "L&R Controls Lock"
    QCheckBox* CheckBox3 = nullptr; // "Hear Filtered Signal"
    QCheckBox* CheckBox4 = nullptr; // "Mix L&R Channels"

    QLineEdit* Edit1 = nullptr;       // source file name, read-only
    QPushButton* Button1 = nullptr;   // "..." beside Edit1
    QPushButton* Button3 = nullptr;   // "Start" / "Stop" / "Paused"
    QPushButton* BitBtn3 = nullptr;   // pause
    QPushButton* BitBtn1 = nullptr;   // render
    SeekBar* ProgressBar1 = nullptr;  // position in seconds
    QLabel* Label5 = nullptr;         // "Position: "
    QLabel* Label12 = nullptr;        // "Max Level of Output Signal: "
    QLabel* Label11 = nullptr;        // "Dynamic Maximum L: ", hidden
    QLabel* Label17 = nullptr;        // "Dynamic Maximum R: ", hidden
    QTimer* Timer1 = nullptr;         // 250 ms, on while a run plays
    TAudioOut* AudioOut1 = nullptr;
    QMenu* Preset1 = nullptr;
    QAction* Open1 = nullptr;   // "&Open...", Ctrl+O
    QAction* SaveAs1 = nullptr; // "&Save As...", Ctrl+S
    QAction* GenerateEncodedWavFile1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Options1 = nullptr;
    QAction* SetOptions1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Contents1 = nullptr; // also F1
    QAction* Homepage1 = nullptr;
    QAction* About1 = nullptr;

    // ---- Fields ------------------------------------------------------------------

    std::string AppDir; // the program folder, without a trailing "/"

    std::string PresetFileName;      // last preset opened or saved; Save As proposes it
    std::string SourcePath;          // file-system bytes; empty: no source
    std::int64_t StartPosition = 0;  // s, where the bar stood at Start
    bool Paused = false;
    QString SavedCaption;            // Button3's caption while paused
    bool Seeking = false;            // the bar is being dragged

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void buildControls();
    void buildSliders(QWidget* client);
    void buildMenus();
    /// The program title and the preset's name without its extension.
    void setPresetCaption(const std::string& presetPath);
    /// What a preset of the window's present settings holds.
    PresetValues presetValues() const;
    /// A channel slider's handler: the partner first while the lock is on.
    void channelChange(QSlider* own, QSlider* partner, void (SignalPath::*set)(SignalPath::Side, std::int32_t),
                       SignalPath::Side side);
    void startPlayback();
    /// The restoring half of stopPlayback, also run by the path at the
    /// natural end (the device then plays out what it holds).
    void restoreAfterRun();
    void runEnded();
    void reportReadError();
    void AudioOut1Stop();
    /// Opens SourcePath into `source` for a run and tests it again; shows why
    /// when that fails.
    bool openRunSource(WavSource& source);
    void setPeakColour(bool over);

    std::unique_ptr<SignalPath> m_path;
    WavSource m_source; // the live run's
    ConverterFolders m_folders;
    RunMode m_mode = RunMode::Idle;
    QString m_readError; // a failed read, shown once the device's notification is over
    std::unique_ptr<ScreenSaverInhibitor> m_screenSaver;
    bool m_placed = false; // centred at the first show only
};

/// Created once at start-up, first of the converter's windows.
extern TForm9* Form9;
