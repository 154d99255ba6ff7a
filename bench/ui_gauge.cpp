// The bar's gauge (39 x 15, lime on maroon, Arial 12 px, centred text): one frame
// composed off screen per kind, and a whole repaint of a shown gauge (frame and copy
// to the window's surface). Target: a repaint under 50 us.
#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "ui/widgets/EnhancedGauge.h"

namespace {

using namespace kex;

// The widgets need an application; it draws offscreen unless a platform is chosen.
void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "bench_ui_gauge";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
}

void Configure(TEnhancedGauge& g, TGaugeKind kind)
{
    g.resize(39, 15);
    g.SetBorderStyle(TBorderStyle::bsNone);
    g.SetForeColor(QColor(0, 0xFF, 0));
    g.SetBackColor(QColor(0x80, 0, 0));
    g.SetAlignment(TAlignment::taCenter);
    QFont font;
    font.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans"});
    font.setPixelSize(12);
    g.setFont(font);
    g.SetKind(kind);
    g.SetProgress(45);
}

void BM_GaugeFrame(benchmark::State& state)
{
    EnsureApplication();
    TEnhancedGauge g;
    Configure(g, TGaugeKind(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(g.Frame());
}
BENCHMARK(BM_GaugeFrame)->DenseRange(0, 4)->ArgName("kind")->Unit(benchmark::kMicrosecond);

void BM_GaugeRepaint(benchmark::State& state)
{
    EnsureApplication();
    TEnhancedGauge g;
    Configure(g, TGaugeKind::gkHorizontalBar);
    g.show();
    QCoreApplication::processEvents();
    int value = 0;
    for (auto _ : state) {
        // A new percentage each time, so that every round really paints.
        g.SetProgress(value = (value + 1) % 101);
        g.repaint();
    }
}
BENCHMARK(BM_GaugeRepaint)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
