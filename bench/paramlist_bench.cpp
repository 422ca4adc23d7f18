// Filling the parameter list of a configuration window for each directory,
// offscreen: the rows built, the model reset and the list painted.
// Target: any directory under 5 ms.

#include "common/interaction.h"
#include "common/settings.h"
#include "configdoc/configsplitter.h"
#include "configdoc/corvanedoc.h"
#include "device/connection.h"
#include "dictionary/dbparam.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace corvane;
using namespace corvane::app;

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "paramlist_bench";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
    return app;
}

// A window over a document in which every code has a value and a level.
struct Window {
    QTemporaryDir dir;
    Settings settings{dir.filePath(QStringLiteral("corvane.ini")).toStdString()};
    SilentInteraction ui;
    ControllerLink link{settings, ui};
    CCorvaneDoc doc;
    std::unique_ptr<CConfigSplitter> splitter;

    explicit Window(bool showLevels)
    {
        settings.setValue(settings::ViewShowSecLvl, showLevels ? 1 : 0);
        for (DBParam& p : doc.chain().all())
            doc.setValue(p, p.entry().type == ValueType::Text ? "TEXT" : "1", 2);
        splitter = std::make_unique<CConfigSplitter>(doc, link, settings, ui);
        splitter->resize(900, 600);
        splitter->show();
        QApplication::processEvents();
    }
};

void BM_FillList(benchmark::State& state)
{
    App();
    Window w(state.range(1) != 0);
    const int directory = static_cast<int>(state.range(0));
    w.splitter->tree()->selectDirectory(directory);
    for (auto _ : state) {
        w.splitter->refresh();
        if (state.range(2))
            w.splitter->list()->detailsView()->viewport()->repaint();
        benchmark::DoNotOptimize(w.splitter->list()->rowCount());
    }
    state.counters["rows"] = w.splitter->list()->rowCount();
}

void Directories(benchmark::internal::Benchmark* b)
{
    for (int d = 0; d < 24; ++d)
        b->Args({d, 0, 1});
    for (int d : {5, 7, 8})
        b->Args({d, 1, 1}); // with the "Sec. Lvl" column
    for (int d : {5, 7, 8})
        b->Args({d, 0, 0}); // rows and model only, not painted
}

// The paint alone, for comparison: what a repaint of the same rows costs.
void BM_PaintList(benchmark::State& state)
{
    App();
    Window w(false);
    w.splitter->tree()->selectDirectory(static_cast<int>(state.range(0)));
    for (auto _ : state)
        w.splitter->list()->detailsView()->viewport()->repaint();
}

BENCHMARK(BM_PaintList)->Arg(7)->Arg(12)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillList)->Apply(Directories)->Unit(benchmark::kMicrosecond);

} // namespace
