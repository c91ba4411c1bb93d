#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "converter/ConverterFolders.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSlider;
class SignalPath;
class TAudioOut;

/// The converter's options dialog. Non-modal, with no Cancel: every change
/// reaches the signal path, the folders and the output at once. Every slider
/// handler reads its own slider, so code that restores a value sets the
/// position (silently) and then calls the handler. GUI thread only.
///
/// This build holds what the transport and the render use: the output buffer
/// size, the playing and recording AudioStrobe levels, "Remember Recent
/// Directories" and the three folder rows (edit and tooltip). The preset
/// group with its click handler, "Store wav file name in preset", the
/// folders' "..." buttons, "Restore Original Values", "OK" and the settings
/// come with the main window's completion; they belong here beside these.
class TForm12 final : public QDialog {
    Q_OBJECT
public:
    /// Pointer to one of the folder fields; names a folder row.
    using FolderField = std::string ConverterFolders::*;

    /// All three are held by reference and must outlive the dialog (the main
    /// window owns them). `appDir` is the program folder without a trailing
    /// "/", the root of the default folders. Creation runs the slider
    /// handlers with the form defaults, so the path and the output hold them
    /// before any playback; a folder that is still empty takes its default.
    TForm12(SignalPath& path, ConverterFolders& folders, TAudioOut& audioOut, std::string appDir,
            QWidget* parent = nullptr);

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

    // ---- What the main window reads -----------------------------------

    int recordingASLevel() const;
    bool rememberRecentFolders() const;

    // ---- Controls, named as in the design --------------------------------

    QSlider* TrackBar1 = nullptr; // buffer size, 1..16 (8)
    QSlider* TrackBar7 = nullptr; // playing level, 0..100 (23, disabled by the preset)
    QSlider* TrackBar2 = nullptr; // recording level, 0..100 (23, disabled by the preset)
    QLabel* Label2 = nullptr;     // "Wave Out Buffer Size: "
    QLabel* Label11 = nullptr;    // "Playing - AS Max Level: "
    QLabel* Label1 = nullptr;     // "Recording - AS Max Level: "
    QGroupBox* GroupBox1 = nullptr; // "AudioStrobe Setup"
    QGroupBox* GroupBox2 = nullptr; // "Default Directories"
    QCheckBox* CheckBox2 = nullptr; // "Remember Recent Directories"
    QLineEdit* Edit1 = nullptr;     // PresetsDir
    QLineEdit* Edit2 = nullptr;     // SourceWavDir
    QLineEdit* Edit3 = nullptr;     // DestWavDir

private:
    struct FolderRow {
        FolderField field;
        QLineEdit* edit;
    };

    void buildControls();
    const FolderRow& row(FolderField field) const;

    SignalPath& m_path;
    ConverterFolders& m_folders;
    TAudioOut& m_audioOut;
    std::string m_appDir;
    std::array<FolderRow, 3> m_rows{};
};

/// Created once at start-up, after the main window and the progress dialog.
extern TForm12* Form12;
