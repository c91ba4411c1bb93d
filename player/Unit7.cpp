#include "player/Unit7.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "components/AudioIO.h"
#include "engine/WavFile.h"
#include "platform/IoError.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "player/EditorGrid.h"
#include "dialogs/Glyphs.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "player/Unit4.h"
#include "player/WindowPlace.h"

TForm7* Form7 = nullptr;

namespace {

QLabel* value(QWidget* parent, const char* name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setAutoFillBackground(true);
    QPalette white = l->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(white);
    // Room for the longest time the engine shows ("31984:00").
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("00000:00")) + 8);
    l->setContentsMargins(3, 1, 3, 1);
    return l;
}

} // namespace

TForm7::TForm7(PlayerModel& model)
    : m_model(model)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Session Playback Control"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    buildControls();
}

void TForm7::buildControls()
{
    auto* outer = new QVBoxLayout(this);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* choice = new QHBoxLayout(Panel1);
    choice->setContentsMargins(6, 4, 6, 4);
    choice->addWidget(new QLabel(QStringLiteral(" Start from segment No."), Panel1));
    Edit1 = new QLineEdit(QStringLiteral("1"), Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFixedWidth(Edit1->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    Edit1->installEventFilter(this);
    choice->addWidget(Edit1);
    choice->addStretch();
    outer->addWidget(Panel1);

    auto* buttons = new QHBoxLayout;
    BitBtn4 = dialogGlyphButton(this, "BitBtn4", firstGlyph(), QStringLiteral("First segment"));
    BitBtn6 = dialogGlyphButton(this, "BitBtn6", previousGlyph(), QStringLiteral("Previous segment"));
    BitBtn5 = dialogGlyphButton(this, "BitBtn5", nextGlyph(), QStringLiteral("Next segment"));
    BitBtn1 = dialogGlyphButton(this, "BitBtn1", playGlyph(), QStringLiteral("Play"));
    BitBtn3 = dialogGlyphButton(this, "BitBtn3", pauseGlyph(), QStringLiteral("Pause"));
    BitBtn2 = dialogGlyphButton(this, "BitBtn2", stopGlyph(), QStringLiteral("Stop"));
    for (QPushButton* b : {BitBtn4, BitBtn6, BitBtn5})
        buttons->addWidget(b);
    buttons->addStretch();
    for (QPushButton* b : {BitBtn1, BitBtn3, BitBtn2})
        buttons->addWidget(b);
    outer->addLayout(buttons);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* shown = new QGridLayout(Panel2);
    shown->setContentsMargins(6, 6, 6, 6);
    shown->setVerticalSpacing(4);
    const QString captions[] = {QStringLiteral("Current segment playing:"), QStringLiteral("Session time:"),
                                QStringLiteral("Current segment time:")};
    QLabel** values[] = {&Label4, &Label5, &Label6};
    const char* names[] = {"Label4", "Label5", "Label6"};
    for (int i = 0; i < 3; ++i) {
        shown->addWidget(new QLabel(captions[i], Panel2), i, 0);
        *values[i] = value(Panel2, names[i]);
        shown->addWidget(*values[i], i, 1);
    }
    outer->addWidget(Panel2);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    // Sized and laid out now, not at the first show: the place at start-up is
    // worked out from this size.
    outer->activate();
    choice->activate();
    shown->activate();

    connect(BitBtn1, &QPushButton::clicked, this, &TForm7::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm7::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm7::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm7::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TForm7::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TForm7::BitBtn6Click);
}

void TForm7::FormCreate()
{
    LoadConfig();
    SetStartSeg(1);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int top = screen ? screen->geometry().y() : 0;
    placeWindow(this, PlayCtlPos, {centredPlace(this).x(), top});
}

// ---- The start segment ----------------------------------------------------------

void TForm7::SetStartSeg(std::int32_t n)
{
    StartSeg = n;
    Edit1->setText(QString::number(n));
}

void TForm7::FormActivate()
{
    if (Form3)
        SetStartSeg(Form3->StringGrid1->currentSegment());
}

std::int32_t TForm7::segmentCount() const
{
    return std::clamp(m_model.Ses->SegCount, 1, kMaxSegments);
}

void TForm7::chooseSegment(std::int32_t n)
{
    SetStartSeg(n);
    // The path of a click on the grid: the editor mirrors the move and
    // posts the selection to the graphic editor.
    if (Form3)
        Form3->StringGrid1->setCurrentCell(n, Form3->StringGrid1->currentRow());
}

void TForm7::BitBtn4Click()
{
    chooseSegment(1);
}

void TForm7::BitBtn5Click()
{
    // Clamped first: a structural edit may have left StartSeg past the end.
    const std::int32_t now = std::clamp(StartSeg, 1, segmentCount());
    if (now < segmentCount())
        chooseSegment(now + 1);
}

void TForm7::BitBtn6Click()
{
    const std::int32_t now = std::clamp(StartSeg, 1, segmentCount());
    if (now > 1)
        chooseSegment(now - 1);
}

void TForm7::Edit1KeyDown(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    QString text = Edit1->text();
    if (text.isEmpty() || text == QLatin1String("\t")) {
        SetStartSeg(StartSeg);
        return;
    }
    if (text.endsWith(QLatin1Char('\t'))) {
        text.chop(1);
        Edit1->setText(text);
    }
    bool number = false;
    const int n = text.toInt(&number, 10);
    if (number)
        chooseSegment(std::clamp(n, 1, segmentCount()));
    else
        SetStartSeg(StartSeg);
    Edit1->selectAll();
}

// ---- Transport ----------------------------------------------------------------------

void TForm7::BitBtn1Click()
{
    transportCommand(&TForm7::play);
}

void TForm7::BitBtn2Click()
{
    transportCommand(&TForm7::stop);
}

void TForm7::BitBtn3Click()
{
    transportCommand(&TForm7::pause);
}

void TForm7::transportCommand(void (TForm7::*command)())
{
    // An export or an interchange operation disables the main window and
    // drives the engine itself: a reset or a stop from here would pull its
    // run and its readers from under it.
    if (!Form1 || !Form1->Button1->isEnabled() || !Form1->isEnabled() || m_model.Eng->Recording)
        return;
    try {
        (this->*command)();
    } catch (const IoError& e) {
        // Stopped first, so that nothing plays or stays locked behind the box.
        Form1->stopPlaybackAtOnce();
        prompts().error(QFile::decodeName(e.what())); // paths in the texts are file-system bytes
    }
}

void TForm7::play()
{
    TForm1& main = *Form1;
    Engine& eng = *m_model.Eng;
    TAudioOut& out = *main.AudioOut1;
    if (!main.CheckWavFilesAssigned())
        return;
    // A start still counting down its delay would later open the readers,
    // arm a soft start and start the output again under this run.
    main.Timer1->stop();
    SetStartSeg(std::clamp(StartSeg, 1, segmentCount()));
    // An output that no longer asks for buffers belongs to a run that has
    // ended and only plays out what it queued: it would close under this one.
    const bool outputEnded = out.DeviceOpen() && (eng.StopRequest || !out.Filling());

    // Whatever ran before (playing, ending, waiting for its delay) ends here,
    // its readers closed.
    eng.abortRun();
    eng.PrepareRun(RunKind::Play, StartSeg);
    main.Playing = true;
    Paused = false;
    SavedCaption.clear();
    out.SetPaused(false);
    main.Timer2->start();
    eng.DisplayTexts[dButtonCaption].clear();
    eng.DisplayTexts[dSegment] = std::to_string(StartSeg);
    main.Button1->setText(QStringLiteral("Stop"));

    // Both ways: a session that needs no wav must not open a reader on a stale name.
    eng.ToneWavOpen = m_model.Params->NeedToneWav;
    eng.BSWavOpen = m_model.Params->NeedBSWav;
    main.openFlaggedReaders();
    // Where the looping files stand at this point of the session.
    const std::int64_t from = m_model.Ses->SegEnd[StartSeg - 1];
    eng.ToneWavFile.seekFrame(from);
    eng.BSWavFile.seekFrame(from);
    // Before the output: a failure to start it unlocks on its way out.
    PlaybackLock::set(true);
    if (outputEnded)
        out.StopAtOnce();
    if (!out.DeviceOpen())
        main.startOutput();
}

void TForm7::stop()
{
    Paused = false;
    Form1->AudioOut1->SetPaused(false);
    Form1->stopPlaybackAtOnce();
}

void TForm7::pause()
{
    Form1->BitBtn3Click();
}

// ---- Window events ----------------------------------------------------------------------

void TForm7::changeEvent(QEvent* e)
{
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

bool TForm7::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == Edit1 && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Edit1KeyDown(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void TForm7::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

// ---- Settings -----------------------------------------------------------------------------

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
