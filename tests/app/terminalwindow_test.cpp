// The terminal window driven through its real widgets, offscreen.

#include "device/devicefixture.h"
#include "terminal/emulatorframe.h"
#include "terminal/emulatorview.h"
#include "terminal/terminallog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>

#include <gmock/gmock.h>

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;

class TerminalWindow : public SimLinkTest {
protected:
    FakeShell shell;
    QPointer<app::CEmulatorFrame> frame;
    int saveAsCalls = 0;

    void openWindow()
    {
        link.OpenConnection(doc);
        app::TerminalFrameActions actions;
        actions.saveAs = [this] { ++saveAsCalls; };
        frame = app::CEmulatorFrame::Open(doc, link, settings, ui, shell, actions);
        frame->view()->session().reportDirectory = dir.path().toStdString();
        QApplication::setActiveWindow(frame);
        frame->view()->inputBox()->setFocus();
    }
    void TearDown() override
    {
        delete frame.data();
        TerminalLog::shared().close();
    }
    QString input() const { return frame->view()->inputBox()->toPlainText(); }
    QString output() const { return frame->view()->outputBox()->toPlainText(); }
};

TEST_F(TerminalWindow, TypedLinesAreUpperCasedWhileShortAndSentAtEnter)
{
    startTcp();
    openWindow();
    EXPECT_EQ(frame->windowTitle(), "Terminal Emulator - Untitled");
    EXPECT_EQ(frame->view()->armList()->currentText(), "Arm 1");
    EXPECT_FALSE(frame->view()->armList()->isEnabled());

    QTest::keyClicks(frame->view()->inputBox(), "pv sy 111");
    EXPECT_EQ(input(), "PV SY 111");
    QTest::keyClicks(frame->view()->inputBox(), " abc");
    EXPECT_EQ(input(), "PV SY 111 abc"); // later characters keep their case
    frame->view()->inputBox()->clear();
    QTest::keyClicks(frame->view()->inputBox(), "pv sy 111");
    QTest::keyClick(frame->view()->inputBox(), Qt::Key_Return);
    EXPECT_EQ(input(), "");
    EXPECT_EQ(output(), "01PV SY 111                                PV SY 111 0");
    EXPECT_EQ(frame->statusPane(app::CEmulatorFrame::MessagePane)->text(), "Ready");

    // Enter on a single character sends nothing.
    QTest::keyClicks(frame->view()->inputBox(), "p");
    QTest::keyClick(frame->view()->inputBox(), Qt::Key_Return);
    EXPECT_EQ(input(), "P");
    EXPECT_THAT(sim.requests(), ElementsAre("PV SY 111"));
}

TEST_F(TerminalWindow, MenuPrefixesRunAtOnceOrWaitForArguments)
{
    startTcp();
    openWindow();
    QTest::keyClick(frame, Qt::Key_F4);
    EXPECT_THAT(sim.requests(), ElementsAre("EQ"));
    EXPECT_TRUE(output().startsWith("01EQ ")) << output().toStdString();

    QAction* pv = frame->action("PV - Program Code Value");
    ASSERT_NE(pv, nullptr);
    EXPECT_EQ(pv->statusTip(), "Retrieves a program code value from the Pellion (PV xx yyy) where xx=dir yyy=param#");
    pv->trigger();
    EXPECT_EQ(input(), "PV ");
    EXPECT_EQ(frame->view()->inputBox()->textCursor().position(), 3);
    EXPECT_THAT(sim.requests(), ElementsAre("EQ"));
    QTest::keyClicks(frame->view()->inputBox(), "sy 111");
    QTest::keyClick(frame->view()->inputBox(), Qt::Key_Return);
    EXPECT_THAT(sim.requests(), ElementsAre("EQ", "PV SY 111"));
}

TEST_F(TerminalWindow, EditCommandsFollowTheFocusedBox)
{
    startTcp();
    openWindow();
    QAction* copy = frame->action("Copy");
    QAction* cut = frame->action("Cut");
    ASSERT_TRUE(copy && cut);
    EXPECT_FALSE(copy->isEnabled());
    QTest::keyClicks(frame->view()->inputBox(), "GD");
    frame->view()->inputBox()->selectAll();
    EXPECT_TRUE(copy->isEnabled());
    EXPECT_TRUE(cut->isEnabled());

    QTest::keyClick(frame->view()->inputBox(), Qt::Key_Return);
    frame->view()->outputBox()->setFocus();
    frame->view()->outputBox()->selectAll();
    QApplication::processEvents();
    EXPECT_TRUE(copy->isEnabled());
    EXPECT_FALSE(cut->isEnabled()); // the transcript is read-only
}

TEST_F(TerminalWindow, OneTerminalPerDocumentAndExitClosesIt)
{
    startTcp();
    openWindow();
    app::TerminalFrameActions none;
    EXPECT_EQ(app::CEmulatorFrame::Open(doc, link, settings, ui, shell, none), frame.data());
    QTest::keyClicks(frame->view()->inputBox(), "exit");
    QTest::keyClick(frame->view()->inputBox(), Qt::Key_Return);
    QTRY_VERIFY(frame.isNull());
    EXPECT_EQ(app::CEmulatorFrame::For(doc), nullptr);
}

TEST(Screenshots, TerminalWindow)
{
    QTemporaryDir dir;
    Settings settings(dir.filePath("s.ini").toStdString());
    RecordingInteraction ui;
    FakeShell shell;
    ControllerLink link(settings, ui);
    CCorvaneDoc doc;
    auto* frame = new app::CEmulatorFrame(doc, link, settings, ui, shell, {});
    frame->view()->session().ExecuteLine("ECHO Terminal transcript");
    frame->show();
    QDir().mkpath(CORVANE_BUILD_DIR "/screenshots");
    EXPECT_TRUE(frame->grab().save(CORVANE_BUILD_DIR "/screenshots/terminal.png"));
    delete frame;
}

} // namespace
} // namespace corvane::testing
