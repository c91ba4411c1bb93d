#pragma once

#include <QColor>
#include <QDialog>
#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "engine/UserWaveEditor.h"

class QComboBox;
class QLabel;
class QPaintEvent;
class QPushButton;
class QSlider;
class TAudioOut;
struct PlayerModel;

/// Draws one wave period into `image`: the background, then a line through
/// (x, y(round(x × 4410 / width))) for every column x, with y(k) = height div
/// 2 − round(wave[k] × (height − margin) / 65536). Antialiasing off, so the
/// picture is exact pixels.
void drawWavePicture(QImage& image, const WaveTable& wave, int margin, QColor background, QColor line);

/// A fixed-size picture of a wave, shown as drawn.
class WavePicture final : public QWidget {
    Q_OBJECT
public:
    /// `margin` as drawWavePicture takes it.
    WavePicture(QWidget* parent, const QString& name, int width, int height, int margin, QColor background,
                QColor line);
    void draw(const WaveTable& wave);
    const QImage& picture() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage m_image;
    int m_margin;
    QColor m_background;
    QColor m_line;
};

/// The user wave editor: mixes four source waves (built-in or user waves,
/// each with amplitude, phase and frequency multiple) into one period, draws
/// it, previews it through its own wave output (mixed with the main output,
/// so also during playback) and saves it into the user-wave folder, after
/// which both windows list it, or reload it where they use it. A fixed-size
/// window created at start-up and hidden or shown from then on; hiding does
/// not stop the preview. GUI thread only.
class TForm10 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm10(PlayerModel& model);
    ~TForm10() override;

    /// Start-up's create step, right after construction: lists, sliders,
    /// preview pitch, pictures and the first result.
    void FormCreate();

    /// Fills the four wave lists (built-in waves, then the user waves of
    /// `folder`) and makes every source built-in wave 1; runs no handler.
    void SearchPcmDir(const std::string& folder);

    /// The change handler of list n (1..4): loads the chosen wave into source
    /// n, redraws it and recomputes the result. A user wave that cannot be
    /// read is reported; the source keeps its samples and the list goes back
    /// to its previous entry.
    void ComboBoxChange(int n);
    void ComboBox1Change() { ComboBoxChange(1); }
    void ComboBox2Change() { ComboBoxChange(2); }
    void ComboBox3Change() { ComboBoxChange(3); }
    void ComboBox4Change() { ComboBoxChange(4); }

    /// The handler of slider `bar` (1..13): amplitude (1..4), phase (5..8) or
    /// frequency multiple (9..12) of its source, with its label, then the
    /// result; 13 is the preview pitch.
    void TrackBarChange(int bar);
    void TrackBar13Change() { TrackBarChange(13); }

    void RedrawSrcImage(int n);
    /// Mixes, scales and draws the result.
    void RecompDestWave();

    /// "Preview" starts the preview from the start of the period, "Stop"
    /// stops it at once. A failed start is reported and keeps "Preview".
    void Button1Click();
    /// The preview producer; always true.
    bool AudioOut1FillBuffer(std::uint8_t* Buffer, std::int32_t& Size);
    /// Asks for a file name in the user-wave folder and saves the result.
    void Button2Click();
    /// Saves the result as the user wave `path` names (a file the save
    /// dialog gave): refuses another folder, a name that cannot be a list
    /// entry and a built-in wave's name, each with its message; writes the
    /// file whole or not at all; then lists the wave in both windows, or
    /// reloads the waves each window uses where its list holds the name
    /// already. A name equal to an existing user wave without regard to case
    /// replaces that file. False when nothing was saved.
    bool saveUserWaveAs(const QString& path);
    /// Hides the window; the preview goes on.
    void Button3Click() { hide(); }

    /// The mix: sources, their settings, MixBuf and DestWave.
    const WaveMix& mix() const { return m_mix; }
    /// The preview's read position and step.
    const WavePreview& preview() const { return m_preview; }

    // Controls, indexed as the design numbers them; entry 0 is unused.
    std::array<QComboBox*, 5> ComboBox{};
    std::array<QSlider*, 14> TrackBar{};
    /// Label[n] shows slider n's value (n = 1..12).
    std::array<QLabel*, 13> Label{};
    /// 1..4 the sources, 5 the result.
    std::array<WavePicture*, 6> Image{};
    QLabel* Label17 = nullptr;       // preview pitch
    QPushButton* Button1 = nullptr;  // "Preview" / "Stop"
    QPushButton* Button2 = nullptr;  // "Save As"
    QPushButton* Button3 = nullptr;  // "Close"
    TAudioOut* AudioOut1 = nullptr;

private:
    void buildControls();
    /// A slider's value into its field and label.
    void readTrackBar(int bar);
    /// Shows the wave name bytes of a list entry.
    void addListItem(int n, const QString& text, const std::string& name);
    std::string itemName(int n, int index) const;
    /// The index of the entry equal to `name` without regard to case, or -1.
    int findListed(const std::string& name) const;
    /// The file of an existing user wave equal to `stem` without regard to
    /// case, or "".
    std::string existingUserWave(const std::string& stem) const;
    void listSaved(const std::string& stem);

    PlayerModel& m_model;
    WaveMix m_mix;
    WavePreview m_preview;
    /// The entry each list's source holds, to go back to after a refused load.
    std::array<int, 5> m_loaded{};
};

/// Created once at start-up.
extern TForm10* Form10;
