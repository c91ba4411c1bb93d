// The converter's main window: the source choice, the transport over the
// signal path and the render into a wav file. The rules that turn the source
// into sound are the path's (SignalPath) and the render's (renderToWav); this
// file holds the controls, the dialogs and the run state around them.

#include "converter/Unit9.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <optional>
#include <utility>

#include "components/AudioIO.h"
#include "converter/Render.h"
#include "converter/SeekBar.h"
#include "converter/SignalPath.h"
#include "converter/Unit12.h"
#include "dialogs/DialogKit.h"
#include "dialogs/Glyphs.h"
#include "dialogs/ProgressScope.h"
#include "dialogs/Unit5.h"
#include "engine/WavExport.h"
#include "engine/WavFile.h"
#include "platform/Arith.h"
#include "platform/IoError.h"
#include "platform/Numbers.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/PcmSamples.h"
#include "platform/Prompts.h"

TForm9* Form9 = nullptr;

namespace {

const QString kStart = QStringLiteral("Start");
const QString kStop = QStringLiteral("Stop");
const QString kPaused = QStringLiteral("Paused");

const char kNoSourceText[] = "No source wav file selected !";

constexpr int kClientWidth = 620;
constexpr int kClientHeight = 520;
constexpr int kTimerMs = 250;
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

    // The signal path's sliders take the space between the source and the transport.
    const int y = kClientHeight - 96;
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

    GenerateEncodedWavFile1 = new QAction(QStringLiteral("&Generate AudioStrobe Encoded Wav File..."), this);
    GenerateEncodedWavFile1->setObjectName(QStringLiteral("GenerateEncodedWavFile1"));

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

    RedrawPosition();
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
    options.confirmOverwrite = true;
    const std::optional<QString> chosen = prompts().saveFile(options);
    if (!chosen)
        return;
    if (Form12 && Form12->rememberRecentFolders())
        Form12->setFolder(&ConverterFolders::DestWavDir, folderOf(*chosen));
    const std::string target = pathBytes(*chosen);
    // Replacing the file being read would leave an empty render and no source.
    if (sameFile(target, SourcePath)) {
        prompts().error(QString::fromLatin1(kRenderTargetIsSourceText));
        return;
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
