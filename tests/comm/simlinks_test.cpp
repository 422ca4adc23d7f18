// Exchanges with pellion-sim over every kind of link, with the faults it can
// put on the line.

#include "comm/miniprotocol.h"
#include "comm/portstatus.h"
#include "comm/serialport.h"
#include "comm/tcpport.h"
#include "comm/terminalprotocol.h"
#include "comm/testlines.h"
#include "common/settings.h"
#include "configdoc/corvanedoc.h"
#include "device/connection.h"
#include "support/fakeinteraction.h"
#include "support/simprocess.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace corvane {
namespace {

using testing::ElapsedMs;
using testing::SimProcess;

constexpr int kCom = 220;
// Shortened waits: a serial read gives up after kSerialWaitMs, a TCP receive
// after kTcpWaitMs plus its extra second.
constexpr int kSerialWaitMs = 300;
constexpr int kTcpWaitMs = 300;

struct LinkKind {
    const char* name;
    bool tcp;
    bool mini;
};

void PrintTo(const LinkKind& kind, std::ostream* os) { *os << kind.name; }

class CommSimLink : public ::testing::TestWithParam<LinkKind> {
protected:
    // Starts the simulator with `faults` and builds the link to it.
    void connect(std::vector<std::string> faults = {})
    {
        const LinkKind& kind = GetParam();
        std::vector<std::string> args = kind.tcp ? std::vector<std::string>{"--tcp", "0"}
                                                 : std::vector<std::string>{"--pty", "--framing",
                                                                            kind.mini ? "mini" : "terminal"};
        args.insert(args.end(), faults.begin(), faults.end());
        ASSERT_TRUE(sim.start(args)) << sim.error();
        if (kind.tcp) {
            auto port = std::make_unique<TCPPort>("127.0.0.1", sim.tcpPort(), 2000);
            port->socket().receiveTimeout = kTcpWaitMs;
            link = std::make_unique<TerminalProtocol>(std::move(port), 0);
        } else {
            auto port = std::make_unique<SerialPort>(kCom, LineSettings{}, sim.devicePath());
            port->setReadDeadlineMs(kSerialWaitMs);
            if (kind.mini)
                link = std::make_unique<MiniProtocol>(std::move(port));
            else
                link = std::make_unique<TerminalProtocol>(std::move(port), 0);
        }
        ASSERT_TRUE(link->IsOpen());
    }
    // One exchange: the Receive status, the reply in `reply`.
    int exchange(std::string_view command)
    {
        reply.clear();
        if (!link->Send(command))
            return -1;
        return link->Receive(reply);
    }
    int silenceMs() const { return GetParam().tcp ? kTcpWaitMs + 1000 : kSerialWaitMs; }

    SimProcess sim;
    std::unique_ptr<HalvardProtocol> link;
    std::string reply;
};

TEST_P(CommSimLink, ExchangesReachTheController)
{
    connect({"--reject", "SY:111"});
    EXPECT_EQ(exchange("GP"), 0);
    EXPECT_EQ(reply, "GP DF69BBA8");
    EXPECT_EQ(exchange("PV SY 111"), StatusRejected);
    EXPECT_EQ(link->replyCode, 14);
    EXPECT_EQ(exchange("PV SY 112"), 0);
    EXPECT_EQ(reply.rfind("PV SY 112 ", 0), 0u) << reply;
    EXPECT_EQ(sim.requests(), (std::vector<std::string>{"GP", "PV SY 111", "PV SY 112"}));
    EXPECT_EQ(link->port()->openState, 2);
}

TEST_P(CommSimLink, SilentRequestTimesOutAndTheLinkRecovers)
{
    connect({"--silent-every", "2"});
    EXPECT_EQ(exchange("GP"), 0);
    int status = -1;
    const auto ms = ElapsedMs([&] { status = exchange("GP"); });
    EXPECT_EQ(status, StatusTimeout);
    EXPECT_EQ(link->LastStatus(), StatusTimeout);
    EXPECT_GE(ms, silenceMs());
    EXPECT_LT(ms, 3 * silenceMs());
    EXPECT_EQ(exchange("GP"), 0);
    EXPECT_EQ(reply, "GP DF69BBA8");
}

TEST_P(CommSimLink, NoiseBeforeTheStartIsSkipped)
{
    connect({"--noise"});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(exchange("GP"), 0) << i;
        EXPECT_EQ(reply, "GP DF69BBA8");
    }
}

TEST_P(CommSimLink, ReplyWithoutEndIsAnOverflow)
{
    connect({"--flood", "GP"});
    int status = -1;
    const auto ms = ElapsedMs([&] { status = exchange("GP"); });
    EXPECT_EQ(status, StatusProtocolError);
    EXPECT_LT(ms, 3 * silenceMs()) << "the overflow ends the read, not a deadline";
    // The rest of the flood does not spoil the next exchange.
    EXPECT_EQ(exchange("PV SY 111"), 0);
    EXPECT_EQ(reply.rfind("PV SY 111 ", 0), 0u) << reply;
}

TEST_P(CommSimLink, OtherAddressGetsSilence)
{
    connect();
    link->SetAddress(2);
    EXPECT_EQ(exchange("GP"), StatusTimeout);
    EXPECT_TRUE(sim.requests().empty());
    link->SetAddress(1);
    EXPECT_EQ(exchange("GP"), 0);
    EXPECT_EQ(sim.requests(), std::vector<std::string>{"GP"});
}

INSTANTIATE_TEST_SUITE_P(CommLinks, CommSimLink,
                         ::testing::Values(LinkKind{"TerminalOverTcp", true, false},
                                           LinkKind{"TerminalOverPty", false, false},
                                           LinkKind{"MiniOverPty", false, true}),
                         [](const ::testing::TestParamInfo<LinkKind>& info) { return info.param.name; });

TEST(CommSimMini, WrongLrcIsAProtocolError)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--pty", "--framing", "mini", "--bad-lrc"})) << sim.error();
    MiniProtocol link(kCom, LineSettings{}, sim.devicePath());
    ASSERT_TRUE(link.Send("GP"));
    std::string reply = "untouched";
    EXPECT_EQ(link.Receive(reply), StatusProtocolError);
    EXPECT_EQ(reply, "untouched");
    EXPECT_EQ(sim.requests(), std::vector<std::string>{"GP"}) << "the request itself was framed right";
}

TEST(CommSimSerial, SilentLineWaitsTheDeadlineOfItsSpeed)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--pty", "--framing", "mini", "--silent-after", "0"})) << sim.error();
    MiniProtocol link(kCom, LineSettings{}, sim.devicePath()); // 38400 baud: 2142 ms
    ASSERT_TRUE(link.Send("GP"));
    std::string reply;
    int status = -1;
    const auto ms = ElapsedMs([&] { status = link.Receive(reply); });
    EXPECT_EQ(status, StatusTimeout);
    EXPECT_GE(ms, 2142);
    EXPECT_LT(ms, 3 * 2142);
}

TEST(CommSimSerial, ComNumberReachesItsDeviceThroughTheCommSettings)
{
    SimProcess sim;
    ASSERT_TRUE(sim.start({"--pty", "--framing", "mini"})) << sim.error();
    QTemporaryDir dir;
    Settings settings(dir.filePath("corvane.ini").toStdString());
    settings.setDevicePath(6, sim.devicePath());
    testing::FakeInteraction ui;
    ControllerLink controller(settings, ui);
    CCorvaneDoc doc;
    doc.commPort = 6;
    doc.controllerAddress = 1;
    controller.OpenConnection(doc);
    ASSERT_TRUE(doc.protocol);
    ASSERT_TRUE(doc.protocol->IsOpen());
    // Nothing stored for COM6: 38400,N,8,1 and the minicomputer framing.
    EXPECT_EQ(doc.protocol->protocolIndex(), 1);
    EXPECT_EQ(doc.protocol->LinkText(), "Com6:38400,N,8,1   Address:1");
    ASSERT_TRUE(doc.protocol->Send("GP"));
    std::string reply;
    EXPECT_EQ(doc.protocol->Receive(reply), 0);
    EXPECT_EQ(reply, "GP DF69BBA8");
}

} // namespace
} // namespace corvane
