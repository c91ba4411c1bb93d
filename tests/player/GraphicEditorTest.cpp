#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <QToolButton>
#include <fstream>
#include <memory>
#include <span>

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
    EXPECT_EQ(form->centralWidget()->size(), QSize(631, 451));
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
    const auto zoomedIn = [&] {
        form->ZoomInProc();
        form->Image1->image().fill(Qt::black);
        return g.VirtualWidth > 400 && g.ScrollX > 0;
    };
    const auto whole = [&] {
        const bool white = pixel(399, 0) == qRgb(255, 255, 255);
        return std::tuple(g.VirtualWidth, g.ScrollX, form->PropScrollBar1->value(), white);
    };
    ASSERT_TRUE(zoomedIn());
    ASSERT_TRUE(main->OpenSessionDirectly(file));
    EXPECT_EQ(whole(), std::tuple(400, 0, 0, true));
    setSegments(10);
    ASSERT_TRUE(zoomedIn());
    ses.SesModified = true;
    script.answers = {mrNo};
    sheet->NewProc();
    EXPECT_EQ(whole(), std::tuple(400, 0, 0, true));
    // Unmodified, New keeps the zoom and redraws the new session.
    setSegments(10);
    ASSERT_TRUE(zoomedIn());
    const int zoomed = g.VirtualWidth;
    sheet->NewProc();
    EXPECT_EQ(g.VirtualWidth, zoomed);
    EXPECT_EQ(pixel(399, 0), qRgb(255, 192, 255)) << "redrawn: the current segment fills the view";
    sheet->SesTimeComp(1);
    EXPECT_EQ(form->StaticText2->text(), "Session total time: 1:00.0");
}
