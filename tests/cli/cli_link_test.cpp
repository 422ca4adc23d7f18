// Runs the real corvane-cli against a real pellion-sim.

#include "comm/portstatus.h"
#include "comm/replycodes.h"
#include "common/cformat.h"
#include "common/interaction.h"
#include "configdoc/corvanedoc.h"
#include "configdoc/datafile.h"
#include "dictionary/directories.h"
#include "support/simprocess.h"

#include <QDir>
#include "support/cliprocess.h"
#include "support/docvalues.h"
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fstream>

namespace corvane {
namespace {

using testing::SimProcess;

using testing::CliRun;
using testing::Has;
using testing::Lines;

int Count(const std::vector<std::string>& lines, std::string_view prefix)
{
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); }));
}


// Codes whose value the simulator's clock or the meter rule decides.
bool Compared(const DBParam& p)
{
    const bool clock = p.directory() == 5 && (p.CommandCode() == 101 || p.CommandCode() == 102);
    const bool otherMeter = (p.directory() == kBlendMeterDirectory && p.isWildOnly()) ||
                            (p.directory() == kWildMeterDirectory && p.isBlendOnly());
    return !clock && !otherMeter;
}

// Every code a value other than the constructed one, and a level.
void Fill(CCorvaneDoc& d)
{
    for (DBParam& p : d.chain().all()) {
        const DBEntry& e = p.entry();
        const std::string text =
            e.type == ValueType::Text
                ? CFormat("T%d.%d", p.directory(), p.CommandCode()).substr(0, static_cast<std::size_t>(e.maximum))
                : CFormat("%.10g", static_cast<double>(e.maximum));
        ASSERT_TRUE(d.setValue(p, text, p.CommandCode() % 3 + 1)) << e.description;
    }
}

class CliLink : public ::testing::Test {
protected:
    QTemporaryDir dir;
    SimProcess sim;

    std::string path(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }

    CliRun run(const std::vector<std::string>& args) const
    {
        return testing::RunCli(args, {.workingDirectory = dir.path(), .configHome = dir.path()});
    }

    void startTcp(std::vector<std::string> args = {})
    {
        args.insert(args.begin(), {"--tcp", "0"});
        ASSERT_TRUE(sim.start(args)) << sim.error();
    }
    std::vector<std::string> tcp() const { return {"--tcp", CFormat("127.0.0.1:%u", sim.tcpPort())}; }

    CliRun runTcp(std::vector<std::string> args) const
    {
        for (const std::string& a : tcp())
            args.push_back(a);
        return run(args);
    }

    std::string save(CCorvaneDoc& doc, const std::string& name) const
    {
        EXPECT_TRUE(SaveDataFile(doc, path(name)).ok());
        return path(name);
    }
    std::string emptyFile(const std::string& name) const
    {
        CCorvaneDoc doc;
        doc.OnNewDocument();
        return save(doc, name);
    }
    static std::unique_ptr<CCorvaneDoc> load(const std::string& file)
    {
        auto doc = std::make_unique<CCorvaneDoc>();
        SilentInteraction silent;
        EXPECT_TRUE(LoadDataFile(*doc, file, silent).ok()) << file;
        return doc;
    }
    static std::string bytes(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files); }
};

TEST_F(CliLink, HelpOfEveryLinkCommand)
{
    const std::string usage = run({"--help"}).out;
    for (const char* c : {"contact", "read", "dump", "logs", "send"}) {
        EXPECT_TRUE(Has(usage, std::string("\n  ") + c + " ")) << c;
        const CliRun help = run({c, "--help"});
        EXPECT_EQ(help.exit, 0);
        EXPECT_EQ(help.out.rfind(std::string("Usage: corvane-cli ") + c, 0), 0u) << c;
        EXPECT_TRUE(Has(help.out, "after 3 retries")) << c;
    }
}

TEST_F(CliLink, ContactOverTcpAndOverAPseudoTerminal)
{
    const std::string file = emptyFile("a.mlb");
    startTcp();
    CliRun r = runTcp({"contact", file});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, CFormat("State: *ONLINE* \nLink: TCP/IP: 127.0.0.1 : %u\nRevision: 0.03\n", sim.tcpPort()));
    EXPECT_EQ(r.err, "");

    ASSERT_TRUE(sim.start({"--pty", "--address", "7"})) << sim.error();
    r = run({"contact", file, "--device", sim.devicePath(), "--terminal", "--address", "7", "--line", "9600,E,7,1"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "State: *ONLINE* \nLink: Com1:9600,E,7,1   Address:7\nRevision: 0.03\n");

    // The file keeps the link it stores.
    EXPECT_EQ(load(file)->commPort, 1);
}

TEST_F(CliLink, ContactReportsReadOnlyAccessAnOlderRevisionAndADeadLine)
{
    const std::string file = emptyFile("a.mlb");
    startTcp({"--refuse-program", "--crc", "BB1C1A88"});
    CliRun r = runTcp({"contact", file});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(Lines(r.out).at(0), "State: *READ ONLY* ");
    EXPECT_EQ(Lines(r.out).at(2), "Revision: 0.01");
    EXPECT_EQ(r.err, "The Pellion.net online is an older revision (Rev 0.01). \n"
                     "Not all Rev 0.03 program codes may be supported.\n");

    const auto dead = tcp();
    sim.stop();
    r = run({"contact", file, dead[0], dead[1]});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "State: Offline  \nLink: Comm Not Enabled\nRevision: unknown\n");
    ASSERT_EQ(Lines(r.err).size(), 1u);
    EXPECT_TRUE(Has(r.err, "Connection refused")) << r.err;
}

TEST_F(CliLink, ReadStoresTheControllersValuesAndLogsOffAfterTheSave)
{
    CCorvaneDoc controller;
    Fill(controller);
    startTcp({"--file", save(controller, "controller.mlb")});
    const std::string file = emptyFile("local.mlb");

    CliRun r = runTcp({"read", file});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.err, "Transfer Complete!\n");
    auto local = load(file);
    testing::ExpectSameValues(controller, *local, Compared);
    EXPECT_EQ(local->commPort, 1); // the --tcp override is not saved
    EXPECT_EQ(local->controllerAddress, 1u);
    const auto requests = sim.requests();
    // The contact, the one of the read, the codes, and the contact of the log-off.
    EXPECT_EQ(Count(requests, "PV "), 1 + 1 + 301 + 1);
    EXPECT_EQ(Count(requests, "LO"), 1);
    EXPECT_EQ(requests.back(), "LO");

    // One folder only: the Pulse Outputs codes.
    sim.clearRequests();
    r = runTcp({"read", emptyFile("folder.mlb"), "--dir", "1"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(Count(sim.requests(), "PV CF "), 5);
    EXPECT_EQ(Count(sim.requests(), "PV "), 5 + 3);
}

TEST_F(CliLink, DumpSendsTheValuesAndLogsOffOnce)
{
    CCorvaneDoc doc;
    Fill(doc);
    const std::string file = save(doc, "local.mlb");
    const std::string before = bytes(file);
    startTcp({"--file", path("controller.mlb")});

    CliRun r = runTcp({"dump", file});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(r.err.ends_with("Transfer Complete!\n")) << r.err;
    EXPECT_EQ(Count(sim.requests(), "LO"), 1);
    EXPECT_EQ(sim.requests().back(), "LO");
    EXPECT_EQ(bytes(file), before);
    ASSERT_EQ(sim.stop(), 0);
    testing::ExpectSameValues(doc, *load(path("controller.mlb")),
                     [](const DBParam& p) { return Compared(p) && !p.isReadOnly(); });
}

TEST_F(CliLink, DumpNeedsProgramAccess)
{
    CCorvaneDoc doc;
    Fill(doc);
    const std::string file = save(doc, "local.mlb");
    startTcp({"--refuse-program"});
    CliRun r = runTcp({"dump", file});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
    EXPECT_TRUE(Has(r.err, "program-mode access")) << r.err;
    EXPECT_EQ(Count(sim.requests(), "PC "), 1); // only the access test
    EXPECT_EQ(Count(sim.requests(), "LO"), 0);
}

// A reply that never comes asks abort/retry/ignore; --on-error answers.
TEST_F(CliLink, OnErrorAnswersTheQuestionOfAMissingReply)
{
    CCorvaneDoc controller;
    Fill(controller);
    const std::string controllerFile = save(controller, "controller.mlb");
    struct Case {
        const char* policy;
        std::vector<std::string> fault;
        int exit;
        bool saved;
        bool sameValues;
    };
    const Case cases[] = {
        {"abort", {"--silent-after", "20"}, 1, false, false},
        {"retry", {"--silent-after", "20"}, 1, false, false}, // gives up after 3 retries
        {"retry", {"--silent-every", "150"}, 0, true, true},
        {"ignore", {"--silent-every", "150"}, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.policy) + " " + c.fault[0]);
        std::vector<std::string> simArgs{"--file", controllerFile};
        simArgs.insert(simArgs.end(), c.fault.begin(), c.fault.end());
        startTcp(simArgs);
        const std::string file = emptyFile("local.mlb");
        const std::string before = bytes(file);
        CliRun r = runTcp({"read", file, "--on-error", c.policy, "--timeout", "0"});
        EXPECT_EQ(r.exit, c.exit) << r.err;
        EXPECT_TRUE(Has(r.err, "Timeout waiting for response\n")) << r.err;
        EXPECT_EQ(bytes(file) != before, c.saved);
        if (c.sameValues)
            testing::ExpectSameValues(controller, *load(file), Compared);
        if (std::string(c.policy) == "retry" && c.exit == 1) {
            const auto lines = Lines(r.err);
            EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                    [](const std::string& l) { return Has(l, "Timeout waiting for response"); }),
                      4)
                << r.err;
            EXPECT_TRUE(Has(r.err, "after 3 retries")) << r.err;
        }
        EXPECT_EQ(entries().size(), 2) << entries().join(' ').toStdString(); // no temporary file left
        sim.stop();
    }
}

TEST_F(CliLink, ARejectedCodeIsNamedAndARejectedContactStopsTheRead)
{
    CCorvaneDoc names;
    const std::string description = names.chain().find(1, 104)->entry().description;
    const std::string file = emptyFile("local.mlb");
    const std::string before = bytes(file);

    startTcp({"--reject", "CF:104"});
    CliRun r = runTcp({"read", file});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(Has(r.err, "Unable to read " + description + " - " + ReplyCodeText(14) + "\n")) << r.err;

    for (const char* policy : {"abort", "ignore"}) {
        startTcp({"--reject", "SY:111"});
        const std::string other = emptyFile("other.mlb");
        r = runTcp({"read", other, "--on-error", policy});
        EXPECT_EQ(r.exit, 1);
        EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
        EXPECT_TRUE(Has(r.err, "Pellion.net not responding")) << r.err;
        EXPECT_EQ(bytes(other), before);
        EXPECT_EQ(Count(sim.requests(), "PV "), 1);
    }
}

TEST_F(CliLink, LogsWriteTheTextFile)
{
    const std::string file = emptyFile("plant.mlb");
    startTcp({"--events", "4", "--audits", "2", "--transactions", "2", "--batches", "2"});
    struct Case {
        const char* kind;
        const char* defaultName;
        int lines;
    };
    for (const Case& c : {Case{"event", "plant-EventLog.txt", 4}, Case{"audit", "plant-AuditLog.txt", 2},
                          Case{"transaction", "plant-TransLog.txt", 2 * (1 + 2)}}) {
        SCOPED_TRACE(c.kind);
        CliRun r = runTcp({"logs", c.kind, file, "-o", path("out.txt")});
        EXPECT_EQ(r.exit, 0) << r.err;
        EXPECT_EQ(Lines(bytes(path("out.txt"))).size(), static_cast<std::size_t>(c.lines));
        r = runTcp({"logs", c.kind, file});
        EXPECT_EQ(r.exit, 0) << r.err;
        EXPECT_EQ(bytes(path(c.defaultName)), bytes(path("out.txt")));
    }
    EXPECT_EQ(Lines(bytes(path("plant-EventLog.txt"))).front().rfind("Event 4", 0), 0u);
    EXPECT_EQ(entries().size(), 5);
}

TEST_F(CliLink, AFailedLogTransferLeavesNoFile)
{
    const std::string file = emptyFile("plant.mlb");
    startTcp({"--reject", "ES:*"});
    CliRun r = runTcp({"logs", "event", file, "-o", path("out.txt")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_TRUE(Has(r.err, "Error in response - aborting\n")) << r.err;
    EXPECT_EQ(entries(), QStringList{"plant.mlb"});
}

TEST_F(CliLink, SendPrintsTheReplyTheRejectionOrThePortStatus)
{
    const std::string file = emptyFile("a.mlb");
    startTcp({"--reject", "XV:*"});
    CliRun r = runTcp({"send", file, "PV SY 111"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out.rfind("PV SY 111 ", 0), 0u) << r.out;
    EXPECT_EQ(Lines(r.out).size(), 1u);

    r = runTcp({"send", file, "XV CF 101"});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "NO14 - " + ReplyCodeText(14) + "\n");
    EXPECT_EQ(sim.requests().size(), 2u);

    startTcp({"--silent-after", "0"});
    r = runTcp({"send", file, "PV SY 111", "--timeout", "0"});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err, PortStatusText(StatusTimeout) + "\n");

    const auto dead = tcp();
    sim.stop();
    r = run({"send", file, "PV SY 111", dead[0], dead[1]});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "");
    ASSERT_EQ(Lines(r.err).size(), 1u);
    EXPECT_EQ(r.err.rfind(PortStatusText(StatusCannotOpen), 0), 0u) << r.err;
}

TEST_F(CliLink, BadInputGivesOneLineAndTouchesNothing)
{
    CCorvaneDoc tcpDoc;
    tcpDoc.commPort = 0;
    tcpDoc.controllerAddress = 0x7F000001;
    const std::string tcpFile = save(tcpDoc, "tcp.mlb");
    const std::string file = emptyFile("a.mlb");
    const std::string before = bytes(file);
    const std::vector<std::vector<std::string>> cases = {
        {"read", file, "--tcp", "1.2.3"},
        {"read", file, "--tcp", "1.2.3.4.5"},
        {"read", file, "--tcp", "256.1.1.1"},
        {"read", file, "--tcp", "1.2.3.4:0"},
        {"read", file, "--tcp", "1.2.3.4:70000"},
        {"read", file, "--com", "0"},
        {"read", file, "--com", "100"},
        {"read", file, "--line", "9600,X,7,1"},
        {"read", file, "--line", "fast"},
        {"read", file, "--terminal", "--mini"},
        {"read", file, "--address", "100"},
        {"read", file, "--on-error", "sometimes"},
        {"read", file, "--timeout", "-1"},
        {"read", file, "--tcp", "127.0.0.1", "--com", "2"},
        {"read", file, "--dir", "Nowhere"},
        {"read", tcpFile, "--line", "9600,E,7,1"},
        {"read", path("missing.mlb"), "--tcp", "127.0.0.1:9"},
        {"read", file, "--speed", "9600"},
        {"read"},
        {"logs", "events", file},
        {"logs", "event", file, "-o"},
        {"send", file},
    };
    for (const auto& args : cases) {
        std::string joined;
        for (const std::string& a : args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        const CliRun r = run(args);
        EXPECT_EQ(r.exit, 1);
        EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(bytes(file), before);
    EXPECT_EQ(entries().size(), 2);
}

} // namespace
} // namespace corvane
