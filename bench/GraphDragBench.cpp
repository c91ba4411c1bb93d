// Speed of one value-drag move in the graphic editor over a 2000-segment
// selection: every segment takes the value under the mouse, both editors'
// grids (shown offscreen on the shared model) are told of each one, the plot
// is redrawn once with "Auto Refresh" down, and the event loop then paints
// what changed. The counter moves_per_s is the figure to compare with 60.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QToolButton>
#include <memory>

#include "player/EditorGrid.h"
#include "player/PlayerModel.h"
#include "player/SegmentGridModel.h"
#include "player/Unit1.h"
#include "player/Unit8.h"
#include "tests/engine/TestTables.h"

namespace {

void drag_move(benchmark::State& state)
{
    PlayerModel pm;
    pm.Tables = syntheticTables();
    TForm3 sheet(pm);
    Form3 = &sheet;
    sheet.FormCreate();
    TForm8 editor(pm, sheet.gridModel());
    Form8 = &editor;
    sheet.gridModel().resetSession([&] {
        Session& s = *pm.Ses;
        s.SegCount = kMaxSegments;
        for (int i = 1; i <= kMaxSegments; ++i) {
            s.Segments[i] = pm.Tables.DefaultSegment;
            s.Segments[i].Time = static_cast<std::uint8_t>(1 + i % 8);
            // Every other segment ramps: each keeps its own flag.
            s.Segments[i].Volume = static_cast<std::uint8_t>((1 + i % 21) | (i % 2 ? kRampFlag : 0));
        }
    });
    sheet.show();
    editor.show();
    editor.resize(1280, 800);
    QApplication::processEvents();
    // The view a user starts with (segment marks and grid), "Auto Refresh" down.
    for (QToolButton* toggle : {editor.SpeedButton11, editor.SpeedButton10, editor.SpeedButton12})
        toggle->setChecked(true);
    editor.StringGrid1->setCurrentCell(1, fVolume);
    editor.StringGrid1->setSelectionRect({1, fVolume, kMaxSegments, fVolume});
    editor.SyncSelectionMsg();
    editor.DragValue = true;
    QApplication::processEvents();

    const int top = editor.geometry().AxisY - editor.geometry().PlotHeight;
    int y = top;
    for (auto _ : state) {
        // A new value at each move, up and down the whole range.
        y = y + 7 > editor.geometry().AxisY ? top : y + 7;
        editor.Image1MouseMove(100, y);
        QApplication::processEvents();
    }
    editor.DragValue = false;
    state.counters["moves_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    Form8 = nullptr;
    Form3 = nullptr;
}

} // namespace

BENCHMARK(drag_move)->Unit(benchmark::kMillisecond);

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
