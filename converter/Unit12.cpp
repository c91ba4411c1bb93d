#include "converter/Unit12.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <algorithm>
#include <cassert>
#include <utility>

#include "components/AudioIO.h"
#include "converter/SignalPath.h"
#include "dialogs/DialogKit.h"
#include "platform/AudioStrobe.h"
#include "platform/PathText.h"
#include "platform/Paths.h"

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
        {&ConverterFolders::PresetsDir, Edit1},
        {&ConverterFolders::SourceWavDir, Edit2},
        {&ConverterFolders::DestWavDir, Edit3},
    }};
    for (const FolderRow& r : m_rows) {
        const std::string& current = m_folders.*r.field;
        setFolder(r.field, current.empty() ? defaultFolder(r.field) : current);
    }

    connect(TrackBar1, &QSlider::valueChanged, this, &TForm12::TrackBar1Change);
    connect(TrackBar7, &QSlider::valueChanged, this, &TForm12::TrackBar7Change);
    connect(TrackBar2, &QSlider::valueChanged, this, &TForm12::TrackBar2Change);

    TrackBar1Change();
    TrackBar7Change();
    TrackBar2Change();
}

void TForm12::buildControls()
{
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("Options"));
    setPixelFont(this, 13);
    setFixedSize(560, 330);

    auto label = [](QWidget* parent, const char* name, int x, int y, int w) {
        auto* l = new QLabel(parent);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(x, y, w, 18);
        return l;
    };
    auto slider = [](QWidget* parent, const char* name, int min, int max, int pos, int x, int y) {
        auto* s = new QSlider(Qt::Horizontal, parent);
        s->setObjectName(QLatin1String(name));
        s->setRange(min, max);
        s->setValue(pos);
        s->setPageStep(std::max(1, (max - min) / 10));
        s->setTickPosition(QSlider::TicksBelow);
        s->setTickInterval(std::max(1, (max - min) / 10));
        s->setGeometry(x, y, 250, 26);
        return s;
    };
    auto group = [this](const char* name, const char* title, int x, int y, int w, int h) {
        auto* g = new QGroupBox(QLatin1String(title), this);
        g->setObjectName(QLatin1String(name));
        g->setGeometry(x, y, w, h);
        return g;
    };

    Label2 = label(this, "Label2", 12, 10, 250);
    TrackBar1 = slider(this, "TrackBar1", 1, 16, kDefaultBufferPos, 12, 28);

    GroupBox1 = group("GroupBox1", "AudioStrobe Setup", 284, 4, 264, 118);
    Label11 = label(GroupBox1, "Label11", 7, 22, 250);
    TrackBar7 = slider(GroupBox1, "TrackBar7", 0, 100, kAudioStrobePresetLevel, 7, 40);
    Label1 = label(GroupBox1, "Label1", 7, 68, 250);
    TrackBar2 = slider(GroupBox1, "TrackBar2", 0, 100, kAudioStrobePresetLevel, 7, 86);
    // The "AudioStrobe" preset, in force until the user chooses Manual.
    TrackBar7->setEnabled(false);
    TrackBar2->setEnabled(false);

    GroupBox2 = group("GroupBox2", "Default Directories", 12, 134, 536, 140);
    CheckBox2 = new QCheckBox(QStringLiteral("Remember Recent Directories"), GroupBox2);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setGeometry(10, 22, 300, 20);
    struct RowSpec {
        const char* label;
        const char* labelName;
        QLineEdit** edit;
        const char* editName;
    };
    const RowSpec rows[] = {
        {"AS Glimmerbox Presets", "Label3", &Edit1, "Edit1"},
        {"Source Wav Files", "Label4", &Edit2, "Edit2"},
        {"Destination Wav Files", "Label5", &Edit3, "Edit3"},
    };
    int y = 50;
    for (const RowSpec& r : rows) {
        label(GroupBox2, r.labelName, 10, y + 3, 160)->setText(QLatin1String(r.label));
        auto* edit = new QLineEdit(GroupBox2);
        edit->setObjectName(QLatin1String(r.editName));
        edit->setReadOnly(true);
        edit->setGeometry(174, y, 352, 24);
        *r.edit = edit;
        y += 28;
    }
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

// ---- Accessors ------------------------------------------------------------

int TForm12::recordingASLevel() const
{
    return TrackBar2->value();
}

bool TForm12::rememberRecentFolders() const
{
    return CheckBox2->isChecked();
}
