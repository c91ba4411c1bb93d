#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStringList>

#include "RecordingEditor.h"
#include "engine/TestTables.h"
#include "player/PlayerModel.h"
#include "player/SegmentGridModel.h"

namespace {

/// Every signal that tells views what changed, as "changed r,c r,c",
/// "inserted f l", "removed f l" and "reset" (0-based rows and columns).
struct Signals {
    QStringList log;

    explicit Signals(SegmentGridModel& m)
    {
        QObject::connect(&m, &QAbstractItemModel::dataChanged, [this](const QModelIndex& a, const QModelIndex& b) {
            log << QString("changed %1,%2 %3,%4").arg(a.row()).arg(a.column()).arg(b.row()).arg(b.column());
        });
        QObject::connect(&m, &QAbstractItemModel::columnsInserted,
                         [this](const QModelIndex&, int f, int l) { log << QString("inserted %1 %2").arg(f).arg(l); });
        QObject::connect(&m, &QAbstractItemModel::columnsRemoved,
                         [this](const QModelIndex&, int f, int l) { log << QString("removed %1 %2").arg(f).arg(l); });
        QObject::connect(&m, &QAbstractItemModel::modelReset, [this] { log << "reset"; });
    }
};

struct SegmentGridModelTest : testing::Test {
    PlayerModel pm;
    Session& ses = *pm.Ses;

    SegmentGridModelTest()
    {
        pm.Tables = syntheticTables();
        ses.SegCount = 3;
        for (int s = 1; s <= 3; ++s)
            ses.Segments[s] = pm.Tables.DefaultSegment;
    }
    QString text(const SegmentGridModel& m, int segment, int row)
    {
        return m.data(m.index(row - 1, segment - 1)).toString();
    }
};

} // namespace

TEST_F(SegmentGridModelTest, CellsAndHeadersComeFromTheSession)
{
    ses.SegCount = kMaxSegments;
    ses.Segments[kMaxSegments].Volume = 12 | kRampFlag;
    SegmentGridModel m(pm);
    EXPECT_EQ(m.columnCount(), 2000);
    EXPECT_EQ(m.rowCount(), 18);
    EXPECT_EQ(text(m, 2000, fVolume), "55 R");
    EXPECT_EQ(text(m, 1, fTime), "T3");
    EXPECT_EQ(text(m, 1, fVolume), "50  ");
    EXPECT_EQ(m.headerData(0, Qt::Horizontal).toString(), "1");
    EXPECT_EQ(m.headerData(1999, Qt::Horizontal).toString(), "2000");
    EXPECT_FALSE(m.headerData(2000, Qt::Horizontal).isValid());
    EXPECT_EQ(m.headerData(0, Qt::Vertical).toString(), "Time");
    EXPECT_EQ(m.headerData(17, Qt::Vertical).toString(), "H Beat Freq (R)");
    EXPECT_FALSE(m.flags(m.index(0, 0)).testFlag(Qt::ItemIsEditable));

    ses.Segments[kMaxSegments].Volume = 13 | kRampFlag;
    EXPECT_EQ(text(m, 2000, fVolume), "60 R") << "no text is kept";
}

TEST_F(SegmentGridModelTest, ChangeValueShowsOneCellAndMarksTheSession)
{
    SegmentGridModel m(ses, pm.Tables);
    Signals sig(m);
    m.ChangeValue(2, fPhase);
    EXPECT_EQ(sig.log, QStringList{"changed 8,1 8,1"});
    EXPECT_TRUE(ses.SesModified);

    ses.SesModified = false;
    m.ChangeValue(2, 19);
    m.ChangeValue(4, fTime); // no such column
    EXPECT_EQ(sig.log.size(), 1);
    EXPECT_TRUE(ses.SesModified);

    ses.SesModified = false;
    m.RefreshSegment(3);
    m.FillDefSeg(1);
    EXPECT_EQ(sig.log.mid(1), (QStringList{"changed 0,2 17,2", "changed 0,0 17,0"}));
    EXPECT_FALSE(ses.SesModified);
}

TEST_F(SegmentGridModelTest, StructuralEditsKeepColumnsInStepWithSegCount)
{
    SegmentGridModel m(pm);
    Signals sig(m);
    m.insertSegments(2, 2, [&] { ses.SegCount += 2; });
    EXPECT_EQ(m.columnCount(), 5);
    m.insertSegments(6, 1, [&] { ses.SegCount = 6; });
    m.removeSegments(1, 4, [&] { ses.SegCount -= 4; });
    m.resetSession([&] { ses.SegCount = 1; });
    EXPECT_EQ(sig.log, (QStringList{"inserted 1 2", "inserted 5 5", "removed 0 3", "reset"}));
    EXPECT_EQ(m.columnCount(), 1);
    EXPECT_TRUE(m.inStep());
    ses.SegCount = 7; // behind the model's back: the views are not told
    EXPECT_FALSE(m.inStep());
    EXPECT_EQ(m.columnCount(), 1);
    EXPECT_FALSE(ses.SesModified) << "structure calls leave the mark to their callers";
}

TEST_F(SegmentGridModelTest, EveryVisitedSegmentReachesBothEditors)
{
    SegmentGridModel m(pm);
    RecordingEditor editor;
    Signals sig(m);
    ses.Segments[2].Volume = 21; // at the maximum: no byte changes
    ses.Segments[3].Volume = 21;
    showVisited(m, valueUp(ses, pm.Tables, 2, 3, fVolume), fVolume);
    EXPECT_EQ(editor.log, (QStringList{"ChangeValue 2 12", "ChangeValue 3 12"}));
    EXPECT_EQ(sig.log, (QStringList{"changed 11,1 11,1", "changed 11,2 11,2"}));
    EXPECT_TRUE(ses.SesModified);

    ses.SesModified = false;
    showVisited(m, toggleRamp(ses, 1, 1, fVolume), fVolume);
    EXPECT_FALSE(ses.SesModified) << "nothing visited";
}

TEST(GraphicEditorLink, SyncIsQueuedOncePerPostToTheEditorInstalledAtDelivery)
{
    {
        RecordingEditor editor;
        postSyncSelection();
        postSyncSelection();
        EXPECT_TRUE(editor.log.isEmpty()) << "delivered after the current event";
        QCoreApplication::processEvents();
        EXPECT_EQ(editor.log, (QStringList{"SyncSelectionMsg", "SyncSelectionMsg"}));
        postSyncSelection();
    }
    QCoreApplication::processEvents(); // the editor is gone: the no-op takes it
    graphicEditor().moveGrid(1, 1);

    SyncFlag flag;
    EXPECT_FALSE(flag);
    {
        SyncGuard outer(flag);
        {
            SyncGuard inner(flag);
        }
        EXPECT_TRUE(flag);
    }
    EXPECT_FALSE(flag);
}
