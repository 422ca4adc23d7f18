// Commands of the configuration window that reach other windows: the
// terminal, and the general options refreshing every open window.

#include "app/appfixture.h"
#include "configdoc/appoptionsdlg.h"
#include "configdoc/configsplitter.h"
#include "configdoc/paramlistview.h"
#include "support/simprocess.h"
#include "terminal/emulatorframe.h"
#include "terminal/emulatorview.h"

#include <QAction>
#include <QCheckBox>
#include <QTimer>
#include <QPlainTextEdit>
#include <QPointer>
#include <QtTest/QTest>

namespace corvane::app::apptest {
namespace {

using TerminalCommand = AppFixture;

TEST_F(TerminalCommand, OneTerminalPerDocumentClosedWithItsDocument)
{
    testing::SimProcess sim;
    ASSERT_TRUE(sim.start({"--tcp", "0"})) << sim.error();
    settings->setValue(settings::ControllerTcpPort, sim.tcpPort());
    ASSERT_TRUE(start({QStringLiteral("--new-tcp"), QStringLiteral("127.0.0.1")}));
    ASSERT_EQ(app->frames().size(), 1u);
    CMainFrame* frame = app->frames().front();
    QAction* command = frame->action(QStringLiteral("Terminal Emulator"));
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F10));

    command->trigger();
    QPointer<CEmulatorFrame> terminal = CEmulatorFrame::For(frame->document());
    ASSERT_FALSE(terminal.isNull());
    EXPECT_EQ(terminal->windowTitle(), QStringLiteral("Terminal Emulator - ") +
                                           QString::fromStdString(frame->document().title()));
    command->trigger();
    EXPECT_EQ(CEmulatorFrame::For(frame->document()), terminal.data());
    EXPECT_EQ(app->OpenDocumentCount(), 1); // the terminal is no document of its own

    // The terminal talks over the document's own link.
    sim.clearRequests();
    QTest::keyClicks(terminal->view()->inputBox(), "gp");
    QTest::keyClick(terminal->view()->inputBox(), Qt::Key_Return);
    EXPECT_EQ(sim.requests(), std::vector<std::string>{"GP"});
    EXPECT_TRUE(terminal->view()->outputBox()->toPlainText().startsWith(QStringLiteral("01GP")));

    frame->closeWithoutAsking();
    FlushDeletes();
    EXPECT_TRUE(terminal.isNull());
}

} // namespace
} // namespace corvane::app::apptest

namespace corvane::app::apptest {
namespace {

using GeneralOptionsRefresh = AppFixture;

TEST_F(GeneralOptionsRefresh, SecurityLevelColumnAppearsInEveryOpenWindow)
{
    ASSERT_TRUE(start());
    CMainFrame* first = app->frames().front();
    first->action(QStringLiteral("Pellion.net Data File"))->trigger();
    ASSERT_EQ(app->frames().size(), 2u);
    for (CMainFrame* frame : app->frames())
        EXPECT_FALSE(frame->splitter()->list()->showsSecurityLevel());

    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<CAppOptionsDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->viewShowSecLvl()->setChecked(true);
        dialog->accept();
    });
    first->action(QStringLiteral("General Options..."))->trigger();
    EXPECT_EQ(settings->value(settings::ViewShowSecLvl), 1);
    for (CMainFrame* frame : app->frames())
        EXPECT_TRUE(frame->splitter()->list()->showsSecurityLevel());
}

} // namespace
} // namespace corvane::app::apptest
