// The terminal's line interpreter without a controller: input handling, the
// transcript, the terminal log and the macro engine.

#include "configdoc/corvanedoc.h"
#include "support/fakeinteraction.h"
#include "terminal/queuedhost.h"
#include "terminal/terminallog.h"
#include "terminal/terminalsession.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace corvane {
namespace {

class TerminalOffline : public ::testing::Test {
protected:
    QTemporaryDir dir;
    CCorvaneDoc doc;
    testing::FakeInteraction ui;
    QueuedTerminalHost host;
    std::unique_ptr<TerminalSession> session;

    void SetUp() override
    {
        doc.controllerAddress = 0x7F000109; // low byte 9
        session = std::make_unique<TerminalSession>(doc, ui, host);
    }
    void TearDown() override { TerminalLog::shared().close(); }

    std::string path(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
    std::string write(const std::string& name, const std::string& text) const
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
    void type(const std::string& line)
    {
        session->inputChanged(line + "\r\n");
        host.runUntilIdle();
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& m : ui.messages)
            out.push_back(m.text);
        return out;
    }
};

TEST_F(TerminalOffline, InputIsUpperCasedWhileShortAndRunsAtCarriageReturn)
{
    struct Case {
        const char* typed;
        const char* shown;
        bool replaced;
    };
    const Case cases[] = {
        {"pv sy", "PV SY", true},
        {"pv sy 1", "PV SY 1", true},       // 7 characters: still upper-cased
        {"PV SY 111 abc", "PV SY 111 abc", false}, // longer input keeps its case
        {"PV SY 11x abc", "PV SY 11x abc", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        auto r = session->inputChanged(c.typed);
        EXPECT_EQ(r.text, c.shown);
        EXPECT_EQ(r.replaced, c.replaced);
        EXPECT_FALSE(r.executed);
    }
    EXPECT_EQ(session->helpCommand(), "PV");

    // Fewer than two characters are not executed.
    for (const char* shortLine : {"\r\n", "P\r\n"}) {
        auto r = session->inputChanged(shortLine);
        EXPECT_FALSE(r.executed);
        EXPECT_EQ(r.text, std::string(shortLine).substr(0, std::string(shortLine).find('\r')));
    }
    EXPECT_EQ(session->outputText(), "");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TerminalOffline, WithoutALinkTheTranscriptShowsTheFirstLineOfTheMessage)
{
    auto r = session->inputChanged("PV SY 111\r\n");
    EXPECT_TRUE(r.executed);
    EXPECT_EQ(r.text, "");
    EXPECT_EQ(session->terminalAddress(), 9);
    EXPECT_EQ(session->outputText(),
              "09PV SY 111                                Communications Not Yet configured.\r\n");
    EXPECT_EQ(texts(), (std::vector<std::string>{kNotConfiguredMessage}));
    EXPECT_EQ(std::string(kNotConfiguredMessage).find("\n                       Close"), 34u); // 23 blanks
}

TEST_F(TerminalOffline, KeywordsAndTheirTranscriptLines)
{
    type("echo   hello there  ");
    type("ADDRESS 12");
    type("cls");
    EXPECT_EQ(session->outputText(), "");
    type("ECHO after");
    type("address 3");
    EXPECT_EQ(session->outputText(),
              "after                                      \r\n"
              "address 3                                  Switched to address 3 \r\n");
    EXPECT_EQ(session->terminalAddress(), 3);
    type("PROMPT  Insert card ");
    EXPECT_EQ(texts(), (std::vector<std::string>{"Insert card"}));
    type("exit");
    EXPECT_TRUE(host.closed);
}

TEST_F(TerminalOffline, TranscriptKeepsTheLast20000CharactersPast20256)
{
    const std::string word(100, 'x');
    std::size_t longest = 0;
    for (int i = 0; i < 200; ++i) {
        session->ExecuteLine("ECHO " + word);
        longest = std::max(longest, session->outputText().size());
    }
    EXPECT_LE(longest, kTranscriptHighMark);
    EXPECT_GE(session->outputText().size(), kTranscriptKeep);
    // Each line is 100 + 1 + 2 characters; the text ends with a whole line.
    EXPECT_EQ(session->outputText().substr(session->outputText().size() - 2), "\r\n");
}

TEST_F(TerminalOffline, LogOpensWithANameAndTheNextLogClosesItWhateverFollows)
{
    const std::string logFile = path("term.log");
    type("LOG");
    EXPECT_EQ(texts(), (std::vector<std::string>{"Error: Must specify log file name"}));
    type("LOG " + logFile);
    EXPECT_EQ(host.statusTexts.back(), "Logging... type LOG with no arguments to close log file");
    type("ECHO one");
    type("LOG other.txt");
    EXPECT_EQ(host.statusTexts.back(), "Ready");
    type("ECHO two");
    const std::string text = read(logFile);
    EXPECT_EQ(text.rfind("Log started ", 0), 0u);
    EXPECT_NE(text.find(", 20"), std::string::npos); // "%A, %B %d, %Y ..."
    EXPECT_NE(text.find("one"), std::string::npos);
    EXPECT_EQ(text.find("two"), std::string::npos);
    EXPECT_EQ(session->outputText().find("LOG"), std::string::npos); // LOG lines are not in the transcript
}

TEST_F(TerminalOffline, NestedMacrosIndentAndResumeTheParent)
{
    write("INNER.MAC", "ECHO inner\n");
    write("outer.mac", "ECHO before\nPLAY " + path("INNER") + "\nECHO after\n");
    type("PLAY " + path("outer.mac"));
    const std::string out = session->outputText();
    const std::size_t inner = out.find("  inner");
    ASSERT_NE(inner, std::string::npos) << out;
    EXPECT_EQ(out[inner - 1], '\n');
    EXPECT_NE(out.find("\r\nafter"), std::string::npos) << out; // back at depth 0
    EXPECT_LT(out.find("before"), inner);
    EXPECT_GT(out.find("after"), inner);
    EXPECT_EQ(host.statusTexts.back(), "Macro complete");
    EXPECT_EQ(host.progressTitles, (std::vector<std::string>{"Executing macro...."}));
    EXPECT_EQ(TerminalSession::macroDepth(), 0);
    EXPECT_EQ(session->runningMacro(), nullptr);
}

TEST_F(TerminalOffline, MissingMacroFile)
{
    type("PLAY " + path("TEST.TXT"));
    EXPECT_EQ(texts(), (std::vector<std::string>{"Error executing " + path("TEST.TXT") + "... File not found"}));
    EXPECT_EQ(session->runningMacro(), nullptr);
}

TEST_F(TerminalOffline, MacroThatCannotBeReadReportsTheSystemError)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const std::string file = write("locked.mac", "ECHO x\n");
    ASSERT_EQ(chmod(file.c_str(), 0), 0);
    type("PLAY " + file);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Error executing " + file + "... Permission denied"}));
}

TEST_F(TerminalOffline, CancelEndsALoopingMacro)
{
    write("loop.mac", "LOOP:\nECHO tick\nGOTO LOOP\n");
    session->inputChanged("PLAY " + path("loop.mac") + "\r\n");
    EXPECT_EQ(host.runSteps(30), 30); // one line per posted step, for ever
    EXPECT_NE(session->runningMacro(), nullptr);
    host.cancel = true;
    host.runUntilIdle();
    EXPECT_EQ(session->runningMacro(), nullptr);
    EXPECT_EQ(host.statusTexts.back(), "Macro aborted by user");
    EXPECT_EQ(session->commandLine(), "");
    // The label line went to the controller on the first pass.
    EXPECT_EQ(texts().front(), kNotConfiguredMessage);
}

TEST_F(TerminalOffline, DelayZeroEndsAtOnceAndUnknownWaitFlagIsReported)
{
    type("DELAY 0");
    EXPECT_NE(session->outputText().find("DELAY 0                                    Delaying 0 secs"),
              std::string::npos);
    EXPECT_EQ(host.statusTexts.back(), "Macro complete");
    type("WAITFOR XX");
    EXPECT_EQ(texts(), (std::vector<std::string>{"Unknown flag specified in WAITFOR command"}));
}

TEST_F(TerminalOffline, PlayingWhileLoggingAsksToCloseTheLog)
{
    write("m.mac", "ECHO in macro\n");
    type("LOG " + path("t.log"));
    ui.answers.push_back(Answer::Yes);
    type("PLAY " + path("m.mac"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("Logging is enabled. Close logfile before running macro?\n", 0), 0u);
    EXPECT_EQ(ui.messages[0].caption, "Terminal Emulator");
    EXPECT_FALSE(TerminalLog::shared().isOpen());
    EXPECT_EQ(read(path("t.log")).find("in macro"), std::string::npos);
}

} // namespace
} // namespace corvane
