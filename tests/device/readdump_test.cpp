#include "device/readdump.h"

#include "comm/tcpport.h"
#include "comm/terminalprotocol.h"
#include "common/cformat.h"
#include "configdoc/datafile.h"
#include "device/devicefixture.h"
#include "support/docvalues.h"
#include "dictionary/directories.h"

#include <gmock/gmock.h>

#include <functional>

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Pulse Outputs: five codes, each with a security level.
constexpr int kPulseOutputs = 1;

// A terminal link over TCP that fails to send the commands `fails` picks.
class FailingSend : public TerminalProtocol {
public:
    FailingSend(std::uint16_t port, std::function<bool(std::string_view)> fails)
        : TerminalProtocol(std::make_unique<TCPPort>("127.0.0.1", port, 300), 0), fails_(std::move(fails))
    {
        static_cast<TCPPort*>(this->port())->socket().receiveTimeout = 300;
    }
    bool Send(std::string_view command) override { return !fails_(command) && TerminalProtocol::Send(command); }

private:
    std::function<bool(std::string_view)> fails_;
};

int Count(const std::vector<std::string>& requests, std::string_view prefix)
{
    return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                          [&](const std::string& r) { return r.starts_with(prefix); }));
}

bool Contains(const std::vector<std::string>& requests, const std::string& request)
{
    return std::find(requests.begin(), requests.end(), request) != requests.end();
}

bool SkippedByMeterRule(const DBParam& p)
{
    return (p.directory() == kBlendMeterDirectory && p.isWildOnly()) ||
           (p.directory() == kWildMeterDirectory && p.isBlendOnly());
}

// Gives every code a value other than the constructed one and every entry a
// level, varied by instance so that meters and recipes differ.
void Fill(CCorvaneDoc& d)
{
    for (DBParam& p : d.chain().all()) {
        const DBEntry& e = p.entry();
        std::string text;
        if (e.type == ValueType::Text) {
            text = CFormat("T%d.%d", p.directory(), p.CommandCode()).substr(0, static_cast<std::size_t>(e.maximum));
        } else {
            const float v = e.maximum - static_cast<float>(p.instance()) >= e.minimum
                                ? e.maximum - static_cast<float>(p.instance())
                                : e.maximum;
            text = CFormat("%.10g", static_cast<double>(v));
        }
        ASSERT_TRUE(d.setValue(p, text, p.CommandCode() % 3 + 1)) << e.description << " = " << text;
    }
}

// Date and time follow the simulator's clock.
bool IsClock(const DBParam& p) { return p.directory() == 5 && (p.CommandCode() == 101 || p.CommandCode() == 102); }

class ReadDumpTest : public SimLinkTest {
protected:
    DBParam& code(int directory, int number)
    {
        DBParam* p = doc.chain().find(directory, number);
        EXPECT_NE(p, nullptr);
        return *p;
    }
    // The value write of a Pulse Outputs code as the document holds it.
    std::string pc(int number) { return CFormat("PC CF %03d ", number) + doc.valueText(code(kPulseOutputs, number)); }

    // Values and levels in the Pulse Outputs codes only.
    void fillPulseOutputs(int level = 2)
    {
        for (DBParam& p : doc.chain().directory(kPulseOutputs))
            ASSERT_TRUE(doc.setValue(p, "1", level));
    }

    // A simulator that stays silent on every n-th request, a document that
    // contacts it afresh on Pulse Outputs, and `answer` ready for the error box.
    void startSilentEvery(const char* n, Answer answer)
    {
        startTcp({"--silent-every", n});
        doc.protocol.reset();
        doc.connectionState = NotContacted;
        doc.setCurrentDirectory(kPulseOutputs);
        ui.messages.clear();
        ui.buttons.clear();
        ui.answers = {answer};
        progress = FakeProgress();
        refreshedAt.clear();
    }

    void expectStoppedWithoutFinish()
    {
        EXPECT_TRUE(progress.closed);
        EXPECT_FALSE(progress.finished);
    }
};

// --- reading -------------------------------------------------------------

using ReadDumpRead = ReadDumpTest;

TEST_F(ReadDumpRead, FolderReadsValuesAndLevelsOfTheSelectedDirectory)
{
    startTcp({"--reject", "CF:104"});
    doc.setPathName(path("site.mlb"));
    doc.setCurrentDirectory(kPulseOutputs);
    connect();
    ReadSelectedFolder(doc, link, progress);

    EXPECT_THAT(sim.requests(),
                ElementsAre("PV SY 111", "PV CF 101", "XV CF 101", "PV CF 102", "XV CF 102", "PV CF 103", "XV CF 103",
                            "PV CF 104", "XV CF 104", "PV CF 105", "XV CF 105"));
    EXPECT_EQ(progress.title, "Reading Pellion.net...");
    EXPECT_THAT(progress.texts, ElementsAre("Reading data to site.mlb", "Transfer Complete!"));
    EXPECT_EQ(progress.upper, 5);
    EXPECT_EQ(progress.steps, 5);
    EXPECT_EQ(progress.finished, "Transfer Complete!");
    EXPECT_TRUE(doc.isModified());
    EXPECT_THAT(refreshedAt, ::testing::Contains(5));
    // The controller answers 0 and level 0 for what it was never given.
    for (DBParam& p : doc.chain().directory(kPulseOutputs)) {
        EXPECT_TRUE(p.hasValue());
        EXPECT_EQ(doc.securityLevel(p), 0);
    }
    EXPECT_THAT(ui.texts(), ElementsAre("Unable to read 104 Pulse Out 1 Max Frequency"));
    EXPECT_THAT(ui.buttons, IsEmpty());
}

struct FolderCase {
    int selected;
    int total;  // progress range
    int values; // value reads
    int levels; // security-level reads
    const char* mustRead;
    const char* mustNotRead;
};

TEST_F(ReadDumpRead, FolderRangesMeterSkipsAndLevelInstances)
{
    const FolderCase cases[] = {
        {-1, 5, 5, 5, "PV CF 105", "PV CF 201"},   // nothing selected: the first directory
        {0, 19, 19, 19, "PV CF 401", "PV SY 101"}, // Configuration: directories 1 to 4
        {kPulseOutputs, 5, 5, 5, "PV CF 101", "PV CF 201"},
        {kBlendMeterDirectory, 67, 66, 66, "PV P1 201", "PV P1 304"},
        {kWildMeterDirectory, 67, 50, 0, "PV P2 304", "PV P2 201"},
        {10, 29, 29, 29, "PV SY 701", "PV 01 001"}, // Communications ends before the recipes
        {kRecipeDirectory, 48, 48, 4, "PV 12 004", "XV 02 001"},
    };
    startTcp();
    connect();
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.selected);
        doc.setCurrentDirectory(c.selected);
        sim.clearRequests();
        progress = FakeProgress();
        ReadSelectedFolder(doc, link, progress);
        const auto requests = sim.requests();
        EXPECT_EQ(progress.upper, c.total);
        EXPECT_EQ(progress.steps, c.total); // skipped codes advance too
        EXPECT_EQ(Count(requests, "PV ") - 1, c.values);
        EXPECT_EQ(Count(requests, "XV "), c.levels);
        EXPECT_TRUE(Contains(requests, c.mustRead));
        EXPECT_FALSE(Contains(requests, c.mustNotRead));
        EXPECT_EQ(progress.finished, "Transfer Complete!");
    }
    EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(ReadDumpRead, ReadAllGivesTheControllersValuesBothMeterLevelsAndSkipsByMeterRule)
{
    CCorvaneDoc source;
    Fill(source);
    source.commPort = 0;
    ASSERT_TRUE(SaveDataFile(source, path("controller.mlb")).ok());
    startTcp({"--file", path("controller.mlb")});

    ReadAll(doc, link, progress);
    const auto requests = sim.requests();
    EXPECT_EQ(progress.upper, 319);
    EXPECT_EQ(progress.steps, 319);
    EXPECT_EQ(Count(requests, "PV ") - 1, 319 - 1 - 17);
    EXPECT_TRUE(Contains(requests, "XV P2 101"));
    EXPECT_TRUE(Contains(requests, "XV 02 001"));
    EXPECT_FALSE(Contains(requests, "XV 03 001"));
    EXPECT_THAT(ui.messages, IsEmpty());
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(progress.finished, "Transfer Complete!");

    ExpectSameValues(source, doc, [](const DBParam& p) { return !SkippedByMeterRule(p) && !IsClock(p); });
    for (const DBParam& p : doc.chain().all())
        EXPECT_EQ(p.hasValue(), !SkippedByMeterRule(p)) << p.entry().description;
}

TEST_F(ReadDumpRead, RejectedValueStoresTheEmptyForm)
{
    struct Case {
        void (*run)(CCorvaneDoc&, ControllerLink&, Progress&);
        const char* text;
        bool asked;
    };
    const Case cases[] = {
        {ReadSelectedFolder, "Unable to read 103 Pulse Output Units", false},
        {ReadAll, "Unable to read 103 Pulse Output Units - Program Code Not Used", true},
    };
    startTcp({"--reject", "CF:103"});
    connect();
    doc.setCurrentDirectory(kPulseOutputs);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DBParam& rejected = code(kPulseOutputs, 103);
        ASSERT_TRUE(doc.setValue(rejected, "3", 2));
        ui.messages.clear();
        ui.buttons.clear();
        ui.answers = {Answer::Cancel}; // the report's Cancel does not stop the read
        sim.clearRequests();
        progress = FakeProgress();
        c.run(doc, link, progress);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, c.text);
        EXPECT_EQ(ui.buttons, c.asked ? std::vector<Buttons>{Buttons::OkCancel} : std::vector<Buttons>{});
        EXPECT_TRUE(rejected.hasValue());
        EXPECT_EQ(doc.valueText(rejected), "0");
        EXPECT_TRUE(Contains(sim.requests(), "XV CF 103"));
        EXPECT_TRUE(Contains(sim.requests(), "PV CF 104"));
        EXPECT_EQ(progress.finished, "Transfer Complete!");
    }
}

struct PortFailureCase {
    Answer answer;
    std::vector<std::string> tail; // requests after "PV CF 104"
    bool finished;
};

TEST_F(ReadDumpRead, TimeoutOnAValueAsksAbortRetryIgnore)
{
    const PortFailureCase cases[] = {
        {Answer::Abort, {"XV CF 104", "PV CF 105"}, false},
        {Answer::Retry, {"XV CF 104", "PV CF 105", "PV CF 105", "XV CF 105"}, true},
        {Answer::Ignore, {"XV CF 104", "PV CF 105", "XV CF 105"}, true},
    };
    for (const PortFailureCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        // Request 11 is "PV CF 105": contact (2), then two per code.
        startSilentEvery("11", c.answer);
        doc.setModified(false);
        ASSERT_TRUE(doc.setValue(code(kPulseOutputs, 105), "2", 0));

        ReadSelectedFolder(doc, link, progress);
        auto requests = sim.requests();
        ASSERT_GE(requests.size(), 9u);
        EXPECT_EQ(requests[8], "PV CF 104");
        EXPECT_EQ(std::vector<std::string>(requests.begin() + 9, requests.end()), c.tail);
        EXPECT_THAT(ui.texts(), ElementsAre("Timeout waiting for response"));
        EXPECT_THAT(ui.buttons, ElementsAre(Buttons::AbortRetryIgnore));
        EXPECT_TRUE(doc.isModified());
        EXPECT_TRUE(refreshedDuringWork());
        EXPECT_EQ(progress.finished.has_value(), c.finished);
        if (c.answer == Answer::Ignore) {
            EXPECT_EQ(doc.valueText(code(kPulseOutputs, 105)), "0");
        }
    }
}

TEST_F(ReadDumpRead, SecurityLevelFailures)
{
    // Request 12 is "XV CF 105".
    const PortFailureCase cases[] = {
        {Answer::Abort, {"XV CF 104", "PV CF 105", "XV CF 105"}, false},
        {Answer::Retry, {"XV CF 104", "PV CF 105", "XV CF 105", "PV CF 105", "XV CF 105"}, true},
        {Answer::Ignore, {"XV CF 104", "PV CF 105", "XV CF 105"}, true},
    };
    for (const PortFailureCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        startSilentEvery("12", c.answer);
        doc.setModified(false);
        ASSERT_TRUE(doc.setValue(code(kPulseOutputs, 105), "2", 3));

        ReadSelectedFolder(doc, link, progress);
        auto requests = sim.requests();
        ASSERT_GE(requests.size(), 9u);
        EXPECT_EQ(std::vector<std::string>(requests.begin() + 9, requests.end()), c.tail);
        EXPECT_THAT(ui.texts(),
                    ElementsAre(CFormat("Error on serial device at port %d: - Timeout waiting for response",
                                        static_cast<int>(sim.tcpPort()))));
        EXPECT_THAT(ui.buttons, ElementsAre(Buttons::AbortRetryIgnore));
        EXPECT_EQ(progress.finished.has_value(), c.finished);
        // Abort stops without a refresh; the level read never arrived.
        if (c.answer == Answer::Abort) {
            EXPECT_FALSE(refreshedDuringWork());
        }
        if (c.answer != Answer::Retry) {
            EXPECT_EQ(doc.securityLevel(code(kPulseOutputs, 105)), 3);
        }
    }
}

TEST_F(ReadDumpRead, RejectedLevelKeepsTheStoredLevelSilently)
{
    startTcp({"--reject", "XV:*"});
    connect();
    doc.setCurrentDirectory(kPulseOutputs);
    fillPulseOutputs(3);
    ReadSelectedFolder(doc, link, progress);
    EXPECT_THAT(ui.messages, IsEmpty());
    for (DBParam& p : doc.chain().directory(kPulseOutputs))
        EXPECT_EQ(doc.securityLevel(p), 3);
    EXPECT_EQ(progress.finished, "Transfer Complete!");
}

TEST_F(ReadDumpRead, FailedSendsStop)
{
    startTcp();
    doc.setCurrentDirectory(kPulseOutputs);

    // A value read that cannot be sent is reported and ends the read untouched.
    doc.protocol = std::make_unique<FailingSend>(sim.tcpPort(), [](std::string_view c) { return c == "PV CF 103"; });
    connect();
    ui.answers = {Answer::Ok};
    ReadSelectedFolder(doc, link, progress);
    EXPECT_EQ(sim.requests().back(), "XV CF 102");
    EXPECT_THAT(ui.texts(), ElementsAre(CFormat("Error on serial device at port %d: - Communications status OK",
                                                static_cast<int>(sim.tcpPort()))));
    EXPECT_THAT(ui.buttons, ElementsAre(Buttons::OkCancel));
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(refreshedDuringWork());
    expectStoppedWithoutFinish();

    // A level read that cannot be sent ends it silently.
    doc.protocol = std::make_unique<FailingSend>(sim.tcpPort(), [](std::string_view c) { return c == "XV CF 103"; });
    connect();
    progress = FakeProgress();
    ReadSelectedFolder(doc, link, progress);
    EXPECT_EQ(sim.requests().back(), "PV CF 103");
    EXPECT_THAT(ui.messages, IsEmpty());
    expectStoppedWithoutFinish();
}

TEST_F(ReadDumpRead, CancelStopsAndMarksModified)
{
    startTcp();
    connect();
    doc.setCurrentDirectory(kPulseOutputs);
    progress.cancelAfter = 2;
    ReadSelectedFolder(doc, link, progress);
    EXPECT_EQ(sim.requests().back(), "XV CF 102");
    EXPECT_TRUE(doc.isModified());
    EXPECT_FALSE(code(kPulseOutputs, 103).hasValue());
    expectStoppedWithoutFinish();
}

// --- start ---------------------------------------------------------------

TEST_F(ReadDumpTest, ReadDumpEveryCommandNeedsAnAnsweringController)
{
    useTcp(DeadPort());
    fillPulseOutputs();
    doc.setCurrentDirectory(kPulseOutputs);
    for (auto run : {ReadSelectedFolder, ReadAll, DumpSelectedFolder, DumpAll}) {
        ui.messages.clear();
        progress = FakeProgress();
        doc.setModified(false);
        run(doc, link, progress);
        EXPECT_THAT(ui.texts(), ElementsAre("Pellion.net not responding"));
        EXPECT_FALSE(doc.isModified());
        expectStoppedWithoutFinish();
    }
}

// --- dumping -------------------------------------------------------------

using ReadDumpDump = ReadDumpTest;

TEST_F(ReadDumpDump, DumpAllWritesEveryValueAndLogsOffOnce)
{
    Fill(doc);
    doc.setPathName(path("site.mlb"));
    doc.setModified(false);
    startTcp({"--file", path("controller.mlb")});

    DumpAll(doc, link, progress);
    const auto requests = sim.requests();
    EXPECT_EQ(progress.title, "Writing to Pellion.net...");
    EXPECT_THAT(progress.texts, ElementsAre("Writing data from site.mlb", "Transfer Complete!"));
    EXPECT_EQ(progress.upper, 319);
    EXPECT_EQ(progress.steps, 319);
    EXPECT_EQ(Count(requests, "LO"), 1);
    EXPECT_EQ(requests.back(), "LO");
    EXPECT_FALSE(doc.isModified());
    // Read-only codes are sent too; the controller refuses them.
    EXPECT_TRUE(Contains(requests, "PC SY 101 " + doc.valueText(code(5, 101))));
    EXPECT_THAT(ui.texts(), ElementsAre("Unable to write 101 Date {O}", "Unable to write 102 Time {O}",
                                        "Unable to write 103 Unit MAC Address {O}"));
    EXPECT_FALSE(Contains(requests, CFormat("XC SY 101 %d", doc.securityLevel(code(5, 101)))));
    EXPECT_TRUE(Contains(requests, CFormat("XC P2 101 %d", doc.securityLevel(code(8, 101)))));
    EXPECT_TRUE(Contains(requests, CFormat("XC 02 001 %d", doc.securityLevel(code(13, 1)))));
    EXPECT_FALSE(Contains(requests, CFormat("XC 03 001 %d", doc.securityLevel(code(14, 1)))));
    EXPECT_FALSE(Contains(requests, "PC P2 201 " + doc.valueText(code(8, 201))));

    // The simulator saved what it was given at the log-off.
    ASSERT_EQ(sim.stop(), 0);
    CCorvaneDoc controller;
    SilentInteraction silent;
    ASSERT_TRUE(LoadDataFile(controller, path("controller.mlb"), silent).ok());
    ExpectSameValues(doc, controller, [](const DBParam& p) { return !SkippedByMeterRule(p) && !p.isReadOnly(); });
}

TEST_F(ReadDumpDump, ReadThenDumpRoundTripOverMinicomputerFraming)
{
    CCorvaneDoc source;
    Fill(source);
    ASSERT_TRUE(SaveDataFile(source, path("first.mlb")).ok());
    startPty({"--file", path("first.mlb")});
    ReadAll(doc, link, progress);
    EXPECT_EQ(doc.protocol->protocolIndex(), 1);
    EXPECT_THAT(ui.messages, IsEmpty());
    ExpectSameValues(source, doc, [](const DBParam& p) { return !SkippedByMeterRule(p) && !IsClock(p); });

    SimProcess second;
    ASSERT_TRUE(second.start({"--pty", "--framing", "mini", "--file", path("second.mlb")})) << second.error();
    settings.setDevicePath(1, second.devicePath());
    doc.protocol.reset();
    doc.setCurrentDirectory(kBlendMeterDirectory);
    progress = FakeProgress();
    DumpSelectedFolder(doc, link, progress);
    EXPECT_THAT(ui.messages, IsEmpty());
    EXPECT_EQ(progress.finished, "Transfer Complete!");
    EXPECT_EQ(Count(second.requests(), "PC P1 "), 66);
    ASSERT_EQ(second.stop(), 0);

    CCorvaneDoc controller;
    SilentInteraction silent;
    ASSERT_TRUE(LoadDataFile(controller, path("second.mlb"), silent).ok());
    for (const DBParam& p : doc.chain().directory(kBlendMeterDirectory)) {
        if (SkippedByMeterRule(p))
            continue;
        const DBParam* q = controller.chain().find(kBlendMeterDirectory, p.CommandCode());
        EXPECT_EQ(controller.valueText(*q), source.valueText(p)) << p.entry().description;
        EXPECT_EQ(controller.securityLevel(*q), source.securityLevel(p)) << p.entry().description;
    }
}

TEST_F(ReadDumpDump, FolderDumpSkipsReadOnlyCodesCodesWithoutValueAndLevelZero)
{
    startTcp();
    connect();
    doc.setCurrentDirectory(5);
    ASSERT_TRUE(doc.setValue(code(5, 101), "01/02/03", 1));
    ASSERT_TRUE(doc.setValue(code(5, 111), "1", 2));
    ASSERT_TRUE(doc.setValue(code(5, 113), "2", 0));
    ASSERT_TRUE(doc.setValue(code(5, 194), "2", 0)); // no security attribute
    DumpSelectedFolder(doc, link, progress);
    EXPECT_THAT(sim.requests(),
                ElementsAre("PV SY 111", "PC SY 111 1", "XC SY 111 2", "PC SY 113 2",
                            "PC SY 194 " + doc.valueText(code(5, 194)), "PV SY 111", "PC SY 111 1", "LO"));
    EXPECT_THAT(ui.messages, IsEmpty());
    EXPECT_EQ(progress.finished, "Transfer Complete!");
}

TEST_F(ReadDumpDump, RejectedWrite)
{
    struct Case {
        void (*run)(CCorvaneDoc&, ControllerLink&, Progress&);
        const char* text;
        bool asked;
        bool levelWritten;
    };
    const Case cases[] = {
        {DumpSelectedFolder, "Unable to write 103 Pulse Output Units - Program Code Not Used", true, true},
        {DumpAll, "Unable to write 103 Pulse Output Units", false, false},
    };
    startTcp({"--reject", "CF:103"});
    connect();
    doc.setCurrentDirectory(kPulseOutputs);
    fillPulseOutputs();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ui.messages.clear();
        ui.buttons.clear();
        ui.answers = {Answer::Cancel};
        sim.clearRequests();
        progress = FakeProgress();
        c.run(doc, link, progress);
        const auto requests = sim.requests();
        EXPECT_THAT(ui.texts(), ElementsAre(c.text));
        EXPECT_EQ(ui.buttons.size(), c.asked ? 1u : 0u);
        EXPECT_EQ(Contains(requests, "XC CF 103 2"), c.levelWritten);
        EXPECT_TRUE(Contains(requests, pc(104)));
        EXPECT_EQ(requests.back(), "LO");
    }
}

TEST_F(ReadDumpDump, RefusedLevelNamesTheCodesOwnDirectory)
{
    startTcp({"--reject", "XC:*"});
    connect();
    doc.setCurrentDirectory(kWildMeterDirectory);
    ASSERT_TRUE(doc.setValue(code(kWildMeterDirectory, 101), "P", 2));
    ASSERT_TRUE(doc.setValue(code(kWildMeterDirectory, 102), "Q", 0));
    DumpSelectedFolder(doc, link, progress);
    EXPECT_THAT(ui.texts(), ElementsAre("Unable to set security level 2 for Wild Stream Meter 101 Product ID\n"));
    EXPECT_TRUE(Contains(sim.requests(), "PC P2 102 " + doc.valueText(code(kWildMeterDirectory, 102))));
    EXPECT_EQ(progress.finished, "Transfer Complete!");
}

TEST_F(ReadDumpDump, TimeoutOnAWriteAsksAbortRetryIgnore)
{
    struct Case {
        void (*run)(CCorvaneDoc&, ControllerLink&, Progress&);
        Answer answer;
        std::vector<std::string> tail; // requests after the write of CF 104
    };
    fillPulseOutputs();
    const std::string pc104 = pc(104), pc105 = pc(105);
    const std::vector<std::string> logOff{"PV SY 111", "PC SY 111 0", "LO"};
    auto with = [&](std::vector<std::string> v) {
        v.insert(v.end(), logOff.begin(), logOff.end());
        return v;
    };
    const Case cases[] = {
        {DumpSelectedFolder, Answer::Abort, {"XC CF 104 2", pc105}},
        {DumpSelectedFolder, Answer::Retry, with({"XC CF 104 2", pc105, pc105, "XC CF 105 2"})},
        {DumpSelectedFolder, Answer::Ignore, with({"XC CF 104 2", pc105, "XC CF 105 2"})},
        {DumpAll, Answer::Ignore, with({"XC CF 104 2", pc105})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        // Request 11 is the write of CF 105: contact (2), then two per code.
        startSilentEvery("11", c.answer);

        c.run(doc, link, progress);
        auto requests = sim.requests();
        ASSERT_GE(requests.size(), 9u);
        EXPECT_EQ(requests[8], pc104);
        EXPECT_EQ(std::vector<std::string>(requests.begin() + 9, requests.end()), c.tail);
        EXPECT_THAT(ui.texts(), ElementsAre("Timeout waiting for response"));
        EXPECT_THAT(ui.buttons, ElementsAre(Buttons::AbortRetryIgnore));
        EXPECT_TRUE(refreshedDuringWork());
        EXPECT_EQ(progress.finished.has_value(), c.answer != Answer::Abort);
    }
}

TEST_F(ReadDumpDump, FailedSendAndCancelStopWithoutLogOff)
{
    startTcp();
    doc.setCurrentDirectory(kPulseOutputs);
    fillPulseOutputs();

    doc.protocol = std::make_unique<FailingSend>(sim.tcpPort(), [](std::string_view c) { return c.starts_with("PC CF 103"); });
    connect();
    DumpSelectedFolder(doc, link, progress);
    EXPECT_THAT(ui.texts(), ElementsAre("Error in transmission of 103 Pulse Output Units"));
    EXPECT_THAT(ui.buttons, IsEmpty());
    EXPECT_EQ(sim.requests().back(), "XC CF 102 2");
    expectStoppedWithoutFinish();

    connect();
    progress = FakeProgress();
    progress.cancelAfter = 2;
    DumpAll(doc, link, progress);
    EXPECT_EQ(sim.requests().back(), "XC CF 102 2");
    EXPECT_EQ(Count(sim.requests(), "LO"), 0);
    EXPECT_THAT(ui.messages, IsEmpty());
    expectStoppedWithoutFinish();
}

} // namespace
} // namespace corvane::testing
