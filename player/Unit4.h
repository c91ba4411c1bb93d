#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <string>

#include "player/PlayerFolders.h"

class Engine;
class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QSlider;
class TAudioOut;
class TBrowseForFolder;
struct FileDialogOptions;
struct PlayerSettings;

/// The player's options: output buffer size, start delay, soft start and end,
/// the AudioStrobe levels, which windows open at start, what a session load
/// ignores, the six default folders and the output filter. Non-modal, with no
/// Cancel: every change reaches the engine, the folders and the output at
/// once. Every slider handler reads its own slider, so code that restores a
/// value sets the position (silently) and then calls the handler. GUI thread
/// only; the engine reads the fields it writes on the same thread between
/// buffers.
class TForm4 final : public QDialog {
    Q_OBJECT
public:
    /// Pointer to one of the six folder fields; names a folder row.
    using FolderField = std::string PlayerFolders::*;

    /// All four are held by reference and must outlive the dialog. `appDir`
    /// is the program folder without a trailing "/", the root of the default
    /// folders. Creation runs every slider handler with the form defaults and
    /// then RadioGroup1Click, so the engine and the output hold the defaults
    /// before any playback; a folder that is still empty takes its default.
    /// Registers lockPlaybackSliders with the playback lock.
    TForm4(Engine& engine, bool& outputFilter, PlayerFolders& folders, TAudioOut& audioOut,
           std::string appDir, QWidget* parent = nullptr);

    // ---- Handlers: each reads its own control --------------------------

    /// Output buffer size: position × 4096 bytes per buffer. While the
    /// output is open the component keeps the size until it closes.
    void TrackBar1Change();
    /// Start delay label; the transport reads the position (× 10 s).
    void TrackBar2Change();
    /// Soft start: FadeInLen.
    void TrackBar3Change();
    /// Zero level: ASZeroLevel, ASIntensitySpan.
    void TrackBar4Change();
    /// Soft end: FadeOutLen.
    void TrackBar5Change();
    /// Recording level label; SetRecordingASLevel applies it.
    void TrackBar6Change();
    /// Playing level: ASMaxLevel, AudioScale, ASRampLen, ASEnvStep.
    void TrackBar7Change();
    /// AudioStrobe forces both level sliders to 23 (with their handlers) and
    /// disables them; Manual enables them and keeps their values.
    void RadioGroup1Click();
    /// "Restore Original Values". A soft-start or soft-end slider locked by
    /// playback gets its position and label only; the next start applies it.
    void Button1Click();
    /// For a wav export, after the engine's reset: the recording level
    /// replaces the playing level until the next reset.
    void SetRecordingASLevel();

    /// The engine's reset hooks forward here: soft start, then soft end; the
    /// playing level, then the zero level.
    void reapplyFadeOptions();
    void reapplyLevelOptions();

    /// Locks (true) or unlocks the sliders that must not change while a
    /// session plays: buffer size, soft start and soft end. Registered with
    /// the playback lock, so every playback path locks all three.
    void lockPlaybackSliders(bool locked);

    /// Sets a folder row: the field (given a trailing "/" when it has none),
    /// the edit's text and its tooltip. For the "..." buttons and for the
    /// file dialogs that remember recent folders.
    void setFolder(FolderField field, std::string folder);
    /// The default of a row: appDir + "/Sessions/", "/Source_Wav/", ...
    std::string defaultFolder(FolderField field) const;

    /// 0 AudioStrobe, 1 Manual. The setter runs no handler.
    int radioGroup1Index() const;
    void setRadioGroup1Index(int index);

    // ---- What other windows read --------------------------------------

    int startDelaySecs() const;
    bool rememberRecentFolders() const;
    bool ignoreSourceWavs() const;
    bool ignoreUserWaves() const;
    bool ignoreDepthsAndBacking() const;
    bool openSpreadsheetAtStart() const;
    bool openGraphEditorAtStart() const;
    bool openPlaybackControlAtStart() const;
    bool openShowWindowAtStart() const;
    /// The options as the settings store keeps them: the boxes, the slider
    /// positions and the preset; the folders are the model's.
    void storeInto(PlayerSettings& values) const;

    // ---- Controls, named as in the design --------------------------------

    QSlider* TrackBar1 = nullptr; // buffer size, 1..16
    QSlider* TrackBar2 = nullptr; // start delay, 0..60
    QSlider* TrackBar3 = nullptr; // soft start, 0..60
    QSlider* TrackBar4 = nullptr; // zero level, 0..100
    QSlider* TrackBar5 = nullptr; // soft end, 0..60
    QSlider* TrackBar6 = nullptr; // recording level, 0..100
    QSlider* TrackBar7 = nullptr; // playing level, 0..100
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QRadioButton* RadioButton1 = nullptr; // "AudioStrobe"
    QRadioButton* RadioButton2 = nullptr; // "Manual"
    QGroupBox* GroupBox1 = nullptr; // open at start
    QGroupBox* GroupBox2 = nullptr; // ignore when opening
    QGroupBox* GroupBox3 = nullptr; // default folders
    QCheckBox* CheckBox1 = nullptr;  // "Remember Recent Directories"
    QCheckBox* CheckBox2 = nullptr;  // "Spreadsheet Editor"
    QCheckBox* CheckBox3 = nullptr;  // "Graphical Editor"
    QCheckBox* CheckBox4 = nullptr;  // "Show Window"
    QCheckBox* CheckBox5 = nullptr;  // "Audio Output Filter"
    QCheckBox* CheckBox7 = nullptr;  // "Session Playback Control"
    QCheckBox* CheckBox8 = nullptr;  // "Source Wav Files"
    QCheckBox* CheckBox9 = nullptr;  // "User Waves"
    QCheckBox* CheckBox10 = nullptr; // "AM+FM Depth, BS Settings"
    QLineEdit* Edit1 = nullptr; // SesDir
    QLineEdit* Edit2 = nullptr; // ImportMLProDir
    QLineEdit* Edit3 = nullptr; // SrcWavDir
    QLineEdit* Edit4 = nullptr; // WavDir
    QLineEdit* Edit5 = nullptr; // ImpExpDir
    QLineEdit* Edit6 = nullptr; // ImportPsxDir
    QPushButton* Button1 = nullptr; // "Restore Original Values"
    QPushButton* Button2 = nullptr; // "OK"
    QPushButton* Button3 = nullptr; // "..." of Edit1
    QPushButton* Button4 = nullptr; // "..." of Edit2
    QPushButton* Button5 = nullptr; // "..." of Edit3
    QPushButton* Button6 = nullptr; // "..." of Edit4
    QPushButton* Button7 = nullptr; // "..." of Edit5
    QPushButton* Button8 = nullptr; // "..." of Edit6
    TBrowseForFolder* BrowseForFolder1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    struct FolderRow {
        FolderField field;
        QLineEdit* edit;
    };

    void buildControls();
    void browseFolder(const FolderRow& row);
    const FolderRow& row(FolderField field) const;
    // The playing and the recording level write the same four fields.

    Engine& m_engine;
    bool& m_outputFilter;
    PlayerFolders& m_folders;
    TAudioOut& m_audioOut;
    std::string m_appDir;
    std::array<FolderRow, 6> m_rows{};
    bool m_slidersLocked = false;
    bool m_placed = false; // centred at the first show only
};

/// Created once at start-up, after Form1..Form3.
extern TForm4* Form4;

enum class FileChoice { Open, Save };

/// The player's file dialogs start in one of the default folders and, while
/// "Remember Recent Directories" is checked, leave that folder at the chosen
/// file's. Returns the chosen path's file-system bytes; nothing after Cancel.
std::optional<std::string> chooseFile(FileChoice kind, const PlayerFolders& folders, TForm4::FolderField field,
                                      FileDialogOptions options);
