// Start-up to the first configuration window shown (offscreen): the first
// start of the process (window system included) and later starts, with a new
// document and with a data file.

#include "common/interaction.h"
#include "common/settings.h"
#include "common/shell.h"
#include "configdoc/corvanedoc.h"
#include "configdoc/datafile.h"
#include "configdoc/mainframe.h"
#include "corvaneapp.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

using corvane::app::CCorvaneApp;
using corvane::app::CMainFrame;

class NoShell : public corvane::Shell {
public:
    std::optional<std::string> applicationFor(const std::string&) override { return std::nullopt; }
    bool open(const std::string&) override { return true; }
};

QApplication& Application()
{
    static int argc = 1;
    static char name[] = "startup_bench";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
    return app;
}

struct Store {
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("bench.ini"));
    QString file = dir.filePath(QStringLiteral("site.mlb"));
    std::unique_ptr<corvane::Settings> settings;
    corvane::SilentInteraction ui;
    NoShell shell;

    Store()
    {
        settings = std::make_unique<corvane::Settings>(ini.toStdString());
        // A new document's COM1 leads nowhere, so no serial deadline is waited for.
        settings->setDevicePath(1, dir.filePath(QStringLiteral("no-such-tty")).toStdString());
        settings->sync();
        corvane::CCorvaneDoc doc;
        doc.OnNewDocument();
        doc.commPort = 2;
        corvane::SaveDataFile(doc, file.toStdString());
    }
};

// Starts, waits until the first frame is on screen, and leaves the app running.
std::unique_ptr<CCorvaneApp> StartToFirstFrame(Store& store, const QStringList& extra)
{
    auto app = std::make_unique<CCorvaneApp>(*store.settings, &store.ui, &store.shell);
    if (!app->InitInstance(QStringList{QStringLiteral("--settings"), store.ini} + extra) || app->frames().empty())
        return nullptr;
    CMainFrame* frame = app->frames().front();
    while (!frame->windowHandle() || !frame->windowHandle()->isExposed())
        QCoreApplication::processEvents();
    return app;
}

void BM_FirstStartOfTheProcess(benchmark::State& state)
{
    for (auto _ : state) {
        Application();
        Store store;
        auto app = StartToFirstFrame(store, {});
        if (!app)
            state.SkipWithError("no frame");
        state.PauseTiming();
        app.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstStartOfTheProcess)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_StartWithNewDocument(benchmark::State& state)
{
    Application();
    Store store;
    for (auto _ : state) {
        auto app = StartToFirstFrame(store, {});
        if (!app)
            state.SkipWithError("no frame");
        state.PauseTiming();
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartWithNewDocument)->Unit(benchmark::kMillisecond);

void BM_StartWithDataFile(benchmark::State& state)
{
    Application();
    Store store;
    for (auto _ : state) {
        auto app = StartToFirstFrame(store, {store.file});
        if (!app)
            state.SkipWithError("no frame");
        state.PauseTiming();
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartWithDataFile)->Unit(benchmark::kMillisecond);

} // namespace
