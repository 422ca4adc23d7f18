// The configuration frames: status bar, commands, closing rules, the choice of
// a configuration document, help, recent files; and their screenshots.

#include "app/appfixture.h"
#include "common/help.h"
#include "common/recentfiles.h"
#include "configdoc/configsplitter.h"
#include "device/connection.h"
#include "support/simprocess.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest/QTest>

namespace corvane::app::apptest {
namespace {

using testing::SimProcess;

class MainFrame : public AppFixture {
protected:
    // Answers the next modal dialog with `act` once it is shown.
    void whenModal(std::function<void(QDialog&)> act)
    {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, act] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                act(*dialog);
            }
        });
        timer->start();
    }

    CMainFrame* online(SimProcess& sim)
    {
        if (!sim.start({"--tcp", "0"})) {
            ADD_FAILURE() << sim.error();
            return nullptr;
        }
        settings->setValue(settings::ControllerTcpPort, sim.tcpPort());
        if (!start({QStringLiteral("--new-tcp"), QStringLiteral("127.0.0.1")}) || app->frames().size() != 1) {
            ADD_FAILURE() << "no frame";
            return nullptr;
        }
        return app->frames().front();
    }

    static QMenu* menu(CMainFrame* frame, const QString& title)
    {
        for (QAction* a : frame->menuBar()->actions())
            if (a->menu() && ActionObjectName(a->text()) == title)
                return a->menu();
        return nullptr;
    }
};

TEST(MainFrameNames, ActionsAreNamedByTheirMenuText)
{
    EXPECT_EQ(ActionObjectName(QStringLiteral("&Pellion.net Data File \tCtrl+N")), QStringLiteral("Pellion.net Data File"));
    EXPECT_EQ(ActionObjectName(QStringLiteral("Options for this Pellion...")), QStringLiteral("Options for this Pellion..."));
    EXPECT_EQ(ActionObjectName(QStringLiteral("&1 R&&D.mlb")), QStringLiteral("1 R&D.mlb"));
}

TEST_F(MainFrame, StatusPanesStartBlankAndFollowTheConnection)
{
    ASSERT_TRUE(start());
    CMainFrame fresh(*app, &ui);
    EXPECT_EQ(pane(&fresh, CMainFrame::DocumentPane), QStringLiteral("   "));
    EXPECT_EQ(pane(&fresh, CMainFrame::PortPane), QStringLiteral("   "));
    EXPECT_EQ(pane(&fresh, CMainFrame::CapsPane), QStringLiteral("CAP"));
    EXPECT_EQ(pane(&fresh, CMainFrame::NumPane), QStringLiteral("NUM"));
    EXPECT_EQ(fresh.statusPane(CMainFrame::PaneCount), nullptr);
    // Offline: only the commands that need no controller.
    CMainFrame* frame = app->frames().front();
    for (const char* name : {"Options for this Pellion...", "Retry Communications", "Comm Port Settings..."})
        EXPECT_TRUE(frame->action(QString::fromLatin1(name))->isEnabled()) << name;
    for (const char* name : {"Go Offline", "Read All", "Read Selected Folder", "Dump All", "Event Log to File...",
                             "Browse Pellion...", "Upgrade Firmware..."}) // the last: COM1, not TCP/IP
        EXPECT_FALSE(frame->action(QString::fromLatin1(name))->isEnabled()) << name;
}

TEST_F(MainFrame, OnlineEnablesTheDeviceCommandsAndGoOfflineShowsAtOnce)
{
    SimProcess sim;
    CMainFrame* frame = online(sim);
    ASSERT_TRUE(frame);
    EXPECT_EQ(pane(frame, CMainFrame::DocumentPane), QStringLiteral(" *ONLINE* "));
    for (const char* name : {"Go Offline", "Read All", "Dump All", "Dump Selected Folder", "Transaction Log to File..."})
        EXPECT_TRUE(frame->action(QString::fromLatin1(name))->isEnabled()) << name;

    frame->action(QStringLiteral("Go Offline"))->trigger();
    EXPECT_EQ(pane(frame, CMainFrame::DocumentPane), QStringLiteral(" Offline  "));
    EXPECT_FALSE(frame->action(QStringLiteral("Read All"))->isEnabled());
    frame->action(QStringLiteral("Retry Communications"))->trigger();
    EXPECT_EQ(pane(frame, CMainFrame::DocumentPane), QStringLiteral(" *ONLINE* "));
    EXPECT_EQ(pane(frame, CMainFrame::MessagePane), QStringLiteral("Ready"));
}

TEST_F(MainFrame, ClosingAModifiedDocumentAsksToSave)
{
    const QString saved = dir.filePath(QStringLiteral("chosen.mlb"));
    struct Case {
        Answer answer;
        bool closes;
        bool written;
    };
    const Case cases[] = {{Answer::Cancel, false, false}, {Answer::No, true, false}, {Answer::Yes, true, true}};
    for (const Case& c : cases) {
        QFile::remove(saved);
        ASSERT_TRUE(start());
        app->newConfigurationDocument();
        CMainFrame* frame = app->frames()[1];
        frame->document().setModified();
        ui.messages.clear();
        ui.answers = {c.answer};
        ui.fileNames = {saved.toStdString()};
        QSignalSpy last(app.get(), &CCorvaneApp::lastFrameClosed);

        EXPECT_EQ(frame->close(), c.closes);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, "Save changes to Untitled?");
        EXPECT_EQ(app->OpenDocumentCount(), c.closes ? 1 : 2);
        EXPECT_EQ(QFile::exists(saved), c.written);
        EXPECT_EQ(last.count(), 0) << "another frame is still open";
        app.reset();
        FlushDeletes();
    }
}

TEST_F(MainFrame, ClosingTheLastFrameEndsTheProgramAndExitAsksEveryDocument)
{
    const QString path = dataFile(QStringLiteral("site.mlb"));
    ASSERT_TRUE(start({path}));
    app->newConfigurationDocument();
    app->frames()[0]->document().setModified();
    app->frames()[1]->document().setModified();
    QSignalSpy last(app.get(), &CCorvaneApp::lastFrameClosed);

    // Exit: the first document says No, the second Cancel: the second stays.
    ui.answers = {Answer::No, Answer::Cancel};
    app->frames()[0]->action(QStringLiteral("Exit"))->trigger();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "Save changes to " + path.toStdString() + "?");
    EXPECT_EQ(app->OpenDocumentCount(), 1);
    EXPECT_EQ(last.count(), 0);

    ui.answers = {Answer::No};
    EXPECT_TRUE(app->closeAllFrames());
    EXPECT_EQ(app->OpenDocumentCount(), 0);
    EXPECT_EQ(last.count(), 1);
    EXPECT_EQ(app->mainFrame(), nullptr);
}

TEST_F(MainFrame, SavingWritesTheFileUnderTheNameChosenAndClearsModified)
{
    ASSERT_TRUE(start());
    CMainFrame* frame = app->frames().front();
    frame->document().setModified();
    ui.fileNames = {dir.filePath(QStringLiteral("new-site")).toStdString()};
    frame->action(QStringLiteral("Save"))->trigger();
    const QString written = dir.filePath(QStringLiteral("new-site.mlb"));
    EXPECT_TRUE(QFile::exists(written));
    EXPECT_FALSE(frame->document().isModified());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("new-site.mlb[*] - Corvane"));
    EXPECT_EQ(QString::fromStdString(app->recentFiles().files().front()), written);
    // A second save asks nothing.
    frame->document().setModified();
    frame->action(QStringLiteral("Save"))->trigger();
    EXPECT_FALSE(frame->document().isModified());
    EXPECT_TRUE(ui.fileNames.empty());
}

TEST_F(MainFrame, OpenGoesThroughTheFileQuestionAndAnOpenFileIsNotOpenedTwice)
{
    const QString path = dataFile(QStringLiteral("site.mlb"));
    ASSERT_TRUE(start());
    ui.fileNames = {path.toStdString(), path.toStdString()};
    app->frames()[0]->action(QStringLiteral("Open..."))->trigger();
    ASSERT_EQ(app->OpenDocumentCount(), 2);
    app->frames()[0]->action(QStringLiteral("Open..."))->trigger();
    EXPECT_EQ(app->OpenDocumentCount(), 2);
    EXPECT_EQ(app->mainFrame(), app->frames()[1]);
}

TEST_F(MainFrame, FilesDroppedOnAFrameAreOpened)
{
    const QString a = dataFile(QStringLiteral("a.mlb"));
    const QString b = dataFile(QStringLiteral("b.mlb"));
    ASSERT_TRUE(start());
    CMainFrame* frame = app->frames().front();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl(QStringLiteral("https://example.com/c.mlb"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &drop);
    ASSERT_EQ(app->OpenDocumentCount(), 3);
    EXPECT_EQ(QString::fromStdString(app->frames()[2]->document().pathName()), b);

    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.com/c.mlb"))});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(frame, &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(MainFrame, RecentFilesReopenFromTheFileMenu)
{
    const QString a = dataFile(QStringLiteral("a.mlb"));
    const QString b = dataFile(QStringLiteral("b.mlb"));
    ASSERT_TRUE(start({a}));
    app->openDocument(b);
    CMainFrame* frame = app->frames()[1];
    QMenu* file = menu(frame, QStringLiteral("File"));
    ASSERT_TRUE(file);
    emit file->aboutToShow();
    ASSERT_TRUE(frame->action(QStringLiteral("1 b.mlb")));
    ASSERT_TRUE(frame->action(QStringLiteral("2 a.mlb")));
    EXPECT_EQ(frame->action(QStringLiteral("2 a.mlb"))->statusTip(), a);

    app->frames()[0]->close();
    FlushDeletes();
    ASSERT_EQ(app->OpenDocumentCount(), 1);
    frame->action(QStringLiteral("2 a.mlb"))->trigger();
    ASSERT_EQ(app->OpenDocumentCount(), 2);
    EXPECT_EQ(QString::fromStdString(app->frames()[1]->document().pathName()), a);

    // A file that went away leaves the list.
    app->frames()[1]->close();
    FlushDeletes();
    QFile::remove(a);
    emit file->aboutToShow();
    ui.messages.clear();
    frame->action(QStringLiteral("1 a.mlb"))->trigger();
    EXPECT_EQ(app->OpenDocumentCount(), 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(app->recentFiles().files().size(), 1u);
}

TEST_F(MainFrame, SelectConfigurationDocument)
{
    ASSERT_TRUE(start());
    CCorvaneDoc& first = app->frames()[0]->document();
    EXPECT_EQ(app->SelectConfigurationDocument(), &first);

    CMainFrame* second = app->openDocument(dataFile(QStringLiteral("tcp.mlb"), 0, kLoopback));
    ASSERT_TRUE(second);
    QStringList rows;
    whenModal([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select an Entry from the List"));
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("entries"));
        for (int i = 0; i < list->count(); ++i)
            rows << list->item(i)->text();
        list->setCurrentRow(1);
        dialog.accept();
    });
    EXPECT_EQ(app->SelectConfigurationDocument(), &second->document());
    EXPECT_EQ(rows, (QStringList{QStringLiteral("Untitled     \t\t(Com1,  Address 1)"),
                                 QStringLiteral("tcp.mlb      \t\t(TCP/IP,  Address 1)")}));

    whenModal([](QDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(app->SelectConfigurationDocument(), nullptr);
    whenModal([](QDialog& dialog) { dialog.accept(); }); // OK with no row chosen
    EXPECT_EQ(app->SelectConfigurationDocument(), nullptr);

    app->closeAllFrames();
    EXPECT_EQ(app->SelectConfigurationDocument(), nullptr);
}

TEST_F(MainFrame, TheFrameActivatedLastIsTheMainWindow)
{
    ASSERT_TRUE(start());
    CMainFrame* first = app->frames()[0];
    CMainFrame* second = app->newConfigurationDocument();
    EXPECT_EQ(app->mainFrame(), second);
    QApplication::setActiveWindow(first);
    EXPECT_TRUE(WaitFor([&] { return app->mainFrame() == first; }, 2000));
    first->close();
    EXPECT_EQ(app->mainFrame(), second);
}

TEST_F(MainFrame, HelpOpensTheManualAtTheTopic)
{
    ASSERT_TRUE(start());
    CMainFrame* frame = app->frames().front();
    frame->action(QStringLiteral("Help Topics"))->trigger();
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_TRUE(shell.opened[0].starts_with("file://")) << shell.opened[0];
    EXPECT_TRUE(shell.opened[0].ends_with("/index.html")) << shell.opened[0];
    EXPECT_TRUE(QFile::exists(QUrl(QString::fromStdString(shell.opened[0])).toLocalFile()));

    // F1: the topic of the focused window or its nearest parent; 100 when none names one.
    QWidget* inList = frame->splitter()->list();
    QTest::keyClick(inList, Qt::Key_F1);
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_TRUE(shell.opened[1].ends_with("/configuration-window.html")) << shell.opened[1];
    QTest::keyClick(frame->menuBar(), Qt::Key_F1);
    ASSERT_EQ(shell.opened.size(), 3u);
    EXPECT_TRUE(shell.opened[2].ends_with("/index.html")) << shell.opened[2];

    QWidget dialog;
    QWidget* field = new QWidget(&dialog);
    SetHelpTopic(&dialog, 1140);
    EXPECT_EQ(HelpTopicFor(field), 1140);
    EXPECT_EQ(HelpTopicFor(nullptr), 100);
}

TEST_F(MainFrame, AboutAndTheUpdateCheckCommand)
{
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Corvane"));
    EXPECT_EQ(about.revisionLabel()->text(), QStringLiteral("Corvane Revision 0.03"));

    ASSERT_TRUE(start());
    QAction* check = app->frames().front()->action(QStringLiteral("Check for Updates..."));
    ASSERT_TRUE(check);
    EXPECT_TRUE(check->isEnabled()); // there is an internet connection
    app->setUpdateCheckFlag(false);
    EXPECT_FALSE(check->isEnabled());
}

TEST_F(MainFrame, MenusOfferOnlyWhatIsBuilt)
{
    ASSERT_TRUE(start());
    CMainFrame* frame = app->frames().front();
    QMenu* file = menu(frame, QStringLiteral("File"));
    ASSERT_TRUE(file);
    QMenu* newMenu = nullptr;
    for (QAction* a : file->actions())
        if (a->menu())
            newMenu = a->menu();
    ASSERT_TRUE(newMenu);
    ASSERT_EQ(newMenu->actions().size(), 1);
    EXPECT_EQ(newMenu->actions()[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    for (const char* name : {"Save As...", "Print...", "Print Preview", "Print Setup...", "Large Icons",
                             "Small Icons", "List", "Details", "Arrange Icons", "General Options...",
                             "About Corvane for Pellion.net...", "Halvard Meter on the Web", "Terminal Emulator"})
        EXPECT_TRUE(frame->action(QString::fromLatin1(name))) << name;
    for (const char* name : {"Report Configuration", "Equation Set", "Translation", "Display Configuration"})
        EXPECT_FALSE(frame->action(QString::fromLatin1(name))) << name;
    EXPECT_EQ(app->frames().front()->action(QStringLiteral("Open..."))->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+O")));
}

TEST_F(MainFrame, ANewFrameFromTheMenuIsANewDocument)
{
    ASSERT_TRUE(start());
    app->frames().front()->action(QStringLiteral("Pellion.net Data File"))->trigger();
    ASSERT_EQ(app->OpenDocumentCount(), 2);
    EXPECT_NE(&app->frames()[0]->document(), &app->frames()[1]->document());
    EXPECT_EQ(app->frameOf(app->frames()[1]->document()), app->frames()[1]);
}

QString ScreenshotPath(const char* name)
{
    const QString folder = QStringLiteral(CORVANE_BUILD_DIR "/screenshots");
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
}

// The screenshot tests share their suite with the other windows' and use the
// frame fixture from inside.
class ScreenshotFrames : public MainFrame {
public:
    void SetUp() override { MainFrame::SetUp(); }
    void TearDown() override { MainFrame::TearDown(); }
    void TestBody() override {}
    using MainFrame::app;
    using MainFrame::dataFile;
    using MainFrame::online;
    using MainFrame::start;
    using MainFrame::whenModal;
};

TEST(Screenshots, MainFrame)
{
    ScreenshotFrames f;
    f.SetUp();
    SimProcess sim;
    CMainFrame* frame = f.online(sim);
    ASSERT_TRUE(frame);
    frame->resize(900, 560);
    frame->splitter()->tree()->selectDirectory(5);
    WaitFor([] { return false; }, 200);
    EXPECT_TRUE(frame->grab().save(ScreenshotPath("mainframe")));
    f.TearDown();
}

TEST(Screenshots, AboutAndSelectEntry)
{
    CAboutDlg about;
    about.show();
    EXPECT_TRUE(about.grab().save(ScreenshotPath("about")));

    ScreenshotFrames f;
    f.SetUp();
    ASSERT_TRUE(f.start());
    f.app->openDocument(f.dataFile(QStringLiteral("Terminal 4.mlb"), 0, kLoopback));
    f.whenModal([](QDialog& dialog) {
        dialog.findChild<QListWidget*>()->setCurrentRow(0);
        EXPECT_TRUE(dialog.grab().save(ScreenshotPath("select-entry")));
        dialog.reject();
    });
    f.app->SelectConfigurationDocument();
    f.TearDown();
}

} // namespace
} // namespace corvane::app::apptest
