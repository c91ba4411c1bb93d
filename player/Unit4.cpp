#include "Unit4.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cassert>
#include <utility>

#include "components/AudioIO.h"
#include "components/BrwsFldr.h"
#include "dialogs/DialogKit.h"
#include "engine/Engine.h"
#include "engine/SliderPositions.h"
#include "platform/Arith.h"
#include "platform/Help.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "player/PlaybackLock.h"
#include "player/PlayerSettings.h"

TForm4* Form4 = nullptr;

namespace {

constexpr int kHelpContext = 12;
constexpr int kBytesPerStep = 4096; // per buffer; four buffers make 16 KB a step
// "Restore Original Values" sets a longer soft end than a fresh dialog has.
constexpr int kRestoredSoftEndSecs = 30;

QString bufferText(int pos)
{
    return QStringLiteral("Wave Out Buffer Size: %1 KB").arg(pos * 16);
}

QString startDelayText(int pos)
{
    const int s = pos * 10;
    if (pos < 6)
        return QStringLiteral("Start Delay: %1 sec").arg(s);
    if (s % 60 == 0)
        return QStringLiteral("Start Delay: %1 min").arg(s / 60);
    return QStringLiteral("Start Delay: %1 min %2 sec").arg(s / 60).arg(s % 60);
}

QString softStartText(int pos)
{
    return QStringLiteral("Soft Start Time: %1 sec").arg(pos);
}

QString softEndText(int pos)
{
    return QStringLiteral("Soft End Time: %1 sec").arg(pos);
}

QString folderText(const std::string& folder)
{
    return QFile::decodeName(QByteArray(folder.data(), static_cast<qsizetype>(folder.size())));
}

} // namespace

TForm4::TForm4(Engine& engine, bool& outputFilter, PlayerFolders& folders, TAudioOut& audioOut,
               std::string appDir, QWidget* parent)
    : QDialog(parent)
    , m_engine(engine)
    , m_outputFilter(outputFilter)
    , m_folders(folders)
    , m_audioOut(audioOut)
    , m_appDir(std::move(appDir))
{
    buildControls();

    m_rows = {{
        {&PlayerFolders::SesDir, Edit1},
        {&PlayerFolders::ImportMLProDir, Edit2},
        {&PlayerFolders::ImportPsxDir, Edit6},
        {&PlayerFolders::SrcWavDir, Edit3},
        {&PlayerFolders::WavDir, Edit4},
        {&PlayerFolders::ImpExpDir, Edit5},
    }};
    const std::array<QPushButton*, 6> browse = {Button3, Button4, Button8, Button5, Button6, Button7};
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const FolderRow& r = m_rows[i];
        connect(browse[i], &QPushButton::clicked, this, [this, &r] { browseFolder(r); });
        const std::string& current = m_folders.*r.field;
        setFolder(r.field, current.empty() ? defaultFolder(r.field) : current);
    }

    connect(TrackBar1, &QSlider::valueChanged, this, &TForm4::TrackBar1Change);
    connect(TrackBar2, &QSlider::valueChanged, this, &TForm4::TrackBar2Change);
    connect(TrackBar3, &QSlider::valueChanged, this, &TForm4::TrackBar3Change);
    connect(TrackBar4, &QSlider::valueChanged, this, &TForm4::TrackBar4Change);
    connect(TrackBar5, &QSlider::valueChanged, this, &TForm4::TrackBar5Change);
    connect(TrackBar6, &QSlider::valueChanged, this, &TForm4::TrackBar6Change);
    connect(TrackBar7, &QSlider::valueChanged, this, &TForm4::TrackBar7Change);
    // clicked comes from the user only; code sets the group silently.
    connect(RadioButton1, &QRadioButton::clicked, this, &TForm4::RadioGroup1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TForm4::RadioGroup1Click);
    // The engine reads the flag in every frame; it mirrors the box however
    // the box changes, so the two can never disagree.
    connect(CheckBox5, &QCheckBox::toggled, this, [this](bool on) { m_outputFilter = on; });
    m_outputFilter = CheckBox5->isChecked();
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::hide);

    TrackBar1Change();
    TrackBar2Change();
    TrackBar3Change();
    TrackBar5Change();
    TrackBar7Change();
    TrackBar6Change();
    TrackBar4Change();
    RadioGroup1Click();

    PlaybackLock::add([self = QPointer<TForm4>(this)](bool locked) {
        if (self)
            self->lockPlaybackSliders(locked);
    });
}

void TForm4::buildControls()
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Options"));
    setPixelFont(this, 13);
    setFixedSize(640, 636);

    auto label = [](QWidget* parent, const char* name, const QString& text, int x, int y, int w) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(x, y, w, 18);
        return l;
    };
    auto slider = [this](const char* name, int min, int max, int pos, int x, int y) {
        return tickedSlider(this, name, min, max, pos, {x, y, 300, 26});
    };
    auto check = [](QWidget* parent, const char* name, const char* text, int x, int y, int w) {
        auto* c = new QCheckBox(QLatin1String(text), parent);
        c->setObjectName(QLatin1String(name));
        c->setGeometry(x, y, w, 20);
        return c;
    };
    auto group = [this](const char* name, const char* title, int x, int y, int w, int h) {
        auto* g = new QGroupBox(QLatin1String(title), this);
        g->setObjectName(QLatin1String(name));
        g->setGeometry(x, y, w, h);
        return g;
    };
    auto button = [](QWidget* parent, const char* name, const char* text, int x, int y, int w, int h) {
        auto* b = new QPushButton(QLatin1String(text), parent);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, y, w, h);
        b->setAutoDefault(false);
        return b;
    };

    // Left column: output and transport.
    Label2 = label(this, "Label2", {}, 12, 10, 300);
    TrackBar1 = slider("TrackBar1", 1, 16, 8, 12, 28);
    Label3 = label(this, "Label3", {}, 12, 62, 300);
    TrackBar2 = slider("TrackBar2", 0, 60, 0, 12, 80);
    Label13 = label(this, "Label13", {}, 12, 114, 300);
    TrackBar3 = slider("TrackBar3", 0, 60, kDefaultSoftStartSecs, 12, 132);
    Label14 = label(this, "Label14", {}, 12, 166, 300);
    TrackBar5 = slider("TrackBar5", 0, 60, kDefaultSoftEndSecs, 12, 184);

    // Right column: the AudioStrobe levels.
    RadioGroup1 = group("RadioGroup1", "Light Intensity Max Presets", 328, 4, 300, 52);
    RadioButton1 = new QRadioButton(QStringLiteral("AudioStrobe"), RadioGroup1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setGeometry(10, 24, 130, 20);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("Manual"), RadioGroup1);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setGeometry(150, 24, 130, 20);
    Label11 = label(this, "Label11", {}, 328, 62, 300);
    TrackBar7 = slider("TrackBar7", 0, 100, kDefaultASLevelPos, 328, 80);
    Label1 = label(this, "Label1", {}, 328, 114, 300);
    TrackBar6 = slider("TrackBar6", 0, 100, kDefaultASLevelPos, 328, 132);
    Label5 = label(this, "Label5", {}, 328, 166, 300);
    TrackBar4 = slider("TrackBar4", 0, 100, kDefaultASZeroLevelPos, 328, 184);

    GroupBox1 = group("GroupBox1", "Open Up When Program Starts", 12, 222, 300, 114);
    CheckBox2 = check(GroupBox1, "CheckBox2", "Spreadsheet Editor", 10, 22, 280);
    CheckBox3 = check(GroupBox1, "CheckBox3", "Graphical Editor", 10, 44, 280);
    CheckBox7 = check(GroupBox1, "CheckBox7", "Session Playback Control", 10, 66, 280);
    CheckBox4 = check(GroupBox1, "CheckBox4", "Show Window", 10, 88, 280);
    CheckBox4->setChecked(true);

    GroupBox2 = group("GroupBox2", "Ignore When Opening a Session", 328, 222, 300, 114);
    CheckBox8 = check(GroupBox2, "CheckBox8", "Source Wav Files", 10, 22, 280);
    CheckBox9 = check(GroupBox2, "CheckBox9", "User Waves", 10, 44, 280);
    CheckBox10 = check(GroupBox2, "CheckBox10", "AM+FM Depth, BS Settings", 10, 66, 280);

    CheckBox5 = check(this, "CheckBox5", "Audio Output Filter", 12, 346, 300);

    GroupBox3 = group("GroupBox3", "Default Directories", 12, 374, 616, 210);
    CheckBox1 = check(GroupBox3, "CheckBox1", "Remember Recent Directories", 10, 22, 300);
    struct RowSpec {
        const char* label;
        const char* labelName;
        QLineEdit** edit;
        const char* editName;
        QPushButton** button;
        const char* buttonName;
    };
    const RowSpec rows[] = {
        {"Session Open/Save", "Label4", &Edit1, "Edit1", &Button3, "Button3"},
        {"Session Import - Mindlab Pro", "Label6", &Edit2, "Edit2", &Button4, "Button4"},
        {"Session Import - Photosonix", "Label7", &Edit6, "Edit6", &Button8, "Button8"},
        {"Source Tone/BS Wav Files", "Label8", &Edit3, "Edit3", &Button5, "Button5"},
        {"Destination Wav Files", "Label9", &Edit4, "Edit4", &Button6, "Button6"},
        {"Import/Export LNF Files", "Label10", &Edit5, "Edit5", &Button7, "Button7"},
    };
    int y = 50;
    for (const RowSpec& r : rows) {
        label(GroupBox3, r.labelName, QLatin1String(r.label), 10, y + 3, 190);
        auto* edit = new QLineEdit(GroupBox3);
        edit->setObjectName(QLatin1String(r.editName));
        edit->setReadOnly(true);
        edit->setGeometry(204, y, 364, 24);
        *r.edit = edit;
        *r.button = button(GroupBox3, r.buttonName, "...", 574, y, 32, 24);
        y += 26;
    }

    Button1 = button(this, "Button1", "Restore Original Values", 12, 596, 190, 28);
    Button2 = button(this, "Button2", "OK", 544, 596, 84, 28);
    Button2->setDefault(true);

    BrowseForFolder1 = new TBrowseForFolder(this);
    BrowseForFolder1->setObjectName(QStringLiteral("BrowseForFolder1"));
    BrowseForFolder1->NewDialogStyle = false;
    BrowseForFolder1->EditBox = false;
}

// ---- Handlers -------------------------------------------------------------

void TForm4::TrackBar1Change()
{
    const int pos = TrackBar1->value();
    Label2->setText(bufferText(pos));
    m_audioOut.SetBufferSize(pos * kBytesPerStep);
}

void TForm4::TrackBar2Change()
{
    Label3->setText(startDelayText(TrackBar2->value()));
}

void TForm4::TrackBar3Change()
{
    const int pos = TrackBar3->value();
    Label13->setText(softStartText(pos));
    m_engine.setSoftStartSecs(pos);
}

void TForm4::TrackBar4Change()
{
    const int pos = TrackBar4->value();
    Label5->setText(QStringLiteral("AudioStrobe Zero Level: %1").arg(pos));
    m_engine.setASZeroLevel(pos);
}

void TForm4::TrackBar5Change()
{
    const int pos = TrackBar5->value();
    Label14->setText(softEndText(pos));
    m_engine.setSoftEndSecs(pos);
}

void TForm4::TrackBar6Change()
{
    Label1->setText(QStringLiteral("Recording - AS Max Level: %1").arg(TrackBar6->value()));
}

void TForm4::TrackBar7Change()
{
    const int pos = TrackBar7->value();
    Label11->setText(QStringLiteral("Playing - AS Max Level: %1").arg(pos));
    m_engine.setASLevel(pos);
}

void TForm4::SetRecordingASLevel()
{
    m_engine.setASLevel(TrackBar6->value());
}

void TForm4::RadioGroup1Click()
{
    const bool preset = RadioButton1->isChecked();
    if (preset) {
        setSilently(TrackBar7, kAudioStrobePresetLevel);
        TrackBar7Change();
        setSilently(TrackBar6, kAudioStrobePresetLevel);
        TrackBar6Change();
    }
    TrackBar7->setEnabled(!preset);
    TrackBar6->setEnabled(!preset);
}

void TForm4::Button1Click()
{
    setSilently(TrackBar2, 0);
    TrackBar2Change();

    // Rewriting a fade length in the middle of a running soft start or end
    // would jump the level; while playback locks them, InitializeVars applies
    // the restored positions at the next start.
    setSilently(TrackBar3, kDefaultSoftStartSecs);
    setSilently(TrackBar5, kRestoredSoftEndSecs);
    if (m_slidersLocked) {
        Label13->setText(softStartText(TrackBar3->value()));
        Label14->setText(softEndText(TrackBar5->value()));
    } else {
        TrackBar3Change();
        TrackBar5Change();
    }

    CheckBox1->setChecked(false);

    // The component keeps a new size until the open output closes.
    if (TrackBar1->value() != 8) {
        setSilently(TrackBar1, 8);
        TrackBar1Change();
    }

    setRadioGroup1Index(0);
    RadioGroup1Click();
    setSilently(TrackBar6, kAudioStrobePresetLevel);
    TrackBar6Change();
    setSilently(TrackBar7, kAudioStrobePresetLevel);
    TrackBar7Change();
    setSilently(TrackBar4, kDefaultASZeroLevelPos);
    TrackBar4Change();

    for (const FolderRow& r : m_rows)
        setFolder(r.field, defaultFolder(r.field));
}

void TForm4::reapplyFadeOptions()
{
    TrackBar3Change();
    TrackBar5Change();
}

void TForm4::reapplyLevelOptions()
{
    TrackBar7Change();
    TrackBar4Change();
}

void TForm4::lockPlaybackSliders(bool locked)
{
    m_slidersLocked = locked;
    TrackBar1->setEnabled(!locked);
    TrackBar3->setEnabled(!locked);
    TrackBar5->setEnabled(!locked);
}

// ---- Folders --------------------------------------------------------------

const TForm4::FolderRow& TForm4::row(FolderField field) const
{
    const auto it = std::find_if(m_rows.begin(), m_rows.end(), [field](const FolderRow& r) { return r.field == field; });
    if (it == m_rows.end()) [[unlikely]] {
        assert(false && "not a folder row");
        return m_rows.front();
    }
    return *it;
}

void TForm4::setFolder(FolderField field, std::string folder)
{
    const FolderRow& r = row(field);
    m_folders.*r.field = withTrailingSlash(std::move(folder));
    const QString text = folderText(m_folders.*r.field);
    r.edit->setText(text);
    r.edit->setToolTip(text);
}

std::string TForm4::defaultFolder(FolderField field) const
{
    return defaultPlayerFolders(m_appDir).*field;
}

void TForm4::browseFolder(const FolderRow& r)
{
    BrowseForFolder1->Path = folderText(m_folders.*r.field);
    if (!BrowseForFolder1->Execute())
        return;
    // The chosen root "/" already ends in the separator.
    setFolder(r.field, QFile::encodeName(BrowseForFolder1->Path).toStdString());
}

// ---- Accessors ------------------------------------------------------------

int TForm4::radioGroup1Index() const
{
    return RadioButton2->isChecked() ? 1 : 0;
}

void TForm4::setRadioGroup1Index(int index)
{
    QRadioButton* chosen = index == 1 ? RadioButton2 : RadioButton1;
    const QSignalBlocker block(chosen);
    chosen->setChecked(true);
}

int TForm4::startDelaySecs() const
{
    return TrackBar2->value() * 10;
}

bool TForm4::rememberRecentFolders() const { return CheckBox1->isChecked(); }
bool TForm4::ignoreSourceWavs() const { return CheckBox8->isChecked(); }
bool TForm4::ignoreUserWaves() const { return CheckBox9->isChecked(); }
bool TForm4::ignoreDepthsAndBacking() const { return CheckBox10->isChecked(); }
bool TForm4::openSpreadsheetAtStart() const { return CheckBox2->isChecked(); }
bool TForm4::openGraphEditorAtStart() const { return CheckBox3->isChecked(); }
bool TForm4::openPlaybackControlAtStart() const { return CheckBox7->isChecked(); }
bool TForm4::openShowWindowAtStart() const { return CheckBox4->isChecked(); }

void TForm4::storeInto(PlayerSettings& values) const
{
    values.ShowAtStart = {openSpreadsheetAtStart(), openPlaybackControlAtStart(), openGraphEditorAtStart(),
                          openShowWindowAtStart()};
    values.RememberRecentFolders = rememberRecentFolders();
    values.OutputFilter = CheckBox5->isChecked();
    values.IgnoreSourceWavs = ignoreSourceWavs();
    values.IgnoreUserWaves = ignoreUserWaves();
    values.IgnoreDepthsAndBacking = ignoreDepthsAndBacking();
    // Positions, never a number as it was read: the slider has clamped it.
    values.SoftStart = TrackBar3->value();
    values.SoftEnd = TrackBar5->value();
    values.BufferSize = TrackBar1->value();
    values.StartDelay = TrackBar2->value();
    values.ZeroLevel = TrackBar4->value();
    values.RecordingLevel = TrackBar6->value();
    values.PlayingLevel = TrackBar7->value();
    values.Preset = radioGroup1Index();
}

// ---- Events ---------------------------------------------------------------

void TForm4::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        showHelp(kHelpContext);
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TForm4::showEvent(QShowEvent* e)
{
    if (!m_placed && !e->spontaneous()) {
        centreOnScreen(this);
        m_placed = true;
    }
    QDialog::showEvent(e);
}

std::optional<std::string> chooseFile(FileChoice kind, const PlayerFolders& folders, TForm4::FolderField field,
                                      FileDialogOptions options)
{
    options.folder = pathText(folders.*field);
    const std::optional<QString> chosen =
        kind == FileChoice::Open ? prompts().openFile(options) : prompts().saveFile(options);
    if (!chosen)
        return std::nullopt;
    if (Form4 && Form4->rememberRecentFolders())
        Form4->setFolder(field, folderOf(*chosen));
    return pathBytes(*chosen);
}
