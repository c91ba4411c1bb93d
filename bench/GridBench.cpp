// Speed of the spreadsheet grid over a full 2000-segment session: the cell
// texts, a value step over every segment with a shown view on the model, and
// a whole-session reset with one paint of the visible grid. Then the segment
// operations at column 1 of a nearly full session, with both editors' grids
// shown on the one model, each putting its current cell back and repainting:
// Insert (held Ctrl+Ins repeats it), Delete, and Paste of 500 records. Each
// has to fit in half a 60 Hz frame (8 ms); times are per operation, in
// milliseconds.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTableView>
#include <array>
#include <functional>
#include <memory>

#include "engine/SegmentOps.h"
#include "engine/ValueEdit.h"
#include "player/EditorGrid.h"
#include "player/PlayerModel.h"
#include "player/SegmentGridModel.h"
#include "tests/engine/TestTables.h"

namespace {

/// A full session whose fields vary from segment to segment, ramps included,
/// so that every cell text takes its longer path now and then.
std::unique_ptr<PlayerModel> fullSession()
{
    auto pm = std::make_unique<PlayerModel>();
    pm->Tables = syntheticTables();
    Session& s = *pm->Ses;
    s.SegCount = kMaxSegments;
    for (int i = 1; i <= kMaxSegments; ++i) {
        TSegRec r = pm->Tables.DefaultSegment;
        r.Time = static_cast<std::uint8_t>(1 + i % 32);
        r.Freq1From = static_cast<std::uint8_t>(1 + (i * 37) % 156);
        r.Pitch1 = static_cast<std::uint8_t>(1 + i % 85);
        r.Volume = static_cast<std::uint8_t>((1 + i % 21) | (i % 3 ? kRampFlag : 0));
        r.HBeat = static_cast<std::uint8_t>((1 + i % 91) | (i % 2 ? kRampFlag : 0));
        s.Segments[i] = r;
    }
    return pm;
}

/// The spreadsheet's grid: fixed 60 x 18 cells, 80-pixel row titles, no
/// vertical scroll bar, shown (offscreen) at the window's size.
std::unique_ptr<QTableView> gridView(SegmentGridModel& model)
{
    auto view = std::make_unique<QTableView>();
    view->setModel(&model);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setDefaultSectionSize(60);
    view->horizontalHeader()->setFixedHeight(18);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setMinimumSectionSize(18);
    view->verticalHeader()->setDefaultSectionSize(18);
    view->verticalHeader()->setFixedWidth(80);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    view->resize(640, 381);
    view->show();
    QApplication::processEvents();
    return view;
}

void cell_texts_all(benchmark::State& state)
{
    auto pm = fullSession();
    SegmentGridModel model(*pm);
    qsizetype chars = 0;
    for (auto _ : state) {
        for (int c = 0; c < kMaxSegments; ++c)
            for (int r = 0; r < kFieldCount; ++r)
                chars += model.data(model.index(r, c)).toString().size();
        benchmark::DoNotOptimize(chars);
    }
    state.counters["cells"] = kMaxSegments * kFieldCount;
}

void value_up_volume(benchmark::State& state)
{
    auto pm = fullSession();
    SegmentGridModel model(*pm);
    auto view = gridView(model);
    bool up = true;
    for (auto _ : state) {
        const VisitedSegments v = up ? valueUp(*pm->Ses, pm->Tables, 1, kMaxSegments, fVolume)
                                     : valueDown(*pm->Ses, pm->Tables, 1, kMaxSegments, fVolume);
        showVisited(model, v, fVolume);
        QApplication::processEvents(); // the repaint the changes asked for
        up = !up;
    }
}

void reset_and_paint(benchmark::State& state)
{
    auto pm = fullSession();
    SegmentGridModel model(*pm);
    auto view = gridView(model);
    QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        model.resetSession();
        view->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

/// Both editors' grids on one model, shown at the spreadsheet's size, their
/// current cells well to the right of column 1 so that every edit moves them.
std::array<std::unique_ptr<EditorGrid>, 2> twoGrids(SegmentGridModel& model)
{
    std::array<std::unique_ptr<EditorGrid>, 2> grids;
    const int rowHeights[2] = {18, 19};
    for (int i = 0; i < 2; ++i) {
        auto& grid = grids[i];
        grid = std::make_unique<EditorGrid>(rowHeights[i]);
        grid->setModel(&model);
        grid->resize(640, 381);
        grid->show();
        grid->setCurrentCell(900, fVolume);
    }
    QApplication::processEvents();
    return grids;
}

using StructuralEdit = std::function<void(SegmentGridModel&, Session&)>;

/// Times `edit` with the repaint it asks for; `undo` brings the session back
/// between runs, untimed.
void timeStructuralEdit(benchmark::State& state, int segments, const StructuralEdit& edit, const StructuralEdit& undo)
{
    auto pm = fullSession();
    Session& s = *pm->Ses;
    s.SegCount = segments;
    SegmentGridModel model(*pm);
    auto grids = twoGrids(model);
    for (auto _ : state) {
        edit(model, s);
        QApplication::processEvents();
        state.PauseTiming();
        undo(model, s);
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

const TSegRec kFill = syntheticTables().DefaultSegment;

void insert_at_1_of_1999(benchmark::State& state)
{
    timeStructuralEdit(
        state, kMaxSegments - 1,
        [](SegmentGridModel& m, Session& s) { m.insertSegments(1, 1, [&] { InsertDefault(s, 1, kFill); }); },
        [](SegmentGridModel& m, Session& s) { m.removeSegments(1, 1, [&] { DeleteRange(s, 1, 1, kFill); }); });
}

void delete_1_of_2000(benchmark::State& state)
{
    timeStructuralEdit(
        state, kMaxSegments,
        [](SegmentGridModel& m, Session& s) { m.removeSegments(1, 1, [&] { DeleteRange(s, 1, 1, kFill); }); },
        [](SegmentGridModel& m, Session& s) { m.insertSegments(1, 1, [&] { InsertDefault(s, 1, kFill); }); });
}

void paste_500_at_1_of_1500(benchmark::State& state)
{
    SegmentClipboard clip;
    clip.Count = kClipRecords;
    clip.Records.fill(kFill);
    timeStructuralEdit(
        state, kMaxSegments - kClipRecords,
        [&](SegmentGridModel& m, Session& s) { m.insertSegments(1, clip.Count, [&] { PasteAt(s, 1, clip); }); },
        [](SegmentGridModel& m, Session& s) {
            m.removeSegments(1, kClipRecords, [&] { DeleteRange(s, 1, kClipRecords, kFill); });
        });
}

} // namespace

BENCHMARK(cell_texts_all)->Unit(benchmark::kMillisecond);
BENCHMARK(value_up_volume)->Unit(benchmark::kMillisecond);
BENCHMARK(reset_and_paint)->Unit(benchmark::kMillisecond);
BENCHMARK(insert_at_1_of_1999)->Unit(benchmark::kMillisecond);
BENCHMARK(delete_1_of_2000)->Unit(benchmark::kMillisecond);
BENCHMARK(paste_500_at_1_of_1500)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
