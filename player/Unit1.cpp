#include "player/Unit1.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QScrollBar>
#include <QShortcut>
#include <QSlider>
#include <algorithm>
#include <cassert>

#include "components/RepeatBtn.h"
#include "dialogs/DialogKit.h"
#include "dialogs/Version.h"
#include "engine/Session.h"
#include "engine/TimeTexts.h"
#include "engine/ValueEdit.h"
#include "platform/Help.h"
#include "platform/Settings.h"
#include "player/EditorGrid.h"
#include "player/Menus.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/SegmentGridModel.h"
#include "player/Sonavisp.h"
#include "player/Unit10.h"
#include "player/Unit11.h"
#include "player/Unit7.h"
#include "player/Unit8.h"
#include "player/WindowPlace.h"

TForm3* Form3 = nullptr;

namespace {

constexpr int kHelpContext = 1;
constexpr int kWindowHelpContext = 8;
constexpr int kGridHelpContext = 9;
constexpr int kMinWidth = 640;
constexpr int kPanelGap = 4;
constexpr int kPanelHeight = 49;
constexpr int kPanelMinWidth = 608;
constexpr int kStaticTextWidth = 249;
constexpr int kStaticTextPixels = 11; // the window's own type
constexpr int kGridRowHeight = 18;

QString editorTitle()
{
    return QString::fromLatin1(kVersionedTitle) + QStringLiteral(" - Spreadsheet Editor");
}

} // namespace

TForm3::TForm3(PlayerModel& model)
    : m_model(model)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(editorTitle());
    m_grid = new SegmentGridModel(model, this);
    buildControls();
    buildMenus();
    setMinimumWidth(kMinWidth);
    setFixedHeight(menuBar()->sizeHint().height() + m_gridHeight + kPanelGap + kPanelHeight + kPanelGap);
    move(214, 117);
    resize(kMinWidth, height());
}

TForm3::~TForm3() = default;

void TForm3::buildControls()
{
    m_client = new QWidget(this);
    setCentralWidget(m_client);
    m_client->installEventFilter(this);
    setPixelFont(m_client, 11);

    StringGrid1 = new EditorGrid(kGridRowHeight, m_client);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(m_grid);
    // The header and all 18 rows show, with the scroll bar under them.
    m_gridHeight = kGridRowHeight * (kFieldCount + 1) +
                   StringGrid1->horizontalScrollBar()->sizeHint().height() + 2 * StringGrid1->frameWidth();
    connect(StringGrid1, &EditorGrid::pressed, this, &TForm3::StringGrid1MouseDown);
    connect(StringGrid1, &EditorGrid::released, this, &TForm3::StringGrid1MouseUp);
    connect(StringGrid1, &EditorGrid::keyReleased, this, &TForm3::StringGrid1KeyUp);
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    StringGrid1SelectCell(current.column() + 1, current.row() + 1);
            });
    // Segments inserted or deleted leave the current cell on its column
    // number; when that column is gone, the graphic editor and the playback
    // start segment must follow the clamped one.
    connect(StringGrid1, &EditorGrid::cellsRestored, this, [](bool currentMoved) {
        if (currentMoved)
            postSyncSelection();
    });

    Panel1 = new QFrame(m_client);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    RepeatButton2 = new TRepeatButton(QStringLiteral("Down (A)"), Panel1);
    RepeatButton2->setObjectName(QStringLiteral("RepeatButton2"));
    RepeatButton2->setGeometry(8, 12, 75, 25);
    Label1 = new QLabel(QStringLiteral("Value"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(89, 16, 32, 17);
    RepeatButton1 = new TRepeatButton(QStringLiteral("Up (Q)"), Panel1);
    RepeatButton1->setObjectName(QStringLiteral("RepeatButton1"));
    RepeatButton1->setGeometry(124, 12, 75, 25);
    for (TRepeatButton* button : {RepeatButton1, RepeatButton2}) {
        button->InitRepeatPause = 250;
        button->RepeatPause = 50;
    }
    Button3 = new QPushButton(QStringLiteral("Ramp (R)"), Panel1);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(212, 12, 75, 25);
    Button3->setFocusPolicy(Qt::ClickFocus);
    // The graphic editor's selection handling enables it on the ramp rows.
    Button3->setEnabled(false);

    StaticText1 = new QLabel(QStringLiteral("Segment 1 start time: 0:00.0"), Panel1);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setGeometry(0, 6, kStaticTextWidth, 17);
    StaticText2 = new QLabel(QStringLiteral("Session total time: 1:00.0"), Panel1);
    StaticText2->setObjectName(QStringLiteral("StaticText2"));
    StaticText2->setGeometry(0, 26, kStaticTextWidth, 17);
    for (QLabel* text : {StaticText1, StaticText2})
        text->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    TrackBar1 = valueSlider(m_client);

    connect(RepeatButton1, &QPushButton::clicked, this, &TForm3::RepeatButton1Click);
    connect(RepeatButton2, &QPushButton::clicked, this, &TForm3::RepeatButton2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm3::Button3Click);
    // Code sets the slider only under a signal blocker: what arrives here
    // is the user's own move.
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm3::TrackBar1Change);

    for (QWidget* control : std::initializer_list<QWidget*>{RepeatButton1, RepeatButton2, Button3})
        PlaybackLock::add(control);
}

void TForm3::buildMenus()
{
    QMenuBar* bar = menuBar();
    const auto menu = [bar](const char* name, const QString& text) { return namedMenu(bar, name, text); };

    Session1 = menu("Session1", QStringLiteral("&Session"));
    addSessionFileItems(*this);
    Session1->addSeparator();
    CloseEditor1 = menuItem(Session1, "CloseEditor1", QStringLiteral("&Close Editor"));

    addSegmentMenu(*this);

    addShowMenu(*this);
    addHelpMenu(*this, kHelpContext);

    connect(New1, &QAction::triggered, this, &TForm3::NewProc);
    connect(Open1, &QAction::triggered, this, [] {
        if (Form1)
            Form1->OpenSession();
    });
    connect(Save1, &QAction::triggered, this, &TForm3::Save1Click);
    connect(SaveAs1, &QAction::triggered, this, &TForm3::SaveAsProc);
    connect(ImportPsx1, &QAction::triggered, this, &TForm3::ImportPsxProc);
    connect(ImportMlp1, &QAction::triggered, this, &TForm3::ImportMlpProc);
    connect(CloseEditor1, &QAction::triggered, this, &QWidget::close);
    connect(Cut1, &QAction::triggered, this, &TForm3::Cut1Click);
    connect(Copy1, &QAction::triggered, this, &TForm3::CopyProc);
    connect(Paste1, &QAction::triggered, this, &TForm3::PasteProc);
    connect(Delete1, &QAction::triggered, this, &TForm3::DeleteProc);
    connect(AddNew1, &QAction::triggered, this, [this] {
        // After a refusal there is no new segment to select there.
        if (AddNewSeg())
            graphicEditor().AddNewSegUpd();
    });
    connect(Insert1, &QAction::triggered, this, &TForm3::InsertProc);
    connect(ValueUp1, &QAction::triggered, this, &TForm3::ValueUp);
    connect(ValueDown1, &QAction::triggered, this, &TForm3::ValueDown);
    connect(Ramp1, &QAction::triggered, this, &TForm3::RampClick);
    connect(MainWindow1, &QAction::triggered, this, [] { showWindow(Form1); });
    connect(Properties1, &QAction::triggered, this, [] {
        if (Form1)
            Form1->Properties1Click();
    });
    connect(GraphicEditor1, &QAction::triggered, this, [] {
        if (Form8) {
            Form8->setWindowState(Qt::WindowNoState);
            showWindow(Form8);
        }
    });
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this,
            [this] { showHelp(StringGrid1->hasFocus() ? kGridHelpContext : kWindowHelpContext); });

    lockWithPlayback(this);
}

void TForm3::lockCommands(bool locked)
{
    // Paste has nothing to insert until the first Copy.
    enableCommands({Session1, Import1, Segment1}, Paste1, ClipCount() > 0, locked);
}

// ---- Start-up and settings --------------------------------------------------------

void TForm3::FormCreate()
{
    LoadConfig();
    setWindowTitle(editorTitle());
    m_grid->resetSession([this] { m_model.Ses->SegCount = 1; });
    FillDefSeg(1);
}

void TForm3::LoadConfig()
{
    const Settings settings;
    LoadConfig(settings);
}

void TForm3::LoadConfig(const Settings& settings)
{
    const QPoint design = pos();
    const int x = settings.readInteger(QStringLiteral("F3x"), design.x());
    const int y = settings.readInteger(QStringLiteral("F3y"), design.y());
    const int w = settings.readInteger(QStringLiteral("F3w"), width());
    // F3h is read for completeness of the record only: the height is fixed.
    settings.readInteger(QStringLiteral("F3h"), height());
    resize(std::max(w, kMinWidth), height());
    placeWindow(this, {x, y}, design);
    Maximized = settings.readBool(QStringLiteral("F3m"), false);
}

// ---- Cells and time texts ------------------------------------------------------------

void TForm3::ChangeValue(int segment, int row)
{
    m_grid->ChangeValue(segment, row);
}

void TForm3::RefreshSegment(int segment)
{
    m_grid->RefreshSegment(segment);
}

void TForm3::FillDefSeg(int segment)
{
    m_grid->FillDefSeg(segment);
}

void TForm3::SesTimeComp(int n)
{
    if (!m_grid->inStep()) [[unlikely]] {
        assert(false && "the grid's columns and SegCount differ");
        m_grid->resetSession();
    }
    const TimeTexts texts = sessionTimeTexts(*m_model.Ses, m_model.Tables, n);
    const QString start = QString::fromStdString(texts.start);
    const QString total = QString::fromStdString(texts.total);
    // Four-digit segments and sessions of hours outgrow the boxes.
    setFittedText(StaticText1, start, kStaticTextPixels);
    setFittedText(StaticText2, total, kStaticTextPixels);
    graphicEditor().setTimeTexts(start, total);
}

// ---- Value editing ----------------------------------------------------------------------

void TForm3::valueStep(bool up)
{
    const GridRect sel = StringGrid1->selectionRect();
    const int row = StringGrid1->currentRow();
    const VisitedSegments visited = m_grid->stepValues(sel.left, sel.right, row, up);
    if (visited.empty())
        return;
    // The slider shows the row as it would on opening: the whole byte on the
    // Freq rows, which use bit 7 as part of the index.
    if (TrackBar1->isVisible())
        showField(TrackBar1, m_model.Tables, m_model.Ses->Segments[visited.last], row);
    if (row == fTime)
        SesTimeComp(StringGrid1->currentSegment());
}

void TForm3::ValueUp()
{
    valueStep(true);
}

void TForm3::ValueDown()
{
    valueStep(false);
}

void TForm3::RampClick()
{
    const GridRect sel = StringGrid1->selectionRect();
    const int row = StringGrid1->currentRow();
    showVisited(*m_grid, toggleRamp(*m_model.Ses, sel.left, sel.right, row), row);
}

void TForm3::RepeatButton1Click()
{
    ValueUp();
    graphicEditor().ChangeValue(StringGrid1->currentSegment(), StringGrid1->currentRow());
    StringGrid1->setFocus();
}

void TForm3::RepeatButton2Click()
{
    ValueDown();
    graphicEditor().ChangeValue(StringGrid1->currentSegment(), StringGrid1->currentRow());
    StringGrid1->setFocus();
}

void TForm3::Button3Click()
{
    RampClick();
    StringGrid1->setFocus();
}

void TForm3::TrackBar1Change()
{
    const GridRect sel = StringGrid1->selectionRect();
    const int row = StringGrid1->currentRow();
    showVisited(*m_grid,
                writeSliderPosition(*m_model.Ses, m_model.Tables, sel.left, sel.right, row, TrackBar1->value()), row);
}

// ---- Mouse, selection and mirroring ---------------------------------------------------

bool TForm3::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_client && e->type() == QEvent::Resize)
        FormResize();
    return false;
}

void TForm3::StringGrid1MouseDown(Qt::MouseButton button, int column, int row)
{
    StringGrid1->setFocus(Qt::MouseFocusReason);
    if (column == 0 && row >= 1)
        StringGrid1->setCurrentCell(StringGrid1->currentSegment(), row);
    if (button == Qt::RightButton && !playbackBusy()) {
        if (column >= 1 && row >= 1)
            popUpSlider(column, row);
        return;
    }
    TrackBar1->hide();
}

void TForm3::popUpSlider(int column, int row)
{
    StringGrid1->keepOrSelect(column, row);

    // Under the cell, or right-aligned to it where it would leave the grid.
    const QRect cell =
        StringGrid1->visualRect(m_grid->index(row - 1, column - 1)).translated(StringGrid1->viewport()->pos());
    const int width = TrackBar1->width();
    int left = cell.x() + 2;
    if (cell.x() + width > StringGrid1->width())
        left = cell.x() + cell.width() - width + 2;
    TrackBar1->move(StringGrid1->mapTo(m_client, QPoint(left, cell.y() + cell.height() + 3)));
    showField(TrackBar1, m_model.Tables, m_model.Ses->Segments[column], row);
    TrackBar1->show();
    TrackBar1->raise();
}

void TForm3::StringGrid1SelectCell(int column, int row)
{
    if (StringGrid1->restoring())
        return;
    postSyncSelection();
    if (!SkipSync)
        graphicEditor().moveGrid(column, row);
    SesTimeComp(column);
}

void TForm3::StringGrid1MouseUp()
{
    graphicEditor().copySelection(StringGrid1->selectionRect());
    postSyncSelection();
}

void TForm3::StringGrid1KeyUp()
{
    graphicEditor().copySelection(StringGrid1->selectionRect());
    postSyncSelection();
}

// ---- Leaving the window and layout -----------------------------------------------------

void TForm3::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && !isActiveWindow())
        FormDeactivate();
    else if (e->type() == QEvent::WindowStateChange)
        FormResize();
}

void TForm3::FormDeactivate()
{
    TrackBar1->hide();
    recomputeAfterEdit();
}

bool TForm3::playbackBusy() const
{
    return (Form1 && Form1->Playing) || m_model.Eng->Ending;
}

void TForm3::recomputeAfterEdit()
{
    if (playbackBusy())
        return;
    m_model.recompute();
    if (Form1) {
        Form1->CompActSesLength();
        Form1->FillLabels();
    }
}

void TForm3::FormResize()
{
    const Qt::WindowStates state = windowState();
    if (!(state & Qt::WindowMinimized))
        Maximized = state & Qt::WindowMaximized;
    const int width = m_client->width();
    StringGrid1->setGeometry(0, 0, width, m_gridHeight);
    Panel1->setGeometry(0, m_gridHeight + kPanelGap, std::max(width, kPanelMinWidth), kPanelHeight);
    for (QLabel* text : {StaticText1, StaticText2})
        text->move(Panel1->contentsRect().right() - text->width(), text->y());
}
