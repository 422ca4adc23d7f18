// corvane-cli terminal and macro against a real pellion-sim.

#include "support/simprocess.h"

#include "support/cliprocess.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace corvane {
namespace {

class CliTerminal : public ::testing::Test {
protected:
    QTemporaryDir dir;
    testing::SimProcess sim;
    std::string out, err;

    void SetUp() override
    {
        ASSERT_TRUE(sim.start({"--tcp", "0"})) << sim.error();
        ASSERT_EQ(run({"new", path("t.mlb")}), 0);
    }
    std::string path(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
    void write(const std::string& name, const std::string& text) const { std::ofstream(path(name)) << text; }
    std::string target() const { return "127.0.0.1:" + std::to_string(sim.tcpPort()); }

    int run(const std::vector<std::string>& args, const std::string& input = {}, int interruptAfterMs = -1)
    {
        testing::CliRun r = testing::RunCli(
            args, {.workingDirectory = dir.path(), .input = input, .interruptAfterMs = interruptAfterMs});
        out = r.out;
        err = r.err;
        return r.exit;
    }
};

TEST_F(CliTerminal, MacroRunsToItsEndAndPrintsTheTranscript)
{
    write("poll.mac", "ECHO start\nGP\nPV SY 111\n");
    EXPECT_EQ(run({"macro", path("t.mlb"), path("POLL"), "--tcp", target()}), 0) << err;
    const std::string play = "PLAY " + path("POLL");
    ASSERT_EQ(out.rfind(play, 0), 0u) << out;
    EXPECT_EQ(out.substr(out.find('\n') + 1), "start                                      \n"
                                               "01GP                                       GP DF69BBA8\n"
                                               "01PV SY 111                                PV SY 111 0\n");
    EXPECT_NE(err.find("Macro complete"), std::string::npos);
}

TEST_F(CliTerminal, MacroErrorsExitOne)
{
    write("jump.mac", "GOTO NOWHERE\nGP\n");
    EXPECT_EQ(run({"macro", path("t.mlb"), path("jump.mac"), "--tcp", target()}), 1);
    EXPECT_EQ(sim.requests().size(), 0u);
    EXPECT_EQ(run({"macro", path("t.mlb"), path("missing.txt"), "--tcp", target()}), 1);
    EXPECT_NE(err.find("Error executing " + path("missing.txt") + "... File not found"), std::string::npos) << err;
}

TEST_F(CliTerminal, CtrlCCancelsAWaitingMacro)
{
    write("wait.mac", "LOOP:\nDELAY 30\nGOTO LOOP\n");
    EXPECT_EQ(run({"macro", path("t.mlb"), path("wait.mac"), "--tcp", target()}, {}, 1500), 1);
    EXPECT_NE(err.find("Macro aborted by user"), std::string::npos) << err;
}

TEST_F(CliTerminal, TerminalRunsTypedLines)
{
    // Typing upper-cases the first seven characters only: "ECHO   " then "done".
    EXPECT_EQ(run({"terminal", path("t.mlb"), "--tcp", target()}, "pv sy 111\nx\nECHO   done\nEXIT\nGP\n"), 0) << err;
    EXPECT_EQ(out, "01PV SY 111                                PV SY 111 0\n"
                   "done                                       \n");
    EXPECT_EQ(sim.requests(), std::vector<std::string>{"PV SY 111"});
}

} // namespace
} // namespace corvane
