// The file-transfer side of the desktop: the transfer dialog and the status
// line of a view's job on a real FTP server, the firmware upgrade against
// pellion-sim and the update check, both through the menus.

#include "appfixture.h"
#include "transfer/transferfixture.h"

#include "configdoc/mainframe.h"
#include "device/connection.h"
#include "device/progresswnd.h"
#include "support/simprocess.h"
#include "transfer/controllerfile.h"
#include "transfer/internetsession.h"
#include "transfer/progressdlg.h"
#include "transfer/transfersettings.h"
#include "transfer/viewtransferowner.h"

#include <QAction>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>

namespace corvane::app {
namespace {

using namespace apptest;
using corvane::testing::FtpServerProcess;
using corvane::testing::ImageWithCrc;
using corvane::testing::Pattern;
using corvane::testing::ReadAll;
using corvane::testing::SimProcess;
using corvane::testing::WriteAll;

constexpr const char* kCode = "4711";
constexpr const char* kCaption = "Receiving CONFIG/EQUATION.CFG";

ControllerFileWords EquationWords()
{
    ControllerFileWords words;
    words.remoteName = "EQUATION.CFG";
    words.fileKind = "equation file";
    return words;
}

// Sees each transfer dialog that appears and every title it takes, with the
// first line at that moment.
class DialogWatch : public QObject {
public:
    int shown = 0;
    QWidget* parent = nullptr;
    QStringList titles;
    QString lastFirstLine;

    DialogWatch() { qApp->installEventFilter(this); }
    ~DialogWatch() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* dialog = qobject_cast<CProgressDlg*>(watched)) {
            if (event->type() == QEvent::Show) {
                ++shown;
                parent = dialog->parentWidget();
            } else if (event->type() == QEvent::WindowTitleChange) {
                titles << dialog->windowTitle();
                lastFirstLine = dialog->line(0);
            }
        }
        return false;
    }
};

// Runs the working folder of the program in a folder of the test's own.
struct CurrentFolder {
    QString saved = QDir::currentPath();
    explicit CurrentFolder(const QString& path) { QDir::setCurrent(path); }
    ~CurrentFolder() { QDir::setCurrent(saved); }
};

class TransferCommands : public AppFixture {
protected:
    ControllerFileWords words = EquationWords();
    std::string result;
    int errorFlag = -1;
    int doneMessage = 0;

    // The owner a view gives its jobs: it disposes of the job when done.
    std::unique_ptr<ViewTransferOwner> viewOwner()
    {
        return std::make_unique<ViewTransferOwner>(*app, words, [this](CTransferThread& job, int message, int) {
            result = job.resultText;
            errorFlag = job.errorFlag;
            doneMessage = message;
            StopAndDispose(&job);
        });
    }

    // A read job of the view, its dialog above `frame`, started.
    void startRead(TransferOwner& owner, CMainFrame* frame, std::uint16_t port, const std::string& localPath)
    {
        auto job = MakeReadJob({"127.0.0.1", port, kCode}, words.remoteName, localPath);
        job->owner = &owner;
        job->ownerDialogFactory = ProgressDlgFactory(frame);
        ASSERT_TRUE(job->Start());
        job.release(); // the done handler disposes of it
    }

    CMainFrame* startOnline(SimProcess& sim, std::vector<std::string> simArgs)
    {
        simArgs.insert(simArgs.begin(), {"--tcp", "0", "--access-code", kCode});
        if (!sim.start(simArgs)) {
            ADD_FAILURE() << sim.error();
            return nullptr;
        }
        settings->setValue(settings::ControllerTcpPort, sim.tcpPort());
        settings->setValue(settings::ControllerFtpPort, sim.ftpPort());
        if (!start({QStringLiteral("--new-tcp"), QStringLiteral("127.0.0.1")}) || app->frames().size() != 1) {
            ADD_FAILURE() << "no frame";
            return nullptr;
        }
        return app->frames().front();
    }

    static std::vector<std::string> Texts(const testing::FakeInteraction& ui)
    {
        std::vector<std::string> texts;
        for (const auto& m : ui.messages)
            texts.push_back(m.text);
        return texts;
    }
};

TEST_F(TransferCommands, DownloadShowsItsDialogAndTheViewsStatus)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir("CONFIG"));
    // Longer than the 65535 bytes announced: the title runs past 100 and wraps.
    const std::string bytes = Pattern(70000);
    WriteAll(root.filePath("CONFIG/EQUATION.CFG"), bytes);
    FtpServerProcess server;
    ASSERT_TRUE(server.start(root.path().toStdString(), kCode)) << server.error();
    ASSERT_TRUE(start());
    CMainFrame* frame = app->frames().front();
    auto owner = viewOwner();
    DialogWatch watch;
    const QString local = dir.filePath("equation.tmp");

    startRead(*owner, frame, server.port(), local.toStdString());
    ASSERT_TRUE(WaitFor([&] { return doneMessage != 0; }, 30000));
    EXPECT_EQ(doneMessage, WM_DOWNLOAD_DONE);
    EXPECT_EQ(result, "\"CONFIG/EQUATION.CFG\" successfully downloaded.");
    EXPECT_EQ(errorFlag, 0);
    EXPECT_EQ(ReadAll(local), bytes);

    EXPECT_EQ(pane(frame, CMainFrame::MessagePane), QStringLiteral("equation file transfer status: Finished"));
    EXPECT_EQ(watch.shown, 1);
    EXPECT_EQ(watch.parent, frame);
    ASSERT_GE(watch.titles.size(), 4);
    EXPECT_EQ(watch.titles[0], QString::fromLatin1(kCaption));
    EXPECT_EQ(watch.titles[1], QStringLiteral("0% ") + kCaption);
    EXPECT_TRUE(watch.titles.contains(QStringLiteral("100% ") + kCaption));
    EXPECT_EQ(watch.titles.back(), QStringLiteral("6% ") + kCaption); // 106 reduced modulo 100
    // Seen at the last change of the title: the figures against the size announced.
    EXPECT_EQ(watch.lastFirstLine, QStringLiteral("EQUATION.CFG (69632 of 65535  bytes transferred)"));
    // The dialog goes with its worker.
    EXPECT_TRUE(WaitFor([&] { return frame->findChildren<CProgressDlg*>().isEmpty(); }));
}

TEST_F(TransferCommands, CancelButtonEndsTheRetryWait)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const auto closedPort = static_cast<std::uint16_t>(probe.serverPort());
    probe.close();
    ASSERT_TRUE(start());
    CMainFrame* frame = app->frames().front();
    auto owner = viewOwner();

    startRead(*owner, frame, closedPort, dir.filePath("equation.tmp").toStdString());
    QPointer<CProgressDlg> dialog;
    ASSERT_TRUE(WaitFor([&] {
        for (CProgressDlg* d : frame->findChildren<CProgressDlg*>())
            if (d->line(1).startsWith(QStringLiteral("Retrying after")))
                dialog = d;
        return dialog != nullptr;
    }));
    EXPECT_EQ(dialog->line(0), QStringLiteral("Failed to connect to 127.0.0.1 (Attempt 1 of 3)"));
    dialog->cancelButton()->click();
    EXPECT_FALSE(dialog->cancelButton()->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return doneMessage != 0; }, 2000)) << "the 3-second wait was not cut short";
    EXPECT_EQ(result, "Retrying after 3 seconds...");
    EXPECT_EQ(errorFlag, 1);
}

TEST_F(TransferCommands, FirmwareUpgradeThroughTheMenu)
{
    QTemporaryDir ftpRoot;
    QTemporaryDir work;
    CurrentFolder folder(work.path());
    const std::string image = ImageWithCrc(3000, 0xDF69BBA8); // revision 0.03
    WriteAll(work.filePath("ULOAD.BIN"), image);
    SimProcess sim;
    CMainFrame* frame = startOnline(sim, {"--crc", "EB85BEA3", "--ftp-root", ftpRoot.path().toStdString()});
    ASSERT_TRUE(frame);
    ASSERT_GT(frame->document().connectionState, Offline);
    QAction* upgrade = frame->action(QStringLiteral("Upgrade Firmware..."));
    ASSERT_TRUE(upgrade);
    frame->updateStatus();
    EXPECT_TRUE(upgrade->isEnabled());

    ui.messages.clear();
    ui.answers = {Answer::Ok};
    ui.accessCodes = {kCode};
    upgrade->trigger();

    const std::vector<std::string> texts = Texts(ui);
    ASSERT_EQ(texts.size(), 2u) << ::testing::PrintToString(texts);
    EXPECT_EQ(texts[0], "This process will erase ALL nonvolatile memory in the Pellion (configuration, reports, "
                        "equations, etc.)... continue?");
    EXPECT_EQ(texts[1], "Transfer completed. The Pellion will be factory initialized. ");
    EXPECT_EQ(ui.messages[1].caption, "Firmware Upgraded Successfully");
    EXPECT_EQ(ReadAll(ftpRoot.filePath("ULOAD.BIN")), image);
    EXPECT_EQ(ReadAll(ftpRoot.filePath("APPINFO.DAT")), ReadAll(work.filePath("APPINFO.DAT")));
    EXPECT_EQ(frame->document().connectionState, Offline);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<CProgressWnd*>(w) && w->isVisible());
    EXPECT_EQ(app->internet()->receiveTimeoutMs, settings->value(settings::InternetReceiveTimeout));
}

TEST_F(TransferCommands, UpgradeIsOfferedOnTcpIpDocuments)
{
    ASSERT_TRUE(start());
    CMainFrame* tcp = app->openDocument(dataFile(QStringLiteral("tcp.mlb"), 0, kLoopback));
    ASSERT_TRUE(tcp);
    tcp->updateStatus(); // not contacted: the command needs no answering controller
    EXPECT_TRUE(tcp->action(QStringLiteral("Upgrade Firmware..."))->isEnabled());
    EXPECT_FALSE(app->frames().front()->action(QStringLiteral("Upgrade Firmware..."))->isEnabled()); // COM1
}

TEST_F(TransferCommands, WithoutANetworkConnectionTheProgramGoesOn)
{
    app = std::make_unique<CCorvaneApp>(*settings, &ui, &shell);
    app->setInternetFactory([] { return std::unique_ptr<InternetSession>(); });
    ASSERT_TRUE(app->InitInstance({QStringLiteral("--settings"), ini, dataFile(QStringLiteral("tcp.mlb"), 0, kLoopback)}));
    ASSERT_EQ(Texts(ui), std::vector<std::string>{"Error initializing network connection"});
    CMainFrame* frame = app->frames().front();
    frame->updateStatus();
    EXPECT_FALSE(frame->action(QStringLiteral("Check for Updates..."))->isEnabled());

    ui.messages.clear();
    frame->action(QStringLiteral("Upgrade Firmware..."))->trigger();
    ASSERT_EQ(Texts(ui), std::vector<std::string>{"Error initializing network connection"});
    EXPECT_EQ(ui.messages[0].caption, "Firmware Upgrade Wizard");
}

TEST_F(TransferCommands, UpdateCheckThroughTheHelpMenu)
{
    QTemporaryDir root;
    QTemporaryDir work;
    CurrentFolder folder(work.path());
    ASSERT_TRUE(QDir(root.path()).mkdir("Corvane"));
    FtpServerProcess server;
    ASSERT_TRUE(server.start(root.path().toStdString(), "unused", true)) << server.error();
    SetStringValue(*settings, settings::UpdateServerHost, "127.0.0.1");
    settings->setValue(settings::UpdateServerPort, server.port());
    ASSERT_TRUE(start());
    CMainFrame* frame = app->frames().front();
    frame->document().setModified(true); // the quit must not ask about it
    QAction* check = frame->action(QStringLiteral("Check for Updates..."));
    frame->updateStatus();
    ASSERT_TRUE(check->isEnabled());
    QSignalSpy quits(app.get(), &CCorvaneApp::quitPosted);

    WriteAll(root.filePath("Corvane/REV.TXT"), "0.03\r\n");
    check->trigger();
    EXPECT_EQ(Texts(ui),
              std::vector<std::string>{"You are currently running the latest revision of Corvane for Pellion.net."});
    EXPECT_EQ(quits.count(), 0);

    ui.messages.clear();
    ui.answers = {Answer::Ok};
    WriteAll(root.filePath("Corvane/REV.TXT"), "0.04\r\n");
    check->trigger();
    EXPECT_EQ(Texts(ui), std::vector<std::string>{
                             "A newer revision of Corvane (revision 00.04) is now available. Upgrade now?"});
    EXPECT_EQ(shell.opened, std::vector<std::string>{"http://127.0.0.1\\Corvane\\dist\\Corvane for Pellion.net.msi"});
    EXPECT_EQ(quits.count(), 1);
    EXPECT_EQ(ReadAll(work.filePath("REV.TXT")), "0.04\r\n");
    EXPECT_EQ(app->frames().size(), 1u); // nothing closed, nothing asked
    EXPECT_TRUE(app->updateCheckFlag());
}

} // namespace
} // namespace corvane::app
