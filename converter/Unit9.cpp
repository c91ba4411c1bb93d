// The converter's main window: the source choice, the transport over the
// signal path and the render into a wav file. The rules that turn the source
// into sound are the path's (SignalPath) and the render's (renderToWav); this
// file holds the controls, the dialogs and the run state around them.

#include "converter/Unit9.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QSlider>
#include <QTimer>
#include <iterator>
#include <optional>
#include <utility>

#include "components/AudioIO.h"
#include "converter/Render.h"
#include "converter/SeekBar.h"
#include "converter/SignalPath.h"
#include "converter/Unit12.h"
#include "dialogs/DialogKit.h"
#include "dialogs/Glyphs.h"
#include "dialogs/Menus.h"
#include "dialogs/ProgressScope.h"
#include "dialogs/Unit13.h"
#include "dialogs/Unit5.h"
#include "dialogs/Version.h"
#include "engine/WavExport.h"
#include "engine/WavFile.h"
#include "platform/Arith.h"
#include "platform/Help.h"
#include "platform/IoError.h"
#include "platform/LaunchInfo.h"
#include "platform/Numbers.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/PcmSamples.h"
#include "platform/Prompts.h"
#include "platform/ScreenSaverInhibitor.h"
#include "platform/Settings.h"

TForm9* Form9 = nullptr;

namespace {

const QString kStart = QStringLiteral("Start");
const QString kStop = QStringLiteral("Stop");
const QString kPaused = QStringLiteral("Paused");

const char kNoSourceText[] = "No source wav file selected !";

constexpr int kClientWidth = 620;
constexpr int kClientHeight = 458;
constexpr int kTimerMs = 250;
constexpr int kHelpContext = 31;
/// Bytes of one second of source: the bar counts whole seconds.
constexpr std::int64_t kBytesPerSecond = std::int64_t{kFrameRate} * kWavFrameBytes;

QString errorText(const std::exception& e)
{
    return QFile::decodeName(e.what()); // paths in the texts are file-system bytes
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y, int w)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(x, y, w, 18);
    return l;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& text, int x, int y)
{
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(QLatin1String(name));
    c->setGeometry(x, y, 200, 20);
    return c;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QRect& r)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(r);
    return b;
}

FileDialogOptions wavDialog(const std::string& folder)
{
    FileDialogOptions options;
    options.folder = pathText(folder);
    options.filters = {QString::fromLatin1(kWavFileFilter)};
    options.defaultSuffix = QStringLiteral("wav");
    return options;
}

} // namespace

TForm9::TForm9(QWidget* parent)
    : QMainWindow(parent)
    , m_path(std::make_unique<SignalPath>())
{
    setObjectName(QStringLiteral("Form9"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    AudioOut1 = new TAudioOut(this);
    AudioOut1->setObjectName(QStringLiteral("AudioOut1"));
    AudioOut1->SetFrameRate(kFrameRate);
    AudioOut1->SetStereo(true);
    AudioOut1->SetQuantization(16);
    AudioOut1->OnFillBuffer = [this](std::uint8_t* buffer, std::int32_t& size) {
        return AudioOut1FillBuffer(buffer, size);
    };
    AudioOut1->OnStop = [this](QObject*) { AudioOut1Stop(); };
    m_path->OnRunEnd = [this] { runEnded(); };

    buildControls();
}

TForm9::~TForm9()
{
    AudioOut1->OnStop = nullptr;
    m_path->OnRunEnd = nullptr;
    m_path->Playing = false;
    AudioOut1->StopAtOnce();
}

void TForm9::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(kClientWidth, kClientHeight);
    setPixelFont(client, 12);
    setCentralWidget(client);

    label(client, "Label1", QStringLiteral("Source Wav File"), 8, 8, 300);
    Edit1 = new QLineEdit(client);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->setGeometry(8, 24, kClientWidth - 52, 22);
    Button1 = button(client, "Button1", QStringLiteral("..."), {kClientWidth - 40, 24, 32, 22});
    buildSliders(client);

    const int y = kClientHeight - 84;
    ProgressBar1 = new SeekBar(client);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(8, y, kClientWidth - 16, 18);
    ProgressBar1->setEnabled(false);
    Label5 = label(client, "Label5", QString(), 8, y + 22, 200);
    Label12 = label(client, "Label12", QStringLiteral("Max Level of Output Signal: 0.0 %"), 8, y + 42, 300);
    Label11 = label(client, "Label11", QString(), 8, y + 62, 200);
    Label11->hide();
    Label17 = label(client, "Label17", QString(), 212, y + 62, 200);
    Label17->hide();

    const int bx = kClientWidth - 8 - 36 - 4 - 64 - 4 - 36;
    BitBtn3 = button(client, "BitBtn3", QString(), {bx, y + 26, 36, 36});
    setGlyph(BitBtn3, pauseGlyph(), QStringLiteral("Pause"));
    Button3 = button(client, "Button3", kStart, {bx + 40, y + 26, 64, 36});
    Button3->setDefault(true);
    BitBtn1 = button(client, "BitBtn1", QString(), {bx + 108, y + 26, 36, 36});
    setGlyph(BitBtn1, recordGlyph(), QStringLiteral("Generate AudioStrobe Encoded Wav File"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimerMs);

    buildMenus();
    yieldKeysToMenus(Edit1);

    connect(Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
    connect(Button3, &QPushButton::clicked, this, &TForm9::Button3Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm9::BitBtn3Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm9::BitBtn1Click);
    connect(Timer1, &QTimer::timeout, this, &TForm9::Timer1Timer);
    connect(GenerateEncodedWavFile1, &QAction::triggered, this, &TForm9::GenerateEncodedWavFile1Click);
    ProgressBar1->OnMouseDown = [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x) {
        ProgressBar1MouseDown(buttons, modifiers, x);
    };
    ProgressBar1->OnMouseMove = [this](int x) { ProgressBar1MouseMove(x); };
    ProgressBar1->OnMouseUp = [this](int x) { ProgressBar1MouseUp(x); };

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] { showHelp(kHelpContext); });

    RedrawPosition();
    RedrawLabels();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm9::buildSliders(QWidget* client)
{
    const SignalPath::Controls& c = m_path->controls();
    struct Row {
        QSlider** slider;
        const char* name;
        QLabel** label;
        const char* labelName;
        int min, max, pos;
        void (TForm9::*handler)();
    };
    // Left and right channel side by side, the check boxes, then what both
    // channels share.
    const Row rows[] = {
        {&TrackBar4, "TrackBar4", &Label6, "Label6", 80, 1000, c.Ch[0].CenterPos, &TForm9::TrackBar4Change},
        {&TrackBar9, "TrackBar9", &Label14, "Label14", 80, 1000, c.Ch[1].CenterPos, &TForm9::TrackBar9Change},
        {&TrackBar8, "TrackBar8", &Label13, "Label13", 1, 400, c.Ch[0].BandPos, &TForm9::TrackBar8Change},
        {&TrackBar10, "TrackBar10", &Label15, "Label15", 1, 400, c.Ch[1].BandPos, &TForm9::TrackBar10Change},
        {&TrackBar7, "TrackBar7", &Label2, "Label2", 0, 1000, c.Ch[0].LevelPos, &TForm9::TrackBar7Change},
        {&TrackBar12, "TrackBar12", &Label9, "Label9", 0, 1000, c.Ch[1].LevelPos, &TForm9::TrackBar12Change},
        {&TrackBar6, "TrackBar6", &Label8, "Label8", 0, 100, c.Ch[0].TriggerPos, &TForm9::TrackBar6Change},
        {&TrackBar11, "TrackBar11", &Label16, "Label16", 0, 100, c.Ch[1].TriggerPos, &TForm9::TrackBar11Change},
        {&TrackBar1, "TrackBar1", &Label3, "Label3", 0, 300, c.GainPos, &TForm9::TrackBar1Change},
        {&TrackBar13, "TrackBar13", &Label10, "Label10", 1, 20, c.IntervalPos, &TForm9::TrackBar13Change},
        {&TrackBar2, "TrackBar2", &Label4, "Label4", 0, 495, c.OnDurationPos, &TForm9::TrackBar2Change},
        {&TrackBar5, "TrackBar5", &Label7, "Label7", 0, 1000, c.RetrigDelayPos, &TForm9::TrackBar5Change},
    };
    constexpr int kTop = 58, kRowHeight = 46, kSwitchRow = 4;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& r = rows[i];
        const int row = static_cast<int>(i / 2);
        const int x = i % 2 ? kClientWidth / 2 + 6 : 8;
        const int y = kTop + row * kRowHeight + (row >= kSwitchRow ? 30 : 0);
        *r.label = label(client, r.labelName, QString(), x, y, 296);
        *r.slider = tickedSlider(client, r.name, r.min, r.max, r.pos, {x, y + 18, 296, 24});
        connect(*r.slider, &QSlider::valueChanged, this, r.handler);
    }
    const int y = kTop + kSwitchRow * kRowHeight;
    CheckBox2 = checkBox(client, "CheckBox2", QStringLiteral("L&&R Controls Lock"), 8, y);
    CheckBox4 = checkBox(client, "CheckBox4", QStringLiteral("Mix L&&R Channels"), 216, y);
    CheckBox3 = checkBox(client, "CheckBox3", QStringLiteral("Hear Filtered Signal"), 424, y);
    connect(CheckBox3, &QCheckBox::toggled, this, &TForm9::CheckBox3Click);
    connect(CheckBox4, &QCheckBox::toggled, this, &TForm9::CheckBox4Click);
}

void TForm9::buildMenus()
{
    QMenuBar* bar = menuBar();
    Preset1 = namedMenu(bar, "Preset1", QStringLiteral("&Preset"));
    Open1 = menuItem(Preset1, "Open1", QStringLiteral("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O));
    SaveAs1 = menuItem(Preset1, "SaveAs1", QStringLiteral("&Save As..."), QKeySequence(Qt::CTRL | Qt::Key_S));
    Preset1->addSeparator();
    GenerateEncodedWavFile1 =
        menuItem(Preset1, "GenerateEncodedWavFile1", QStringLiteral("&Generate AudioStrobe Encoded Wav File..."));
    Preset1->addSeparator();
    Exit1 = menuItem(Preset1, "Exit1", QStringLiteral("&Exit"));

    Options1 = namedMenu(bar, "Options1", QStringLiteral("&Options"));
    SetOptions1 = menuItem(Options1, "SetOptions1", QStringLiteral("&Set Options..."));

    Help1 = namedMenu(bar, "Help1", QStringLiteral("&Help"));
    Contents1 = menuItem(Help1, "Contents1", QStringLiteral("&Contents"));
    Help1->addSeparator();
    Homepage1 = menuItem(Help1, "Homepage1", QStringLiteral("&Visit Lumisonorium SW Homepage..."));
    About1 = menuItem(Help1, "About1", QStringLiteral("&About..."));

    connect(Open1, &QAction::triggered, this, &TForm9::Open1Click);
    connect(SaveAs1, &QAction::triggered, this, &TForm9::SaveAs1Click);
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    connect(SetOptions1, &QAction::triggered, this, [] { showWindow(Form12); });
    connect(Contents1, &QAction::triggered, this, [] { showHelp(kHelpContext); });
    connect(Homepage1, &QAction::triggered, this, &visitHomePage);
    connect(About1, &QAction::triggered, this, [] {
        if (Form13)
            Form13->exec();
    });
}

// ---- Start-up and exit -------------------------------------------------------------

bool TForm9::FormCreate(const LaunchInfo& launch)
{
    AppDir = launch.programFolder();
    m_screenSaver = std::make_unique<ScreenSaverInhibitor>(QStringLiteral("AS Glimmerbox"),
                                                           QStringLiteral("Playing music with its light track"));
    setWindowTitle(QString::fromLatin1(kConverterTitle));
    setHelpFile(pathText(AppDir + "/Lumisono.hlp"));
    try {
        LoadSampleBuffers();
    } catch (const IoError& e) {
        // A made-up table would put a wrong carrier into every file rendered.
        prompts().error(errorText(e));
        return false;
    }
    m_path->ReCompGain();
    m_path->RedrawLightOffSpeed();
    RedrawLabels();
    return true;
}

void TForm9::LoadSampleBuffers()
{
    // The current folder first, then the program folder, where the build puts
    // the table: a program started from elsewhere still finds its own.
    try {
        m_path->LoadSineTable(pathBytes(QDir::currentPath()));
    } catch (const IoError&) {
        m_path->LoadSineTable(AppDir);
    }
}

void TForm9::InitVars()
{
    m_path->InitVars();
}

void TForm9::RedrawLabels()
{
    m_path->RedrawLabels();
    const SignalPath::Controls& c = m_path->controls();
    const std::pair<QLabel*, const std::string*> shown[] = {
        {Label3, &c.GainLabel},          {Label4, &c.OnDurationLabel},   {Label7, &c.RetrigDelayLabel},
        {Label10, &c.IntervalLabel},     {Label6, &c.Ch[0].CenterLabel}, {Label13, &c.Ch[0].BandLabel},
        {Label14, &c.Ch[1].CenterLabel}, {Label15, &c.Ch[1].BandLabel},  {Label2, &c.Ch[0].LevelLabel},
        {Label9, &c.Ch[1].LevelLabel},   {Label8, &c.Ch[0].TriggerLabel}, {Label16, &c.Ch[1].TriggerLabel},
    };
    for (const auto& [label, text] : shown)
        label->setText(QString::fromStdString(*text));
}

void TForm9::SaveConfig()
{
    Settings settings;
    SaveConfig(settings);
}

void TForm9::SaveConfig(Settings& settings)
{
    settings.writeFolder(QStringLiteral("AppDir"), AppDir);
    if (Form12)
        Form12->storeInto(settings);
    // A failed write goes unreported, as in the player: nothing else could be done.
    settings.sync();
}

void TForm9::FormClose()
{
    // Playing, paused or playing out: the device and the source are shut
    // before the settings are written and the windows go.
    stopPlayback();
    AudioOut1->StopAtOnce();
    SaveConfig();
    if (m_screenSaver)
        m_screenSaver->release();
}

void TForm9::closeEvent(QCloseEvent* e)
{
    // The render lets events through while its progress dialog is up; ending
    // the program then would pull everything from under it.
    if (m_mode == RunMode::Rendering || (Form5 && Form5->isVisible())) {
        e->ignore();
        return;
    }
    FormClose();
    e->accept();
    QCoreApplication::quit();
}

void TForm9::showEvent(QShowEvent* e)
{
    if (!m_placed && !e->spontaneous()) {
        centreOnScreen(this);
        m_placed = true;
    }
    QMainWindow::showEvent(e);
}

// ---- Signal path controls ---------------------------------------------------------

void TForm9::setSliderPosition(QSlider* slider, int pos)
{
    // valueChanged comes only with a new position.
    slider->setValue(pos);
}

void TForm9::TrackBar1Change()
{
    m_path->SetInputGain(TrackBar1->value());
    RedrawLabels();
}

void TForm9::TrackBar2Change()
{
    m_path->SetOnDuration(TrackBar2->value());
    RedrawLabels();
}

void TForm9::TrackBar5Change()
{
    m_path->SetRetrigDelay(TrackBar5->value());
    RedrawLabels();
}

void TForm9::TrackBar13Change()
{
    m_path->SetDRInterval(TrackBar13->value());
    RedrawLabels();
}

void TForm9::channelChange(QSlider* own, QSlider* partner,
                           void (SignalPath::*set)(SignalPath::Side, std::int32_t), SignalPath::Side side)
{
    const int pos = own->value();
    if (CheckBox2->isChecked()) {
        setSilently(partner, pos);
        (m_path.get()->*set)(side == SignalPath::kLeft ? SignalPath::kRight : SignalPath::kLeft, pos);
    }
    (m_path.get()->*set)(side, pos);
    RedrawLabels();
}

void TForm9::TrackBar4Change()
{
    channelChange(TrackBar4, TrackBar9, &SignalPath::SetCenterFreq, SignalPath::kLeft);
}

void TForm9::TrackBar9Change()
{
    channelChange(TrackBar9, TrackBar4, &SignalPath::SetCenterFreq, SignalPath::kRight);
}

void TForm9::TrackBar8Change()
{
    channelChange(TrackBar8, TrackBar10, &SignalPath::SetBandWidth, SignalPath::kLeft);
}

void TForm9::TrackBar10Change()
{
    channelChange(TrackBar10, TrackBar8, &SignalPath::SetBandWidth, SignalPath::kRight);
}

void TForm9::TrackBar7Change()
{
    channelChange(TrackBar7, TrackBar12, &SignalPath::SetFilteredLevel, SignalPath::kLeft);
}

void TForm9::TrackBar12Change()
{
    channelChange(TrackBar12, TrackBar7, &SignalPath::SetFilteredLevel, SignalPath::kRight);
}

void TForm9::TrackBar6Change()
{
    channelChange(TrackBar6, TrackBar11, &SignalPath::SetTriggerLevel, SignalPath::kLeft);
}

void TForm9::TrackBar11Change()
{
    channelChange(TrackBar11, TrackBar6, &SignalPath::SetTriggerLevel, SignalPath::kRight);
}


void TForm9::CheckBox3Click()
{
    m_path->SetHearFiltered(CheckBox3->isChecked());
}

void TForm9::CheckBox4Click()
{
    m_path->SetMix(CheckBox4->isChecked());
}

// ---- Source -------------------------------------------------------------------------

void TForm9::Button1Click()
{
    if (m_mode == RunMode::Rendering)
        return;
    stopPlayback();
    FileDialogOptions options = wavDialog(m_folders.SourceWavDir);
    options.mustExist = true;
    const std::optional<QString> chosen = prompts().openFile(options);
    if (!chosen) {
        clearSource();
        return;
    }
    if (Form12 && Form12->rememberRecentFolders())
        Form12->setFolder(&ConverterFolders::SourceWavDir, folderOf(*chosen));
    acceptSource(pathBytes(*chosen), isChooserWavFormat, kChooserWavFormatText);
}

bool TForm9::acceptSource(const std::string& path, bool (*formatTest)(const WavInfo&), const char* refusalText)
{
    WavSource probe;
    try {
        if (!probe.open(path, formatTest)) {
            prompts().error(QString::fromLatin1(refusalText));
            return false;
        }
    } catch (const IoError& e) {
        prompts().error(errorText(e));
        return false;
    }
    SourcePath = path;
    Edit1->setText(pathText(namePart(path)));
    ProgressBar1->setMax(probe.info().dataBytes / kBytesPerSecond);
    ProgressBar1->setPosition(0);
    ProgressBar1->setEnabled(true);
    RedrawPosition();
    return true;
}

void TForm9::clearSource()
{
    SourcePath.clear();
    Edit1->clear();
    ProgressBar1->setMax(0);
    ProgressBar1->setPosition(0);
    ProgressBar1->setEnabled(false);
    RedrawPosition();
}

bool TForm9::openRunSource(WavSource& source)
{
    // The file may have changed since it was chosen: every source accepted so
    // far passed this test.
    try {
        if (source.open(SourcePath, isSessionWavFormat))
            return true;
        prompts().error(QString::fromLatin1(kChooserWavFormatText));
    } catch (const IoError& e) {
        prompts().error(errorText(e));
    }
    return false;
}

// ---- Transport ----------------------------------------------------------------------

void TForm9::Button3Click()
{
    if (m_mode == RunMode::Rendering)
        return;
    const QString caption = Button3->text();
    if (caption == kPaused) {
        Button3->setText(SavedCaption);
        Paused = false;
        AudioOut1->SetPaused(false);
    } else if (caption == kStart) {
        startPlayback();
    } else {
        stopPlayback();
    }
}

void TForm9::startPlayback()
{
    if (SourcePath.empty()) {
        prompts().error(QString::fromLatin1(kNoSourceText));
        return;
    }
    if (!openRunSource(m_source))
        return;
    const std::int64_t position = ProgressBar1->Position();
    const WavSource::Frames from = position * kFrameRate;
    if (m_source.TotalFrames() - from <= 0) {
        // An empty source, or the bar at its very end: nothing to play.
        m_source.close();
        return;
    }
    // A device still playing out the last run would refuse the open.
    AudioOut1->StopAtOnce();
    Paused = false;
    SavedCaption.clear();
    AudioOut1->SetPaused(false);

    if (Form12)
        Form12->TrackBar1->setEnabled(false);
    Button3->setText(kStop);
    BitBtn1->setEnabled(false);
    SignalPath& path = *m_path;
    path.SetSource(&m_source);
    path.ResetRun(path.controls().PlayingASLevelPos);
    setPeakColour(false);
    StartPosition = position;
    m_source.seekFrame(from);
    path.TotalFrames = m_source.TotalFrames();
    path.FramesLeft = path.TotalFrames - from;
    m_mode = RunMode::Playing;
    Timer1->start();
    path.Playing = true;
    if (AudioOut1->Start(AudioOut1))
        return;
    // A source that could not be read ended the run inside the priming and
    // has its own box queued; anything else is the device's failure.
    const QString reason = path.ReadFailed ? QString() : QString::fromStdString(AudioOut1->ErrorText());
    stopPlayback();
    if (!reason.isEmpty())
        prompts().error(reason);
}

void TForm9::stopPlayback()
{
    if (m_mode != RunMode::Playing)
        return;
    m_path->Playing = false;
    AudioOut1->StopAtOnce();
    restoreAfterRun();
}

void TForm9::restoreAfterRun()
{
    Timer1->stop();
    Button3->setText(kStart);
    BitBtn1->setEnabled(true);
    m_path->SetSource(nullptr);
    m_source.close();
    if (Form12)
        Form12->TrackBar1->setEnabled(true);
    ProgressBar1->setPosition(StartPosition);
    ProgressBar1->setEnabled(!SourcePath.empty());
    RedrawPosition();
    // A pause must not outlive its run: the next Start would play flagged
    // paused and Pause would need two presses.
    Paused = false;
    SavedCaption.clear();
    AudioOut1->SetPaused(false);
    m_mode = RunMode::Idle;
}

void TForm9::runEnded()
{
    // Runs inside the device's notification: no box may open here.
    if (m_path->ReadFailed) {
        m_readError = m_source.error().empty()
                          ? errorText(IoError(SourcePath, "read"))
                          : QFile::decodeName(QByteArray::fromStdString(m_source.error()));
        QMetaObject::invokeMethod(this, [this] { reportReadError(); }, Qt::QueuedConnection);
    }
    restoreAfterRun();
}

void TForm9::reportReadError()
{
    const QString text = std::exchange(m_readError, QString());
    if (!text.isEmpty())
        prompts().error(text);
}

void TForm9::AudioOut1Stop()
{
    // A close that nobody asked for: the device failed while a run played.
    // Stops, natural ends and failed starts arrive idle or with the device
    // open again.
    if (m_mode != RunMode::Playing || AudioOut1->DeviceOpen())
        return;
    const QString reason = QString::fromStdString(AudioOut1->ErrorText());
    stopPlayback();
    if (!reason.isEmpty())
        prompts().error(reason);
}

void TForm9::BitBtn3Click()
{
    const QString caption = Button3->text();
    if (!Button3->isEnabled() || caption == kStart || m_mode != RunMode::Playing)
        return;
    if (Paused) {
        AudioOut1->SetPaused(false);
        Paused = false;
        Button3->setText(SavedCaption);
    } else {
        AudioOut1->SetPaused(true);
        Paused = true;
        SavedCaption = caption;
        Button3->setText(kPaused);
    }
}

bool TForm9::AudioOut1FillBuffer(std::uint8_t* Buffer, std::int32_t& Size)
{
    return m_path->AudioOut1FillBuffer(Buffer, Size);
}

void TForm9::setPeakColour(bool over)
{
    QPalette palette = Label12->palette();
    palette.setColor(QPalette::WindowText, over ? Qt::red : Qt::black);
    Label12->setPalette(palette);
}

void TForm9::Timer1Timer()
{
    SignalPath& path = *m_path;
    const double percent = path.OutputPeak / 327.68;
    setPeakColour(percent > 100);
    Label12->setText(QStringLiteral("Max Level of Output Signal: %1 %").arg(QString::fromStdString(formatFixed(percent, 1)), 3));
    path.OutputPeak = 0;
    Label11->setText(QStringLiteral("Dynamic Maximum L: %1").arg(roundEven(path.L.DynMax)));
    Label17->setText(QStringLiteral("Dynamic Maximum R: %1").arg(roundEven(path.R.DynMax)));
    if (!Seeking) {
        ProgressBar1->setPosition(ProgressBar1->Max() - path.FramesLeft / kFrameRate);
        RedrawPosition();
    }
}

void TForm9::RedrawPosition()
{
    Label5->setText(QString::fromStdString("Position: " + formatMinutesSeconds(ProgressBar1->Position())));
}

// ---- Seeking -----------------------------------------------------------------------

void TForm9::ProgressBar1MouseDown(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x)
{
    if (buttons != Qt::LeftButton || modifiers != Qt::NoModifier)
        return;
    ProgressBar1->setPosition(ProgressBar1->positionAt(x));
    Seeking = true;
    RedrawPosition();
}

void TForm9::ProgressBar1MouseMove(int x)
{
    if (!Seeking)
        return;
    ProgressBar1->setPosition(ProgressBar1->positionAt(x));
    RedrawPosition();
}

void TForm9::ProgressBar1MouseUp(int x)
{
    if (!Seeking)
        return;
    ProgressBar1->setPosition(ProgressBar1->positionAt(x));
    // Paused too: the stream resumes where the bar was left, with the
    // filter and light state carried on.
    if (m_mode == RunMode::Playing) {
        const WavSource::Frames frame = ProgressBar1->Position() * kFrameRate;
        m_source.seekFrame(frame);
        m_path->Reposition(m_source.TotalFrames() - m_source.position());
    }
    Seeking = false;
    RedrawPosition();
}

// ---- Render ------------------------------------------------------------------------

void TForm9::BitBtn1Click()
{
    RecSesToWavProc();
}

void TForm9::GenerateEncodedWavFile1Click()
{
    RecSesToWavProc();
}

void TForm9::RecSesToWavProc()
{
    // The check also keeps a render from starting inside another one's event loop.
    if (m_mode == RunMode::Rendering || !Form5)
        return;
    stopPlayback();
    if (SourcePath.empty()) {
        prompts().error(QString::fromLatin1(kNoSourceText));
        return;
    }
    // Before the destination exists, so that a source that went missing or
    // changed leaves nothing behind.
    WavSource source;
    if (!openRunSource(source))
        return;

    FileDialogOptions options = wavDialog(m_folders.DestWavDir);
    // The dialog's own question comes after the refusal of the source as
    // destination; as with the dialog's, No goes back to the dialog.
    options.confirmOverwrite = false;
    std::string target;
    for (;;) {
        const std::optional<QString> chosen = prompts().saveFile(options);
        if (!chosen)
            return;
        if (Form12 && Form12->rememberRecentFolders())
            Form12->setFolder(&ConverterFolders::DestWavDir, folderOf(*chosen));
        target = pathBytes(*chosen);
        // Replacing the file being read would leave an empty render and no source.
        if (sameFile(target, SourcePath)) {
            prompts().error(QString::fromLatin1(kRenderTargetIsSourceText));
            return;
        }
        if (!QFileInfo::exists(*chosen) || prompts().confirmReplace(QFileInfo(*chosen).fileName()))
            break;
        options.fileName = *chosen;
    }

    WavWriter writer;
    try {
        writer.open(target);
    } catch (const WavWriteError&) {
        prompts().error(QString::fromLatin1(kWavWriteErrorText));
        return;
    }

    RenderResult result;
    {
        ProgressScope progress(*Form5, QStringLiteral("Recording to wav file..."), {this, Form12});
        m_mode = RunMode::Rendering;
        Button3->setText(kStop);
        const int level = Form12 ? Form12->recordingASLevel() : kAudioStrobePresetLevel;
        result = renderToWav(*m_path, source, writer, AudioOut1->BufferSize(), level,
                             [&progress](std::int64_t done, std::int64_t total) {
                                 progress.setProgress(done, total);
                                 QCoreApplication::processEvents();
                                 return !progress.cancelled();
                             });
        Button3->setText(kStart);
        m_mode = RunMode::Idle;
    }
    const std::string readError = source.error();
    source.close();

    // Shown once the windows are usable again.
    switch (result.status) {
    case RenderStatus::Done:
        if (result.outputPeak > 32767)
            prompts().warning(QString::fromLatin1(kRenderOverflowText));
        break;
    case RenderStatus::WriteFailed:
        prompts().error(QString::fromLatin1(kWavWriteErrorText));
        break;
    case RenderStatus::ReadFailed:
        prompts().error(readError.empty() ? errorText(IoError(SourcePath, "read"))
                                          : QFile::decodeName(QByteArray::fromStdString(readError)));
        break;
    case RenderStatus::Cancelled:
        break;
    }
}
