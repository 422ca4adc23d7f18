// Start-up of the application: the command line, the first frame, the
// hand-over from a second start (the real program) to a running instance.

#include "app/appfixture.h"
#include "common/recentfiles.h"
#include "configdoc/configsplitter.h"
#include "device/connection.h"
#include "support/simprocess.h"

#include <QDir>
#include <QDirIterator>
#include <QFontDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace corvane::app::apptest {
namespace {

using testing::SimProcess;

struct Printed {
    QString path;
    QString printer;
    bool frameVisible;
};

class Startup : public AppFixture {
protected:
    std::vector<Printed> printed;

    void recordPrints()
    {
        app->setPrintFunction([this](QWidget* frame, CCorvaneDoc& doc, const QString& printer) {
            printed.push_back({QString::fromStdString(doc.pathName()), printer, frame->isVisible()});
            return true;
        });
    }

    // Runs the real program as a second start and lets this instance serve it.
    int secondStart(const QStringList& args)
    {
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(CORVANE_APP), QStringList{QStringLiteral("--settings"), ini} + args);
        if (!second.waitForStarted(5000))
            return -1;
        if (!WaitFor([&] { return second.state() == QProcess::NotRunning; }, 15000)) {
            second.kill();
            second.waitForFinished();
            return -2;
        }
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -3;
    }
};

TEST_F(Startup, BuildsOneFrameWithANewDocument)
{
    ASSERT_TRUE(start());
    ASSERT_EQ(app->frames().size(), 1u);
    EXPECT_EQ(app->OpenDocumentCount(), 1);
    CMainFrame* frame = app->frames().front();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(app->mainFrame(), frame);
    EXPECT_EQ(frame->document().title(), "Untitled");
    EXPECT_FALSE(frame->document().isModified());
    EXPECT_EQ(frame->document().commPort, 1);
    // COM1 leads nowhere here: offline, and the port is not enabled.
    EXPECT_EQ(pane(frame, CMainFrame::DocumentPane), QStringLiteral(" Offline  "));
    EXPECT_EQ(pane(frame, CMainFrame::PortPane), QStringLiteral("Comm Not Enabled"));
    EXPECT_EQ(pane(frame, CMainFrame::MessagePane), QStringLiteral("Ready"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Startup, NewTcpDocumentReachesTheSimulatorOnline)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--tcp", "0"})) << sim.error();
    settings->setValue(settings::ControllerTcpPort, sim.tcpPort());
    ASSERT_TRUE(start({QStringLiteral("--new-tcp"), QStringLiteral("127.0.0.1")}));
    ASSERT_EQ(app->frames().size(), 1u);
    CMainFrame* frame = app->frames().front();
    EXPECT_EQ(frame->document().commPort, 0);
    EXPECT_EQ(pane(frame, CMainFrame::DocumentPane), QStringLiteral(" *ONLINE* "));
    EXPECT_EQ(pane(frame, CMainFrame::PortPane), QStringLiteral("TCP/IP: 127.0.0.1 : %1").arg(sim.tcpPort()));
    // Contacted once, at its own address: no COM1 attempt first.
    const auto requests = sim.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front(), "PV SY 111");
}

TEST_F(Startup, OpensTheFileNamedAndAddsItToTheRecentFiles)
{
    const QString path = dataFile(QStringLiteral("site.mlb"), 2, 7);
    ASSERT_TRUE(start({path}));
    ASSERT_EQ(app->frames().size(), 1u);
    CMainFrame* frame = app->frames().front();
    EXPECT_EQ(QString::fromStdString(frame->document().pathName()), path);
    EXPECT_EQ(frame->document().commPort, 2);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("site.mlb[*] - Corvane"));
    ASSERT_FALSE(app->recentFiles().files().empty());
    EXPECT_EQ(QString::fromStdString(app->recentFiles().files().front()), path);
}

TEST_F(Startup, EndsWithoutAWindowWhenAskedOrWhenItCannot)
{
    const QString bad = QStringLiteral(CORVANE_FIXTURES "/datafile/wrong-type-id.mlb");
    struct Case {
        QStringList args;
        int exitCode;
        const char* message; // shown, or null for none
    };
    const Case cases[] = {
        {{bad}, 1, kUnexpectedFileFormat},
        {{dir.filePath(QStringLiteral("missing.mlb"))}, 1, kFailedToOpenDocument},
        {{QStringLiteral("--bogus")}, 2, nullptr},
        {{QStringLiteral("--help")}, 0, nullptr},
    };
    for (const Case& c : cases) {
        ui.messages.clear();
        EXPECT_FALSE(start(c.args)) << c.args.join(' ').toStdString();
        EXPECT_EQ(app->exitCode(), c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(app->frames().empty());
        if (c.message) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, c.message);
        } else {
            EXPECT_TRUE(ui.messages.empty());
        }
        app.reset();
        FlushDeletes();
    }
}

TEST_F(Startup, PrintOnlyPrintsAndEnds)
{
    const QString path = dataFile(QStringLiteral("print.mlb"));
    app = std::make_unique<CCorvaneApp>(*settings, &ui, &shell);
    recordPrints();
    EXPECT_FALSE(app->InitInstance({QStringLiteral("--settings"), ini, QStringLiteral("--print-to"), path,
                                    QStringLiteral("Office Laser")}));
    EXPECT_EQ(app->exitCode(), 0);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].path, path);
    EXPECT_EQ(printed[0].printer, QStringLiteral("Office Laser"));
    EXPECT_FALSE(printed[0].frameVisible);
    EXPECT_TRUE(app->frames().empty());
}

TEST_F(Startup, NewTcpWithSaveAsWritesADocumentThatOpensOnline)
{
    const QString path = dir.filePath(QStringLiteral("demo.mlb"));
    EXPECT_FALSE(start({QStringLiteral("--new-tcp"), QStringLiteral("127.0.0.1"), QStringLiteral("--save-as"), path}));
    EXPECT_EQ(app->exitCode(), 0);
    EXPECT_TRUE(app->frames().empty());
    {
        CCorvaneDoc doc;
        ASSERT_TRUE(LoadDataFile(doc, path.toStdString(), ui).ok());
        EXPECT_EQ(doc.commPort, 0);
        EXPECT_EQ(doc.controllerAddress, kLoopback);
        EXPECT_EQ(doc.valueCount(), 0);
    }
    app.reset();

    // What the run script does next: open it with the simulator's port in the settings.
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--tcp", "0"})) << sim.error();
    settings->setValue(settings::ControllerTcpPort, sim.tcpPort());
    ASSERT_TRUE(start({path}));
    ASSERT_EQ(app->frames().size(), 1u);
    EXPECT_EQ(pane(app->frames().front(), CMainFrame::DocumentPane), QStringLiteral(" *ONLINE* "));
    EXPECT_FALSE(app->frames().front()->document().isModified());
}

TEST_F(Startup, ASecondStartHandsItsRequestToTheRunningInstance)
{
    ASSERT_TRUE(start());
    recordPrints();
    const QString a = dataFile(QStringLiteral("a.mlb"));
    const QString b = dataFile(QStringLiteral("b.mlb"));

    // A file: opened here, and the second start ends with success.
    EXPECT_EQ(secondStart({a}), 0);
    ASSERT_TRUE(WaitFor([&] { return app->frames().size() == 2; }));
    EXPECT_EQ(QString::fromStdString(app->frames()[1]->document().pathName()), a);
    EXPECT_EQ(app->mainFrame(), app->frames()[1]);

    // No file: a new, empty configuration document.
    EXPECT_EQ(secondStart({}), 0);
    ASSERT_TRUE(WaitFor([&] { return app->frames().size() == 3; }));
    EXPECT_EQ(app->frames()[2]->document().title(), "Untitled");
    EXPECT_FALSE(app->frames()[2]->document().isModified());

    // A file given by a relative name is found from the second start's folder.
    {
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        second.setProcessEnvironment(env);
        second.setWorkingDirectory(dir.path());
        second.start(QStringLiteral(CORVANE_APP), {QStringLiteral("--settings"), ini, QStringLiteral("b.mlb")});
        ASSERT_TRUE(WaitFor([&] { return second.state() == QProcess::NotRunning; }, 15000));
        EXPECT_EQ(second.exitCode(), 0);
    }
    ASSERT_TRUE(WaitFor([&] { return app->frames().size() == 4; }));
    EXPECT_EQ(QString::fromStdString(app->frames()[3]->document().pathName()), b);

    // Printing a file that is open prints it and leaves it open; one that is
    // not is opened for the print and closed again.
    const QString c = dataFile(QStringLiteral("c.mlb"));
    EXPECT_EQ(secondStart({QStringLiteral("--print"), a}), 0);
    EXPECT_EQ(secondStart({QStringLiteral("--print-to"), c, QStringLiteral("Laser")}), 0);
    ASSERT_TRUE(WaitFor([&] { return printed.size() == 2; }));
    EXPECT_EQ(printed[0].path, a);
    EXPECT_TRUE(printed[0].frameVisible);
    EXPECT_EQ(printed[1].path, c);
    EXPECT_EQ(printed[1].printer, QStringLiteral("Laser"));
    EXPECT_FALSE(printed[1].frameVisible);
    EXPECT_EQ(app->OpenDocumentCount(), 4);

    // The same file again only brings its frame to the front.
    EXPECT_EQ(secondStart({a}), 0);
    WaitFor([&] { return false; }, 300);
    EXPECT_EQ(app->OpenDocumentCount(), 4);
}

TEST_F(Startup, APrivateStoreIsAnInstanceOfItsOwn)
{
    ASSERT_TRUE(start());
    // Another settings file: the second start runs by itself (it is ended here).
    QTemporaryDir other;
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(CORVANE_APP), {QStringLiteral("--settings"), other.filePath(QStringLiteral("x.ini"))});
    ASSERT_TRUE(second.waitForStarted(5000));
    EXPECT_FALSE(second.waitForFinished(1500)) << "it ended instead of running";
    second.terminate();
    second.waitForFinished(5000);
    EXPECT_EQ(app->frames().size(), 1u);
}

TEST_F(Startup, ControllerFontIsLoadedWhenFoundAndTheProgramRunsWithoutIt)
{
    EXPECT_EQ(LoadControllerFont({dir.path()}), -1);

    // Any font file under the controller font's name stands in for it here.
    QString sample;
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::FontsLocation) +
                                     QStringList{QStringLiteral("/usr/share/fonts")}) {
        QDirIterator it(folder, {QStringLiteral("*.ttf")}, QDir::Files, QDirIterator::Subdirectories);
        if (it.hasNext()) {
            sample = it.next();
            break;
        }
    }
    if (sample.isEmpty())
        GTEST_SKIP() << "no font file on this system";
    ASSERT_TRUE(QFile::copy(sample, dir.filePath(QStringLiteral("HVDFONT.FON"))));
    const int id = LoadControllerFont({dir.filePath(QStringLiteral("nothing-here")), dir.path()});
    ASSERT_GE(id, 0);
    EXPECT_FALSE(QFontDatabase::applicationFontFamilies(id).isEmpty());
    EXPECT_TRUE(QFontDatabase::removeApplicationFont(id));
}

} // namespace
} // namespace corvane::app::apptest
