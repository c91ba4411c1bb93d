#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <memory>

#include "RecordingEditor.h"
#include "components/RepeatBtn.h"
#include "engine/TestTables.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "player/EditorGrid.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/SegmentGridModel.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "support/Input.h"
#include "support/PostedEvents.h"
#include "support/PrivateSettings.h"
#include "support/QtApp.h"

void PrintTo(const GridRect& r, std::ostream* os)
{
    *os << r.left << "," << r.top << ".." << r.right << "," << r.bottom;
}

namespace {

// The editor, shown and active, on six default segments; the graphic editor
// is a recording fake.
struct Sheet : testing::Test {
    PrivateSettings settings; // first: before any window reads them
    RecordingEditor editor;
    PlayerModel pm;
    Session& ses = *pm.Ses;
    std::unique_ptr<TForm1> main;
    std::unique_ptr<TForm3> form;
    EditorGrid* grid = nullptr;
    QSlider* slider = nullptr;

    Sheet()
    {
        pm.Tables = syntheticTables();
        main = std::make_unique<TForm1>(pm);
        Form1 = main.get();
        form = std::make_unique<TForm3>(pm);
        Form3 = form.get();
        grid = form->StringGrid1;
        slider = form->TrackBar1;
        setSegments(6);
        form->show();
        activate(form.get());
        grid->setFocus();
        spinEvents(1);
        ses.SesModified = false;
        editor.log.clear();
    }
    ~Sheet() override
    {
        // Notifications still queued go to this test's editors, not the next's.
        drainPostedEvents();
        Form1 = nullptr;
        Form3 = nullptr;
        PlaybackLock::clear();
    }
    /// What the transport does at a start press and at the stop.
    void playing(bool on)
    {
        PlaybackLock::set(on);
        main->Playing = on;
    }

    void setSegments(int count)
    {
        form->gridModel().resetSession([&] {
            ses.SegCount = count;
            for (int s = 1; s <= count; ++s)
                ses.Segments[s] = pm.Tables.DefaultSegment;
        });
        form->SesTimeComp(1); // as every replacement of the session does
    }
    static void activate(QWidget* w)
    {
        w->activateWindow();
        QApplication::setActiveWindow(w);
        waitUntil([w] { return w->isActiveWindow(); }, 1000);
    }
    QPoint cell(int segment, int row) const
    {
        return grid->visualRect(grid->model()->index(row - 1, segment - 1)).center();
    }
    void click(int segment, int row, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
    {
        mouse(grid->viewport(), QEvent::MouseButtonPress, cell(segment, row), button, mods);
        mouse(grid->viewport(), QEvent::MouseButtonRelease, cell(segment, row), button, mods);
    }
    void drag(int fromSegment, int fromRow, int toSegment, int toRow)
    {
        mouse(grid->viewport(), QEvent::MouseButtonPress, cell(fromSegment, fromRow), Qt::LeftButton);
        mouse(grid->viewport(), QEvent::MouseMove, cell(toSegment, toRow), Qt::LeftButton);
        mouse(grid->viewport(), QEvent::MouseButtonRelease, cell(toSegment, toRow), Qt::LeftButton);
    }
    std::uint8_t& at(int segment, int row) { return ses.Segments[segment][row]; }
    GridRect current() const
    {
        return {grid->currentSegment(), grid->currentRow(), grid->currentSegment(), grid->currentRow()};
    }
    int logged(const QString& prefix) const
    {
        return static_cast<int>(std::count_if(editor.log.begin(), editor.log.end(),
                                              [&](const QString& line) { return line.startsWith(prefix); }));
    }
};

} // namespace

TEST_F(Sheet, PopUpSliderKeepsOrReplacesTheSelectionAndOnlyAUserMoveWrites)
{
    at(2, fVolume) = 5;
    at(3, fVolume) = 7 | kRampFlag;
    at(4, fVolume) = 9;
    at(5, fFreq1From) = 140; // bit 7 is part of a Freq index
    const auto before = ses.Segments;

    drag(2, fVolume, 4, fVolume);
    click(3, fVolume, Qt::RightButton);
    ASSERT_TRUE(slider->isVisible());
    EXPECT_EQ(grid->selectionRect(), (GridRect{2, fVolume, 4, fVolume})) << "inside the range, on the current row";
    EXPECT_EQ(slider->maximum(), pm.Tables.ParamMax[fVolume]);
    EXPECT_EQ(slider->value(), 7) << "without the ramp flag";

    click(5, fFreq1From, Qt::RightButton);
    EXPECT_EQ(grid->selectionRect(), (GridRect{5, fFreq1From, 5, fFreq1From}));
    EXPECT_EQ(slider->maximum(), pm.Tables.ParamMax[fFreq1From]);
    EXPECT_EQ(slider->value(), 140);
    click(3, fVolume, Qt::RightButton);
    EXPECT_EQ(grid->selectionRect(), (GridRect{3, fVolume, 3, fVolume})) << "another row replaces the range";
    click(3, fVolume);
    EXPECT_FALSE(slider->isVisible());
    EXPECT_EQ(ses.Segments, before) << "opening and closing writes nothing";
    EXPECT_FALSE(ses.SesModified);

    drag(2, fVolume, 4, fVolume);
    click(2, fVolume, Qt::RightButton);
    slider->setValue(3);
    EXPECT_EQ(at(2, fVolume), 3);
    EXPECT_EQ(at(3, fVolume), 3 | kRampFlag) << "each keeps its own flag";
    EXPECT_EQ(at(4, fVolume), 3);
    EXPECT_TRUE(ses.SesModified);

    for (int s = 2; s <= 4; ++s)
        at(s, fPhase) = 2 | kRampFlag;
    drag(2, fPhase, 4, fPhase);
    click(4, fPhase, Qt::RightButton);
    slider->setValue(9);
    slider->setValue(8);
    for (int s = 2; s <= 4; ++s)
        EXPECT_EQ(at(s, fPhase), 8) << "phase type 9 cleared the flag for good";
}

TEST_F(Sheet, PopUpSliderHidesAndFollowsValueUpOnTheFreqRows)
{
    click(2, fVolume, Qt::RightButton);
    click(2, fVolume);
    EXPECT_FALSE(slider->isVisible()) << "a left press";

    click(2, fVolume, Qt::RightButton);
    QWidget other;
    other.show();
    activate(&other);
    EXPECT_FALSE(slider->isVisible()) << "deactivation";
    activate(form.get());

    playing(true);
    click(2, fVolume, Qt::RightButton);
    EXPECT_FALSE(slider->isVisible()) << "while playing";
    playing(false);

    at(2, fFreq2To) = 140;
    click(2, fFreq2To, Qt::RightButton);
    form->ValueUp();
    EXPECT_EQ(at(2, fFreq2To), 141);
    EXPECT_EQ(slider->value(), 141) << "the whole byte, not the index without bit 7";
}

TEST_F(Sheet, GridSelectsByPressesAndKeysAndReachesTheLastColumn)
{
    drag(2, 4, 5, 6);
    EXPECT_EQ(current(), (GridRect{2, 4, 2, 4})) << "the current cell stays where the press began";
    EXPECT_EQ(grid->selectionRect(), (GridRect{2, 4, 5, 6}));
    key(grid, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(grid->selectionRect(), (GridRect{2, 4, 6, 6}));
    click(1, 2, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(grid->selectionRect(), (GridRect{1, 2, 2, 4}));
    EXPECT_EQ(current(), (GridRect{2, 4, 2, 4}));

    QHeaderView* titles = grid->verticalHeader();
    const QPoint title(10, titles->sectionViewportPosition(7) + 5);
    mouse(titles->viewport(), QEvent::MouseButtonPress, title, Qt::LeftButton);
    EXPECT_EQ(grid->selectionRect(), (GridRect{2, 8, 2, 8})) << "row 8 current, column kept, one cell";
    QHeaderView* numbers = grid->horizontalHeader();
    mouse(numbers->viewport(), QEvent::MouseButtonPress, QPoint(numbers->sectionViewportPosition(4) + 5, 5),
          Qt::LeftButton);
    EXPECT_EQ(grid->selectionRect(), (GridRect{2, 8, 2, 8})) << "a segment number selects nothing";

    setSegments(kMaxSegments);
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    const QRect last = grid->visualRect(grid->model()->index(0, kMaxSegments - 1));
    EXPECT_TRUE(grid->viewport()->rect().contains(last)) << "column 2000 scrolls fully into view";
    EXPECT_EQ(grid->model()->headerData(kMaxSegments - 1, Qt::Horizontal).toString(), "2000");
}

TEST_F(Sheet, WindowShortcutsWinOverTheFocusedGridAndStopWhileLocked)
{
    ASSERT_TRUE(form->isActiveWindow());
    ASSERT_TRUE(grid->hasFocus());
    click(2, fVolume);
    at(2, fVolume) = 5;
    key(grid, Qt::Key_Q, {}, "q");
    EXPECT_EQ(at(2, fVolume), 6);
    key(grid, Qt::Key_A, {}, "a");
    EXPECT_EQ(at(2, fVolume), 5);
    key(grid, Qt::Key_R, {}, "r");
    EXPECT_EQ(at(2, fVolume), 5 | kRampFlag);

    int triggered = 0;
    for (QAction* action : {form->Delete1, form->AddNew1, form->Copy1})
        QObject::connect(action, &QAction::triggered, [&] { ++triggered; });
    key(grid, Qt::Key_Delete);
    key(grid, Qt::Key_A, Qt::ControlModifier, "\x01");
    key(grid, Qt::Key_C, Qt::ControlModifier, "\x03");
    EXPECT_EQ(triggered, 3);
    EXPECT_EQ(grid->selectionRect(), (GridRect{6, fVolume, 6, fVolume})) << "Add New's; the view selected not all";

    const auto before = ses.Segments;
    playing(true);
    key(grid, Qt::Key_Q, {}, "q");
    key(grid, Qt::Key_R, {}, "r");
    key(grid, Qt::Key_A, Qt::ControlModifier, "\x01");
    key(grid, Qt::Key_Delete);
    EXPECT_EQ(ses.Segments, before);
    EXPECT_EQ(triggered, 3);
    EXPECT_EQ(grid->selectionRect(), (GridRect{6, fVolume, 6, fVolume}));
    playing(false);
    EXPECT_TRUE(form->ValueUp1->isEnabled());
    EXPECT_TRUE(form->Paste1->isEnabled()) << "copied before the lock";
    EXPECT_TRUE(form->ImportMlp1->isEnabled()) << "unlocking enables the imports again";
}

TEST_F(Sheet, TimeTextsFollowTimeEditsAndEngineValuesWaitForDeactivation)
{
    for (int s = 1; s <= 6; ++s)
        at(s, fTime) = 3; // 60 s
    pm.recompute();
    const std::int64_t end = ses.SegEnd[6];
    click(3, fTime);
    EXPECT_EQ(form->StaticText1->text(), "Segment 3 start time: 2:00.0");
    EXPECT_EQ(form->StaticText2->text(), "Session total time: 6:00.0");
    form->ValueUp(); // 60 s -> 1.5 s
    EXPECT_EQ(form->StaticText2->text(), "Session total time: 5:01.5");
    EXPECT_EQ(editor.log.last(), "setTimeTexts Segment 3 start time: 2:00.0|Session total time: 5:01.5");

    EXPECT_EQ(ses.SegEnd[6], end) << "edits alone do not reach playback";
    playing(true);
    form->recomputeAfterEdit();
    playing(false);
    pm.Eng->Ending = true;
    form->recomputeAfterEdit();
    pm.Eng->Ending = false;
    EXPECT_EQ(ses.SegEnd[6], end) << "not while playing or ending";

    QWidget other;
    other.show();
    activate(&other);
    EXPECT_EQ(ses.SegEnd[6], end - 58 * 44100 - 22050);
    EXPECT_EQ(pm.Params->SesLengthSecs, 302) << "301.5 s, ties to even";
}

TEST_F(Sheet, NewSessionResetsTheGridToOneDefaultSegment)
{
    at(4, fTone) = 2;
    ses.SesModified = true;
    click(4, fTone);
    ScriptedPrompts script;
    script.answers = {mrNo};
    form->NewProc();
    EXPECT_EQ(script.messages(), QStringList{"Session has been modified. Save it?"});
    EXPECT_EQ(grid->model()->columnCount(), 1);
    EXPECT_EQ(ses.SegCount, 1);
    EXPECT_EQ(at(4, fTone), 0);
    EXPECT_EQ(ses.Segments[1], pm.Tables.DefaultSegment);
    EXPECT_EQ(current(), (GridRect{1, fTone, 1, fTone}));
    EXPECT_EQ(form->StaticText1->text(), "Segment 1 start time: 0:00.0");
    EXPECT_TRUE(form->windowTitle().endsWith(" - Spreadsheet Editor - []"));
    EXPECT_FALSE(ses.SesModified);
}

TEST_F(Sheet, SelectionIsMirroredOncePerChangeWithoutEcho)
{
    click(3, 4);
    EXPECT_EQ(logged("moveGrid 3 4"), 1);
    EXPECT_EQ(logged("copySelection 3 4 3 4"), 1) << "on mouse-up";
    EXPECT_EQ(logged("SyncSelectionMsg"), 0) << "posted, not sent";
    spinEvents(1);
    EXPECT_EQ(logged("SyncSelectionMsg"), 2) << "the cell change and the mouse-up";

    editor.log.clear();
    {
        const SyncGuard moving(form->SkipSync);
        grid->setCurrentCell(5, 2);
    }
    grid->setCurrentCell(5, 2); // no move: no selection event to consume a flag
    EXPECT_EQ(logged("moveGrid"), 0);
    grid->setCurrentCell(6, 2);
    EXPECT_EQ(logged("moveGrid 6 2"), 1) << "the guard left nothing behind";

    spinEvents(1);
    editor.log.clear();
    key(grid, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(logged("copySelection 5 2 6 2"), 1) << "on key-up";
    spinEvents(1);
    EXPECT_EQ(logged("SyncSelectionMsg"), 1);

    editor.log.clear();
    form->RepeatButton1->click();
    EXPECT_EQ(editor.log.filter("ChangeValue"), QStringList({"ChangeValue 5 2", "ChangeValue 6 2", "ChangeValue 6 2"}))
        << "each segment, then the current cell once more";
}

TEST_F(Sheet, WindowSettingsAndResizeKeepPlaceWidthAndMaximizedFlag)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("settings.conf");
    {
        Settings s(file);
        s.writeInteger("F3x", 60);
        s.writeInteger("F3y", 50);
        s.writeInteger("F3w", 500);
        s.writeInteger("F3h", 999);
        s.writeBool("F3m", true);
    }
    const int height = form->height();
    form->LoadConfig(Settings(file));
    EXPECT_EQ(form->pos(), QPoint(60, 50));
    EXPECT_GE(form->width(), 640) << "held to the minimum width";
    EXPECT_EQ(form->height(), height) << "the height is fixed";
    EXPECT_TRUE(form->Maximized);

    form->Maximized = false;
    form->showMaximized();
    EXPECT_TRUE(form->Maximized);
    form->showMinimized();
    EXPECT_TRUE(form->Maximized) << "unchanged by minimizing";
    form->showNormal();
    EXPECT_FALSE(form->Maximized);

    form->resize(900, height);
    spinEvents(1);
    EXPECT_EQ(form->Panel1->width(), form->centralWidget()->width());
    for (QLabel* text : {form->StaticText1, form->StaticText2})
        EXPECT_LT(form->Panel1->width() - text->geometry().right(), 5) << "right-aligned";
}
TEST_F(Sheet, MainWindowOpensTheEditorAndShowsEditsAfterDeactivation)
{
    TForm1& main = *this->main;
    form->hide();
    form->Maximized = true;
    ASSERT_TRUE(main.SpreadsheetEditor1->isEnabled());
    main.SpreadsheetEditor1->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);

    form->recomputeAfterEdit();
    EXPECT_EQ(main.Edit2->text(), "6:00");
    click(2, fTime);
    form->ValueUp(); // 60 s -> 1.5 s
    EXPECT_EQ(main.Edit2->text(), "6:00");
    form->recomputeAfterEdit();
    EXPECT_EQ(main.Edit2->text(), "5:02");
}

TEST_F(Sheet, SegmentOperationsKeepBothGridsCountsTextsAndCellColumns)
{
    EditorGrid second(19); // the graphic editor's grid on the same model
    second.setModel(&form->gridModel());
    ScriptedPrompts script;
    struct Case {
        const char* name;
        int segments, from, to; // selected on the Volume row: the current cell is `from`
        QAction* item;
        int count, left, right; // the selection afterwards; its left is the current column
        int posts;
        QString start;
        QStringList calls;      // to the graphic editor, besides selection and time texts
        QString refusal = {};
    };
    const QString first = "Segment 1 start time: 0:00.0";
    const QString full = "A session holds at most 2000 segments.";
    const QString tooMany = "At most 500 segments can be copied at once.";
    const Case cases[] = {
        {"insert", 6, 3, 3, form->Insert1, 7, 3, 3, 0, "Segment 3 start time: 2:00.0", {"DrawImage"}},
        {"delete middle", 6, 2, 3, form->Delete1, 4, 2, 3, 0, first, {"DrawImage"}},
        {"delete tail", 6, 5, 6, form->Delete1, 4, 4, 4, 1, first, {"DrawImage"}},
        {"delete all", 6, 6, 1, form->Delete1, 1, 1, 1, 1, first, {"DrawImage"}},
        {"cut", 6, 2, 3, form->Cut1, 4, 2, 3, 0, first, {"enablePaste", "DrawImage"}},
        {"paste", 6, 4, 4, form->Paste1, 8, 4, 4, 0, "Segment 4 start time: 3:00.0", {}},
        {"add new", 6, 2, 2, form->AddNew1, 7, 7, 7, 1, "Segment 7 start time: 6:00.0", {"AddNewSegUpd"}},
        {"cut of 501", 501, 1, 501, form->Cut1, 501, 1, 501, 0, first, {}, tooMany},
        {"paste onto 1999", 1999, 1, 1, form->Paste1, 1999, 1, 1, 0, first, {}, full},
        {"add new to 2000", 2000, 1, 1, form->AddNew1, 2000, 1, 1, 0, first, {}, full},
        {"insert into 2000", 2000, 1, 1, form->Insert1, 2000, 1, 1, 0, first, {}, full},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setSegments(c.segments);
        CopyRange(ses, 1, 2, pm.SegClipboard);
        grid->setCurrentCell(c.from, fVolume);
        grid->setSelectionRect({c.from, fVolume, c.to, fVolume});
        second.setCurrentCell(c.from, fTone);
        spinEvents(1);
        ses.SesModified = false;
        editor.log.clear();
        script.shown.clear();
        c.item->setEnabled(true);
        c.item->trigger();
        spinEvents(1);
        EXPECT_EQ(script.messages(), c.refusal.isEmpty() ? QStringList() : QStringList{c.refusal});
        EXPECT_EQ(std::tuple(ses.SegCount, grid->horizontalHeader()->count(), second.horizontalHeader()->count()),
                  std::tuple(c.count, c.count, c.count));
        EXPECT_EQ(grid->model()->headerData(c.count - 1, Qt::Horizontal).toString(), QString::number(c.count));
        EXPECT_EQ(grid->selectionRect(), (GridRect{c.left, fVolume, c.right, fVolume}));
        EXPECT_EQ(second.currentSegment(), c.item == form->AddNew1 ? c.from : c.left) << "its own column";
        EXPECT_EQ(logged("SyncSelectionMsg"), c.posts);
        EXPECT_EQ(editor.log.filter(QRegularExpression("^(DrawImage|AddNewSegUpd|enablePaste|moveGrid)")), c.calls);
        EXPECT_EQ(std::tuple(form->StaticText1->text(), form->StaticText2->text(), ses.SesModified),
                  std::tuple(c.start, QString("Session total time: %1:00.0").arg(c.count), c.refusal.isEmpty()));
    }
}

TEST_F(Sheet, PasteWaitsForTheFirstCopyAndStaysThroughLocksNewAndOpen)
{
    ScriptedPrompts script;
    const auto pasteLockedAndAfter = [&] {
        playing(true);
        const bool locked = form->Paste1->isEnabled();
        playing(false);
        return std::pair(locked, form->Paste1->isEnabled());
    };
    EXPECT_EQ(pasteLockedAndAfter(), std::pair(false, false)) << "before any copy";
    setSegments(501);
    grid->setCurrentCell(1, fVolume);
    grid->setSelectionRect({1, fVolume, 501, fVolume});
    form->Copy1->trigger();
    EXPECT_EQ(pasteLockedAndAfter(), std::pair(false, false)) << "after a refused copy";
    grid->setSelectionRect({1, fVolume, 500, fVolume});
    form->Copy1->trigger();
    EXPECT_EQ(std::tuple(form->ClipCount(), ses.SesModified), std::tuple(500, false));
    EXPECT_EQ(pasteLockedAndAfter(), std::pair(false, true));
    QTemporaryDir dir;
    ses.SesFileName = dir.filePath("s.lsf").toStdString();
    ASSERT_TRUE(form->SaveProc());
    form->NewProc();
    ASSERT_TRUE(main->OpenSessionDirectly(dir.filePath("s.lsf").toStdString()));
    EXPECT_EQ(std::tuple(form->ClipCount(), form->Paste1->isEnabled()), std::tuple(500, true));
}
