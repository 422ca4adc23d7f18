#include "device/connection.h"

#include "configdoc/datafile.h"
#include "device/devicefixture.h"

#include <gmock/gmock.h>

#include <QFileInfo>

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kUnknownRevision =
    "Corvane does not recognize the Pellion.net revision. \nVerify Corvane is the correct version (Check Help|About)";
constexpr const char* kOlderRevision01 =
    "The Pellion.net online is an older revision (Rev 0.01). \nNot all Rev 0.03 program codes may be supported.";

TEST(ConnectionTables, StateTextsAndFirmwareRevisions)
{
    EXPECT_EQ(ConnectionStateText(NoComm), " ? Comm ");
    EXPECT_EQ(ConnectionStateText(Offline), " Offline  ");
    EXPECT_EQ(ConnectionStateText(ReadAccess), " *READ ONLY* ");
    EXPECT_EQ(ConnectionStateText(ProgramAccess), " *ONLINE* ");

    const std::pair<std::uint32_t, float> known[] = {
        {0x34A6D277u, 0.00f}, {0xBB1C1A88u, 0.01f}, {0xEB85BEA3u, 0.02f}, {0xDF69BBA8u, 0.03f}};
    for (auto [crc, revision] : known) {
        ASSERT_TRUE(RevisionForCrc(crc)) << std::hex << crc;
        EXPECT_FLOAT_EQ(*RevisionForCrc(crc), revision);
    }
    EXPECT_FALSE(RevisionForCrc(0));
    EXPECT_FALSE(RevisionForCrc(0xDF69BBA9u));
    EXPECT_EQ(DottedAddress(0xC0A80A05u), "192.168.10.5");
}

using ConnectionContact = SimLinkTest;

TEST_F(ConnectionContact, ControllerGrantingProgramModeGivesOnline)
{
    startTcp();
    EXPECT_EQ(link.Contact(doc, false), ProgramAccess);
    EXPECT_EQ(doc.connectionState, ProgramAccess);
    EXPECT_FLOAT_EQ(doc.controllerRevision, 0.03f);
    // The access test writes back the value just read (SY 111 holds 0).
    EXPECT_THAT(sim.requests(), ElementsAre("PV SY 111", "GP", "PC SY 111 0"));
    EXPECT_THAT(statusLines, ElementsAre("Attempting to contact Pellion.net...",
                                         "Attempting to contact Pellion.net - waiting for reply...", "Ready",
                                         "Testing for Program mode access...", "Ready"));
    EXPECT_THAT(ui.messages, IsEmpty());
    EXPECT_EQ(doc.protocol->address(), 1);
    EXPECT_TRUE(ControllerLink::CanRead(doc));
    EXPECT_TRUE(ControllerLink::CanDump(doc));
}

TEST_F(ConnectionContact, SkippingTheAccessTestSendsNoWrite)
{
    startTcp();
    EXPECT_EQ(link.Contact(doc, true), ReadAccess);
    EXPECT_THAT(sim.requests(), ElementsAre("PV SY 111", "GP"));
    EXPECT_THAT(statusLines, ElementsAre("Attempting to contact Pellion.net...",
                                         "Attempting to contact Pellion.net - waiting for reply...", "Ready"));
}

TEST_F(ConnectionContact, RefusedProgramWriteLeavesReadOnlySilently)
{
    startTcp({"--refuse-program"});
    EXPECT_EQ(link.Contact(doc, false), ReadAccess);
    EXPECT_THAT(ui.messages, IsEmpty());
    EXPECT_TRUE(ControllerLink::CanRead(doc));
    EXPECT_FALSE(ControllerLink::CanDump(doc));
    EXPECT_EQ(ConnectionStateText(doc.connectionState), " *READ ONLY* ");
}

TEST_F(ConnectionContact, OlderFirmwareIsNamedOnceOnTheWayToReadAccess)
{
    startTcp({"--crc", "BB1C1A88"});
    EXPECT_EQ(link.Contact(doc, false), ProgramAccess);
    EXPECT_FLOAT_EQ(doc.controllerRevision, 0.01f);
    ASSERT_THAT(ui.texts(), ElementsAre(kOlderRevision01));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);

    // Already online: no second revision check, no second box.
    sim.clearRequests();
    link.Contact(doc, false);
    EXPECT_THAT(sim.requests(), ElementsAre("PV SY 111", "PC SY 111 0"));
    EXPECT_EQ(ui.messages.size(), 1u);

    // Retry goes through Offline, so the revision is checked and named again.
    link.RetryCommunications(doc);
    EXPECT_EQ(doc.connectionState, ProgramAccess);
    EXPECT_THAT(ui.texts(), ElementsAre(kOlderRevision01, kOlderRevision01));
}

TEST_F(ConnectionContact, UnknownFirmwareKeepsTheStoredRevision)
{
    startTcp({"--crc", "12345678"});
    doc.controllerRevision = 0.02f;
    EXPECT_EQ(link.Contact(doc, false), ProgramAccess);
    EXPECT_THAT(ui.texts(), ElementsAre(kUnknownRevision));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);
    EXPECT_FLOAT_EQ(doc.controllerRevision, 0.02f);
}

TEST_F(ConnectionContact, FailedRevisionExchangeCountsAsUnknown)
{
    startTcp({"--reject", "GP:*"});
    doc.controllerRevision = 0.02f;
    EXPECT_EQ(link.Contact(doc, true), ReadAccess);
    EXPECT_THAT(ui.texts(), ElementsAre(kUnknownRevision));
    EXPECT_FLOAT_EQ(link.QueryRevision(doc), -1.0f);
    EXPECT_FLOAT_EQ(doc.controllerRevision, 0.02f);
}

TEST_F(ConnectionContact, NoListenerGivesOfflineWithoutMessage)
{
    useTcp(DeadPort());
    EXPECT_EQ(link.Contact(doc, false), Offline);
    EXPECT_THAT(ui.messages, IsEmpty());
    EXPECT_THAT(statusLines, ElementsAre("Attempting to contact Pellion.net...", "Ready"));
    EXPECT_FALSE(ControllerLink::CanRead(doc));
    EXPECT_EQ(ConnectionStateText(doc.connectionState), " Offline  ");
}

TEST_F(ConnectionContact, SilentOrRejectingControllerGivesOffline)
{
    for (const char* fault : {"--silent-after", "--reject"}) {
        SCOPED_TRACE(fault);
        startTcp({fault, std::string(fault) == "--reject" ? "SY:111" : "0"});
        doc.protocol.reset();
        doc.connectionState = NotContacted;
        statusLines.clear();
        EXPECT_EQ(link.Contact(doc, false), Offline);
        EXPECT_THAT(sim.requests(), ElementsAre("PV SY 111"));
        EXPECT_THAT(statusLines, ElementsAre("Attempting to contact Pellion.net...",
                                             "Attempting to contact Pellion.net - waiting for reply...", "Ready"));
        EXPECT_THAT(ui.messages, IsEmpty());
    }
}

TEST_F(ConnectionContact, FailedExchangeLowersAnOnlineDocument)
{
    startTcp();
    connect();
    sim.stop();
    EXPECT_EQ(link.Contact(doc, false), Offline);
    EXPECT_FALSE(ControllerLink::CanRead(doc));
}

TEST_F(ConnectionContact, UnknownFramingForTheComPortGivesNoComm)
{
    doc.commPort = 3;
    settings.setProtocol(3, 2);
    EXPECT_EQ(link.Contact(doc, false), NoComm);
    EXPECT_EQ(doc.protocol, nullptr);
    EXPECT_THAT(statusLines, ElementsAre("Attempting to contact Pellion.net...", "Ready"));
    EXPECT_EQ(ConnectionStateText(doc.connectionState), " ? Comm ");
}

TEST_F(ConnectionContact, SerialLinkFramesTheLowByteOfTheAddress)
{
    startPty({"--address", "7"});
    doc.controllerAddress = 0x1207;
    EXPECT_EQ(link.Contact(doc, false), ProgramAccess);
    EXPECT_EQ(doc.protocol->address(), 7);
    EXPECT_EQ(doc.protocol->protocolIndex(), 1);
    EXPECT_THAT(sim.requests(), ElementsAre("PV SY 111", "GP", "PC SY 111 0"));
}

TEST_F(ConnectionContact, LogOffContactsThenSendsLO)
{
    startTcp();
    connect();
    EXPECT_TRUE(link.LogOff(doc));
    EXPECT_THAT(sim.requests(), ElementsAre("PV SY 111", "PC SY 111 0", "LO"));

    startTcp({"--reject", "LO:*"});
    doc.protocol.reset();
    EXPECT_FALSE(link.LogOff(doc));
    EXPECT_EQ(sim.requests().back(), "LO");
}

using ConnectionCommands = SimLinkTest;

TEST_F(ConnectionCommands, GoOfflineKeepsTheLinkAndRetryRestoresIt)
{
    startTcp();
    connect();
    const ComProtocol* built = doc.protocol.get();
    link.GoOffline(doc);
    EXPECT_EQ(doc.connectionState, Offline);
    EXPECT_EQ(doc.protocol.get(), built);
    EXPECT_FALSE(ControllerLink::CanRead(doc));
    EXPECT_THAT(sim.requests(), IsEmpty());

    link.RetryCommunications(doc);
    EXPECT_EQ(doc.connectionState, ProgramAccess);
    EXPECT_EQ(doc.protocol.get(), built);
    EXPECT_THAT(sim.requests(), ElementsAre("PV SY 111", "GP", "PC SY 111 0"));
}

TEST_F(ConnectionCommands, NewOptionsRebuildTheLinkKeepTheStateAndMarkModified)
{
    startTcp();
    connect();
    SimProcess refusing;
    ASSERT_TRUE(refusing.start({"--tcp", "0", "--refuse-program"})) << refusing.error();
    link.overrides.tcpPort = refusing.tcpPort();

    link.ChangeOptions(doc, 0, kLoopback);
    EXPECT_TRUE(doc.isModified());
    EXPECT_THAT(refusing.requests(), ElementsAre("PV SY 111", "PC SY 111 0"));
    EXPECT_THAT(sim.requests(), IsEmpty());
    // A successful contact never lowers the state...
    EXPECT_EQ(doc.connectionState, ProgramAccess);
    // ...but a retry starts from Offline.
    link.RetryCommunications(doc);
    EXPECT_EQ(doc.connectionState, ReadAccess);
}

TEST_F(ConnectionCommands, NewOptionsToAnotherComPort)
{
    startPty();
    doc.commPort = 0;
    doc.controllerAddress = kLoopback;
    link.overrides.tcpPort = DeadPort();
    connect(Offline);

    link.ChangeOptions(doc, 1, 1);
    EXPECT_EQ(doc.commPort, 1);
    EXPECT_EQ(doc.controllerAddress, 1u);
    EXPECT_EQ(doc.connectionState, ProgramAccess);
    EXPECT_TRUE(doc.isModified());
}

using ConnectionDocumentLife = SimLinkTest;

TEST_F(ConnectionDocumentLife, NewDocumentContactsComOne)
{
    startPty();
    doc.commPort = 0;
    doc.controllerAddress = 99;
    doc.setConnectionHooks(&link);
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.commPort, 1);
    EXPECT_EQ(doc.controllerAddress, 1u);
    EXPECT_EQ(doc.connectionState, ProgramAccess);
    EXPECT_THAT(sim.requests(), ElementsAre("PV SY 111", "GP", "PC SY 111 0"));
}

TEST_F(ConnectionDocumentLife, LoadRebuildsTheLinkFromTheFileAndContacts)
{
    startTcp();
    CCorvaneDoc stored;
    stored.commPort = 0;
    stored.controllerAddress = kLoopback;
    ASSERT_TRUE(SaveDataFile(stored, path("site.mlb")).ok());

    doc.setConnectionHooks(&link);
    connect();
    SimProcess other;
    ASSERT_TRUE(other.start({"--tcp", "0", "--crc", "BB1C1A88"})) << other.error();
    link.overrides.tcpPort = other.tcpPort();

    ASSERT_TRUE(LoadDataFile(doc, path("site.mlb"), ui).ok());
    // The old link was still open; only a rebuilt one reaches the other controller.
    EXPECT_THAT(sim.requests(), IsEmpty());
    EXPECT_THAT(other.requests(), ElementsAre("PV SY 111", "PC SY 111 0"));
    EXPECT_EQ(doc.connectionState, ProgramAccess);
    EXPECT_FALSE(doc.isModified());
}

TEST_F(ConnectionDocumentLife, SaveInProgramModeLogsOffAfterWriting)
{
    startTcp();
    doc.setConnectionHooks(&link);
    connect();
    bool writtenFirst = false;
    link.statusLine = [&](const std::string&) { writtenFirst = QFileInfo::exists(dir.filePath("a.mlb")); };
    ASSERT_TRUE(SaveDataFile(doc, path("a.mlb")).ok());
    EXPECT_TRUE(writtenFirst);
    EXPECT_THAT(sim.requests(), ElementsAre("PV SY 111", "PC SY 111 0", "LO"));
}

TEST_F(ConnectionDocumentLife, SaveInReadAccessSendsNothing)
{
    startTcp({"--refuse-program"});
    doc.setConnectionHooks(&link);
    connect(ReadAccess);
    ASSERT_TRUE(SaveDataFile(doc, path("a.mlb")).ok());
    EXPECT_THAT(sim.requests(), IsEmpty());
}

} // namespace
} // namespace corvane::testing

namespace corvane::testing {
namespace {

TEST_F(ConnectionContact, ARestartedControllerIsReachedAgainByRetry)
{
    startTcp();
    ASSERT_EQ(link.Contact(doc, false), ProgramAccess);
    const std::uint16_t port = sim.tcpPort();
    sim.stop(); // the controller restarts: its end of the connection closes
    EXPECT_EQ(link.Contact(doc, false), Offline);
    EXPECT_FALSE(doc.protocol->IsOpen());

    ASSERT_TRUE(sim.start({"--tcp", std::to_string(port)})) << sim.error();
    link.RetryCommunications(doc);
    EXPECT_EQ(doc.connectionState, ProgramAccess);
    EXPECT_EQ(sim.requests().front(), "PV SY 111");
}

} // namespace
} // namespace corvane::testing
