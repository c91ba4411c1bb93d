#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "converter/ConverterFolders.h"
#include "converter/WavSource.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class SeekBar;
class SignalPath;
class TAudioOut;

/// The converter's main window. This build holds the source choice, the
/// transport (Start/Stop, Pause, the 250 ms peak and position display,
/// seeking on the progress bar) and the render into a new wav file; the
/// sliders and check boxes of the signal path, the menus, the presets and the
/// settings come with the window's completion. It owns the signal path, the
/// wave output the path plays through, and the folders; the options dialog
/// (Form12) is built on references to them. GUI thread only.
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

    // ---- Render -----------------------------------------------------------------

    void BitBtn1Click();
    /// The menu item; it stops a live run first.
    void GenerateEncodedWavFile1Click();
    /// Renders the whole source into a wav file the user names, at the
    /// options' recording level, behind the progress dialog (both windows
    /// disabled meanwhile). A failed or cancelled render leaves no file and
    /// an earlier file of that name as it was.
    void RecSesToWavProc();

    // ---- Controls, named as in the design --------------------------------

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
    /// "&Generate AudioStrobe Encoded Wav File...", for the "&Preset" menu.
    QAction* GenerateEncodedWavFile1 = nullptr;

    // ---- Fields ------------------------------------------------------------------

    std::string SourcePath;          // file-system bytes; empty: no source
    std::int64_t StartPosition = 0;  // s, where the bar stood at Start
    bool Paused = false;
    QString SavedCaption;            // Button3's caption while paused
    bool Seeking = false;            // the bar is being dragged

private:
    void buildControls();
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
};

/// Created once at start-up, first of the converter's windows.
extern TForm9* Form9;
