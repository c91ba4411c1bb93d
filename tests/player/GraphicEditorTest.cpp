#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSlider>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <QToolButton>
#include <fstream>
#include <memory>
#include <span>

#include "components/RepeatBtn.h"
#include "engine/SegParams.h"
#include "engine/SessionFile.h"
#include "engine/TestTables.h"
#include "platform/Prompts.h"
#include "player/EditorGrid.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/PlotRenderer.h"
#include "player/QtPlotCanvas.h"
#include "player/SegmentGridModel.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "player/Unit7.h"
#include "player/Unit8.h"
#include "support/Input.h"
#include "support/PostedEvents.h"
#include "support/QtApp.h"

void PrintTo(const QString& s, std::ostream* os) { *os << s.toStdString(); }
void PrintTo(const QStringList& l, std::ostream* os) { *os << l.join(" | ").toStdString(); }

namespace {

/// Logs every primitive: "pen r,g,b w", "brush r,g,b", "font px bold",
/// "fill x y w h", "line x1 y1 x2 y2", "lines (x1,y1,x2,y2) ...", "text x y t".
struct RecordingCanvas final : PlotCanvas {
    QStringList log;

    static QString rgb(PlotColor c) { return QString("%1,%2,%3").arg(c.r).arg(c.g).arg(c.b); }
    static QString nums(const char* what, int a, int b, int c, int d)
    {
        return QString("%1 %2 %3 %4 %5").arg(what).arg(a).arg(b).arg(c).arg(d);
    }
    void setPen(PlotColor c, int w) override { log << "pen " + rgb(c) + " " + QString::number(w); }
    void setBrush(PlotColor c) override { log << "brush " + rgb(c); }
    void setFont(int px, bool bold) override { log << QString("font %1%2").arg(px).arg(bold ? " bold" : ""); }
    void fillRect(int x, int y, int w, int h) override { log << nums("fill", x, y, w, h); }
    void line(int x1, int y1, int x2, int y2) override { log << nums("line", x1, y1, x2, y2); }
    void lines(std::span<const PlotLine> ls) override
    {
        QString all = "lines";
        for (const PlotLine& l : ls)
            all += QString(" (%1,%2,%3,%4)").arg(l.x1).arg(l.y1).arg(l.x2).arg(l.y2);
        log << all;
    }
    void text(int x, int y, std::string_view t) override
    {
        log << QString("text %1 %2 ").arg(x).arg(y) + QString::fromStdString(std::string(t));
    }
};

// Three 60-second segments in a 400 x 360 plot: x 0, 123, 247, 370; AxisY 340.
// Segment 1 ramps (drawn from its own value), segment 2 has nothing set (on
// the axis), segment 3 ramps from it.
struct Renderer : testing::Test {
    ValueTables tables = syntheticTables();
    Session ses;
    SegParams params;
    PlotGeometry g;
    PlotView view;
    PlotRenderer renderer;
    RecordingCanvas plot;
    RecordingCanvas axis;

    Renderer()
    {
        ses.SegCount = 3;
        for (int s : {1, 3}) {
            TSegRec& r = ses.Segments[s];
            r.Time = 3;
            r.Phase = static_cast<std::uint8_t>(s);
            for (int field : {fPitch1, fPitch2, fDutyCycle, fVolume, fIntensity, fHBeat})
                r[field] = static_cast<std::uint8_t>((s == 1 ? 5 : 7) | kRampFlag);
            for (int field : {fFreq1From, fFreq2From})
                r[field] = static_cast<std::uint8_t>(s == 1 ? 10 : 30);
            for (int field : {fFreq1To, fFreq2To})
                r[field] = static_cast<std::uint8_t>(s == 1 ? 20 : 40);
        }
        ses.Segments[2].Time = 3;
        ses.Segments[2].Freq1To = ses.Segments[2].Freq2To = 200; // past the table
        g.RecalcImage1Params(400, 360, {ses, tables, params, false});
        g.SelRect = {1, fTime, 1, fTime};
        g.CurSeg = 1;
        view.AxisWidth = 40;
        view.AxisHeight = 362;
        view.EditorRow = fTime;
    }
    void draw()
    {
        plot.log.clear();
        axis.log.clear();
        renderer.DrawImage(g, {ses, tables, params, false}, view, plot, axis);
    }
    /// The log of the curves: what follows the last font and pen set before them.
    QStringList curveLog()
    {
        draw();
        return plot.log.mid(plot.log.lastIndexOf("font 9") + 2);
    }
};

} // namespace

TEST_F(Renderer, EachCurveAlone)
{
    struct Case {
        int button;
        const char* pen;
        const char* segments; // empty: checked by shape below
    };
    const Case cases[] = {
        {1, "pen 0,0,255 2", "lines (0,319,123,299) (123,340,247,340) (247,278,370,258)"},
        {2, "pen 255,0,0 2", "lines (1,320,124,300) (124,341,248,341) (248,279,371,259)"},
        {3, "pen 0,128,0 2", ""},
        {4, "pen 0,255,0 2", ""},
        {5, "pen 255,255,0 2", ""},
        {6, "pen 0,128,128 2", "lines (0,264,123,264) (123,340,247,340) (247,340,370,233)"},
        {7, "pen 128,0,128 2", "lines (1,265,124,265) (124,341,248,341) (248,341,371,234)"},
        {8, "pen 0,0,128 2", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        view.CurveDown = {};
        view.CurveDown[c.button] = true;
        QStringList log = curveLog();
        // The pitch curves draw the separator between index 85 and 86 first.
        if (c.button == 3 || c.button == 4) {
            EXPECT_EQ(log.mid(0, 4), (QStringList{c.pen, "pen 0,0,0 1", "line 0 102 400 102", c.pen}));
            log = log.mid(3);
        }
        ASSERT_EQ(log.size(), 3);
        EXPECT_EQ(log[0], c.pen);
        EXPECT_EQ(log[2], c.pen) << "width back to 2";
        if (*c.segments) {
            EXPECT_EQ(log[1], c.segments);
            continue;
        }
        const int shift = kCurves[c.button].offset ? 1 : 0;
        const QStringList parts = log[1].split(QRegularExpression("[ (),]+"), Qt::SkipEmptyParts);
        EXPECT_EQ(parts[2], parts[4]) << "segment 1 flat";
        EXPECT_EQ(parts[6].toInt(), 340 + shift) << "index 0 on the axis";
        ASSERT_EQ(parts.size(), 13);
        EXPECT_EQ(parts[10].toInt(), 340 + shift) << "segment 3 ramps from segment 2";
        EXPECT_LT(parts[12].toInt(), 340);
    }
}

TEST_F(Renderer, CurveOrderWidthAndTheSelectedRowOnTop)
{
    const auto pens = [this] {
        QStringList order;
        const QStringList log = curveLog();
        for (int i = 1; i < log.size(); ++i)
            if (log[i].startsWith("lines"))
                order << log[i - 1].mid(4);
        return order.join(" ");
    };
    view.ShowAll = true;
    g.SelRect.top = fVolume;
    view.EditorRow = fVolume;
    EXPECT_EQ(pens(), "0,0,128 2 128,0,128 2 0,128,128 3 255,255,0 2 0,255,0 2 0,128,0 2 255,0,0 2 0,0,255 2 "
                      "0,128,128 3");
    view.ShowAll = false;
    view.CurveDown[1] = view.CurveDown[6] = true;
    view.EditorRow = fFreq1To;
    EXPECT_EQ(pens(), "0,128,128 2 0,0,255 3 0,128,128 2");
    view.CurveDown = {};
    EXPECT_EQ(pens(), "0,128,128 2") << "only the selected row's curve";
    g.SelRect.top = fTone;
    EXPECT_EQ(pens(), "");
    // The pitch curves' own width gives way to the separator's pen.
    view.CurveDown[3] = true;
    view.EditorRow = fPitch1;
    EXPECT_EQ(curveLog().mid(0, 2), (QStringList{"pen 0,128,0 3", "pen 0,0,0 1"}));
    EXPECT_EQ(pens(), "0,128,0 2");
}

TEST_F(Renderer, BandsMarksAndEmptyPlots)
{
    const auto bands = [this] {
        draw();
        const int at = static_cast<int>(plot.log.indexOf("brush 0,255,255"));
        return plot.log.mid(at, 4).join("; ");
    };
    g.SelRect = {2, fVolume, 3, fVolume};
    g.CurSeg = 3;
    EXPECT_EQ(bands(), "brush 0,255,255; fill 123 0 247 340; brush 255,192,255; fill 247 0 123 340");
    // Stale: before the first selection, and past the end after a delete.
    g.SelRect = {0, fVolume, 9, fVolume};
    g.CurSeg = 0;
    EXPECT_EQ(bands(), "brush 0,255,255; fill 0 0 370 340; brush 255,192,255; fill 0 0 123 340");

    EXPECT_FALSE(plot.log.filter("bold").size());
    view.ShowSegs = true;
    ses.Segments[3].Phase |= kRampFlag;
    draw();
    const QStringList marks = plot.log.mid(plot.log.indexOf("font 13 bold"), 8);
    EXPECT_EQ(marks, (QStringList{"font 13 bold", "pen 0,0,0 1", "line 123 0 123 340", "text 5 2 1: Ph1",
                                  "line 247 0 247 340", "text 128 2 2: ", "line 370 0 370 340",
                                  "text 252 2 3: Ph3 R"}));

    // No length, or no room for values: cleared, nothing else.
    const QStringList cleared{"brush 255,255,255", "fill 0 0 400 360"};
    for (int s = 1; s <= 3; ++s)
        ses.Segments[s].Time = 0;
    draw();
    EXPECT_EQ(plot.log, cleared);
    EXPECT_EQ(axis.log, (QStringList{"brush 255,255,255", "fill 0 0 40 362"}));
}

TEST(PlotCanvas, PixelsAsTheEditorDrawsThem)
{
    QImage image(100, 60, QImage::Format_RGB32);
    image.fill(Qt::black);
    QtPlotCanvas canvas;
    canvas.begin(image);
    canvas.fillRect(-1000000000, 10, 2000000000, 5); // the right and bottom edges left out
    canvas.setPen({0, 0, 255}, 1);
    canvas.line(10, 30, 20, 30); // without its last pixel
    canvas.setPen({255, 0, 0}, 2);
    // A ramp whose ends lie a billion pixels off: its part in view stays.
    const PlotLine far[] = {{-1000000000, 59, 1000000000, 41}};
    canvas.lines(far);
    canvas.setPen({0, 255, 0}, 3);
    canvas.line(70, 5, 70, 5); // a dot the pen's width across
    canvas.end();
    struct Pixel {
        int x, y;
        const char* colour;
    };
    const Pixel pixels[] = {
        {0, 10, "#ffffff"},  {99, 14, "#ffffff"}, {50, 15, "#000000"}, {10, 30, "#0000ff"}, {19, 30, "#0000ff"},
        {20, 30, "#000000"}, {50, 50, "#ff0000"}, {0, 50, "#ff0000"},  {99, 50, "#ff0000"}, {69, 4, "#00ff00"},
        {71, 6, "#00ff00"},  {72, 5, "#000000"},
    };
    for (const Pixel& p : pixels)
        EXPECT_EQ(QColor(image.pixel(p.x, p.y)).name(), p.colour) << p.x << "," << p.y;
}

namespace {

// The editor as start-up makes it, beside the main window, the spreadsheet
// editor and the playback control that carries its settings.
struct GraphWindow : testing::Test {
    ScriptedPrompts script;
    PlayerModel pm;
    Session& ses = *pm.Ses;
    std::unique_ptr<TForm1> main;
    std::unique_ptr<TForm3> sheet;
    std::unique_ptr<TForm7> control;
    std::unique_ptr<TForm8> form;

    GraphWindow()
    {
        pm.Tables = syntheticTables();
        main = std::make_unique<TForm1>(pm);
        sheet = std::make_unique<TForm3>(pm);
        control = std::make_unique<TForm7>(pm);
        std::tie(Form1, Form3, Form7) = std::tuple(main.get(), sheet.get(), control.get());
        sheet->FormCreate();
        form = std::make_unique<TForm8>(pm, sheet->gridModel());
        Form8 = form.get();
        form->FormCreate();
        setSegments(10);
    }
    ~GraphWindow() override
    {
        // Notifications still queued go to this test's editors, not the next's.
        drainPostedEvents();
        std::tie(Form1, Form3, Form7, Form8) = std::tuple(nullptr, nullptr, nullptr, nullptr);
        PlaybackLock::clear();
    }
    void setSegments(int count)
    {
        const TSegRec record{3, 1, 10, 150, 70, 70, 20, 22, 1, 1, 5, 11, 15, 1, 1, 1, 1, 51};
        sheet->gridModel().resetSession([&] {
            ses.SegCount = count;
            for (int s = 1; s <= count; ++s)
                ses.Segments[s] = record;
        });
        form->RecalcImage1Params();
    }
    /// Until the selection is handed over, the editor takes its grid's
    /// selection when it is created (without a session to open here).
    void select(int segment, int row)
    {
        form->StringGrid1->setCurrentCell(segment, row);
        Form1 = nullptr;
        form->FormCreate();
        Form1 = main.get();
    }
    QRgb pixel(int x, int y) const { return form->Image1->image().pixel(x, y); }
};

} // namespace

TEST(GraphLayout, ResizeRulesOnBothSidesOfTheirThresholds)
{
    struct Case {
        int width, height;
        int panel1Height, panel3Top, panel3Width;
    };
    const Case cases[] = {
        {631, 451, 382, 392, 617}, {800, 600, 531, 541, 784}, {632, 450, 382, 392, 616},
        {700, 392, 382, 392, 684}, {700, 391, 391, 401, 684},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        const GraphLayout l = TForm8::layoutFor({c.width, c.height});
        EXPECT_EQ(l.Panel1, QRect(8, 0, c.width - 186, c.panel1Height));
        EXPECT_EQ(l.Image1, QRect(43, 2, c.width - 231, c.panel1Height - 22));
        EXPECT_EQ(l.Image2.height(), c.panel1Height - 22);
        EXPECT_EQ(l.Shape1.height(), c.panel1Height - 22);
        EXPECT_EQ(l.PropScrollBar1, QRect(43, c.panel1Height - 19, c.width - 229, 17));
        EXPECT_EQ(l.Panel2.x(), c.width - 178);
        EXPECT_EQ(l.StringGrid1.x(), c.width - 153);
        EXPECT_EQ(l.Panel3, QRect(8, c.panel3Top, c.panel3Width, 49));
        EXPECT_EQ(l.StaticTextLeft, c.panel3Width - 249);
    }
}

TEST_F(GraphWindow, OpensAtTheDesignSizeWithTheWholeSessionInView)
{
    // Titles wider than the design's widen the grid, and the window with it: the plot keeps its size.
    EXPECT_EQ(form->centralWidget()->size(), QSize(631 + form->StringGrid1->width() - TForm8::kDesignGridWidth, 451));
    EXPECT_EQ(form->Image1->size(), QSize(400, 360));
    EXPECT_EQ(form->geometry().VirtualWidth, 400);
    EXPECT_EQ(form->StringGrid1->rowHeight(), 19);
    EXPECT_EQ(form->CurveButtons[6]->y(), 2 + 19 * fVolume);
    EXPECT_TRUE(main->GraphicEditor1->isEnabled());
    EXPECT_TRUE(sheet->GraphicEditor1->isEnabled());

    form->show();
    form->resize(1000, 700);
    spinEvents(20);
    EXPECT_EQ(form->geometry().VirtualWidth, form->Image1->width());
    EXPECT_GT(form->Image1->width(), 700);
    EXPECT_FALSE(control->GraphEdMaximized);
    // Minimized, the window keeps what it was.
    control->GraphEdMaximized = true;
    form->setWindowState(Qt::WindowMinimized);
    form->FormResize();
    EXPECT_TRUE(control->GraphEdMaximized);
    form->setWindowState(Qt::WindowNoState);
    form->FormResize();
    EXPECT_FALSE(control->GraphEdMaximized);
}

TEST_F(GraphWindow, ZoomAndScrollBar)
{
    select(4, fVolume);
    form->show();
    QApplication::setActiveWindow(form.get());
    QScrollBar* bar = form->PropScrollBar1;
    form->Button5->click();
    const PlotGeometry& g = form->geometry();
    EXPECT_EQ(g.VirtualWidth, 800);
    EXPECT_EQ(bar->maximum(), 400);
    EXPECT_EQ(bar->pageStep(), 400);
    EXPECT_EQ(bar->value(), 181); // segment 4 starts at 231 px, 50 px from the edge
    EXPECT_EQ(g.ScrollX, 181);
    EXPECT_TRUE(form->StringGrid1->hasFocus());
    bar->setValue(5000); // the user's move, clamped to the last page
    EXPECT_EQ(bar->value(), 400);
    EXPECT_EQ(g.ScrollX, 400);
    form->Button4->setFocus();
    form->ZoomOut1->trigger();
    EXPECT_TRUE(form->Button4->hasFocus()) << "menu items leave the focus";
    EXPECT_EQ(g.VirtualWidth, 400);
    EXPECT_EQ(bar->maximum(), 0);
    EXPECT_EQ(g.ScrollX, 0);
}

TEST_F(GraphWindow, ButtonsAndToggles)
{
    form->StringGrid1->setCurrentCell(1, fVolume);
    QToolButton* volume = form->CurveButtons[6];
    volume->click();
    EXPECT_TRUE(volume->isChecked()) << "the selected row's curve stays";
    form->CurveButtons[1]->click();
    EXPECT_FALSE(form->CurveButtons[1]->isChecked());

    // Set from the settings' fields without writing them back.
    control->ShowSegs = false;
    control->ShowAll = true;
    QSignalSpy toggled(form->SpeedButton9, &QToolButton::toggled);
    form->FormActivate();
    EXPECT_EQ(toggled.count(), 0);
    EXPECT_FALSE(form->SpeedButton11->isChecked());
    EXPECT_TRUE(form->SpeedButton9->isChecked());
    EXPECT_TRUE(form->SpeedButton10->isChecked());
    EXPECT_FALSE(control->ShowSegs);
    form->SpeedButton10->click();
    EXPECT_FALSE(control->ShowGrid);
    form->SpeedButton12->click();
    EXPECT_TRUE(control->AutoRefresh);
}

TEST_F(GraphWindow, ARunKeepsItsSegmentEnds)
{
    Engine& eng = *pm.Eng;
    const auto held = [&](const std::function<void(bool)>& set) {
        set(true);
        ses.SegEnd[10] = 123;
        form->DrawImage();
        form->RecalcImage1Params();
        const bool kept = ses.SegEnd[10] == 123 && pm.Params->SesLengthSecs == 600;
        set(false);
        form->DrawImage();
        return kept && ses.SegEnd[10] == 10 * 60 * 44100;
    };
    EXPECT_TRUE(held([&](bool on) { main->Playing = on; }));
    EXPECT_TRUE(held([&](bool on) { eng.Ending = on; }));
    EXPECT_TRUE(held([&](bool on) { eng.Recording = on; }));
}

TEST_F(GraphWindow, OpenAndNewShowTheWholeSessionAgain)
{
    QTemporaryDir dir;
    const std::string file = (dir.path() + "/three.lsf").toStdString();
    std::ofstream(file, std::ios::binary)
        << FormatSession({"Three", "", std::vector<TSegRec>(3, pm.Tables.DefaultSegment), {}}, pm.Tables);
    select(4, fVolume);
    const PlotGeometry& g = form->geometry();
    // Whatever was posted is delivered first: the zoom must hold through it.
    const auto zoomedIn = [&] {
        drainPostedEvents();
        form->ZoomInProc();
        form->Image1->image().fill(Qt::black);
        return g.VirtualWidth > 400 && g.ScrollX > 0;
    };
    const auto whole = [&] {
        drainPostedEvents();
        const bool white = pixel(399, 0) == qRgb(255, 255, 255);
        return std::tuple(g.VirtualWidth, g.ScrollX, form->PropScrollBar1->value(), white);
    };
    ASSERT_TRUE(zoomedIn());
    ASSERT_TRUE(main->OpenSessionDirectly(file));
    EXPECT_EQ(whole(), std::tuple(400, 0, 0, true));
    setSegments(10), select(4, fVolume);
    ASSERT_TRUE(zoomedIn());
    ses.SesModified = true;
    script.answers = {mrNo};
    sheet->NewProc();
    EXPECT_EQ(whole(), std::tuple(400, 0, 0, true));
    // Unmodified, New keeps the zoom and redraws the new session.
    setSegments(10), select(4, fVolume);
    ASSERT_TRUE(zoomedIn());
    const int zoomed = g.VirtualWidth;
    sheet->NewProc();
    drainPostedEvents();
    EXPECT_EQ(g.VirtualWidth, zoomed);
    EXPECT_EQ(pixel(399, 0), qRgb(255, 192, 255)) << "redrawn: the current segment fills the view";
    sheet->SesTimeComp(1);
    EXPECT_EQ(form->StaticText2->text(), "Session total time: 1:00.0");
}

namespace {

// Both editors shown on ten 60-second segments (37 px each: segment k spans
// x 37(k - 1)..37k), Volume 11 at y 172, Freq1 10 -> 150 at y 319 -> 32. The
// notifications posted are counted as they are delivered.
struct GraphEdit : GraphWindow, QObject {
    EditorGrid* own = form->StringGrid1;
    EditorGrid* other = sheet->StringGrid1;
    const PlotGeometry& g = form->geometry();
    int delivered = 0;

    GraphEdit()
    {
        sheet->show();
        form->show();
        QApplication::setActiveWindow(form.get());
        qApp->installEventFilter(this);
        deliver();
    }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        delivered += o == qApp && e->type() == QEvent::MetaCall;
        return false;
    }
    int deliver()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        return std::exchange(delivered, 0);
    }
    void playing(bool on)
    {
        PlaybackLock::set(on);
        main->Playing = on;
    }
    void click(EditorGrid* grid, int segment, int row, Qt::MouseButton b = Qt::LeftButton,
               Qt::KeyboardModifiers mods = {})
    {
        const QPoint at = grid->visualRect(grid->model()->index(row - 1, segment - 1)).center();
        mouse(grid->viewport(), QEvent::MouseButtonPress, at, b, mods);
        mouse(grid->viewport(), QEvent::MouseButtonRelease, at, b, mods);
    }
    /// Segments first..last selected on `row` (the current cell at first) in both editors.
    void range(int first, int last, int row)
    {
        click(own, first, row);
        if (last != first)
            click(own, last, row, Qt::LeftButton, Qt::ShiftModifier);
        deliver();
    }
    void plot(QEvent::Type type, int x, int y, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
    {
        mouse(form->Image1, type, {x, y}, b, mods);
    }
    /// Hovers, presses, moves to each point in turn and releases at the last.
    void drag(QPoint from, std::initializer_list<QPoint> to)
    {
        plot(QEvent::MouseMove, from.x(), from.y(), Qt::NoButton);
        plot(QEvent::MouseButtonPress, from.x(), from.y());
        QPoint at = from;
        for (QPoint p : to)
            mouse(form->Image1, QEvent::MouseMove, at = p, Qt::NoButton, {}, Qt::LeftButton);
        plot(QEvent::MouseButtonRelease, at.x(), at.y());
    }
    int value(int segment, int row) const { return ses.Segments[segment][row]; }
    QString curves() const
    {
        QString down;
        for (int b = 1; b <= 8; ++b)
            down += form->CurveButtons[b]->isChecked() ? '1' : '0';
        return down;
    }
};

} // namespace

TEST_F(GraphEdit, SelectionIsMirroredAtOnceAndHandedOverWhenThePostsArrive)
{
    click(own, 3, fVolume);
    EXPECT_EQ(other->selectionRect(), (GridRect{3, fVolume, 3, fVolume})) << "mirrored at once";
    EXPECT_EQ(std::pair(g.CurSeg, control->StartSeg), std::pair(1, 1)) << "the rest when the posts arrive";
    EXPECT_EQ(deliver(), 3) << "select-cell here and there, mouse-up";
    EXPECT_EQ(std::tuple(g.SelRect, g.CurSeg, control->Edit1->text()),
              std::tuple(GridRect{3, fVolume, 3, fVolume}, 3, QString("3")));

    click(other, 5, fTone);
    EXPECT_EQ(std::pair(own->selectionRect(), deliver()), std::pair(GridRect{5, fTone, 5, fTone}, 3));
    key(other, Qt::Key_Right, Qt::ShiftModifier);
    key(own, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(std::tuple(other->selectionRect(), other->currentSegment(), deliver()),
              std::tuple(GridRect{5, fTone, 7, fTone}, 5, 2))
        << "each key-up copies the range across and posts";
    const auto state = [&] {
        return std::tuple(own->selectionRect(), other->selectionRect(), g.SelRect, g.CurSeg, g.VirtualWidth,
                          g.ScrollX, form->Button3->isEnabled(), curves());
    };
    const auto before = state();
    form->SyncSelectionMsg();
    EXPECT_EQ(std::pair(state(), deliver()), std::pair(before, 0)) << "run twice: the same, and no echo";

    // A move from code onto the current cell sends no selection event; the
    // user's next selection is still mirrored, in both directions.
    form->moveGrid(5, fTone);
    click(own, 8, fTone);
    EXPECT_EQ(other->currentSegment(), 8);
    plot(QEvent::MouseButtonPress, 8 * 37 - 10, 100); // the current segment: no move
    click(other, 2, fTone);
    EXPECT_EQ(own->currentSegment(), 2);
    deliver();

    // Activation puts this grid back on the plot's selection, unmirrored.
    form->moveGrid(9, fVolume);
    form->FormActivate();
    deliver();
    EXPECT_EQ(std::tuple(own->selectionRect(), other->selectionRect(), g.SelRect),
              std::tuple(GridRect{2, fTone, 2, fTone}, GridRect{2, fTone, 2, fTone}, GridRect{2, fTone, 2, fTone}));

    form->AddNew1->trigger();
    deliver();
    EXPECT_EQ(std::tuple(ses.SegCount, own->currentSegment(), other->currentSegment(), g.CurSeg, control->StartSeg),
              std::tuple(11, 11, 11, 11, 11));
    // A new session keeps the cell as far as it reaches, in both grids.
    setSegments(5);
    deliver();
    EXPECT_EQ(std::pair(own->selectionRect(), g.SelRect),
              std::pair(GridRect{5, fTone, 5, fTone}, GridRect{5, fTone, 5, fTone}));
}

TEST_F(GraphEdit, HandOverShowsTheRowsCurveStartSegmentAndRampButtons)
{
    struct Step {
        int segment, row;
        bool playing;
        const char* curves; // buttons 1..8 down; button 1 is down from the start
        bool ramps;
    };
    const Step steps[] = {
        {3, fVolume, false, "10000100", true},    {3, fTone, false, "10000000", false},
        {4, fFreq1To, false, "10000000", false},  {4, fFreq2From, false, "11000000", false},
        {4, fFreq2To, false, "11000000", false},  {4, fPhase, false, "10000000", true},
        {1, fVolume, false, "10000100", false},   {2, fIntensity, false, "10000010", true},
        {5, fDutyCycle, true, "10001000", true},  {1, fDutyCycle, true, "10001000", false},
        {5, fVolume, true, "10000100", false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.segment * 100 + s.row);
        main->Playing = s.playing; // playing leaves the Ramp buttons as they are
        click(own, s.segment, s.row);
        deliver();
        EXPECT_EQ(curves(), s.curves);
        EXPECT_EQ(std::pair(form->Button3->isEnabled(), sheet->Button3->isEnabled()), std::pair(s.ramps, s.ramps));
        EXPECT_EQ(std::pair(control->StartSeg, control->Edit1->text()),
                  std::pair(s.segment, QString::number(s.segment)));
    }
    main->Playing = false;

    // Zoom out to fit, never in; a selection in view stays put; nothing
    // moves under a drag.
    range(4, 4, fVolume);
    form->ZoomInProc();
    const std::pair zoomed(g.VirtualWidth, g.ScrollX);
    range(4, 5, fVolume);
    EXPECT_EQ(std::pair(g.VirtualWidth, g.ScrollX), zoomed);
    form->DragValue = true;
    range(10, 10, fVolume);
    EXPECT_EQ(std::pair(g.VirtualWidth, g.ScrollX), zoomed);
    form->DragValue = false;
    range(1, 10, fVolume);
    EXPECT_EQ(std::pair(g.VirtualWidth, g.ScrollX), std::pair(400, 0));
}

TEST_F(GraphEdit, PressesSelectSegmentsAndRanges)
{
    struct Case {
        const char* name;
        int first, last; // the range before, current at first
        int x;
        Qt::MouseButton button;
        Qt::KeyboardModifiers mods;
        GridRect want; // in both grids, the current cell at its right
    };
    const auto shift = Qt::ShiftModifier;
    const Case cases[] = {
        {"shift+left", 7, 7, 2 * 37 + 18, Qt::LeftButton, shift, {3, fVolume, 7, fVolume}},
        {"shift+right", 7, 7, 2 * 37 + 18, Qt::RightButton, shift, {3, fVolume, 3, fVolume}},
        {"ctrl+shift", 7, 7, 2 * 37 + 18, Qt::LeftButton, shift | Qt::ControlModifier, {3, fVolume, 3, fVolume}},
        {"on the current", 5, 7, 4 * 37 + 18, Qt::LeftButton, {}, {5, fVolume, 7, fVolume}},
        {"a boundary", 7, 7, 37, Qt::LeftButton, {}, {1, fVolume, 1, fVolume}},
        {"past the end", 7, 7, 395, Qt::LeftButton, {}, {7, fVolume, 7, fVolume}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        range(c.first, c.last, fVolume);
        click(own, c.first, fVolume, Qt::RightButton);
        ASSERT_TRUE(form->TrackBar1->isVisible());
        plot(QEvent::MouseButtonPress, c.x, 100, c.button, c.mods);
        plot(QEvent::MouseButtonRelease, c.x, 100, c.button, c.mods);
        EXPECT_FALSE(form->TrackBar1->isVisible());
        const int current = c.name == std::string("on the current") ? c.first : c.want.right;
        EXPECT_EQ(std::tuple(own->selectionRect(), other->selectionRect(), own->currentSegment(),
                             other->currentSegment(), g.CurSeg),
                  std::tuple(c.want, c.want, current, current, current));
    }
}

TEST_F(GraphEdit, DragsWriteEverySelectedSegmentAndTheReleaseTheCurrentOne)
{
    range(2, 4, fVolume);
    ses.Segments[3].Volume |= kRampFlag;
    plot(QEvent::MouseMove, 65, 181, Qt::NoButton); // the right half, 9 px off
    EXPECT_EQ(form->Image1->cursor().shape(), Qt::SizeVerCursor);
    const auto volumes = [&] { return std::tuple(value(2, fVolume), value(3, fVolume), value(4, fVolume)); };
    const auto ramped = [](int v) { return v | kRampFlag; };
    drag({65, 172}, {{65, 111}});
    EXPECT_EQ(volumes(), std::tuple(15, ramped(15), 15)) << "each keeps its own flag";
    drag({65, 111}, {{65, -500}, {65, 400}});
    EXPECT_EQ(volumes(), std::tuple(1, ramped(1), 1)) << "held to 1..21 both ways";
    drag({65, 325}, {{65, -500}, {65, 111}});
    EXPECT_EQ(volumes(), std::tuple(15, ramped(15), 15)) << "moves write all, the release the current again";
    EXPECT_EQ(form->Image1->cursor().shape(), Qt::ArrowCursor);
    plot(QEvent::MouseButtonPress, 65, 111);
    EXPECT_FALSE(form->DragValue) << "the next drag needs a hover on the handle again";
    plot(QEvent::MouseButtonRelease, 65, 111);

    // Auto Refresh redraws at every move; without it only the release does.
    for (bool refresh : {true, false}) {
        form->SpeedButton12->setChecked(refresh);
        plot(QEvent::MouseMove, 65, 111, Qt::NoButton);
        plot(QEvent::MouseButtonPress, 65, 111);
        ASSERT_TRUE(form->DragValue);
        form->Image1->image().fill(Qt::black);
        mouse(form->Image1, QEvent::MouseMove, {65, 111}, Qt::NoButton, {}, Qt::LeftButton);
        EXPECT_EQ(pixel(399, 0) != qRgb(0, 0, 0), refresh);
        plot(QEvent::MouseButtonRelease, 65, 111);
    }

    // The Freq 1 end handle selects row 4 in both grids; its values carry no flag.
    range(2, 4, fFreq1From);
    drag({65, 32}, {{65, 319}});
    EXPECT_EQ(std::pair(own->selectionRect(), other->selectionRect()),
              std::pair(GridRect{2, fFreq1To, 4, fFreq1To}, GridRect{2, fFreq1To, 4, fFreq1To}));
    EXPECT_EQ(std::tuple(value(2, fFreq1To), value(4, fFreq1To), value(2, fFreq1From)), std::tuple(10, 10, 10));

    // The end: 8 s after the start of segment 2 is nearest to 2.5 s (entry 5).
    drag({70, 300}, {{42, 300}});
    EXPECT_EQ(std::tuple(value(2, fTime), value(3, fTime), value(4, fTime), value(5, fTime)), std::tuple(5, 5, 5, 3));
    EXPECT_EQ(ses.SegEnd[4], (60 + 3 * 2.5) * 44100) << "the release redraws with the new ends";
    EXPECT_EQ(form->StaticText1->text(), "Segment 2 start time: 1:00.0");

    // While playing a press starts no drag, whatever the last hover found,
    // but still selects.
    range(6, 6, fVolume); // 127.5..187.5 s of 427.5: x 110..162
    plot(QEvent::MouseMove, 150, 172, Qt::NoButton);
    ASSERT_EQ(form->Image1->cursor().shape(), Qt::SizeVerCursor);
    main->Playing = true;
    plot(QEvent::MouseMove, 10, 300, Qt::NoButton);
    EXPECT_EQ(form->Image1->cursor().shape(), Qt::SizeVerCursor) << "no hover while playing";
    const auto segments = ses.Segments;
    plot(QEvent::MouseButtonPress, 100, 172);
    EXPECT_EQ(std::pair(form->DragValue, own->currentSegment()), std::pair(false, 5));
    mouse(form->Image1, QEvent::MouseMove, {65, 200}, Qt::NoButton, {}, Qt::LeftButton);
    plot(QEvent::MouseButtonRelease, 65, 200);
    EXPECT_EQ(ses.Segments, segments);
}

TEST_F(GraphEdit, GridSliderMenusAndDeactivation)
{
    range(2, 5, fTime);
    form->ValueUp1->trigger();
    EXPECT_EQ(value(5, fTime), 4);
    EXPECT_EQ(form->StaticText1->text(), "Segment 2 start time: 1:00.0") << "Up: the current segment's";
    form->ValueDown1->trigger();
    EXPECT_EQ(form->StaticText1->text(), "Segment 5 start time: 4:00.0") << "Down: the last visited";

    range(3, 4, fVolume);
    ses.Segments[4].Volume = 7;
    ses.SesModified = false;
    const auto segments = ses.Segments;
    click(own, 4, fVolume, Qt::RightButton);
    EXPECT_EQ(std::pair(form->TrackBar1->isVisible(), form->TrackBar1->value()), std::pair(true, 7));
    click(own, 4, fVolume);
    EXPECT_FALSE(form->TrackBar1->isVisible());
    EXPECT_EQ(std::pair(ses.Segments, ses.SesModified), std::pair(segments, false)) << "opening and closing";
    click(own, 4, fVolume, Qt::RightButton);
    form->TrackBar1->setValue(2);
    EXPECT_EQ(std::pair(value(3, fVolume), value(4, fVolume)), std::pair(11, 2)) << "the user's move, on 4 alone";

    own->setFocus();
    key(own, Qt::Key_Q, {}, "q");
    EXPECT_EQ(value(4, fVolume), 3);
    key(own, Qt::Key_Delete);
    EXPECT_EQ(std::pair(ses.SegCount, value(4, fVolume)), std::pair(9, 11));
    EXPECT_EQ(std::pair(form->ImportPsx1->isEnabled(), form->ImportMlp1->isEnabled()), std::pair(true, true));
    const auto pasteLockedAndAfter = [&] {
        playing(true);
        const bool locked = form->Paste1->isEnabled() || form->Cut1->isEnabled() || form->RepeatButton1->isEnabled();
        key(own, Qt::Key_Q, {}, "q");
        playing(false);
        return std::pair(locked, form->Paste1->isEnabled());
    };
    EXPECT_EQ(pasteLockedAndAfter(), std::pair(false, false)) << "before the first copy";
    key(own, Qt::Key_C, Qt::ControlModifier, "\x03");
    EXPECT_EQ(pasteLockedAndAfter(), std::pair(false, true));
    EXPECT_EQ(value(4, fVolume), 11) << "no key works while locked";

    // Deactivation brings the edits to playback (the spreadsheet editor's
    // recomputation, which waits while a run is under way).
    form->ValueDown1->trigger();
    const QString length = main->Edit2->text();
    main->Playing = true;
    form->FormDeactivate();
    EXPECT_EQ(main->Edit2->text(), length) << "not while playing";
    main->Playing = false;
    form->FormDeactivate();
    EXPECT_NE(main->Edit2->text(), length);
}
