// Speed of the graphic editor's full redraw into an 1840 x 1000 plot (a
// 1920 x 1080 screen less 80), through the painter the window uses, with
// every curve, the grid and the segment marks shown: SegEnd recomputed, both
// axes, the bands, the marks and eight curves. `worst` is a full session of
// ramping segments with the whole of it in view, `typical` a session of 100.
// The counter redraws_per_s is the figure to compare with 60 and 250.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <memory>

#include "engine/SegParams.h"
#include "player/PlayerModel.h"
#include "player/PlotGeometry.h"
#include "player/PlotRenderer.h"
#include "player/QtPlotCanvas.h"
#include "tests/engine/TestTables.h"

namespace {

constexpr int kPlotWidth = 1840;
constexpr int kPlotHeight = 1000;

/// `count` segments whose values change from one to the next, every ramp
/// field ramping, so that each curve draws a slanted line per segment.
std::unique_ptr<PlayerModel> rampingSession(int count)
{
    auto pm = std::make_unique<PlayerModel>();
    pm->Tables = syntheticTables();
    Session& s = *pm->Ses;
    s.SegCount = count;
    for (int i = 1; i <= count; ++i) {
        TSegRec r = pm->Tables.DefaultSegment;
        r.Time = static_cast<std::uint8_t>(1 + i % 8);
        r.Freq1From = static_cast<std::uint8_t>(1 + (i * 37) % 156);
        r.Freq1To = static_cast<std::uint8_t>(1 + (i * 53) % 156);
        r.Freq2From = static_cast<std::uint8_t>(1 + (i * 17) % 156);
        r.Freq2To = static_cast<std::uint8_t>(1 + (i * 29) % 156);
        const std::uint8_t ramp = i > 1 ? kRampFlag : 0;
        r.Pitch1 = static_cast<std::uint8_t>((1 + i % 85) | ramp);
        r.Pitch2 = static_cast<std::uint8_t>((1 + (i * 7) % 115) | ramp);
        r.Phase = static_cast<std::uint8_t>(1 + i % 10);
        r.DutyCycle = static_cast<std::uint8_t>((1 + i % 8) | ramp);
        r.Volume = static_cast<std::uint8_t>((1 + i % 21) | ramp);
        r.Intensity = static_cast<std::uint8_t>((1 + (i * 3) % 21) | ramp);
        r.HBeat = static_cast<std::uint8_t>((1 + i % 91) | ramp);
        s.Segments[i] = r;
    }
    return pm;
}

void redraw(benchmark::State& state, int segments)
{
    auto pm = rampingSession(segments);
    const PlotSession session{*pm->Ses, pm->Tables, *pm->Params, false};
    PlotGeometry g;
    g.RecalcImage1Params(kPlotWidth, kPlotHeight, session); // the widest zoom
    g.SelRect = {1, fVolume, 3, fVolume};
    g.CurSeg = 3;
    PlotView view;
    view.CurveDown[1] = true;
    view.ShowAll = view.ShowGrid = view.ShowSegs = true;
    view.EditorRow = fVolume;
    view.AxisWidth = 40;
    view.AxisHeight = kPlotHeight;
    QImage plot(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
    QImage axis(40, kPlotHeight, QImage::Format_RGB32);
    PlotRenderer renderer;
    QtPlotCanvas plotCanvas;
    QtPlotCanvas axisCanvas;
    for (auto _ : state) {
        plotCanvas.begin(plot);
        axisCanvas.begin(axis);
        renderer.DrawImage(g, session, view, plotCanvas, axisCanvas);
        plotCanvas.end();
        axisCanvas.end();
        benchmark::DoNotOptimize(plot.constBits());
    }
    state.counters["redraws_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                         benchmark::Counter::kIsRate);
}

void worst(benchmark::State& state)
{
    redraw(state, kMaxSegments);
}

void typical(benchmark::State& state)
{
    redraw(state, 100);
}

} // namespace

BENCHMARK(worst)->Unit(benchmark::kMillisecond);
BENCHMARK(typical)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
