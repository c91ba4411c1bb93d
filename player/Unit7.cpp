#include "player/Unit7.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

#include "platform/Settings.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/Unit4.h"
#include "player/WindowPlace.h"

TForm7* Form7 = nullptr;

namespace {

QLabel* caption(QWidget* parent, const QString& text, int y)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(8, y, 160, 16);
    return l;
}

QLabel* value(QWidget* parent, const char* name, int y)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(172, y, 70, 16);
    l->setAutoFillBackground(true);
    QPalette white = l->palette();
    white.setColor(QPalette::Window, Qt::white);
    l->setPalette(white);
    return l;
}

} // namespace

TForm7::TForm7(PlayerModel& model)
    : m_model(model)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Session Playback Control"));
    caption(this, QStringLiteral("Current segment playing:"), 8);
    caption(this, QStringLiteral("Session time:"), 28);
    caption(this, QStringLiteral("Current segment time:"), 48);
    Label4 = value(this, "Label4", 8);
    Label5 = value(this, "Label5", 28);
    Label6 = value(this, "Label6", 48);
}

void TForm7::FormCreate()
{
    LoadConfig();
    const QPoint centred = centredPlace(this);
    placeWindow(this, PlayCtlPos, {centred.x(), 0});
}

void TForm7::LoadConfig()
{
    if (!Form4) [[unlikely]]
        return;
    const Settings settings;
    LoadConfig(settings, *Form4, Form1);
}

void TForm7::LoadConfig(const Settings& settings, TForm4& options, QWidget* mainWindow)
{
    PlayerSettings defaults;
    options.storeInto(defaults);
    const QPoint centred = mainWindow ? centredPlace(mainWindow) : QPoint();
    defaults.MainPos = {centred.x(), centred.y()};
    const PlayerSettings s = readPlayerSettings(settings, m_model.AppDir, defaults);

    options.setFolder(&PlayerFolders::SesDir, s.Folders.SesDir);
    options.setFolder(&PlayerFolders::ImportMLProDir, s.Folders.ImportMLProDir);
    options.setFolder(&PlayerFolders::ImportPsxDir, s.Folders.ImportPsxDir);
    options.setFolder(&PlayerFolders::SrcWavDir, s.Folders.SrcWavDir);
    options.setFolder(&PlayerFolders::WavDir, s.Folders.WavDir);
    options.setFolder(&PlayerFolders::ImpExpDir, s.Folders.ImpExpDir);

    if (mainWindow)
        placeWindow(mainWindow, s.MainPos, centred);

    GraphEdBounds = s.GraphEdBounds;
    GraphEdMaximized = s.GraphEdMaximized;
    ShowSegs = s.ShowSegs;
    ShowGrid = s.ShowGrid;
    ShowAll = s.ShowAll;
    AutoRefresh = s.AutoRefresh;
    PlayCtlPos = s.PlayCtlPos;
    ShowWinPos = s.ShowWinPos;
    ShowAtStart = s.ShowAtStart;

    options.CheckBox1->setChecked(s.RememberRecentFolders);
    // Not blocked: the engine's filter flag follows the box through its signal.
    options.CheckBox5->setChecked(s.OutputFilter);
    options.CheckBox8->setChecked(s.IgnoreSourceWavs);
    options.CheckBox9->setChecked(s.IgnoreUserWaves);
    options.CheckBox10->setChecked(s.IgnoreDepthsAndBacking);

    // The slider clamps a stored number to its range, and the handler reads
    // the slider: an out-of-range value never reaches the engine or the output.
    const auto restore = [&options](QSlider* slider, std::int32_t value, void (TForm4::*handler)()) {
        {
            const QSignalBlocker block(slider);
            slider->setValue(value);
        }
        (options.*handler)();
    };
    restore(options.TrackBar3, s.SoftStart, &TForm4::TrackBar3Change);
    restore(options.TrackBar5, s.SoftEnd, &TForm4::TrackBar5Change);
    restore(options.TrackBar1, s.BufferSize, &TForm4::TrackBar1Change);
    restore(options.TrackBar2, s.StartDelay, &TForm4::TrackBar2Change);
    restore(options.TrackBar4, s.ZeroLevel, &TForm4::TrackBar4Change);
    restore(options.TrackBar6, s.RecordingLevel, &TForm4::TrackBar6Change);
    restore(options.TrackBar7, s.PlayingLevel, &TForm4::TrackBar7Change);
    options.setRadioGroup1Index(s.Preset);
    options.RadioGroup1Click();
}
