#include "converter/Unit12.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
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
#include "converter/SignalPath.h"
#include "converter/Unit9.h"
#include "dialogs/DialogKit.h"
#include "platform/AudioStrobe.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/Settings.h"

TForm12* Form12 = nullptr;

namespace {

constexpr int kBytesPerStep = 4096; // per buffer; four buffers make 16 KB a step
constexpr int kDefaultBufferPos = 8;

} // namespace

TForm12::TForm12(SignalPath& path, ConverterFolders& folders, TAudioOut& audioOut, std::string appDir,
                 QWidget* parent)
    : QDialog(parent)
    , m_path(path)
    , m_folders(folders)
    , m_audioOut(audioOut)
    , m_appDir(std::move(appDir))
{
    buildControls();

    m_rows = {{
        {&ConverterFolders::PresetsDir, Edit1, "GBXPSDir"},
        {&ConverterFolders::SourceWavDir, Edit2, "GBXWSDir"},
        {&ConverterFolders::DestWavDir, Edit3, "GBXWDDir"},
    }};
    const std::array<QPushButton*, 3> browse = {Button3, Button4, Button5};
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const FolderField field = m_rows[i].field;
        connect(browse[i], &QPushButton::clicked, this, [this, field] { browseFolder(field); });
        const std::string& current = m_folders.*field;
        setFolder(field, current.empty() ? defaultFolder(field) : current);
    }

    connect(TrackBar1, &QSlider::valueChanged, this, &TForm12::TrackBar1Change);
    connect(TrackBar7, &QSlider::valueChanged, this, &TForm12::TrackBar7Change);
    connect(TrackBar2, &QSlider::valueChanged, this, &TForm12::TrackBar2Change);
    // clicked comes from the user only; code sets the group silently.
    connect(RadioButton1, &QRadioButton::clicked, this, &TForm12::RadioGroup1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TForm12::RadioGroup1Click);
    connect(Button1, &QPushButton::clicked, this, &TForm12::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::hide);

    TrackBar1Change();
    TrackBar7Change();
    TrackBar2Change();
    RadioGroup1Click();
}

void TForm12::buildControls()
{
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("Options"));
    setPixelFont(this, 13);
    setFixedSize(560, 392);

    auto label = [](QWidget* parent, const char* name, int x, int y, int w) {
        auto* l = new QLabel(parent);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(x, y, w, 18);
        return l;
    };
    auto slider = [](QWidget* parent, const char* name, int min, int max, int pos, int x, int y) {
        return tickedSlider(parent, name, min, max, pos, {x, y, 250, 26});
    };
    auto group = [](QWidget* parent, const char* name, const char* title, int x, int y, int w, int h) {
        auto* g = new QGroupBox(QLatin1String(title), parent);
        g->setObjectName(QLatin1String(name));
        g->setGeometry(x, y, w, h);
        return g;
    };
    auto check = [](QWidget* parent, const char* name, const char* text, int x, int y, int w) {
        auto* c = new QCheckBox(QLatin1String(text), parent);
        c->setObjectName(QLatin1String(name));
        c->setGeometry(x, y, w, 20);
        return c;
    };
    auto button = [](QWidget* parent, const char* name, const char* text, const QRect& r) {
        auto* b = new QPushButton(QLatin1String(text), parent);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(r);
        b->setAutoDefault(false);
        return b;
    };

    Label2 = label(this, "Label2", 12, 10, 250);
    TrackBar1 = slider(this, "TrackBar1", 1, 16, kDefaultBufferPos, 12, 28);
    CheckBox1 = check(this, "CheckBox1", "Store wav file name in preset", 12, 74, 250);
    CheckBox1->setChecked(true);

    GroupBox1 = group(this, "GroupBox1", "AudioStrobe Setup", 284, 4, 264, 176);
    RadioGroup1 = group(GroupBox1, "RadioGroup1", "Light Intensity Max Presets", 7, 20, 250, 50);
    RadioButton1 = new QRadioButton(QStringLiteral("AudioStrobe"), RadioGroup1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setGeometry(10, 22, 120, 20);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("Manual"), RadioGroup1);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setGeometry(136, 22, 100, 20);
    Label11 = label(GroupBox1, "Label11", 7, 78, 250);
    TrackBar7 = slider(GroupBox1, "TrackBar7", 0, 100, kAudioStrobePresetLevel, 7, 96);
    Label1 = label(GroupBox1, "Label1", 7, 124, 250);
    TrackBar2 = slider(GroupBox1, "TrackBar2", 0, 100, kAudioStrobePresetLevel, 7, 142);

    GroupBox2 = group(this, "GroupBox2", "Default Directories", 12, 190, 536, 144);
    CheckBox2 = check(GroupBox2, "CheckBox2", "Remember Recent Directories", 10, 22, 300);
    struct RowSpec {
        const char* label;
        const char* labelName;
        QLineEdit** edit;
        const char* editName;
        QPushButton** button;
        const char* buttonName;
    };
    const RowSpec rows[] = {
        {"AS Glimmerbox Presets", "Label3", &Edit1, "Edit1", &Button3, "Button3"},
        {"Source Wav Files", "Label4", &Edit2, "Edit2", &Button4, "Button4"},
        {"Destination Wav Files", "Label5", &Edit3, "Edit3", &Button5, "Button5"},
    };
    int y = 50;
    for (const RowSpec& r : rows) {
        label(GroupBox2, r.labelName, 10, y + 3, 160)->setText(QLatin1String(r.label));
        auto* edit = new QLineEdit(GroupBox2);
        edit->setObjectName(QLatin1String(r.editName));
        edit->setReadOnly(true);
        edit->setGeometry(174, y, 310, 24);
        *r.edit = edit;
        *r.button = button(GroupBox2, r.buttonName, "...", {492, y, 32, 24});
        y += 28;
    }

    Button1 = button(this, "Button1", "Restore Original Values", {12, 350, 190, 28});
    Button2 = button(this, "Button2", "OK", {464, 350, 84, 28});
    Button2->setDefault(true);

    BrowseForFolder1 = new TBrowseForFolder(this);
    BrowseForFolder1->setObjectName(QStringLiteral("BrowseForFolder1"));
    BrowseForFolder1->NewDialogStyle = false;
    BrowseForFolder1->EditBox = false;
}

// ---- Settings -------------------------------------------------------------

void TForm12::FormCreate()
{
    LoadConfig();
    if (Form9) {
        Form9->InitVars();
        Form9->RedrawLabels();
    }
}

void TForm12::LoadConfig()
{
    const Settings settings;
    LoadConfig(settings);
}

void TForm12::LoadConfig(const Settings& settings)
{
    for (const FolderRow& r : m_rows)
        setFolder(r.field, settings.readFolder(QLatin1String(r.key), defaultFolder(r.field)));
    // Each handler runs whether the position moved or not: a stored 8 must
    // still give the output its buffer size. The group comes before the
    // levels, so stored levels win over the preset's.
    setSilently(TrackBar1, settings.readInteger(QStringLiteral("F12TrB1"), TrackBar1->value()));
    TrackBar1Change();
    const int group = settings.readInteger(QStringLiteral("F12RadGr1"), radioGroup1Index());
    setRadioGroup1Index(group == 1 ? 1 : 0);
    RadioGroup1Click();
    setSilently(TrackBar7, settings.readInteger(QStringLiteral("F12TrB7"), TrackBar7->value()));
    TrackBar7Change();
    setSilently(TrackBar2, settings.readInteger(QStringLiteral("F12TrB2"), TrackBar2->value()));
    TrackBar2Change();
    CheckBox1->setChecked(settings.readBool(QStringLiteral("F12ChB1"), CheckBox1->isChecked()));
    CheckBox2->setChecked(settings.readBool(QStringLiteral("F12ChB2"), CheckBox2->isChecked()));
}

void TForm12::storeInto(Settings& settings) const
{
    for (const FolderRow& r : m_rows)
        settings.writeFolder(QLatin1String(r.key), m_folders.*r.field);
    settings.writeInteger(QStringLiteral("F12TrB1"), TrackBar1->value());
    settings.writeInteger(QStringLiteral("F12RadGr1"), radioGroup1Index());
    settings.writeInteger(QStringLiteral("F12TrB7"), TrackBar7->value());
    settings.writeInteger(QStringLiteral("F12TrB2"), TrackBar2->value());
    settings.writeBool(QStringLiteral("F12ChB1"), CheckBox1->isChecked());
    settings.writeBool(QStringLiteral("F12ChB2"), CheckBox2->isChecked());
}

// ---- Handlers -------------------------------------------------------------

void TForm12::TrackBar1Change()
{
    const int pos = TrackBar1->value();
    Label2->setText(QStringLiteral("Wave Out Buffer Size: %1 KB").arg(pos * 16));
    m_audioOut.SetBufferSize(pos * kBytesPerStep);
}

void TForm12::TrackBar7Change()
{
    m_path.SetPlayingASLevel(TrackBar7->value());
    Label11->setText(QString::fromStdString(m_path.controls().PlayingASLevelLabel));
}

void TForm12::TrackBar2Change()
{
    Label1->setText(QStringLiteral("Recording - AS Max Level: %1").arg(TrackBar2->value()));
}

void TForm12::SetRecordingASLevel()
{
    m_path.SetASLevel(TrackBar2->value());
}

void TForm12::RadioGroup1Click()
{
    const bool preset = RadioButton1->isChecked();
    if (preset) {
        setSilently(TrackBar7, kAudioStrobePresetLevel);
        TrackBar7Change();
        setSilently(TrackBar2, kAudioStrobePresetLevel);
        TrackBar2Change();
    }
    TrackBar7->setEnabled(!preset);
    TrackBar2->setEnabled(!preset);
}

void TForm12::Button1Click()
{
    for (const FolderRow& r : m_rows)
        setFolder(r.field, defaultFolder(r.field));
    // setValue runs a slider's handler only when the position changes; the
    // output keeps a new size as a request while it plays.
    TrackBar1->setValue(kDefaultBufferPos);
    if (radioGroup1Index() != 0) {
        setRadioGroup1Index(0);
        RadioGroup1Click();
    }
    TrackBar7->setValue(kAudioStrobePresetLevel);
    TrackBar2->setValue(kAudioStrobePresetLevel);
    CheckBox1->setChecked(true);
    CheckBox2->setChecked(false);
}

// ---- Folders ----------------------------------------------------------------

const TForm12::FolderRow& TForm12::row(FolderField field) const
{
    const auto it = std::find_if(m_rows.begin(), m_rows.end(), [field](const FolderRow& r) { return r.field == field; });
    assert(it != m_rows.end());
    return it != m_rows.end() ? *it : m_rows.front();
}

void TForm12::setFolder(FolderField field, std::string folder)
{
    const FolderRow& r = row(field);
    m_folders.*r.field = withTrailingSlash(std::move(folder));
    const QString text = pathText(m_folders.*r.field);
    r.edit->setText(text);
    r.edit->setToolTip(text);
}

std::string TForm12::defaultFolder(FolderField field) const
{
    return defaultConverterFolders(m_appDir).*field;
}

void TForm12::browseFolder(FolderField field)
{
    BrowseForFolder1->Path = pathText(m_folders.*field);
    if (!BrowseForFolder1->Execute())
        return;
    // The chosen root "/" already ends in the separator.
    setFolder(field, pathBytes(BrowseForFolder1->Path));
}

// ---- Accessors ------------------------------------------------------------

int TForm12::recordingASLevel() const
{
    return TrackBar2->value();
}

bool TForm12::rememberRecentFolders() const
{
    return CheckBox2->isChecked();
}

bool TForm12::storeWavFileName() const
{
    return CheckBox1->isChecked();
}

int TForm12::radioGroup1Index() const
{
    return RadioButton2->isChecked() ? 1 : 0;
}

void TForm12::setRadioGroup1Index(int index)
{
    QRadioButton* chosen = index == 1 ? RadioButton2 : RadioButton1;
    const QSignalBlocker block(chosen);
    chosen->setChecked(true);
}

// ---- Events ---------------------------------------------------------------

void TForm12::showEvent(QShowEvent* e)
{
    if (!m_placed && !e->spontaneous()) {
        centreOnScreen(this);
        m_placed = true;
    }
    QDialog::showEvent(e);
}
