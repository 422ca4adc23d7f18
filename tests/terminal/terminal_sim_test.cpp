// The terminal's exchanges with a simulated controller.

#include "device/devicefixture.h"
#include "terminal/queuedhost.h"
#include "terminal/terminallog.h"
#include "terminal/terminalsession.h"

#include <gmock/gmock.h>

#include <fstream>
#include <sstream>

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;

class TerminalSim : public SimLinkTest {
protected:
    QueuedTerminalHost host;
    std::unique_ptr<TerminalSession> session;

    void open()
    {
        link.OpenConnection(doc);
        session = std::make_unique<TerminalSession>(doc, ui, host);
        session->reportDirectory = dir.path().toStdString();
    }
    void TearDown() override
    {
        session.reset();
        TerminalLog::shared().close();
    }
    // Types the line key by key, as the input box reports it, then Enter.
    void type(const std::string& line)
    {
        std::string box;
        for (char c : line) {
            box += c;
            auto r = session->inputChanged(box);
            if (r.replaced)
                box = r.text;
        }
        session->inputChanged(box + "\r\n");
        host.runUntilIdle();
    }
    // A whole line at once (typing would upper-case the start of a path).
    void enter(const std::string& line)
    {
        session->inputChanged(line + "\r\n");
        host.runUntilIdle();
    }
    std::string write(const char* name, const std::string& text) const
    {
        std::ofstream(path(name), std::ios::binary) << text;
        return path(name);
    }
    static std::string read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(TerminalSim, RepliesAndRejectionsInTheTranscript)
{
    startTcp({"--reject", "SY:112"});
    open();
    type("pv sy 111");
    type("PV SY 112");
    EXPECT_EQ(session->outputText(),
              "01PV SY 111                                PV SY 111 0\r\n"
              "01PV SY 112                                NO14 - Program Code Not Used\r\n");
    EXPECT_TRUE(ui.messages.empty()); // a rejection shows no box
    EXPECT_THAT(sim.requests(), ElementsAre("PV SY 111", "PV SY 112"));
}

TEST_F(TerminalSim, AFailedReplyShowsThePortStatusAndABoxOnlyOutsideMacros)
{
    startTcp({"--silent-every", "1"});
    open();
    type("GP");
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string status = ui.messages[0].text;
    EXPECT_NE(session->outputText().find(status), std::string::npos);

    ui.messages.clear();
    write("quiet.mac", "GP\nECHO done\n");
    enter("PLAY " + path("quiet.mac"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_NE(session->outputText().find("done"), std::string::npos); // the macro went on
}

TEST_F(TerminalSim, AnAddressSetInTheTerminalIsKeptForTheDocumentsLaterExchanges)
{
    startPty({"--address", "5"});
    doc.controllerAddress = 1;
    open();
    type("GP"); // address 01: the controller at 05 does not answer
    EXPECT_THAT(sim.requests(), ::testing::IsEmpty());
    write("addr.mac", "ADDRESS 5\nGP\n");
    enter("PLAY " + path("addr.mac"));
    EXPECT_NE(session->outputText().find("05GP"), std::string::npos) << session->outputText();
    EXPECT_THAT(sim.requests(), ElementsAre("GP"));
    // The document's own contact now reaches the controller at 05.
    EXPECT_GE(link.Contact(doc, true), ReadAccess);
}

TEST_F(TerminalSim, ReportAfterPTGoesToReportTxtOrToTheLog)
{
    startTcp({"--report", "LINE 1\\nLINE 2\\n\\f\\n"});
    open();
    const std::string report = path("REPORT.TXT");
    type("PT");
    EXPECT_EQ(read(report), "LINE 1\nLINE 2\n\f"); // CR dropped, the form feed kept, the two after it not
    EXPECT_THAT(host.openedFiles, ElementsAre(report));
    EXPECT_THAT(host.statusTexts, ::testing::Contains("Capturing report to file REPORT.TXT... "));
    EXPECT_EQ(host.statusTexts.back(), "Report captured. ");
    EXPECT_NE(session->outputText().find("01PT"), std::string::npos);

    host.openedFiles.clear();
    enter("LOG " + path("term.log"));
    type("PT 003");
    enter("LOG");
    EXPECT_EQ(read(report), "");
    EXPECT_TRUE(host.openedFiles.empty());
    EXPECT_NE(read(path("term.log")).find("LINE 1\nLINE 2\n\f"), std::string::npos);
    EXPECT_THAT(sim.requests(), ElementsAre("PT", "PT 003"));
}

TEST_F(TerminalSim, WaitForPollsTheStatusUntilTheFlagChanges)
{
    startTcp({"--status", "@@@@@@,@@@@@@,A@@@@@,A@@@@@,@@@@@@"});
    open();
    enter("WAITFOR AU Insert card");
    EXPECT_THAT(sim.requests(), ElementsAre("EQ", "EQ", "EQ"));
    EXPECT_EQ(host.beeps, 1);
    EXPECT_THAT(host.progressTitles, ElementsAre("Waiting for status change"));
    EXPECT_THAT(host.progressTexts, ElementsAre("Insert card", ""));
    EXPECT_EQ(host.statusTexts.back(), "Macro complete");
    // Only the WAITFOR line is in the transcript, not its polls.
    EXPECT_EQ(session->outputText(), "WAITFOR AU Insert card                     \r\n");

    sim.clearRequests();
    host.progressTexts.clear();
    enter("WAITFOR !au");
    EXPECT_THAT(sim.requests(), ElementsAre("EQ", "EQ"));
    EXPECT_THAT(host.progressTexts, ElementsAre("Waiting for AU flag to Clear", ""));
    type("RS");
    EXPECT_NE(session->outputText().find("01RS                                       RS\r\n"), std::string::npos);
}

TEST_F(TerminalSim, CancelEndsAWait)
{
    startTcp(); // AU never set
    open();
    host.cancel = true;
    enter("WAITFOR AU");
    EXPECT_THAT(sim.requests(), ElementsAre("EQ"));
    EXPECT_EQ(host.statusTexts.back(), "Macro aborted by user");
}

} // namespace
} // namespace corvane::testing
