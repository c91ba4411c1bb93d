#include "player/Unit8.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <algorithm>

#include "components/RepeatBtn.h"
#include "dialogs/DialogKit.h"
#include "dialogs/Version.h"
#include "engine/ValueEdit.h"
#include "platform/Help.h"
#include "player/EditorGrid.h"
#include "player/Menus.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/SegmentGridModel.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "player/Unit7.h"
#include "player/WindowPlace.h"

TForm8* Form8 = nullptr;

namespace {

constexpr int kHelpContext = 1;
constexpr int kWindowHelpContext = 8;
constexpr int kGridHelpContext = 9;
/// The client area at design size, which is also the smallest: a 400 x 360
/// plot. A grid wider than the design's widens it by as much.
constexpr QSize kDesignClient(631, 451);
constexpr int kGridRowHeight = 19;
constexpr int kGridHeight = 382;
constexpr int kPanel2Width = 25;
constexpr int kPanel2Height = 383;
constexpr int kPanel3Height = 49;
constexpr int kPanel3MinWidth = 617;
constexpr int kPanel3FullFrom = 632; // client widths from here on give Panel3 the full width
constexpr int kAxisWidth = 40;
constexpr int kScrollBarHeight = 17;
constexpr int kStaticTextWidth = 249;
constexpr int kStaticTextPixels = 16;
/// Curve button b sits beside grid row kCurveRows[b].
constexpr int kCurveRows[9] = {0, fFreq1From, fFreq2From, fPitch1, fPitch2, fDutyCycle, fVolume, fIntensity, fHBeat};

QSize backingSize(bool withWidth)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize(1024, 768);
    return {withWidth ? std::max(size.width() - 80, 1) : kAxisWidth, std::max(size.height() - 80, 1)};
}

QToolButton* toolButton(QWidget* parent, const QString& name, const QString& caption, QRect at)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setCheckable(true);
    b->setAutoExclusive(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(at);
    return b;
}

template <class Button>
Button* pushButton(QWidget* parent, const char* name, const QString& caption, QRect at)
{
    auto* b = new Button(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(at);
    return b;
}

} // namespace

// ---- PlotImage -------------------------------------------------------------------------------

PlotImage::PlotImage(QSize backing, QWidget* parent)
    : QWidget(parent)
    , m_image(backing, QImage::Format_RGB32)
{
    m_image.fill(Qt::white);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlotImage::paintEvent(QPaintEvent* e)
{
    QPainter painter(this);
    painter.drawImage(e->rect(), m_image, e->rect());
}

void PlotImage::resizeEvent(QResizeEvent*)
{
    if (width() <= m_image.width() && height() <= m_image.height())
        return;
    // A screen larger than the one at start: grown once, never shrunk. The
    // redraw that follows every resize fills it.
    QImage larger(std::max(width(), m_image.width()), std::max(height(), m_image.height()), QImage::Format_RGB32);
    larger.fill(Qt::white);
    m_image.swap(larger);
}

// ---- Creation ----------------------------------------------------------------------------------

TForm8::TForm8(PlayerModel& model, SegmentGridModel& grid)
    : m_model(model)
    , m_grid(grid)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QString::fromLatin1(kVersionedTitle) + QStringLiteral(" - Graphic Editor"));
    buildControls();
    buildMenus();
    m_client->setMinimumSize(kDesignClient + QSize(gridWidth() - kDesignGridWidth, 0));
    resize(minimumSizeHint());
    m_linkBefore = setGraphicEditor(this);
}

TForm8::~TForm8()
{
    if (&graphicEditor() == static_cast<GraphicEditorLink*>(this))
        setGraphicEditor(m_linkBefore);
}

void TForm8::buildControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(m_client);
    m_client->installEventFilter(this);
    setPixelFont(m_client, 11);

    Panel1 = new QFrame(m_client);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    // Created in the design's order: each overlaps the one before by a pixel
    // or two and must lie over it.
    Image2 = new PlotImage(backingSize(false), Panel1);
    Image2->setObjectName(QStringLiteral("Image2"));
    Shape1 = new QFrame(Panel1);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setAutoFillBackground(true);
    QPalette black = Shape1->palette();
    black.setColor(QPalette::Window, Qt::black);
    Shape1->setPalette(black);
    Image1 = new PlotImage(backingSize(true), Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setCursor(Qt::ArrowCursor);
    // Moves arrive without a button held too: the handles show on hover.
    Image1->setMouseTracking(true);
    Image1->installEventFilter(this);
    PropScrollBar1 = new QScrollBar(Qt::Horizontal, Panel1);
    PropScrollBar1->setObjectName(QStringLiteral("PropScrollBar1"));
    PropScrollBar1->setFocusPolicy(Qt::NoFocus);
    PropScrollBar1->setRange(0, 0);
    // The program sets the bar only under a signal blocker: what arrives
    // here is the user's own move.
    connect(PropScrollBar1, &QScrollBar::valueChanged, this, &TForm8::PropScrollbar1Change);

    Panel2 = new QFrame(m_client);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    for (int b = 1; b <= 8; ++b) {
        QToolButton* button = toolButton(Panel2, QStringLiteral("SpeedButton%1").arg(b), QStringLiteral("II"),
                                         {2, 2 + kGridRowHeight * kCurveRows[b], kPanel2Width - 4, kGridRowHeight});
        setPixelFont(button, 19, true);
        QPalette colour = button->palette();
        colour.setColor(QPalette::ButtonText, QColor(kCurves[b].r, kCurves[b].g, kCurves[b].b));
        button->setPalette(colour);
        connect(button, &QToolButton::clicked, this, [this, b] { SpeedButton1to8Click(b); });
        CurveButtons[b] = button;
    }
    CurveButtons[1]->setChecked(true);

    StringGrid1 = new EditorGrid(kGridRowHeight, m_client);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(&m_grid);
    StringGrid1->setCurrentCell(1, 1);
    connect(StringGrid1, &EditorGrid::pressed, this, &TForm8::StringGrid1MouseDown);
    connect(StringGrid1, &EditorGrid::released, this, &TForm8::StringGrid1MouseUp);
    connect(StringGrid1, &EditorGrid::keyReleased, this, &TForm8::StringGrid1KeyUp);
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (current.isValid())
                    StringGrid1SelectCell(current.column() + 1, current.row() + 1,
                                          previous.isValid() ? previous.row() + 1 : 0);
            });
    // A new or read session puts the grid's cell back quietly (EditorGrid),
    // and no one selected anything: the plot and the buttons follow the cell
    // without the notification, whose fit would undo the user's zoom. The
    // code that replaced the session draws it.
    connect(&m_grid, &QAbstractItemModel::modelReset, this, &TForm8::followGridSelection);

    Panel3 = new QFrame(m_client);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Button5 = pushButton<QPushButton>(Panel3, "Button5", QStringLiteral("Zoom In"), {1, 1, 80, 24});
    Button6 = pushButton<QPushButton>(Panel3, "Button6", QStringLiteral("Zoom Out"), {1, 24, 80, 24});
    SpeedButton11 = toolButton(Panel3, QStringLiteral("SpeedButton11"), QStringLiteral("Show Segs"), {80, 1, 73, 24});
    SpeedButton12 =
        toolButton(Panel3, QStringLiteral("SpeedButton12"), QStringLiteral("Auto Refresh"), {80, 24, 73, 24});
    SpeedButton10 = toolButton(Panel3, QStringLiteral("SpeedButton10"), QStringLiteral("Show Grid"), {152, 1, 73, 24});
    SpeedButton9 = toolButton(Panel3, QStringLiteral("SpeedButton9"), QStringLiteral("Show All"), {152, 24, 73, 24});
    RepeatButton1 = pushButton<TRepeatButton>(Panel3, "RepeatButton1", QStringLiteral("Val. Up"), {224, 1, 73, 24});
    RepeatButton2 = pushButton<TRepeatButton>(Panel3, "RepeatButton2", QStringLiteral("Val. Down"), {224, 24, 73, 24});
    for (TRepeatButton* button : {RepeatButton1, RepeatButton2}) {
        button->InitRepeatPause = 250;
        button->RepeatPause = 50;
    }
    Button3 = pushButton<QPushButton>(Panel3, "Button3", QStringLiteral("Ramp"), {296, 1, 73, 24});
    // The selection handling enables it on the ramp rows.
    Button3->setEnabled(false);
    Button3->setFocusPolicy(Qt::NoFocus);
    Button4 = pushButton<QPushButton>(Panel3, "Button4", QStringLiteral("Refresh"), {296, 24, 73, 24});
    Button4->setFocusPolicy(Qt::ClickFocus);
    StaticText1 = new QLabel(QStringLiteral("Segment 1 start time: 0:00.0"), Panel3);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText2 = new QLabel(QStringLiteral("Session total time: 1:00.0"), Panel3);
    StaticText2->setObjectName(QStringLiteral("StaticText2"));
    for (QLabel* text : {StaticText1, StaticText2}) {
        text->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        text->setAutoFillBackground(true);
        QPalette light = text->palette();
        light.setColor(QPalette::Window, light.color(QPalette::Light));
        text->setPalette(light);
        setPixelFont(text, kStaticTextPixels);
    }
    StaticText1->setGeometry(368, 0, kStaticTextWidth, 24);
    StaticText2->setGeometry(368, 24, kStaticTextWidth, 24);

    TrackBar1 = valueSlider(m_client);
    // Code sets the slider only under a signal blocker: what arrives here is
    // the user's own move.
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm8::TrackBar1Change);

    connect(Button4, &QPushButton::clicked, this, &TForm8::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm8::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm8::Button6Click);
    connect(SpeedButton9, &QToolButton::clicked, this, &TForm8::SpeedButton9Click);
    connect(SpeedButton10, &QToolButton::clicked, this, &TForm8::SpeedButton10Click);
    connect(SpeedButton11, &QToolButton::clicked, this, &TForm8::SpeedButton11Click);
    connect(SpeedButton12, &QToolButton::clicked, this, &TForm8::SpeedButton12Click);
    connect(RepeatButton1, &QPushButton::clicked, this, [this] {
        ValueUp();
        StringGrid1->setFocus();
    });
    connect(RepeatButton2, &QPushButton::clicked, this, [this] {
        ValueDown();
        StringGrid1->setFocus();
    });
    connect(Button3, &QPushButton::clicked, this, [this] {
        if (Form3)
            Form3->RampClick();
        StringGrid1->setFocus();
    });
    for (QWidget* control : std::initializer_list<QWidget*>{RepeatButton1, RepeatButton2, Button3})
        PlaybackLock::add(control);
}

void TForm8::buildMenus()
{
    QMenuBar* bar = menuBar();
    Session1 = namedMenu(bar, "Session1", QStringLiteral("&Session"));
    addSessionFileItems(*this);
    Session1->addSeparator();
    CloseEditor1 = menuItem(Session1, "CloseEditor1", QStringLiteral("&Close Editor"));

    addSegmentMenu(*this);

    View1 = namedMenu(bar, "View1", QStringLiteral("&View"));
    ZoomIn1 = menuItem(View1, "ZoomIn1", QStringLiteral("Zoom &In"), QKeySequence(Qt::CTRL | Qt::Key_I));
    ZoomOut1 = menuItem(View1, "ZoomOut1", QStringLiteral("Zoom &Out"), QKeySequence(Qt::CTRL | Qt::Key_U));

    addShowMenu(*this);
    addHelpMenu(*this, kHelpContext);

    // The spreadsheet editor's procedures serve both editors; each redraws
    // the plot here afterwards.
    const auto sheet = [this](auto procedure, bool redraw = true) {
        return [this, procedure, redraw] {
            if (!Form3)
                return;
            (Form3->*procedure)();
            if (redraw)
                DrawImage();
        };
    };
    connect(New1, &QAction::triggered, this, sheet(&TForm3::NewProc));
    connect(Open1, &QAction::triggered, this, [] {
        if (Form1)
            Form1->OpenSession();
    });
    connect(Save1, &QAction::triggered, this, sheet(&TForm3::Save1Click, false));
    connect(SaveAs1, &QAction::triggered, this, sheet(&TForm3::SaveAsProc, false));
    connect(ImportPsx1, &QAction::triggered, this, sheet(&TForm3::ImportPsxProc, false));
    connect(ImportMlp1, &QAction::triggered, this, sheet(&TForm3::ImportMlpProc, false));
    connect(CloseEditor1, &QAction::triggered, this, &QWidget::close);
    connect(Cut1, &QAction::triggered, this, sheet(&TForm3::CutProc));
    connect(Copy1, &QAction::triggered, this, sheet(&TForm3::CopyProc, false));
    connect(Paste1, &QAction::triggered, this, sheet(&TForm3::PasteProc));
    connect(Delete1, &QAction::triggered, this, sheet(&TForm3::DeleteProc));
    connect(AddNew1, &QAction::triggered, this, [this] {
        // After a refusal there is no new segment to select.
        if (Form3 && Form3->AddNewSeg())
            AddNewSegUpd();
    });
    connect(Insert1, &QAction::triggered, this, sheet(&TForm3::InsertProc));
    connect(ValueUp1, &QAction::triggered, this, &TForm8::ValueUp);
    connect(ValueDown1, &QAction::triggered, this, &TForm8::ValueDown);
    connect(Ramp1, &QAction::triggered, this, sheet(&TForm3::RampClick, false));
    connect(ZoomIn1, &QAction::triggered, this, &TForm8::ZoomInProc);
    connect(ZoomOut1, &QAction::triggered, this, &TForm8::ZoomOutProc);
    connect(MainWindow1, &QAction::triggered, this, [] { showWindow(Form1); });
    connect(Properties1, &QAction::triggered, this, [] {
        if (Form1)
            Form1->Properties1Click();
    });
    connect(SpreadsheetEditor1, &QAction::triggered, this, [] {
        if (Form1)
            Form1->ShowEditor();
    });
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this,
            [this] { showHelp(StringGrid1->hasFocus() ? kGridHelpContext : kWindowHelpContext); });

    lockWithPlayback(this);
}

void TForm8::lockCommands(bool locked)
{
    enableCommands({Session1, Import1, Segment1}, Paste1, m_pasteUsable, locked);
}

void TForm8::FormCreate()
{
    placeFromSettings(Form7 ? Form7->GraphEdBounds : StoredBounds{});
    if (Form7) {
        setToggle(SpeedButton11, Form7->ShowSegs);
        setToggle(SpeedButton10, Form7->ShowGrid);
        setToggle(SpeedButton9, Form7->ShowAll);
        setToggle(SpeedButton12, Form7->AutoRefresh);
    }
    // The client takes its size from the window now, not at the first show.
    layout()->activate();
    // Laid out by the resize rules from the start, so that the first virtual
    // width is the plot's.
    layOut();
    SetImageRects();
    RecalcImage1Params();
    takeGridSelection();
    if (Form1)
        Form1->OpenSessionWhenRun();
}

void TForm8::placeFromSettings(const StoredBounds& stored)
{
    if (stored.Width != kNotSet && stored.Width > 0 && stored.Height > 0) {
        // A size larger than the whole desktop comes from a damaged file; the
        // window would have no edge left to grab. One below the minimum
        // grows to it.
        QSize size(stored.Width, stored.Height);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            size = size.boundedTo(screen->availableVirtualGeometry().size());
        resize(size);
    }
    placeWindow(this, {stored.Left, stored.Top}, centredPlace(this));
}

void TForm8::FormActivate()
{
    if (Form7) {
        setToggle(SpeedButton11, Form7->ShowSegs);
        setToggle(SpeedButton10, Form7->ShowGrid);
        setToggle(SpeedButton9, Form7->ShowAll);
        setToggle(SpeedButton12, Form7->AutoRefresh);
        if (Form7->GraphEdMaximized && !(windowState() & Qt::WindowMaximized))
            setWindowState(windowState() | Qt::WindowMaximized);
    }
    // The grid back on the plot's selection, as far as the session still
    // reaches; the spreadsheet editor is not moved.
    const int last = std::max(m_grid.columnCount(), 1);
    const int right = std::clamp(m_geo.SelRect.right, 1, last);
    const int left = std::clamp(m_geo.SelRect.left, 1, right);
    const int top = std::clamp(m_geo.SelRect.top, 1, kFieldCount);
    const GridRect kept{left, top, right, top};
    {
        const SyncGuard moving(NoEcho);
        StringGrid1->setCurrentCell(1, 1);
        StringGrid1->setCurrentCell(1, top);
        StringGrid1->setCurrentCell(right, top);
        StringGrid1->setSelectionRect(kept);
    }
    m_geo.SelRect = kept;
    m_geo.CurSeg = right;
    DrawImage();
}

void TForm8::FormDeactivate()
{
    TrackBar1->hide();
    const Qt::WindowStates state = windowState();
    if (Form7 && !(state & Qt::WindowMinimized))
        Form7->GraphEdMaximized = state & Qt::WindowMaximized;
    if (Form3)
        Form3->recomputeAfterEdit();
}

// ---- Layout --------------------------------------------------------------------------------------

int TForm8::gridWidth() const
{
    // Titles widened for the desktop's font would leave less than a column
    // beside them, and the last segment would show cut on its left.
    return std::max(kDesignGridWidth, StringGrid1->widthFor(1));
}

GraphLayout TForm8::layoutFor(QSize client, int gridWidth)
{
    const int width = client.width();
    const int height = client.height();
    GraphLayout l;
    int panel1Height = height;
    if (height >= kGridHeight + kPanel3Height + 20)
        panel1Height = height - kPanel3Height - 20;
    else if (height >= kGridHeight + 10)
        panel1Height = kGridHeight;
    const int panel1Width = width - kPanel2Width - gridWidth - 16;
    l.Panel1 = {8, 0, panel1Width, panel1Height};
    // The panel's client is its whole area.
    const int imageHeight = panel1Height - kScrollBarHeight - 5;
    l.Image1 = {43, 2, panel1Width - kAxisWidth - 5, imageHeight};
    l.Image2 = {2, 2, kAxisWidth, imageHeight};
    l.Shape1 = {40, 2, 4, imageHeight};
    l.PropScrollBar1 = {43, imageHeight + 3, panel1Width - kAxisWidth - 3, kScrollBarHeight};
    l.Panel2 = {panel1Width + 8, 0, kPanel2Width, kPanel2Height};
    l.StringGrid1 = {l.Panel2.x() + kPanel2Width, 0, gridWidth, kGridHeight};
    const int panel3Width = width >= kPanel3FullFrom ? width - 16 : kPanel3MinWidth;
    l.Panel3 = {8, std::max(kGridHeight, panel1Height) + 10, panel3Width, kPanel3Height};
    l.StaticTextLeft = panel3Width - kStaticTextWidth;
    return l;
}

void TForm8::layOut()
{
    const GraphLayout l = layoutFor(m_client->size(), gridWidth());
    const auto place = [](QWidget* w, QRect r) {
        w->setGeometry(r.x(), r.y(), std::max(r.width(), 0), std::max(r.height(), 0));
    };
    place(Panel1, l.Panel1);
    place(Image2, l.Image2);
    place(Shape1, l.Shape1);
    place(Image1, l.Image1);
    place(PropScrollBar1, l.PropScrollBar1);
    place(Panel2, l.Panel2);
    place(StringGrid1, l.StringGrid1);
    place(Panel3, l.Panel3);
    for (QLabel* text : {StaticText1, StaticText2})
        text->move(l.StaticTextLeft, text->y());
}

void TForm8::FormResize()
{
    const Qt::WindowStates state = windowState();
    if (Form7 && !(state & Qt::WindowMinimized))
        Form7->GraphEdMaximized = state & Qt::WindowMaximized;
    layOut();
    RecalcImage1Params();
    DrawImage();
}

bool TForm8::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_client) {
        if (e->type() == QEvent::Resize)
            FormResize();
        return false;
    }
    if (watched != Image1)
        return false;
    const QEvent::Type type = e->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return false;
    const auto* me = static_cast<QMouseEvent*>(e);
    const QPoint at = me->position().toPoint();
    if (type == QEvent::MouseMove)
        Image1MouseMove(at.x(), at.y());
    else if (type == QEvent::MouseButtonRelease)
        Image1MouseUp(at.x(), at.y());
    else
        Image1MouseDown(me->button(), me->buttons(), me->modifiers(), at.x());
    return true;
}

void TForm8::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    if (e->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow())
        FormActivate();
    else
        FormDeactivate();
}

// ---- Geometry and drawing -------------------------------------------------------------------

PlotSession TForm8::plotSession() const
{
    const Engine& eng = *m_model.Eng;
    // During a run SegEnd holds the run's positions at its length factor.
    const bool frozen = (Form1 && Form1->Playing) || eng.Ending || eng.Recording;
    return {*m_model.Ses, m_model.Tables, *m_model.Params, frozen};
}

PlotView TForm8::plotView() const
{
    PlotView v;
    for (int b = 1; b <= 8; ++b)
        v.CurveDown[b] = CurveButtons[b]->isChecked();
    v.ShowSegs = SpeedButton11->isChecked();
    v.ShowGrid = SpeedButton10->isChecked();
    v.ShowAll = SpeedButton9->isChecked();
    // The spreadsheet editor keeps its row equal to this grid's.
    v.EditorRow = Form3 ? Form3->StringGrid1->currentRow() : StringGrid1->currentRow();
    v.AxisWidth = Image2->width();
    v.AxisHeight = Image2->height();
    return v;
}

void TForm8::SetImageRects()
{
    m_geo.Width = Image1->width();
    m_geo.Height = Image1->height();
}

void TForm8::RecalcImage1Params()
{
    m_geo.RecalcImage1Params(Image1->width(), Image1->height(), plotSession());
    setScrollBar(PropScrollBar1->value());
}

void TForm8::DrawImage()
{
    m_plotCanvas.begin(Image1->image(), Image1->size());
    m_axisCanvas.begin(Image2->image(), Image2->size());
    m_renderer.DrawImage(m_geo, plotSession(), plotView(), m_plotCanvas, m_axisCanvas);
    m_plotCanvas.end();
    m_axisCanvas.end();
    Image1->update();
    Image2->update();
}

void TForm8::setScrollBar(int position)
{
    const QSignalBlocker silent(PropScrollBar1);
    PropScrollBar1->setRange(0, m_geo.scrollLimit());
    PropScrollBar1->setPageStep(std::max(m_geo.ScrollPage, 1));
    PropScrollBar1->setValue(position);
    m_geo.ScrollX = PropScrollBar1->value() * m_geo.ScrollDiv;
}

void TForm8::ChangeVirtImageScrollBarRange()
{
    m_geo.ScrollMax = m_geo.VirtualWidth / std::max(m_geo.ScrollDiv, 1);
    setScrollBar(PropScrollBar1->value());
}

void TForm8::PropScrollbar1Change()
{
    m_geo.ScrollX = PropScrollBar1->value() * m_geo.ScrollDiv;
    DrawImage();
}

void TForm8::zoomed(std::optional<std::int32_t> position)
{
    if (!position)
        return;
    setScrollBar(*position);
    DrawImage();
}

void TForm8::ZoomInProc()
{
    zoomed(m_geo.zoomIn(plotSession()));
}

void TForm8::ZoomOutProc()
{
    zoomed(m_geo.zoomOut(plotSession()));
}

void TForm8::resetZoom()
{
    m_geo.resetZoom(Image1->width());
    {
        const QSignalBlocker silent(PropScrollBar1);
        PropScrollBar1->setValue(0);
    }
    ChangeVirtImageScrollBarRange();
}

// ---- The spreadsheet editor's calls -------------------------------------------------------------

void TForm8::setTimeTexts(const QString& start, const QString& total)
{
    // Four-digit segments and sessions of hours outgrow the boxes.
    setFittedText(StaticText1, start, kStaticTextPixels);
    setFittedText(StaticText2, total, kStaticTextPixels);
}

void TForm8::ChangeValue(int segment, int)
{
    // The cell itself is the shared model's: both grids show it already.
    if (SpeedButton12->isChecked() && segment == StringGrid1->selectionRect().right)
        DrawImage();
    m_model.Ses->SesModified = true;
}

void TForm8::moveGrid(int segment, int row)
{
    const SyncGuard moving(NoEcho);
    StringGrid1->setCurrentCell(segment, row);
}

void TForm8::copySelection(const GridRect& rect)
{
    StringGrid1->setSelectionRect(rect);
}

void TForm8::AddNewSegUpd()
{
    const int last = m_grid.columnCount();
    m_grid.RefreshSegment(last);
    const SyncGuard moving(NoEcho);
    StringGrid1->setCurrentCell(last, StringGrid1->currentRow());
}

void TForm8::enablePaste()
{
    m_pasteUsable = true;
    lockCommands(PlaybackLock::locked());
}

void TForm8::takeGridSelection()
{
    const GridRect sel = StringGrid1->selectionRect();
    m_geo.SelRect = {sel.left, StringGrid1->currentRow(), sel.right, StringGrid1->currentRow()};
    m_geo.CurSeg = StringGrid1->currentSegment();
}

void TForm8::SyncSelectionMsg()
{
    followGridSelection();
    // A drag keeps the view still under the mouse.
    if (!DragValue && !DragTime)
        setScrollBar(m_geo.fitSelection(plotSession(), PropScrollBar1->value()));
    DrawImage();
}

void TForm8::followGridSelection()
{
    takeGridSelection();
    const int row = StringGrid1->currentRow();
    if (const int button = curveButtonOfRow(row))
        setToggle(CurveButtons[button], true);
    if (Form7)
        Form7->SetStartSeg(m_geo.CurSeg);

    // Ramp buttons: only where the row ramps, never on the first segment;
    // while playing the lock owns them.
    std::array<QPushButton*, 2> ramps{Button3, Form3 ? Form3->Button3 : nullptr};
    const auto enable = [&](bool on) {
        for (QPushButton* b : ramps)
            if (b)
                b->setEnabled(on);
    };
    if (!isRampField(row))
        enable(false);
    else if (!playing())
        enable(true);
    if (m_geo.CurSeg == 1)
        enable(false);
}

// ---- This grid -----------------------------------------------------------------------------------

void TForm8::StringGrid1SelectCell(int column, int row, int previousRow)
{
    // A structural edit moving the cells back is no one's selection.
    if (StringGrid1->restoring())
        return;
    postSyncSelection();
    if (!NoEcho && Form3) {
        const SyncGuard moving(Form3->SkipSync);
        Form3->StringGrid1->setCurrentCell(column, row);
    }
    if (TempCurve) {
        if (const int button = curveButtonOfRow(previousRow))
            setToggle(CurveButtons[button], false);
    }
    // The notification presses the row's button; remember whether it was up.
    if (const int button = curveButtonOfRow(row))
        TempCurve = !CurveButtons[button]->isChecked();
}

void TForm8::StringGrid1MouseUp()
{
    if (Form3)
        Form3->StringGrid1->setSelectionRect(StringGrid1->selectionRect());
    postSyncSelection();
}

void TForm8::StringGrid1KeyUp()
{
    StringGrid1MouseUp();
}

void TForm8::StringGrid1MouseDown(Qt::MouseButton button, int column, int row)
{
    StringGrid1->setFocus(Qt::MouseFocusReason);
    if (column == 0 && row >= 1)
        StringGrid1->setCurrentCell(StringGrid1->currentSegment(), row);
    if (button != Qt::RightButton || playing()) {
        TrackBar1->hide();
        return;
    }
    if (column < 1 || row < 1)
        return;
    StringGrid1->keepOrSelect(column, row);
    // Right-aligned to the cell: the grid stands at the window's right edge.
    const QRect cell = StringGrid1->visualRect(m_grid.index(row - 1, column - 1));
    const QPoint at = StringGrid1->viewport()->mapTo(
        m_client, QPoint(cell.x() + cell.width() - TrackBar1->width() + 2, cell.y() + cell.height() + 3));
    TrackBar1->move(at);
    showField(TrackBar1, m_model.Tables, m_model.Ses->Segments[column], row);
    TrackBar1->show();
    TrackBar1->raise();
}

void TForm8::TrackBar1Change()
{
    const GridRect sel = StringGrid1->selectionRect();
    const int row = StringGrid1->currentRow();
    showVisited(m_grid, writeSliderPosition(*m_model.Ses, m_model.Tables, sel.left, sel.right, row,
                                            TrackBar1->value()),
                row);
}

// ---- Value editing -------------------------------------------------------------------------------

bool TForm8::playing() const
{
    return Form1 && Form1->Playing;
}

void TForm8::valueStep(bool up)
{
    const GridRect sel = StringGrid1->selectionRect();
    const int row = StringGrid1->currentRow();
    const VisitedSegments visited = m_grid.stepValues(sel.left, sel.right, row, up);
    if (visited.empty())
        return;
    if (TrackBar1->isVisible())
        showField(TrackBar1, m_model.Tables, m_model.Ses->Segments[visited.last], row);
    // Down leaves the start of the last segment it visited in the time text.
    if (row == fTime && Form3)
        Form3->SesTimeComp(up ? StringGrid1->currentSegment() : visited.last);
}

void TForm8::ValueUp()
{
    valueStep(true);
}

void TForm8::ValueDown()
{
    valueStep(false);
}

// ---- The plot's mouse ----------------------------------------------------------------------------

void TForm8::Image1MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, int x)
{
    TrackBar1->hide();
    const Session& ses = *m_model.Ses;
    const std::optional<std::int64_t> f = m_geo.frameAt(x);
    const std::optional<int> seg = f ? segmentOfFrame(ses, *f) : std::nullopt;
    if (!seg)
        return;
    // The handle is the last hover's: none while playing, whatever the cursor
    // still shows from before the start.
    const PlotHandle handle = playing() ? PlotHandle{} : Hover;
    DragValue = handle.Kind == HandleKind::Value;
    DragTime = handle.Kind == HandleKind::End;
    const int cur = StringGrid1->currentSegment();
    const int row = StringGrid1->currentRow();
    if (button == Qt::LeftButton && buttons == Qt::LeftButton && mods == Qt::ShiftModifier) {
        const int left = std::min(cur, *seg);
        const int right = std::max(cur, *seg);
        m_geo.SelRect.left = left;
        m_geo.SelRect.right = right;
        m_geo.CurSeg = right;
        if (right != cur)
            moveBothGrids(right, row);
        const GridRect range{left, row, right, row};
        if (Form3)
            Form3->StringGrid1->setSelectionRect(range);
        StringGrid1->setSelectionRect(range);
    } else if (*seg != cur) {
        moveBothGrids(*seg, row);
        m_geo.SelRect.left = m_geo.SelRect.right = m_geo.CurSeg = *seg;
    }
    DrawImage();
    if (handle.HoverRow > 0 && handle.HoverRow != StringGrid1->currentRow())
        selectHoverRow();
}

// ---- Buttons ---------------------------------------------------------------------------------------

void TForm8::setToggle(QToolButton* button, bool down)
{
    const QSignalBlocker silent(button);
    button->setChecked(down);
}

void TForm8::SpeedButton1to8Click(int)
{
    // The selected row's curve cannot be hidden.
    if (const int keep = curveButtonOfRow(StringGrid1->currentRow()))
        setToggle(CurveButtons[keep], true);
    DrawImage();
}

void TForm8::SpeedButton9Click()
{
    if (Form7)
        Form7->ShowAll = SpeedButton9->isChecked();
    DrawImage();
}

void TForm8::SpeedButton10Click()
{
    if (Form7)
        Form7->ShowGrid = SpeedButton10->isChecked();
    DrawImage();
}

void TForm8::SpeedButton11Click()
{
    if (Form7)
        Form7->ShowSegs = SpeedButton11->isChecked();
    DrawImage();
}

void TForm8::SpeedButton12Click()
{
    if (Form7)
        Form7->AutoRefresh = SpeedButton12->isChecked();
    DrawImage();
}

void TForm8::Button4Click()
{
    DrawImage();
    StringGrid1->setFocus();
}

void TForm8::Button5Click()
{
    ZoomInProc();
    StringGrid1->setFocus();
}

void TForm8::Button6Click()
{
    ZoomOutProc();
    StringGrid1->setFocus();
}

void TForm8::moveBothGrids(int column, int row)
{
    // One span for both moves: neither grid's handler mirrors into the other.
    const SyncGuard sheetMoving(Form3 ? Form3->SkipSync : NoEcho);
    const SyncGuard moving(NoEcho);
    if (Form3)
        Form3->StringGrid1->setCurrentCell(column, row);
    StringGrid1->setCurrentCell(column, row);
}

void TForm8::selectHoverRow()
{
    // A rectangle set from code moves no current cell, so the row moves
    // first; the rectangle then takes the range back.
    const int row = Hover.HoverRow;
    EditorGrid* sheet = Form3 ? Form3->StringGrid1 : StringGrid1;
    const GridRect sel = sheet->selectionRect();
    moveBothGrids(StringGrid1->currentSegment(), row);
    const GridRect range{sel.left, row, sel.right, row};
    sheet->setSelectionRect(range);
    StringGrid1->setSelectionRect(range);
}

void TForm8::Image1MouseMove(int x, int y)
{
    // Nothing at all while playing: no handle shows and no drag writes
    // under the engine.
    if (playing())
        return;
    Session& ses = *m_model.Ses;
    const int row = StringGrid1->currentRow();
    const GridRect sel = StringGrid1->selectionRect();
    if (DragValue) {
        // Every selected segment takes the value under the mouse.
        if (const std::optional<int> v = m_geo.valueAt(m_model.Tables, row, y))
            showVisited(m_grid, writeDraggedValue(ses, m_model.Tables, sel.left, sel.right, row, *v), row);
        return;
    }
    if (DragTime) {
        // Every selected segment takes the duration that puts the current
        // segment's end under the mouse.
        if (const std::optional<std::int64_t> secs = m_geo.secondsFromStart(ses, StringGrid1->currentSegment(), x))
            showVisited(m_grid,
                        writeDraggedValue(ses, m_model.Tables, sel.left, sel.right, fTime,
                                          nearestTimeEntry(m_model.Tables, *secs)),
                        fTime);
        return;
    }
    Hover = m_geo.hoverHandle(ses, row, x, y);
    switch (Hover.Kind) {
    case HandleKind::Value: Image1->setCursor(Qt::SizeVerCursor); break;
    case HandleKind::End: Image1->setCursor(Qt::SizeHorCursor); break;
    case HandleKind::None: Image1->setCursor(Qt::ArrowCursor); break;
    }
}

void TForm8::Image1MouseUp(int, int y)
{
    if (!DragValue && !DragTime)
        return;
    const int n = StringGrid1->currentSegment();
    const int row = StringGrid1->currentRow();
    if (DragValue) {
        DragValue = false;
        if (!playing()) {
            if (const std::optional<int> v = m_geo.valueAt(m_model.Tables, row, y))
                showVisited(m_grid, writeDraggedValue(*m_model.Ses, m_model.Tables, n, n, row, *v), row);
        }
        DrawImage();
    } else {
        DragTime = false;
        m_grid.ChangeValue(n, fTime);
        DrawImage(); // the segment ends move with the durations
        if (Form3)
            Form3->SesTimeComp(n);
    }
    // The next press starts no drag unless a move finds a handle again.
    Hover = {};
    Image1->setCursor(Qt::ArrowCursor);
}
