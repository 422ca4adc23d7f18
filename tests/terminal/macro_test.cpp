// Macro files, directives, the WAITFOR flag table and the command menu table.

#include "terminal/commandmenu.h"
#include "terminal/macro.h"
#include "terminal/waitflags.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace corvane {
namespace {

class MacroFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string path(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
    std::string write(const std::string& name, const std::string& text) const
    {
        std::ofstream(path(name), std::ios::binary) << text;
        return path(name);
    }
    // Runs NextLine until the macro ends; returns the lines handed out.
    static std::vector<std::string> Drain(CMacro& m, const MacroDirectiveHost& host = {}, int limit = 50)
    {
        std::vector<std::string> out;
        while (m.macroState == MacroRunning && limit-- > 0) {
            std::string line = m.NextLine(host);
            if (m.macroState == MacroRunning)
                out.push_back(line);
        }
        return out;
    }
};

TEST_F(MacroFile, LoadingFallsBackToDotMacOnlyForNamesWithoutADot)
{
    write("TEST.MAC", "EQ\r\nGP\n");
    CMacro plain;
    ASSERT_TRUE(plain.Load(path("TEST")));
    EXPECT_EQ(plain.lines, (std::vector<std::string>{"EQ", "GP"})); // line endings removed
    plain.Start();
    EXPECT_EQ(plain.macroState, MacroRunning);

    CMacro dotted;
    EXPECT_FALSE(dotted.Load(path("TEST.TXT")));
    EXPECT_EQ(dotted.errorCode, MacroFileNotFound);
    EXPECT_EQ(dotted.ErrorText(), "File not found");

    CMacro neverLoaded;
    neverLoaded.Start();
    EXPECT_EQ(neverLoaded.errorCode, MacroFileNotFound);
    EXPECT_EQ(MacroErrorText(8), "End of file");
    EXPECT_EQ(MacroErrorText(9), "LAST ERROR");
}

TEST_F(MacroFile, EndOfFileEndsTheMacroWithCode8)
{
    CMacro m;
    ASSERT_TRUE(m.Load(write("a.mac", "EQ\n")));
    m.Start();
    EXPECT_EQ(m.NextLine({}), "EQ");
    EXPECT_EQ(m.NextLine({}), "");
    EXPECT_EQ(m.macroState, MacroEnded);
    EXPECT_EQ(m.errorCode, MacroEndOfFile);
}

TEST_F(MacroFile, GotoSearchesForwardThenFromTheTopAndNeverToTheLastLine)
{
    CMacro loop;
    ASSERT_TRUE(loop.Load(write("loop.mac", "LOOP:\nEQ\nGOTO LOOP\n")));
    loop.Start();
    // The label line itself is handed to the terminal on the first pass.
    EXPECT_EQ(Drain(loop, {}, 7), (std::vector<std::string>{"LOOP:", "EQ", "EQ", "EQ", "EQ", "EQ", "EQ"}));

    CMacro forward;
    ASSERT_TRUE(forward.Load(write("fwd.mac", "GOTO B\nA\nB:\nC\n")));
    forward.Start();
    EXPECT_EQ(Drain(forward), (std::vector<std::string>{"C"}));

    CMacro caseSensitive;
    ASSERT_TRUE(caseSensitive.Load(write("case.mac", "goto b\nB:\nC\n")));
    caseSensitive.Start();
    EXPECT_EQ(caseSensitive.NextLine({}), "");
    EXPECT_EQ(caseSensitive.errorCode, MacroLabelNotDefined);

    CMacro last;
    ASSERT_TRUE(last.Load(write("end.mac", "GOTO END\nEQ\nEND:")));
    last.Start();
    EXPECT_EQ(last.NextLine({}), "");
    EXPECT_EQ(last.macroState, MacroEnded);
    EXPECT_EQ(last.errorCode, MacroLabelNotDefined);
}

TEST_F(MacroFile, DirectivesAreConsumedAndKeywordsPassThrough)
{
    std::vector<std::string> logged, shells, logNames;
    bool logOpens = false;
    MacroDirectiveHost host;
    host.toggleLog = [&](const std::string& name) {
        logNames.push_back(name);
        return logOpens;
    };
    host.logLine = [&](const std::string& line) { logged.push_back(line); };
    host.runShell = [&](const std::string& command) { shells.push_back(command); };

    CMacro m;
    ASSERT_TRUE(m.Load(write("d.mac", "if x\nLet y\nENDIF\nSHELL echo hi\nDELAY 1\nlog  out.txt \n\nEQ\n")));
    m.Start();
    EXPECT_EQ(Drain(m, host), (std::vector<std::string>{"DELAY 1", "", "", "EQ"}));
    EXPECT_EQ(shells, (std::vector<std::string>{"echo hi"}));
    EXPECT_EQ(logged, (std::vector<std::string>{"SHELL echo hi\r\n"}));
    EXPECT_EQ(logNames, (std::vector<std::string>{"out.txt"})); // a failed open runs an empty line
}

TEST(WaitFlags, TableAndReplyTest)
{
    ASSERT_NE(FindWaitFlag("au"), nullptr);
    EXPECT_EQ(FindWaitFlag("au")->mask, 1);
    const WaitFlag* i4 = FindWaitFlag("I4");
    ASSERT_NE(i4, nullptr);
    EXPECT_EQ(i4->position, 5);
    EXPECT_EQ(i4->mask, 8);
    EXPECT_EQ(FindWaitFlag("XX"), nullptr);
    EXPECT_EQ(FindWaitFlag("A"), nullptr);

    const WaitFlag& au = *FindWaitFlag("AU");
    EXPECT_TRUE(WaitFlagSet(au, "1"));          // '1' is 0x31: bit 0 set
    EXPECT_FALSE(WaitFlagSet(au, "0"));
    EXPECT_FALSE(WaitFlagSet(*i4, "00000"));    // too short: clear
    EXPECT_TRUE(WaitFlagSet(*FindWaitFlag("PC"), "000800"));
}

TEST(CommandMenu, ItemsPrefixesAndHelpLookup)
{
    const auto& items = CommandMenuItems();
    EXPECT_EQ(items.size(), 44u + 26u);
    EXPECT_EQ(CommandSubmenus(), (std::vector<std::string>{"&Status", "System &Data", "&Transaction Data",
                                                           "&Historical Data", "&User Data", "&Control"}));
    const CommandMenuItem* eq = FindCommandMenuItem(kStatusBitmapItem);
    ASSERT_NE(eq, nullptr);
    EXPECT_EQ(eq->text, "&EQ - Status Bitmap \tF4");
    EXPECT_EQ(eq->prefix, "EQ\r");
    const CommandMenuItem* pv = FindCommandMenuItem(18202);
    ASSERT_NE(pv, nullptr);
    EXPECT_EQ(pv->prefix, "PV ");
    EXPECT_EQ(FindCommandMenuItem(18108)->text, "&LO - Immediate Program Mode Log Off ");
    EXPECT_EQ(FindCommandMenuItem(18501)->text, "&BR - Read User Register  ");
    // The last matching prefix wins: "TS " of the help-only list, after the menu's "TS\r".
    const CommandMenuItem* ts = HelpCommandFor("TS");
    ASSERT_NE(ts, nullptr);
    EXPECT_EQ(ts->prefix, "TS ");
    EXPECT_EQ(ts->submenu, "");
    EXPECT_EQ(HelpCommandFor("P"), nullptr);
    EXPECT_EQ(HelpCommandFor("ZZ"), nullptr);
}

} // namespace
} // namespace corvane
