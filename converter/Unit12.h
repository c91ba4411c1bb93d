#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "converter/ConverterFolders.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QSlider;
class Settings;
class SignalPath;
class TAudioOut;
class TBrowseForFolder;

/// The converter's options dialog: output buffer size, the playing and
/// recording AudioStrobe levels with their preset, what presets store, the
/// three default folders, and the converter's settings. Non-modal, with no
/// Cancel: every change reaches the signal path, the folders and the output
/// at once; OK and the close box hide it. Every slider handler reads its own
/// slider, so code that restores a value sets the position (silently) and
/// then calls the handler. GUI thread only.
class TForm12 final : public QDialog {
    Q_OBJECT
public:
    /// Pointer to one of the folder fields; names a folder row.
    using FolderField = std::string ConverterFolders::*;

    /// All three are held by reference and must outlive the dialog (the main
    /// window owns them). `appDir` is the program folder without a trailing
    /// "/", the root of the default folders. Creation runs the handlers with
    /// the form defaults, so the path and the output hold them before any
    /// playback; a folder that is still empty takes its default.
    TForm12(SignalPath& path, ConverterFolders& folders, TAudioOut& audioOut, std::string appDir,
            QWidget* parent = nullptr);

    /// Start-up's create step: the settings, then the main window's reset of
    /// the path and its labels.
    void FormCreate();
    /// Reads the folders and the options from the settings file (or from
    /// `settings`), each slider and the group followed by its handler.
    void LoadConfig();
    void LoadConfig(const Settings& settings);
    /// Writes the folders and the options, as text, in the reader's order.
    /// The caller writes what comes before them and syncs.
    void storeInto(Settings& settings) const;

    // ---- Handlers: each reads its own control --------------------------

    /// Output buffer size: position × 4096 bytes per buffer. The main window
    /// disables the slider while playing; a size set while the output is
    /// open takes effect when it closes.
    void TrackBar1Change();
    /// Playing level: the path's ASLevel, ASRampSteps, ASRampUp, ASRampDown,
    /// at once (the music's scale waits for the next start).
    void TrackBar7Change();
    /// Recording level: label only; the render applies it.
    void TrackBar2Change();
    /// AudioStrobe sets both levels to the preset (with their handlers) and
    /// disables them; Manual enables them and keeps their values.
    void RadioGroup1Click();
    /// "Restore Original Values": folders, buffer size, preset group,
    /// levels and the two boxes, in that order; each slider and the group
    /// run their handlers when they change.
    void Button1Click();
    /// The recording level into the path's four carrier fields. The render
    /// passes recordingASLevel() to its reset, which applies it the same way
    /// together with the music's scale.
    void SetRecordingASLevel();

    /// Sets a folder row: the field (given a trailing "/" when it has none),
    /// the edit's text and its tooltip. For the "..." buttons and for the
    /// file dialogs that remember recent folders.
    void setFolder(FolderField field, std::string folder);
    /// The default of a row: appDir + "/Glimbx_Presets/", "/Source_Wav/",
    /// "/Dest_Wav/".
    std::string defaultFolder(FolderField field) const;
    /// The "..." button of a row: the folder chooser at the row's folder.
    void browseFolder(FolderField field);

    /// 0 AudioStrobe, 1 Manual. The setter runs no handler.
    int radioGroup1Index() const;
    void setRadioGroup1Index(int index);

    // ---- What the main window and the presets read ---------------------

    int recordingASLevel() const;
    bool rememberRecentFolders() const;
    bool storeWavFileName() const;

    // ---- Controls, named as in the design --------------------------------

    QSlider* TrackBar1 = nullptr; // buffer size, 1..16 (8)
    QSlider* TrackBar7 = nullptr; // playing level, 0..100 (23, disabled by the preset)
    QSlider* TrackBar2 = nullptr; // recording level, 0..100 (23, disabled by the preset)
    QLabel* Label2 = nullptr;     // "Wave Out Buffer Size: "
    QLabel* Label11 = nullptr;    // "Playing - AS Max Level: "
    QLabel* Label1 = nullptr;     // "Recording - AS Max Level: "
    QGroupBox* GroupBox1 = nullptr;   // "AudioStrobe Setup"
    QGroupBox* RadioGroup1 = nullptr; // "Light Intensity Max Presets"
    QRadioButton* RadioButton1 = nullptr; // "AudioStrobe"
    QRadioButton* RadioButton2 = nullptr; // "Manual"
    QCheckBox* CheckBox1 = nullptr; // "Store wav file name in preset"
    QGroupBox* GroupBox2 = nullptr; // "Default Directories"
    QCheckBox* CheckBox2 = nullptr; // "Remember Recent Directories"
    QLineEdit* Edit1 = nullptr;     // PresetsDir
    QLineEdit* Edit2 = nullptr;     // SourceWavDir
    QLineEdit* Edit3 = nullptr;     // DestWavDir
    QPushButton* Button1 = nullptr; // "Restore Original Values"
    QPushButton* Button2 = nullptr; // "OK"
    QPushButton* Button3 = nullptr; // "..." of Edit1
    QPushButton* Button4 = nullptr; // "..." of Edit2
    QPushButton* Button5 = nullptr; // "..." of Edit3
    TBrowseForFolder* BrowseForFolder1 = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    struct FolderRow {
        FolderField field;
        QLineEdit* edit;
        const char* key; // in the settings
    };

    void buildControls();
    const FolderRow& row(FolderField field) const;

    SignalPath& m_path;
    ConverterFolders& m_folders;
    TAudioOut& m_audioOut;
    std::string m_appDir;
    std::array<FolderRow, 3> m_rows{};
    bool m_placed = false; // centred at the first show only
};

/// Created once at start-up, after the main window and the progress dialog.
extern TForm12* Form12;
