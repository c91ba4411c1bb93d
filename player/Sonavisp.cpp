#include "player/Sonavisp.h"

#include "player/Unit4.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "components/AudioIO.h"
#include "engine/Generators.h"
#include "dialogs/DialogKit.h"
#include "dialogs/Unit13.h"
#include "dialogs/Unit5.h"
#include "dialogs/Version.h"
#include "engine/CellText.h"
#include "engine/SampleTables.h"
#include "engine/SliderPositions.h"
#include "engine/ValueTables.h"
#include "platform/Arith.h"
#include "platform/Help.h"
#include "platform/IoError.h"
#include "platform/Numbers.h"
#include "platform/Prompts.h"
#include "platform/ScreenSaverInhibitor.h"
#include "platform/WaitCursor.h"
#include "platform/Win1252Qt.h"
#include "player/CommandLine.h"
#include "dialogs/Glyphs.h"
#include "player/Menus.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/StartUp.h"
#include "player/StatusGridModel.h"
#include "player/Unit1.h"
#include "player/Unit10.h"
#include "player/Unit11.h"
#include "player/Unit2.h"
#include "player/Unit7.h"
#include "player/Unit8.h"
#include "player/UserWaveLists.h"

TForm1* Form1 = nullptr;

namespace {

constexpr int kClientWidth = 553;
constexpr int kClientHeight = 382;
constexpr int kHelpContext = 1;

// Status grid rows 0..16.
constexpr const char* kGridTitles[StatusGridModel::kRows] = {
    "Act. Segment", "Time",           "Tone",           "Freq 1",       "Freq 2",      "Pitch 1 (R)",
    "Pitch 2 (R)",  "Phase (R)",      "Phase Change",   "Duty Cycle (R)", "Volume (R)", "Intensity (R)",
    "SG1/SG2 Vol.", "Wave 1 (R)",     "Wave 2 (R)",     "Backing Sound", "H Beat Freq (R)",
};
constexpr int kGridRowHeight = 18;

QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y, int w = 188)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(x, y, w, 16);
    return l;
}

QSlider* trackBar(QWidget* parent, const char* name, int min, int max, int position, int tickInterval,
                  int x, int y)
{
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(min, max);
    bar->setValue(position);
    bar->setPageStep(2);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(tickInterval);
    bar->setGeometry(x, y, 188, 26);
    return bar;
}

QLineEdit* readOnlyEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    // Out of the tab chain, and clicked into it still leaves the menus their
    // keys: a line edit takes Ctrl+E as "end of line".
    edit->setFocusPolicy(Qt::ClickFocus);
    yieldKeysToMenus(edit);
    return edit;
}

/// The status grid's title column: the design's 80 pixels, or more where the
/// font makes a title longer, so that every title shows whole.
int statusTitleWidth(const QTableView* grid)
{
    // The item delegate keeps this margin on either side of a cell's text.
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    const QFontMetrics metrics(grid->font());
    int width = 80;
    for (const char* title : kGridTitles)
        width = std::max(width, metrics.horizontalAdvance(QLatin1String(title)) + 2 * margin + 1);
    return width;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& bounds)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(bounds);
    return b;
}

/// A button that shows a picture only; `action` says in words what it does.
QPushButton* glyphButton(QWidget* parent, const char* name, const QIcon& glyph, const QString& action,
                         const QRect& bounds)
{
    QPushButton* b = button(parent, name, QString(), bounds);
    setGlyph(b, glyph, action);
    return b;
}

QString messageText(const std::exception& e)
{
    // Paths in the texts are file-system bytes.
    return QFile::decodeName(e.what());
}

} // namespace

TForm1::TForm1(PlayerModel& model)
    : m_model(model)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kVersionedTitle));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    AudioOut1 = new TAudioOut(this);
    AudioOut1->setObjectName(QStringLiteral("AudioOut1"));
    AudioOut1->SetFrameRate(kFrameRate);
    AudioOut1->SetStereo(true);
    AudioOut1->OnFillBuffer = [this](std::uint8_t* buffer, std::int32_t& size) {
        return AudioOut1FillBuffer(buffer, size);
    };

    m_userWaves = std::make_unique<UserWaveLists>(*m_model.Ses, *m_model.Samples, m_model.UserWavesDir);

    buildControls();
    buildMenus();
    disableUnbuilt();
    for (QWidget* control : std::initializer_list<QWidget*>{Button2, Button3, TrackBar1, BitBtn1})
        PlaybackLock::add(control);
    AudioOut1->OnStop = [this](QObject*) { AudioOut1Stop(); };
    m_model.Eng->setHost(this);
}

TForm1::~TForm1()
{
    AudioOut1->OnStop = nullptr;
    stopForExit();
    m_model.Eng->setHost(nullptr);
}

void TForm1::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setPixelFont(client, 12);
    setCentralWidget(client);

    label(client, "Label1", QStringLiteral("Tone Wav File"), 8, 8);
    Edit1 = readOnlyEdit(client, "Edit1");
    Edit1->setGeometry(8, 24, 353, 22);
    Button2 = button(client, "Button2", QStringLiteral("..."), {365, 24, 28, 22});
    label(client, "Label2", QStringLiteral("Backing Sound Wav File"), 8, 54);
    Edit3 = readOnlyEdit(client, "Edit3");
    Edit3->setGeometry(8, 70, 353, 22);
    Button3 = button(client, "Button3", QStringLiteral("..."), {365, 70, 28, 22});

    label(client, "Label5", QStringLiteral("Original Session Length x"), 8, 104, 156);
    Label42 = label(client, "Label42", QStringLiteral("1.0"), 166, 104, 30);
    TrackBar1 = trackBar(client, "TrackBar1", 1, 50, kDefaultLengthFactorPos, 5, 8, 120);
    Panel1 = new QFrame(client);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(205, 110, 188, 32);
    label(Panel1, "Label6", QStringLiteral("  Session Length"), 4, 8, 104);
    Edit2 = readOnlyEdit(Panel1, "Edit2");
    Edit2->setGeometry(112, 5, 70, 22);

    QComboBox** boxes[] = {&ComboBox1, &ComboBox2, &ComboBox3, &ComboBox4};
    for (int n = 1; n <= UserWaveLists::kSlots; ++n) {
        const int x = n % 2 ? 8 : 205;
        const int y = n <= 2 ? 158 : 204;
        label(client, QStringLiteral("Label%1").arg(6 + n).toLatin1().constData(),
              QStringLiteral("User Wave %1").arg(n), x, y);
        QComboBox* box = m_userWaves->comboBox(n);
        box->setParent(client);
        box->setGeometry(x, y + 16, 188, 22);
        *boxes[n - 1] = box;
    }

    // The design captions show the default positions until a slider moves.
    Label3 = label(client, "Label3", QStringLiteral("AM Depth: %1").arg(kDefaultAMDepthPos), 8, 256);
    TrackBar2 = trackBar(client, "TrackBar2", 0, 100, kDefaultAMDepthPos, 10, 8, 272);
    Label9 = label(client, "Label9", QStringLiteral("FM Depth: %1").arg(kDefaultFMDepthPos), 205, 256);
    TrackBar5 = trackBar(client, "TrackBar5", 0, 100, kDefaultFMDepthPos, 10, 205, 272);
    Label4 = label(client, "Label4",
                   QStringLiteral("Tone/BS Volume: %1/%2").arg(100 - kDefaultToneBackingPos).arg(kDefaultToneBackingPos),
                   8, 306);
    TrackBar4 = trackBar(client, "TrackBar4", 0, 100, kDefaultToneBackingPos, 10, 8, 322);
    Label10 = label(
        client, "Label10",
        QStringLiteral("H Beat/BS Wav Volume: %1/%2").arg(100 - kDefaultHeartBeatWavPos).arg(kDefaultHeartBeatWavPos),
        205, 306);
    TrackBar3 = trackBar(client, "TrackBar3", 0, 100, kDefaultHeartBeatWavPos, 10, 205, 322);

    GridCells = new StatusGridModel(this);
    StringGrid1 = new QTableView(client);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(GridCells);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    StringGrid1->horizontalHeader()->setMinimumSectionSize(1);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->horizontalHeader()->setDefaultSectionSize(60);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The current cell lies in the hidden third column: the view must not
    // scroll to it.
    StringGrid1->setAutoScroll(false);
    setPixelFont(StringGrid1, 10, false, QStringLiteral("Arial"));
    StringGrid1->setTextElideMode(Qt::ElideNone);
    StringGrid1->setWordWrap(false);
    const int titleWidth = statusTitleWidth(StringGrid1);
    StringGrid1->setColumnWidth(0, titleWidth);
    // Only the title and value columns show; the third lies outside the view.
    // A wider title column widens the window by as much.
    const int frame = 2 * StringGrid1->frameWidth();
    StringGrid1->setGeometry(401, 8, titleWidth + 60 + frame, StatusGridModel::kRows * kGridRowHeight + frame);
    client->setFixedSize(kClientWidth + titleWidth - 80, kClientHeight);
    StringGrid1->setEnabled(false);
    // A disabled string grid still shows its texts in full colour.
    QPalette grid = StringGrid1->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::Base, QPalette::WindowText})
        grid.setColor(QPalette::Disabled, role, grid.color(QPalette::Active, role));
    StringGrid1->setPalette(grid);

    BitBtn3 = glyphButton(client, "BitBtn3", pauseGlyph(), QStringLiteral("Pause"), {401, 326, 36, 36});
    Button1 = button(client, "Button1", QStringLiteral("Start"), {441, 326, 64, 36});
    Button1->setDefault(true);
    // The window opens with the focus on its default button, where Enter
    // starts and every menu key reaches the menus.
    Button1->setFocus();
    BitBtn1 = glyphButton(client, "BitBtn1", recordGlyph(), QStringLiteral("Export to wav file"), {509, 326, 36, 36});
    Label13 = label(client, "Label13", QStringLiteral("Amp."), 401, 364, 144);
    Label13->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(100);

    // Connected after the start positions are set, so building the window
    // runs no handler and marks nothing modified.
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm1::TrackBar1Change);
    connect(TrackBar2, &QSlider::valueChanged, this, &TForm1::TrackBar2Change);
    connect(TrackBar3, &QSlider::valueChanged, this, &TForm1::TrackBar3Change);
    connect(TrackBar4, &QSlider::valueChanged, this, &TForm1::TrackBar4Change);
    connect(TrackBar5, &QSlider::valueChanged, this, &TForm1::TrackBar5Change);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] { showHelp(kHelpContext); });

    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm1::buildMenus()
{
    QMenuBar* bar = menuBar();
    Session1 = namedMenu(bar, "Session1", QStringLiteral("&Session"));
    addSessionFileItems(*this);
    Session1->addSeparator();
    ImportLNFfile1 = menuItem(Session1, "ImportLNFfile1", QStringLiteral("I&mport LNF file"));
    ExportLNFfile1 = menuItem(Session1, "ExportLNFfile1", QStringLiteral("&Export session as LNF file"));
    Session1->addSeparator();
    Recordtowavfile1 = menuItem(Session1, "Recordtowavfile1", QStringLiteral("Export to &wav file"));
    Session1->addSeparator();
    Exit1 = menuItem(Session1, "Exit1", QStringLiteral("E&xit"));

    Options1 = namedMenu(bar, "Options1", QStringLiteral("&Options"));
    SetOptions1 = menuItem(Options1, "SetOptions1", QStringLiteral("&Set Options..."));

    addShowMenu(*this);
    addHelpMenu(*this, kHelpContext);

    connect(New1, &QAction::triggered, this, [] {
        if (Form3)
            Form3->NewProc();
    });
    connect(Open1, &QAction::triggered, this, &TForm1::OpenSession);
    connect(Save1, &QAction::triggered, this, [] {
        if (Form3)
            Form3->Save1Click();
    });
    connect(SaveAs1, &QAction::triggered, this, [] {
        if (Form3)
            Form3->SaveAsProc();
    });
    connect(ImportPsx1, &QAction::triggered, this, [] {
        if (Form3)
            Form3->ImportPsxProc();
    });
    connect(ImportMlp1, &QAction::triggered, this, [] {
        if (Form3)
            Form3->ImportMlpProc();
    });
    connect(ImportLNFfile1, &QAction::triggered, this, &TForm1::ImportLNFFile);
    connect(ExportLNFfile1, &QAction::triggered, this, &TForm1::ExportLNFFile);
    connect(Recordtowavfile1, &QAction::triggered, this, &TForm1::Recordtowavfile1Click);
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    connect(SetOptions1, &QAction::triggered, this, [this] { showWindow(m_optionsDialog); });
    connect(Properties1, &QAction::triggered, this, &TForm1::Properties1Click);
    connect(SpreadsheetEditor1, &QAction::triggered, this, &TForm1::ShowEditor);
    connect(GraphicEditor1, &QAction::triggered, this, &TForm1::ShowGraphicalEditor);
    connect(Homepage1, &QAction::triggered, this, &visitHomePage);
    connect(About1, &QAction::triggered, this, [] {
        if (Form13)
            Form13->exec();
    });

    PlaybackLock::add(Session1->menuAction());
}

void TForm1::disableUnbuilt()
{
    // Commands whose procedures or windows are not built yet: each one is
    // taken off this list when its code is in.
    SetOptions1->setEnabled(false); // until the options dialog is handed in
}

// Every start applies the options again, through the dialog's own handlers.
void TForm1::ReapplyFadeOptions()
{
    if (Form4)
        Form4->reapplyFadeOptions();
}

void TForm1::ReapplyLevelOptions()
{
    if (Form4)
        Form4->reapplyLevelOptions();
}

void TForm1::setOptionsDialog(QWidget* dialog)
{
    m_optionsDialog = dialog;
    SetOptions1->setEnabled(dialog != nullptr);
}

// ---- Start-up and session ------------------------------------------------------

bool TForm1::FormCreate(const LaunchInfo& launch)
{
    WaitCursor hourglass;
    m_screenSaver = std::make_unique<ScreenSaverInhibitor>(QString::fromLatin1(kProductName),
                                                           QStringLiteral("Playing a light-and-sound session"));
    setWindowTitle(QString::fromLatin1(kVersionedTitle));

    const std::string appDir = launch.programFolder();
    m_model.AppDir = appDir;
    // Nothing relies on the current folder afterwards; it only makes relative
    // names in dialogs start beside the program.
    QDir::setCurrent(launch.programDir);

    std::vector<std::string> arguments;
    for (const QString& argument : launch.arguments)
        arguments.push_back(QFile::encodeName(argument).toStdString());
    const CommandLineSession named = commandLineSession(arguments, QFile::encodeName(launch.launchDir).toStdString());
    if (named.invalid)
        prompts().error(QStringLiteral("Invalid session file!"));
    m_model.Ses->SesFileName = named.fileName;

    // Zeroed tables would divide by zero in the engine: without them the
    // program cannot run.
    try {
        LoadSampleBuffers(appDir, *m_model.Samples);
        LoadVars(appDir, m_model.Tables);
    } catch (const IoError& e) {
        prompts().error(messageText(e));
        return false;
    } catch (const DataFileError& e) {
        prompts().error(messageText(e));
        return false;
    }

    StringGrid1->setColumnWidth(0, statusTitleWidth(StringGrid1));
    FillGridVars();
    FillWaveHeader();
    m_model.UserWavesDir = appDir + "/User_Waves/";
    setHelpFile(QFile::decodeName(QByteArray::fromStdString(appDir + "/Lumisono.hlp")));
    BuildModSineTable();
    SearchPcmDir(m_model.UserWavesDir);
    return true;
}

void TForm1::OpenSessionWhenRun()
{
    // The reader names the session only when the file is in: a refused one
    // leaves a new session without a name.
    const std::string named = std::move(m_model.Ses->SesFileName);
    m_model.Ses->SesFileName.clear();
    if (!named.empty() && OpenSessionDirectly(named))
        return;
    if (Form3)
        Form3->NewProc();
}

void TForm1::FillGridVars()
{
    for (int row = 0; row < StatusGridModel::kRows; ++row)
        GridCells->setCell(0, row, QString::fromLatin1(kGridTitles[row]));
    StringGrid1->setCurrentIndex(GridCells->index(std::max(0, StringGrid1->currentIndex().row()), 2));
}

void TForm1::FillLabels()
{
    const SegParams& params = *m_model.Params;
    // Segment 1 never ramps: show its values without the marks.
    TSegRec first = m_model.Ses->Segments[1];
    for (int field = 1; field <= kFieldCount; ++field)
        if (isRampField(field))
            first[field] = static_cast<std::uint8_t>(first[field] & ~kRampFlag);
    auto text = [&](int field) { return fromWin1252(CellText(m_model.Tables, first, field)); };
    auto percent = [](float value) {
        return QString::fromStdString(formatInt(std::llrint(static_cast<ext>(value) * 100)));
    };

    const std::pair<DisplayEntry, QString> shown[] = {
        {dSegment, QStringLiteral("1")},
        {dTime, QStringLiteral("0:00")},
        {dTone, text(fTone)},
        {dFreq1, text(fFreq1From)},
        {dFreq2, text(fFreq2From)},
        {dPitch1, text(fPitch1)},
        {dPitch2, text(fPitch2)},
        {dPhase, text(fPhase)},
        {dPhaseChange, text(fPhaseChange)},
        {dDutyCycle, text(fDutyCycle)},
        {dVolume, percent(params.SegVolumeStart[1])},
        {dIntensity, percent(params.SegIntensityStart[1])},
        {dSGVol, text(fSGVol)},
        {dWave1, text(fWave1)},
        {dWave2, text(fWave2)},
        {dBackingSound, text(fBackingSound)},
        {dHBeat, QString::fromStdString(formatInt(params.SegHBeatStart[1]))},
    };
    for (const auto& [entry, value] : shown)
        GridCells->setCell(1, statusGridRow(entry), value);
    // The playback control shows the same start, or a stopped run's last
    // values would stay there until the next run.
    if (Form7) {
        Form7->Label4->setText(shown[0].second);
        Form7->Label5->setText(shown[1].second);
        Form7->Label6->setText(QStringLiteral("0:00"));
    }
    StringGrid1->setCurrentIndex(GridCells->index(std::max(0, StringGrid1->currentIndex().row()), 2));
    for (std::string& shown : m_model.Eng->DisplayTexts)
        shown.clear();
}

void TForm1::CompActSesLength()
{
    Engine& eng = *m_model.Eng;
    eng.setLengthFactorPos(TrackBar1->value());
    Label42->setText(QString::fromStdString(formatFixed(eng.SesLengthFactor, 1)));
    const std::int64_t secs =
        std::llrint(static_cast<ext>(m_model.Params->SesLengthSecs) * static_cast<ext>(eng.SesLengthFactor));
    Edit2->setText(QString::fromStdString(formatMinutesSeconds(secs)));
}

void TForm1::ShowEditor()
{
    if (!Form3)
        return;
    Form3->setWindowState(Form3->Maximized ? Qt::WindowMaximized : Qt::WindowNoState);
    showWindow(Form3);
}

void TForm1::ShowGraphicalEditor()
{
    if (!Form8)
        return;
    const bool maximized = Form7 && Form7->GraphEdMaximized;
    Form8->setWindowState(maximized ? Qt::WindowMaximized : Qt::WindowNoState);
    showWindow(Form8);
}

void TForm1::Properties1Click()
{
    if (!Form2)
        return;
    Session& ses = *m_model.Ses;
    if (Form2->exec() == mrOk) {
        ses.SessionName = Form2->sessionName();
        ses.SessionDescription = Form2->sessionDescription();
        ses.SesModified = true;
    } else {
        // Opens next time with the session's values, not the abandoned edit.
        Form2->setSessionName(ses.SessionName);
        Form2->setSessionDescription(ses.SessionDescription);
    }
}

// ---- User waves ---------------------------------------------------------------------

void TForm1::SearchPcmDir(const std::string& dir)
{
    m_userWaves->SearchPcmDir(dir);
}

// ---- Sliders -------------------------------------------------------------------------

void TForm1::SetPosition(QSlider* bar, int position)
{
    const QSignalBlocker silent(bar);
    bar->setValue(position);
}

void TForm1::TrackBar1Change()
{
    // The length factor is not saved with the session: nothing is modified.
    CompActSesLength();
}

void TForm1::TrackBar2Change()
{
    const int p = TrackBar2->value();
    m_model.Eng->setAMDepthPos(p);
    Label3->setText(QStringLiteral("AM Depth: %1").arg(p));
    m_model.Ses->SesModified = true;
}

void TForm1::TrackBar3Change()
{
    RecompHBeatToBSWavVol();
}

void TForm1::RecompHBeatToBSWavVol()
{
    const int p = TrackBar3->value();
    m_model.Eng->setHeartBeatWavPos(p);
    Label10->setText(QStringLiteral("H Beat/BS Wav Vol.: %1/%2").arg(100 - p).arg(p));
    m_model.Ses->SesModified = true;
}

void TForm1::TrackBar4Change()
{
    const int p = TrackBar4->value();
    m_model.Eng->setToneBackingPos(p);
    Label4->setText(QStringLiteral("Tone/BS Volume: %1/%2").arg(100 - p).arg(p));
    m_model.Ses->SesModified = true;
}

void TForm1::TrackBar5Change()
{
    const int p = TrackBar5->value();
    m_model.Eng->setFMDepthPos(p);
    Label9->setText(QStringLiteral("FM Depth: %1").arg(p));
    m_model.Ses->SesModified = true;
}

// ---- Closing ----------------------------------------------------------------------------

void TForm1::closeEvent(QCloseEvent* e)
{
    // A long operation lets events through while its progress dialog is up;
    // ending the program then would pull everything from under it.
    if (Form5 && Form5->isVisible()) {
        e->ignore();
        return;
    }
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        e->ignore();
        return;
    }
    FormClose();
    e->accept();
    QCoreApplication::quit();
}

void TForm1::FormCloseQuery(bool& CanClose)
{
    // Only a save that wrote the file may end the program after Yes.
    if (Form3)
        CanClose = Form3->SaveBefore(QStringLiteral("Session has been modified. Save it before exit?"));
}

void TForm1::FormClose()
{
    stopForExit();
    SaveConfig();
    if (m_screenSaver)
        m_screenSaver->release();
}

void TForm1::stopForExit()
{
    // Playing, ending or delayed: the device must be closed and the readers
    // shut before the settings are written and the windows go.
    Timer1->stop();
    Timer2->stop();
    // The engine stops first, so that a fill the device still asks for renders nothing.
    m_model.Eng->abortRun();
    if (AudioOut1->DeviceOpen())
        AudioOut1->StopAtOnce();
}

void TForm1::keyPressEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && Button1->isEnabled()) {
        Button1->animateClick();
        return;
    }
    QMainWindow::keyPressEvent(e);
}
