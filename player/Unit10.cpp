#include "player/Unit10.h"

#include <QByteArray>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPoint>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <vector>

#include "components/AudioIO.h"
#include "dialogs/DialogKit.h"
#include "engine/UserWaves.h"
#include "platform/AtomicFile.h"
#include "platform/Help.h"
#include "platform/IoError.h"
#include "platform/Numbers.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "platform/Win1252Qt.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/UserWaveLists.h"

TForm10* Form10 = nullptr;

namespace fs = std::filesystem;

namespace {

constexpr int kHelpContext = 30;
constexpr int kBufferBytes = 16384;
constexpr int kSourceWidth = 200;
constexpr int kSourceHeight = 80;
constexpr int kResultWidth = 416;
constexpr int kResultHeight = 120;
constexpr int kStartPitch = 37;
constexpr int kAmplitudeBar = 1; // bars 1..4
constexpr int kPhaseBar = 5;     // bars 5..8
constexpr int kFreqBar = 9;      // bars 9..12
constexpr int kPitchBar = 13;

const QString kPreview = QStringLiteral("Preview");
const QString kStop = QStringLiteral("Stop");

const QString kInvalidPath = QStringLiteral("Invalid file path !\r\n\r\nPlease use \"User_Waves\" directory only !");
const QString kBuiltInName = QStringLiteral("Wave with specified file name already exists and cannot be "
                                            "ovewritten!\r\n\r\nPlease use different file name.");
const QString kInvalidName =
    QStringLiteral("Invalid file name !\r\n\r\nPlease use a name without dots or special characters.");

QString errorText(const IoError& e)
{
    return pathText(e.what()); // paths in it are file-system bytes
}

bool sameFolder(const std::string& a, const std::string& b)
{
    std::error_code ea;
    std::error_code eb;
    const fs::path x = fs::canonical(a, ea);
    const fs::path y = fs::canonical(b, eb);
    return !ea && !eb && x == y;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, int x, int y, int w)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(x, y, w, 16);
    return l;
}

QSlider* slider(QWidget* parent, const QString& name, int min, int max, int pos, int x, int y, int w)
{
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(name);
    s->setRange(min, max);
    s->setValue(pos);
    s->setPageStep(std::max(1, (max - min) / 10));
    s->setGeometry(x, y, w, 22);
    return s;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, int x, int y)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(x, y, 100, 28);
    b->setAutoDefault(false);
    return b;
}

} // namespace

// ---- Pictures ---------------------------------------------------------------

void drawWavePicture(QImage& image, const WaveTable& wave, int margin, QColor background, QColor line)
{
    image.fill(background);
    const int width = image.width();
    const int height = image.height();
    if (width < 1 || height < 1)
        return;
    const double xStep = static_cast<double>(kWaveLen) / width;
    const double yScale = static_cast<double>(height - margin) / 65536;
    const int middle = height / 2;
    std::vector<QPoint> points(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
        const long k = std::min<long>(std::lrint(x * xStep), kWaveLen);
        points[static_cast<std::size_t>(x)] = QPoint(x, middle - static_cast<int>(std::lrint(wave[k] * yScale)));
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(line, 1));
    p.drawPolyline(points.data(), width);
}

WavePicture::WavePicture(QWidget* parent, const QString& name, int width, int height, int margin, QColor background,
                         QColor line)
    : QWidget(parent)
    , m_image(width, height, QImage::Format_RGB32)
    , m_margin(margin)
    , m_background(background)
    , m_line(line)
{
    setObjectName(name);
    setFixedSize(width, height);
    m_image.fill(background);
}

void WavePicture::draw(const WaveTable& wave)
{
    drawWavePicture(m_image, wave, m_margin, m_background, m_line);
    update();
}

void WavePicture::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, m_image);
}

// ---- Window -----------------------------------------------------------------

TForm10::TForm10(PlayerModel& model)
    : m_model(model)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("Lumisonorium SW - User Wave Editor"));

    AudioOut1 = new TAudioOut(this);
    AudioOut1->setObjectName(QStringLiteral("AudioOut1"));
    AudioOut1->SetBufferSize(kBufferBytes);
    AudioOut1->SetFrameRate(kFrameRate);
    AudioOut1->SetStereo(true);
    AudioOut1->OnFillBuffer = [this](std::uint8_t* buffer, std::int32_t& size) {
        return AudioOut1FillBuffer(buffer, size);
    };

    buildControls();
}

TForm10::~TForm10()
{
    // The producer reads this window's result: the output stops while the
    // result is still there, and later notifications find no component.
    delete AudioOut1;
    AudioOut1 = nullptr;
}

void TForm10::buildControls()
{
    setPixelFont(this, 12);
    setFixedSize(904, 414);

    for (int n = 1; n <= kMixSources; ++n) {
        auto* panel = new QGroupBox(QStringLiteral("Source Wave %1").arg(n), this);
        panel->setObjectName(QStringLiteral("Panel%1").arg(n));
        panel->setGeometry(8 + (n - 1) * 224, 6, 216, 268);

        ComboBox[n] = new QComboBox(panel);
        ComboBox[n]->setObjectName(QStringLiteral("ComboBox%1").arg(n));
        ComboBox[n]->setEditable(false);
        ComboBox[n]->setGeometry(8, 22, 200, 24);
        ComboBox[n]->setMaxVisibleItems(16);

        Image[n] = new WavePicture(panel, QStringLiteral("Image%1").arg(n), kSourceWidth, kSourceHeight, 4,
                                   QColor(0, 0, 128), Qt::white);
        Image[n]->move(8, 52);

        struct Row {
            int bar, min, max, pos, y;
        };
        for (const Row& r : {Row{kAmplitudeBar + n - 1, 0, 100, 100, 138}, Row{kPhaseBar + n - 1, 0, 360, 0, 182},
                             Row{kFreqBar + n - 1, 1, 10, 1, 226}}) {
            Label[r.bar] = label(panel, QStringLiteral("Label%1").arg(r.bar), {}, 8, r.y, 200);
            TrackBar[r.bar] =
                slider(panel, QStringLiteral("TrackBar%1").arg(r.bar), r.min, r.max, r.pos, 8, r.y + 16, 200);
        }
    }

    Image[5] = new WavePicture(this, QStringLiteral("Image5"), kResultWidth, kResultHeight, 7, QColor(0, 128, 128), Qt::yellow);
    Image[5]->move(8, 284);
    Label17 = label(this, QStringLiteral("Label17"), QStringLiteral("Preview Pitch: C3"), 448, 284, 300);
    TrackBar[kPitchBar] = slider(this, QStringLiteral("TrackBar13"), 1, 85, kStartPitch, 448, 302, 440);
    Button1 = button(this, "Button1", kPreview, 448, 374);
    Button2 = button(this, "Button2", QStringLiteral("Save As"), 568, 374);
    Button3 = button(this, "Button3", QStringLiteral("Close"), 788, 374);

    // activated comes from the user only: lists set from code run nothing.
    for (int n = 1; n <= kMixSources; ++n)
        connect(ComboBox[n], &QComboBox::activated, this, [this, n] { ComboBoxChange(n); });
    // Connected after the start positions are set, so building runs nothing.
    for (int bar = 1; bar <= kPitchBar; ++bar)
        connect(TrackBar[bar], &QSlider::valueChanged, this, [this, bar] { TrackBarChange(bar); });
    connect(Button1, &QPushButton::clicked, this, &TForm10::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm10::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm10::Button3Click);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] { showHelp(kHelpContext); });
}

void TForm10::FormCreate()
{
    SearchPcmDir(m_model.UserWavesDir);
    for (int bar = 1; bar <= kPitchBar; ++bar)
        readTrackBar(bar);
    for (int n = 1; n <= kMixSources; ++n)
        RedrawSrcImage(n);
    RecompDestWave();
}

// ---- Lists and sources -------------------------------------------------------

void TForm10::SearchPcmDir(const std::string& folder)
{
    const std::vector<std::string> names = editorWaveList(m_model.Tables, ListUserWaves(folder));
    for (int n = 1; n <= kMixSources; ++n) {
        const QSignalBlocker block(ComboBox[n]);
        ComboBox[n]->clear();
        // The built-in names come from the data file's Windows-1252 text;
        // the user waves after them are file names, as the main lists show them.
        for (std::size_t i = 0; i < names.size(); ++i) {
            const QString text = static_cast<int>(i) < kBuiltInWaves ? fromWin1252(names[i]) : pathText(names[i]);
            addListItem(n, text, names[i]);
        }
        ComboBox[n]->setCurrentIndex(0);
        m_loaded[n] = 0;
        m_mix.SourceWaves[n - 1] = m_model.Samples->LoadedWaves[1];
    }
}

void TForm10::addListItem(int n, const QString& text, const std::string& name)
{
    // The data keeps the bytes: the file opened is always the one listed.
    ComboBox[n]->addItem(text, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

std::string TForm10::itemName(int n, int index) const
{
    const QByteArray bytes = ComboBox[n]->itemData(index).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int TForm10::findListed(const std::string& name) const
{
    for (int i = 0; i < ComboBox[1]->count(); ++i)
        if (sameUserWaveName(itemName(1, i), name))
            return i;
    return -1;
}

void TForm10::ComboBoxChange(int n)
{
    if (n < 1 || n > kMixSources) [[unlikely]]
        return;
    const int i = ComboBox[n]->currentIndex();
    if (i < 0)
        return;
    WaveTable& source = m_mix.SourceWaves[n - 1];
    if (i < kBuiltInWaves) {
        source = m_model.Samples->LoadedWaves[i + 1];
    } else {
        try {
            const UserWave wave = ReadUserWave(joinPath(m_model.UserWavesDir, itemName(n, i) + ".pcm"));
            std::copy(wave.begin(), wave.end(), source.begin());
            source[kWaveLen] = 0;
        } catch (const IoError& e) {
            // The source keeps its wave, so the list shows that one again.
            const QSignalBlocker block(ComboBox[n]);
            ComboBox[n]->setCurrentIndex(m_loaded[n]);
            prompts().error(errorText(e));
            return;
        }
    }
    m_loaded[n] = i;
    RedrawSrcImage(n);
    RecompDestWave();
}

// ---- Sliders and pictures ----------------------------------------------------

void TForm10::TrackBarChange(int bar)
{
    readTrackBar(bar);
    if (bar != kPitchBar)
        RecompDestWave();
}

void TForm10::readTrackBar(int bar)
{
    if (bar < 1 || bar > kPitchBar) [[unlikely]]
        return;
    const int pos = TrackBar[bar]->value();
    if (bar == kPitchBar) {
        m_preview.PreviewStep = previewStepOf(m_model.Tables.PitchValues[pos]);
        Label17->setText(QStringLiteral("Preview Pitch: ") + fromWin1252(m_model.Tables.PitchNames[pos]));
    } else if (bar < kPhaseBar) {
        const int s = bar - kAmplitudeBar;
        m_mix.SrcAmplitude[s] = srcAmplitudeOf(pos);
        Label[bar]->setText(QStringLiteral("Amplitude: ") +
                            QString::fromStdString(formatFixed(m_mix.SrcAmplitude[s], 2)));
    } else if (bar < kFreqBar) {
        m_mix.SrcPhaseOffset[bar - kPhaseBar] = srcPhaseOffsetOf(pos);
        Label[bar]->setText(QStringLiteral("Phase: %1").arg(pos));
    } else {
        m_mix.SrcFreqMult[bar - kFreqBar] = pos;
        Label[bar]->setText(QStringLiteral("Freq x %1").arg(pos));
    }
}

void TForm10::RedrawSrcImage(int n)
{
    if (n >= 1 && n <= kMixSources)
        Image[n]->draw(m_mix.SourceWaves[n - 1]);
}

void TForm10::RecompDestWave()
{
    ::RecompDestWave(m_mix);
    Image[5]->draw(m_mix.DestWave);
}

// ---- Preview ------------------------------------------------------------------

void TForm10::Button1Click()
{
    if (Button1->text() != kPreview) {
        AudioOut1->StopAtOnce();
        Button1->setText(kPreview);
        return;
    }
    m_preview.PreviewPos = 0;
    if (!AudioOut1->Start(AudioOut1)) {
        prompts().error(QString::fromStdString(AudioOut1->ErrorText()));
        return;
    }
    Button1->setText(kStop);
}

bool TForm10::AudioOut1FillBuffer(std::uint8_t* Buffer, std::int32_t& Size)
{
    // The result is read live: a slider moved now is heard from the next buffer.
    return fillPreview(m_mix.DestWave, m_preview, Buffer, Size);
}

// ---- Save ---------------------------------------------------------------------

void TForm10::Button2Click()
{
    FileDialogOptions options;
    options.folder = pathText(m_model.UserWavesDir);
    options.filters = {QStringLiteral("User Wave File (*.pcm)")};
    options.defaultSuffix = QStringLiteral("pcm");
    options.confirmOverwrite = true;
    if (const std::optional<QString> path = prompts().saveFile(options))
        saveUserWaveAs(*path);
}

std::string TForm10::existingUserWave(const std::string& stem) const
{
    std::vector<std::string> waves = ListUserWaves(m_model.UserWavesDir);
    // "Sine" in the main lists stands for table 1 and is no file.
    std::erase(waves, std::string(kSineEntry));
    if (std::find(waves.begin(), waves.end(), stem) != waves.end())
        return stem;
    for (const std::string& w : waves)
        if (sameUserWaveName(w, stem))
            return w;
    return {};
}

bool TForm10::saveUserWaveAs(const QString& path)
{
    const QFileInfo chosen(path);
    // Exactly the folder the lists are read from: a folder that only looks
    // like it on a case-sensitive file system would never be listed.
    if (!sameFolder(pathBytes(chosen.absolutePath()), m_model.UserWavesDir)) {
        prompts().error(kInvalidPath);
        return false;
    }

    const std::string typed = chosen.fileName().toStdString();
    const QString stem = QString::fromStdString(std::string(userWaveStem(typed)));
    if (!validUserWaveStem(userWaveStem(typed)) || !fitsWin1252(stem)) {
        prompts().error(kInvalidName);
        return false;
    }
    if (isBuiltInWaveName(m_model.Tables, toWin1252(stem))) {
        prompts().error(kBuiltInName);
        return false;
    }

    // A wave that exists in another letter case is that wave: write its file,
    // as a file system that ignores case would.
    // The file name is the stem as the file system spells it; the session
    // files that will name it need it to fit Windows-1252 as well (above).
    std::string name = pathBytes(stem);
    if (const std::string existing = existingUserWave(name); !existing.empty())
        name = existing;
    const std::string file = joinPath(m_model.UserWavesDir, name + ".pcm");
    // The dialog asked about the file it returned; another one that exists
    // is asked about here.
    if (name + ".pcm" != pathBytes(chosen.fileName()) && fs::exists(file)) {
        const QString question = QStringLiteral("%1 already exists.\r\nDo you want to replace it?")
                                     .arg(pathText(name) + QStringLiteral(".pcm"));
        if (prompts().message(MsgKind::Confirmation, {}, question, MsgButtons::YesNo) != mrYes)
            return false;
    }

    std::string bytes(2 * kWaveLen, '\0');
    for (int i = 0; i < kWaveLen; ++i) {
        const auto s = static_cast<std::uint16_t>(m_mix.DestWave[i]);
        bytes[2 * i] = static_cast<char>(s & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(s >> 8);
    }
    try {
        AtomicFile::writeWhole(file, bytes);
    } catch (const IoError& e) {
        prompts().error(errorText(e));
        return false;
    }
    listSaved(name);
    return true;
}

void TForm10::listSaved(const std::string& name)
{
    // Each window decides from its own list: one that knows the name reloads
    // what it uses, one that does not lists it.
    if (findListed(name) >= 0) {
        ComboBox1Change();
        ComboBox2Change();
        ComboBox3Change();
        ComboBox4Change();
    } else {
        for (int n = 1; n <= kMixSources; ++n)
            addListItem(n, pathText(name), name);
    }
    if (!Form1)
        return;
    UserWaveLists& main = Form1->userWaves();
    if (main.holdsName(name)) {
        for (int n = 1; n <= UserWaveLists::kSlots; ++n)
            main.ComboBoxChange(n);
    } else {
        main.AddUserWave(name);
    }
}
