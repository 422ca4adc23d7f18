// The communications commands of a configuration window against pellion-sim:
// enablement, the progress window, scripted answers, Cancel, the logs, the
// web links and a window that keeps painting while the link waits.

#include "common/guiinteraction.h"
#include "common/settings.h"
#include "common/shell.h"
#include "device/weblinks.h"
#include "configdoc/corvanedoc.h"
#include "device/commcommands.h"
#include "device/commsetupdialog.h"
#include "device/connection.h"
#include "device/progresswnd.h"
#include "support/fakeinteraction.h"
#include "support/simprocess.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace corvane::app {
namespace {

using testing::FakeInteraction;
using testing::SimProcess;

constexpr std::uint32_t kLoopback = 0x7F000001u;
constexpr int kRecipe2 = 13; // four codes, no security levels read by a folder read

class FakeShell : public Shell {
public:
    std::vector<std::string> opened;
    bool opens = true;
    std::optional<std::string> applicationFor(const std::string&) override { return std::nullopt; }
    bool open(const std::string& what) override
    {
        opened.push_back(what);
        return opens;
    }
};

// Records the whole file question.
class RecordingInteraction : public FakeInteraction {
public:
    std::vector<FileDialogRequest> fileRequests;
    std::optional<std::string> askFile(const FileDialogRequest& request) override
    {
        fileRequests.push_back(request);
        return askFileName(request.title, request.filter, request.save);
    }
};

// Sees every progress window that appears and every caption it takes, and
// polls the visible ones every few milliseconds while a command runs.
class ProgressWatch : public QObject {
public:
    explicit ProgressWatch(std::function<void(CProgressWnd&)> onTick = {}) : onTick_(std::move(onTick))
    {
        qApp->installEventFilter(this);
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* progress = qobject_cast<CProgressWnd*>(w);
                if (!progress || !progress->isVisible())
                    continue;
                if (onTick_)
                    onTick_(*progress);
                if (progress->finished()) {
                    finishedText = progress->text();
                    finishedButton = progress->button()->text();
                    progress->button()->click();
                }
            }
        });
        timer_.start();
    }
    ~ProgressWatch() override { qApp->removeEventFilter(this); }

    bool shown = false;
    QString lastTitle;
    QString finishedText;
    QString finishedButton;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (auto* progress = qobject_cast<CProgressWnd*>(watched)) {
            if (event->type() == QEvent::Show)
                shown = true;
            else if (event->type() == QEvent::WindowTitleChange)
                lastTitle = progress->windowTitle();
        }
        return false;
    }

private:
    std::function<void(CProgressWnd&)> onTick_;
    QTimer timer_;
};

// A document on TCP/IP to a pellion-sim of its own.
struct Online {
    QTemporaryDir dir;
    Settings settings{(dir.path() + QStringLiteral("/corvane.ini")).toStdString()};
    RecordingInteraction ui;
    FakeShell shell;
    ControllerLink link{settings, ui};
    CCorvaneDoc doc;
    SimProcess sim;
    QWidget frame;

    ::testing::AssertionResult connect(std::vector<std::string> args, int expectedState = ProgramAccess)
    {
        args.insert(args.begin(), {"--tcp", "0"});
        if (!sim.start(args))
            return ::testing::AssertionFailure() << sim.error();
        settings.setValue(settings::ControllerTcpPort, sim.tcpPort());
        link.tcpReceiveTimeoutMs = 200;
        doc.OnNewDocument();
        doc.commPort = 0;
        doc.controllerAddress = kLoopback;
        doc.setConnectionHooks(&link);
        if (link.Contact(doc, false) != expectedState)
            return ::testing::AssertionFailure() << "state " << doc.connectionState;
        sim.clearRequests();
        ui.messages.clear();
        doc.setModified(false);
        return ::testing::AssertionSuccess();
    }

    void run(DocumentCommand command) { RunDocumentCommand(command, &frame, doc, link, settings, ui, shell); }

    long count(const std::string& prefix) const
    {
        const auto r = sim.requests();
        return std::count_if(r.begin(), r.end(), [&](const std::string& s) { return s.starts_with(prefix); });
    }
};

TEST(CommCommands, RefusesWhatTheStateDisables)
{
    struct Case {
        DocumentCommand command;
        int state;
    };
    const Case cases[] = {
        {DocumentCommand::ReadAll, Offline},
        {DocumentCommand::ReadSelectedFolder, NoComm},
        {DocumentCommand::DumpAll, ReadAccess},
        {DocumentCommand::DumpSelectedFolder, Offline},
        {DocumentCommand::EventLog, Offline},
        {DocumentCommand::GoOffline, Offline},
        {DocumentCommand::BrowsePellion, Offline},
    };
    Online o;
    ASSERT_TRUE(o.connect({}));
    for (const Case& c : cases) {
        SCOPED_TRACE(CommandInfo(c.command).text);
        o.doc.connectionState = c.state;
        EXPECT_FALSE(CommandAvailable(c.command, o.doc));
        ProgressWatch watch;
        o.run(c.command);
        EXPECT_FALSE(watch.shown);
        EXPECT_EQ(o.doc.connectionState, c.state);
    }
    EXPECT_TRUE(o.sim.requests().empty());
    EXPECT_TRUE(o.shell.opened.empty());
    EXPECT_TRUE(o.ui.messages.empty());
}

TEST(CommCommands, ReadAllEndsWithTransferCompleteAndClose)
{
    Online o;
    ASSERT_TRUE(o.connect({}));
    ProgressWatch watch;
    o.run(DocumentCommand::ReadAll);
    EXPECT_EQ(watch.finishedText, QStringLiteral("Transfer Complete!"));
    EXPECT_EQ(watch.finishedButton, QStringLiteral("&Close"));
    EXPECT_EQ(watch.lastTitle, QStringLiteral("Reading Pellion.net... [100%]"));
    EXPECT_TRUE(o.doc.isModified());
    EXPECT_GT(o.doc.valueCount(), 0);
    EXPECT_FALSE(LinkBusy());
}

TEST(CommCommands, DumpAllLogsOffOnceAtTheEnd)
{
    Online o;
    ASSERT_TRUE(o.connect({}));
    {
        ProgressWatch watch;
        o.run(DocumentCommand::ReadAll);
    }
    o.sim.clearRequests();
    ProgressWatch watch;
    o.run(DocumentCommand::DumpAll);
    EXPECT_EQ(watch.finishedText, QStringLiteral("Transfer Complete!"));
    EXPECT_EQ(watch.lastTitle, QStringLiteral("Writing to Pellion.net... [100%]"));
    const auto requests = o.sim.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(o.count("LO"), 1);
    // The log-off's contact runs just before it.
    EXPECT_EQ(requests.back(), "LO");
    EXPECT_GT(o.count("PC "), 100);
}

TEST(CommCommands, TimeoutDuringAFolderReadAsksAbortRetryIgnore)
{
    // Requests 1-3 are the set-up contact, 4 the command's contact, 5-8 the
    // four codes of Recipe 2; the sixth (second code) gets no reply.
    struct Case {
        Answer answer;
        long valueReads;
        bool completes;
        bool secondCodeHasValue;
    };
    const Case cases[] = {
        {Answer::Retry, 5, true, true},
        {Answer::Ignore, 4, true, true},
        {Answer::Abort, 2, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        Online o;
        ASSERT_TRUE(o.connect({"--silent-every", "6"}));
        o.doc.setCurrentDirectory(kRecipe2);
        o.ui.answers = {c.answer};
        const DBParam& second = o.doc.chain().directory(kRecipe2)[1];
        ProgressWatch watch;
        o.run(DocumentCommand::ReadSelectedFolder);

        ASSERT_EQ(o.ui.messages.size(), 1u);
        EXPECT_EQ(o.ui.messages[0].text, "Timeout waiting for response");
        EXPECT_EQ(o.count("PV 02 "), c.valueReads);
        EXPECT_EQ(watch.finishedText == QStringLiteral("Transfer Complete!"), c.completes);
        EXPECT_EQ(second.hasValue(), c.secondCodeHasValue);
        EXPECT_TRUE(o.doc.isModified());
        if (c.answer == Answer::Retry) {
            const auto r = o.sim.requests();
            ASSERT_GE(r.size(), 4u);
            EXPECT_EQ(r[2], r[3]); // the same value read again
        }
    }
}

TEST(CommCommands, MessageBoxAnswersReachTheRead)
{
    // The desktop's own message boxes, answered by clicking their buttons.
    Online o;
    ASSERT_TRUE(o.connect({"--silent-every", "6"}));
    GuiInteraction gui(&o.frame);
    ControllerLink link(o.settings, gui);
    link.tcpReceiveTimeoutMs = 200;
    o.doc.setConnectionHooks(&link);
    o.doc.setCurrentDirectory(kRecipe2);
    QString boxText;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxText = box->text();
            box->button(QMessageBox::Retry)->click();
        }
    });
    answer.start();
    ProgressWatch watch;
    RunDocumentCommand(DocumentCommand::ReadSelectedFolder, &o.frame, o.doc, link, o.settings, gui, o.shell);
    EXPECT_EQ(boxText, QStringLiteral("Timeout waiting for response"));
    EXPECT_EQ(o.count("PV 02 "), 5);
    EXPECT_EQ(watch.finishedText, QStringLiteral("Transfer Complete!"));
}

TEST(CommCommands, CancelStopsTheWork)
{
    struct Case {
        DocumentCommand command;
        const char* perCode;
        bool modified;
    };
    const Case cases[] = {
        {DocumentCommand::ReadAll, "PV ", true},
        {DocumentCommand::DumpAll, "PC ", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CommandInfo(c.command).text);
        Online o;
        ASSERT_TRUE(o.connect({"--delay-ms", "5"}));
        if (c.command == DocumentCommand::DumpAll)
            for (DBParam& p : o.doc.chain().all())
                p.setHasValue();
        o.sim.clearRequests();
        ProgressWatch watch([](CProgressWnd& progress) {
            if (progress.position() >= 5 && !progress.finished())
                progress.button()->click();
        });
        o.run(c.command);
        EXPECT_TRUE(watch.shown);
        EXPECT_TRUE(watch.finishedText.isEmpty());
        EXPECT_LT(o.count(c.perCode), 40);
        EXPECT_EQ(o.count("LO"), 0);
        EXPECT_EQ(o.doc.isModified(), c.modified);
        EXPECT_FALSE(LinkBusy());
    }
}

TEST(CommCommands, WindowsPaintWhileTheLinkWaits)
{
    class Counting : public QWidget {
    public:
        int paints = 0;

    protected:
        void paintEvent(QPaintEvent*) override { ++paints; }
    };
    InstallEventPump();
    Online o;
    ASSERT_TRUE(o.connect({"--delay-ms", "60"}));
    Online other; // a second window on its own controller
    ASSERT_TRUE(other.connect({}));
    o.doc.setCurrentDirectory(kRecipe2);

    // A command under its progress window, and a bare contact (as after
    // loading a file) that waits outside any command.
    struct Case {
        const char* name;
        std::function<void()> work;
        int minTicks;
    };
    const Case cases[] = {
        {"folder read", [&] { o.run(DocumentCommand::ReadSelectedFolder); }, 6}, // five replies, 300 ms
        {"contact", [&] { o.link.Contact(o.doc, false); }, 2},                   // two replies, 120 ms
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Counting window;
        window.resize(100, 60);
        window.show();
        int ticks = 0;
        bool busySeen = false;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            ++ticks;
            busySeen = busySeen || LinkBusy();
            window.update();
            // A second exchange must not start while one waits.
            other.run(DocumentCommand::ReadAll);
        });
        tick.start();
        const int paintsBefore = window.paints;
        ProgressWatch watch;
        c.work();
        tick.stop();

        EXPECT_GE(ticks, c.minTicks);
        EXPECT_GE(window.paints - paintsBefore, c.minTicks / 2);
        EXPECT_EQ(o.doc.connectionState, ProgramAccess);
        EXPECT_TRUE(busySeen);
        EXPECT_TRUE(other.sim.requests().empty());
        EXPECT_FALSE(LinkBusy());
    }
    EXPECT_TRUE(CommandAvailable(DocumentCommand::ReadAll, other.doc));
}

TEST(CommCommands, ConnectionCommands)
{
    Online o;
    ASSERT_TRUE(o.connect({}));
    o.run(DocumentCommand::GoOffline);
    EXPECT_EQ(o.doc.connectionState, Offline);
    EXPECT_TRUE(o.sim.requests().empty());
    EXPECT_FALSE(CommandAvailable(DocumentCommand::ReadAll, o.doc));

    o.run(DocumentCommand::RetryCommunications);
    EXPECT_EQ(o.doc.connectionState, ProgramAccess);
    EXPECT_EQ(o.sim.requests().front(), "PV SY 111");
    EXPECT_FALSE(o.doc.isModified());
}

TEST(CommCommands, OptionsForThisPellion)
{
    struct Case {
        bool accept;
        int state;
        int commPort;
        std::uint32_t address;
        bool modified;
    };
    const Case cases[] = {
        {true, ProgramAccess, 0, kLoopback, true},
        {false, Offline, 1, 7, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.accept ? "OK" : "Cancel");
        Online o;
        ASSERT_TRUE(o.connect({}));
        // Start from a serial port that leads nowhere.
        o.doc.commPort = 1;
        o.doc.controllerAddress = 7;
        o.doc.connectionState = Offline;
        o.doc.protocol.reset();
        o.settings.setDevicePath(1, (o.dir.path() + QStringLiteral("/no-such-tty")).toStdString());
        QTimer answer;
        answer.setInterval(5);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<CCommSetupDialog*>(QApplication::activeModalWidget())) {
                EXPECT_EQ(dialog->portList()->currentText(), QStringLiteral("Com 1"));
                dialog->portList()->setCurrentIndex(0);
                dialog->addressField()->setAddress(kLoopback);
                c.accept ? dialog->accept() : dialog->reject();
            }
        });
        answer.start();
        o.run(DocumentCommand::CommOptions);
        EXPECT_EQ(o.doc.connectionState, c.state);
        EXPECT_EQ(o.doc.commPort, c.commPort);
        EXPECT_EQ(o.doc.controllerAddress, c.address);
        EXPECT_EQ(o.doc.isModified(), c.modified);
    }
}

TEST(CommCommands, LogCommandsWriteTheirFiles)
{
    struct Case {
        DocumentCommand command;
        const char* title;
        const char* defaultName;
        int lines;
        const char* firstRequests;
        bool handedToShell;
    };
    // --events 3, --audits 2, --transactions 2 with 2 batches each.
    const Case cases[] = {
        {DocumentCommand::EventLog, "Select file to store event log data", "Untitled-EventLog.txt", 3,
         "ES,ER 3,ER 2,ER 1", false},
        {DocumentCommand::AuditLog, "Select file to store audit log data", "Untitled-AuditLog.txt", 2,
         "PS,PR 2,PR 1", false},
        {DocumentCommand::TransactionLog, "Select file to store transaction log data", "Untitled-TransLog.txt", 6,
         "TS,TR 2,TU 2,TB 1 2,TB 2 2,TB 3 2,TR 1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        Online o;
        ASSERT_TRUE(o.connect({"--events", "3", "--audits", "2", "--transactions", "2", "--batches", "2"}));
        const QString path = o.dir.path() + QStringLiteral("/log.txt");
        o.ui.fileNames = {path.toStdString()};
        ProgressWatch watch;
        o.run(c.command);

        ASSERT_EQ(o.ui.fileRequests.size(), 1u);
        const FileDialogRequest& asked = o.ui.fileRequests[0];
        EXPECT_EQ(asked.title, c.title);
        EXPECT_EQ(asked.defaultName, c.defaultName);
        EXPECT_EQ(asked.defaultExtension, ".txt");
        EXPECT_EQ(asked.filter, "Text files (*.txt)|*.txt|All files (*.*)|*.*||");
        EXPECT_TRUE(asked.save);
        EXPECT_TRUE(watch.shown);

        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), c.lines);
        QStringList requests;
        for (const std::string& r : o.sim.requests())
            requests << QString::fromStdString(r);
        EXPECT_TRUE(requests.join(QLatin1Char(',')).startsWith(QLatin1String(c.firstRequests)))
            << requests.join(QLatin1Char(',')).toStdString();
        EXPECT_EQ(o.shell.opened, c.handedToShell ? std::vector<std::string>{path.toStdString()}
                                                  : std::vector<std::string>{});
        EXPECT_TRUE(o.ui.messages.empty());
    }
}

TEST(CommCommands, CancelledLogDialogWritesNothing)
{
    Online o;
    ASSERT_TRUE(o.connect({}));
    ProgressWatch watch;
    o.run(DocumentCommand::EventLog); // no file name scripted: the dialog is cancelled
    EXPECT_EQ(o.ui.fileRequests.size(), 1u);
    EXPECT_FALSE(watch.shown);
    EXPECT_EQ(o.count("ER "), 0);
    EXPECT_TRUE(QDir(o.dir.path()).entryList({QStringLiteral("*.txt")}).isEmpty());
}

TEST(CommCommands, BrowsePellionAndTheMakersWebSite)
{
    Online o;
    ASSERT_TRUE(o.connect({}));
    o.run(DocumentCommand::BrowsePellion);
    EXPECT_EQ(o.shell.opened, std::vector<std::string>{"http://127.0.0.1"});
    EXPECT_TRUE(o.sim.requests().empty());

    o.shell.opens = false;
    o.run(DocumentCommand::BrowsePellion);
    ASSERT_EQ(o.ui.messages.size(), 1u);
    EXPECT_EQ(o.ui.messages[0].text, "Unable to open http://127.0.0.1 in the web browser");

    FakeShell shell;
    OpenMakerWebSite(shell, o.settings);
    SetMakerWebSite(o.settings, "https://support.example/corvane");
    OpenMakerWebSite(shell, o.settings);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{kDefaultMakerWebSite, "https://support.example/corvane"}));
}

} // namespace
} // namespace corvane::app
