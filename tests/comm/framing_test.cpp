// The two framings on the wire: frames read raw from the other end of a
// pseudo-terminal, replies written there byte for byte.

#include "comm/miniprotocol.h"
#include "comm/portstatus.h"
#include "comm/replycodes.h"
#include "comm/serialport.h"
#include "comm/tcpport.h"
#include "comm/terminalprotocol.h"
#include "comm/testlines.h"
#include "support/fakeinteraction.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace std::string_literals;
using testing::FakeInteraction;
using testing::TestPty;

constexpr int kCom = 210;
constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';

// A minicomputer reply frame; `lrcFlip` spoils the check byte.
std::string MiniReply(std::string_view body, std::uint8_t lrcFlip = 0, char pad = '\x7f')
{
    std::string checked = std::string(body) + kEtx;
    std::uint8_t lrc = 0;
    for (char c : checked)
        lrc ^= static_cast<std::uint8_t>(c);
    return kStx + checked + static_cast<char>(lrc ^ lrcFlip) + pad;
}

class FramingOnPty : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.ok()); }

    template <class Protocol>
    std::unique_ptr<Protocol> open()
    {
        auto port = std::make_unique<SerialPort>(kCom, LineSettings{}, pty.path);
        port->setReadDeadlineMs(200);
        std::unique_ptr<Protocol> p;
        if constexpr (std::is_same_v<Protocol, MiniProtocol>)
            p = std::make_unique<MiniProtocol>(std::move(port));
        else
            p = std::make_unique<TerminalProtocol>(std::move(port), 0);
        EXPECT_TRUE(p->IsOpen());
        return p;
    }
    // Nothing more arrives from the port.
    void expectQuietWire() const { EXPECT_EQ(pty.receive(1, 100), ""); }

    TestPty pty;
};

TEST_F(FramingOnPty, TerminalFramesOnTheWire)
{
    struct Case {
        std::uint32_t address;
        std::string command;
        std::string wire;
    } cases[] = {
        {1, "GP", "*01GP\r\n"},
        {7, "PV SY 111", "*07PV SY 111\r\n"},
        {0, "LO", "*00LO\r\n"},
        {99, "XC P2 301 1", "*99XC P2 301 1\r\n"},
        {0x163, "GP", "*99GP\r\n"}, // only the low byte is the address
    };
    auto link = open<TerminalProtocol>();
    for (const Case& c : cases) {
        link->SetAddress(c.address);
        ASSERT_TRUE(link->Send(c.command)) << c.command;
        EXPECT_EQ(pty.receive(c.wire.size()), c.wire);
    }
    expectQuietWire();
}

TEST_F(FramingOnPty, MinicomputerFramesCarryLrcDelAndNul)
{
    struct Case {
        std::uint32_t address;
        std::string command;
        std::string wire;
    } cases[] = {
        {1, "GP", "\x02" "01GP\x03\x15\x7f\0"s},
        {42, "PV SY 111", "\x02" "42PV SY 111\x03\x38\x7f\0"s},
    };
    auto link = open<MiniProtocol>();
    for (const Case& c : cases) {
        link->SetAddress(c.address);
        ASSERT_TRUE(link->Send(c.command)) << c.command;
        EXPECT_EQ(pty.receive(c.wire.size()), c.wire);
    }
    expectQuietWire();
}

TEST_F(FramingOnPty, SendDiscardsInputLeftFromEarlier)
{
    auto link = open<TerminalProtocol>();
    pty.send("*01STALE\r\n");
    pollfd p{pty.slave, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    ASSERT_TRUE(link->Send("GP"));
    pty.send("*01GP FRESH\r\n");
    std::string reply;
    EXPECT_EQ(link->Receive(reply), 0);
    EXPECT_EQ(reply, "GP FRESH");
}

struct ReplyCase {
    const char* name;
    std::string wire;
    int status;
    std::string text; // for status 0
    int code;         // for status 8
};

void CheckReplies(ComProtocol& link, HalvardProtocol& halvard, const TestPty& pty, const std::vector<ReplyCase>& cases)
{
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        pty.send(c.wire);
        std::string reply = "previous";
        halvard.replyCode = -1;
        EXPECT_EQ(link.Receive(reply), c.status);
        EXPECT_EQ(link.LastStatus(), c.status);
        if (c.status == 0) {
            EXPECT_EQ(reply, c.text);
        } else {
            EXPECT_EQ(reply, "previous") << "no text for a failed reply";
        }
        if (c.status == StatusRejected) {
            EXPECT_EQ(halvard.replyCode, c.code);
        }
        link.port()->Purge();
    }
}

TEST_F(FramingOnPty, TerminalRepliesAreClassified)
{
    auto link = open<TerminalProtocol>();
    const std::string longest = std::string(4092, 'x'); // with digits, CR and LF: 4096 bytes
    CheckReplies(*link, *link, pty,
                 {
                     {"accepted", "*01PV SY 111 5\r\n", 0, "PV SY 111 5", 0},
                     {"rejected", "*01NO14\r\n", 8, "", 14},
                     {"rejected without digits", "*01NO\r\n", 8, "", 0},
                     {"spaces before the code", "*01NO  95X\r\n", 8, "", 95},
                     {"NO is case-sensitive", "*01No14\r\n", 0, "No14", 0},
                     {"noise before the start", "\0zz\r\n#*01GP 1\r\n"s, 0, "GP 1", 0},
                     {"address digits are not examined", "*57GP 1\r\n", 0, "GP 1", 0},
                     {"cut at the last CR", "*01A\rB\r\n", 0, "A\rB", 0},
                     {"empty text", "*01\r\n", 0, "", 0},
                     {"LF without CR", "*01GP 1\n", 9, "", 0},
                     {"4096 bytes with the end", "*01" + longest + "\r\n", 0, longest, 0},
                     {"4096 bytes without the end", "*01" + longest + "x\r\n", 9, "", 0},
                     {"silence", "", 7, "", 0},
                     {"start byte, then silence", "*01GP", 7, "", 0},
                 });
}

TEST_F(FramingOnPty, MinicomputerRepliesAreClassified)
{
    auto link = open<MiniProtocol>();
    const std::string longest = std::string(4093, 'x'); // with digits and ETX: 4096 bytes
    CheckReplies(*link, *link, pty,
                 {
                     {"accepted", MiniReply("01GP DF69BBA8"), 0, "GP DF69BBA8", 0},
                     {"any pad byte", MiniReply("01GP 1", 0, '\0'), 0, "GP 1", 0},
                     {"rejected", MiniReply("01NO90"), 8, "", 90},
                     {"noise before STX", "zz\r\n" + MiniReply("01LO"), 0, "LO", 0},
                     {"wrong LRC", MiniReply("01GP DF69BBA8", 0x5a), 9, "", 0},
                     {"wrong LRC on a rejection", MiniReply("01NO14", 0x01), 9, "", 0},
                     {"4096 bytes with ETX", MiniReply("01" + longest), 0, longest, 0},
                     {"4096 bytes without ETX", MiniReply("01" + longest + "x"), 9, "", 0},
                     {"no check byte", "\x02" "01GP\x03", 7, "", 0},
                 });
}

TEST_F(FramingOnPty, AShorterReplyReturnsOnlyItsOwnText)
{
    auto link = open<TerminalProtocol>();
    std::string reply;
    pty.send("*01PV SY 111 LONG VALUE\r\n");
    ASSERT_EQ(link->Receive(reply), 0);
    pty.send("*01GP\r\n");
    ASSERT_EQ(link->Receive(reply), 0);
    EXPECT_EQ(reply, "GP");
}

TEST_F(FramingOnPty, UnframeableCommandsAreRefusedBeforeSending)
{
    auto link = open<TerminalProtocol>();
    FakeInteraction ui;
    ui.answers = {Answer::Abort, Answer::Abort};

    EXPECT_FALSE(link->Send(std::string(1017, 'A')));
    EXPECT_NE(link->refusal().find("1017"), std::string::npos) << link->refusal();
    link->ReportError(ui, std::string("Sending"), Buttons::AbortRetryIgnore);

    link->SetAddress(100);
    EXPECT_FALSE(link->Send("GP"));
    EXPECT_NE(link->refusal().find("100"), std::string::npos) << link->refusal();
    link->ReportError(ui, std::nullopt, Buttons::AbortRetryIgnore);
    expectQuietWire();

    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_NE(ui.messages[0].text.find("at most 1016"), std::string::npos) << ui.messages[0].text;
    EXPECT_NE(ui.messages[1].text.find("Nothing was sent"), std::string::npos) << ui.messages[1].text;

    // The limits themselves still go out.
    link->SetAddress(99);
    ASSERT_TRUE(link->Send(std::string(1016, 'A')));
    EXPECT_EQ(pty.receive(1021), "*99" + std::string(1016, 'A') + "\r\n");
    EXPECT_TRUE(link->refusal().empty());
}

TEST_F(FramingOnPty, ReportErrorAfterARejection)
{
    auto link = open<TerminalProtocol>();
    struct Case {
        const char* wire;
        std::optional<std::string> caption;
        const char* text;
    } cases[] = {
        {"*01NO14\r\n", std::nullopt, "Command Rejected -  - Program Code Not Used"},
        {"*01NO\r\n", std::nullopt, "Command Rejected -  - Invalid Command"},
        {"*01NO32774\r\n", std::string("Writing SY 111"), "Writing SY 111 - Bad CRC"},
    };
    for (const Case& c : cases) {
        pty.send(c.wire);
        std::string reply;
        ASSERT_EQ(link->Receive(reply), StatusRejected) << c.wire;
        FakeInteraction ui;
        ui.answers = {Answer::Retry};
        EXPECT_EQ(link->ReportError(ui, c.caption, Buttons::AbortRetryIgnore), Answer::Retry);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, c.text);
    }
}

TEST_F(FramingOnPty, ReportErrorForPortFailuresIgnoresTheCaption)
{
    auto link = open<MiniProtocol>();
    std::string reply;
    ASSERT_EQ(link->Receive(reply), StatusTimeout);
    FakeInteraction ui;
    ui.answers = {Answer::Ignore};
    EXPECT_EQ(link->ReportError(ui, std::string("Reading SY 111"), Buttons::AbortRetryIgnore), Answer::Ignore);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Error on serial device at port 210: - Timeout waiting for response");

    // A failing device: the system's text, and abort without asking.
    pty.closeMaster();
    ASSERT_EQ(link->Receive(reply), StatusReceiveError);
    ui.messages.clear();
    ui.answers = {Answer::Retry};
    EXPECT_EQ(link->ReportError(ui, std::nullopt, Buttons::AbortRetryIgnore), Answer::Abort);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Communications Error");
    EXPECT_EQ(ui.messages[0].text, link->port()->systemError());
}

TEST_F(FramingOnPty, IdentityAndLinkText)
{
    auto terminal = open<TerminalProtocol>();
    EXPECT_EQ(terminal->protocolIndex(), 0);
    EXPECT_EQ(terminal->protocolName(), "Terminal  (CR)");
    EXPECT_FALSE(terminal->IsNetwork());
    terminal->SetAddress(7);
    EXPECT_EQ(terminal->address(), 7);
    EXPECT_EQ(terminal->LinkText(), "Com210:38400,N,8,1   Address:7");
    terminal.reset();

    auto mini = open<MiniProtocol>();
    EXPECT_EQ(mini->protocolIndex(), 1);
    EXPECT_EQ(mini->protocolName(), "Minicomputer (LRC)");
    EXPECT_EQ(mini->LinkText(), "Com210:38400,N,8,1   Address:1");
    EXPECT_STREQ(ProtocolName(2), "Halvard over IP");
}

// ---------------------------------------------------------------------------

TEST(FramingClosedPort, SendAndReceiveReportCannotOpen)
{
    FakeInteraction ui;
    std::vector<std::unique_ptr<HalvardProtocol>> links;
    links.push_back(std::make_unique<TerminalProtocol>(kCom, LineSettings{}, "/nonexistent/ttyCorvane"));
    links.push_back(std::make_unique<MiniProtocol>(kCom, LineSettings{}, "/nonexistent/ttyCorvane"));
    links.push_back(std::make_unique<TerminalProtocol>(nullptr, 0));
    for (auto& link : links) {
        SCOPED_TRACE(link->protocolName() + (link->port() ? "" : " without a port"));
        EXPECT_FALSE(link->IsOpen());
        EXPECT_FALSE(link->IsNetwork());
        EXPECT_EQ(link->LinkText(), link->port() ? "Comm Not Enabled" : "");
        EXPECT_FALSE(link->Send("GP"));
        EXPECT_EQ(link->LastStatus(), StatusCannotOpen);
        std::string reply = "untouched";
        EXPECT_EQ(link->Receive(reply), StatusCannotOpen);
        EXPECT_EQ(reply, "untouched");
        ui.messages.clear();
        ui.answers = {Answer::Ok};
        link->ReportError(ui, std::nullopt, Buttons::Ok);
        ASSERT_EQ(ui.messages.size(), 1u);
        const std::string& text = ui.messages[0].text;
        EXPECT_NE(text.find("Cannot open Communications Port"), std::string::npos) << text;
        // A serial line names its device and the system's reason.
        if (link->port())
            EXPECT_NE(text.find("(/nonexistent/ttyCorvane: No such file or directory)"), std::string::npos) << text;
    }
}

TEST(FramingClosedPort, RefusedTcpConnectExplainsWhy)
{
    TerminalProtocol link("127.0.0.1", testing::ClosedLoopbackPort());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(link.IsNetwork());
    EXPECT_EQ(link.LinkText(), "Comm Not Enabled");
    EXPECT_FALSE(link.Send("PV SY 111"));
    EXPECT_EQ(link.LastStatus(), StatusCannotOpen);
    FakeInteraction ui;
    link.ReportError(ui, std::nullopt, Buttons::AbortRetryIgnore);
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& text = ui.messages[0].text;
    EXPECT_NE(text.find("Cannot open Communications Port"), std::string::npos) << text;
    EXPECT_NE(text.find("127.0.0.1"), std::string::npos) << text;
    EXPECT_NE(text.find("Connection refused"), std::string::npos) << text;
}

TEST(FramingTcp, NewLinkFramesAddressOne)
{
    testing::TestListener listener;
    TerminalProtocol link("127.0.0.1", listener.port);
    const int peer = listener.accept();
    ASSERT_GE(peer, 0);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_TRUE(link.IsNetwork());
    EXPECT_EQ(link.protocolIndex(), 0);
    EXPECT_EQ(link.LinkText(), "TCP/IP: 127.0.0.1 : " + std::to_string(listener.port));
    ASSERT_TRUE(link.Send("GP"));
    EXPECT_EQ(testing::ReadFd(peer, 7), "*01GP\r\n");
    ::close(peer);
}

TEST(FramingTcp, ClosedConnectionFailsWithoutAnEarlierStatus)
{
    testing::TestListener listener;
    TerminalProtocol link("127.0.0.1", listener.port);
    const int peer = listener.accept();
    ASSERT_GE(peer, 0);
    std::string reply;
    ASSERT_TRUE(link.Send("PV SY 111"));
    testing::WriteFd(peer, "*01NO14\r\n");
    ASSERT_EQ(link.Receive(reply), StatusRejected);

    // The controller goes away: the next reply fails as a lost line, not as
    // the rejection before it.
    ASSERT_TRUE(link.Send("GP"));
    ::shutdown(peer, SHUT_WR);
    EXPECT_EQ(link.Receive(reply), StatusTimeout);
    EXPECT_EQ(link.LastStatus(), StatusTimeout);
    ::close(peer);
}

TEST(FramingReplyCodes, TextsByRange)
{
    const std::pair<int, const char*> known[] = {
        {0, "Invalid Command"},
        {14, "Program Code Not Used"},
        {39, "No Current Batch On This Arm"},
        {90, "Minicomputer Protocol Required"},
        {96, "Undefined Error"},
        {99, "Internal Error"},
        {32768, "Empty Configuration"},
        {32790, "Pellion Authorized"},
        {32814, "Unused Batch"},
        {49152, "Internal Flash Error"},
        {49158, "Flash Write Error"},
    };
    for (auto [code, text] : known)
        EXPECT_EQ(ReplyCodeText(code), text) << code;

    // Markers and the gaps between ranges are no reply texts of their own.
    const std::string markers[] = {"LAST_NOXX", "LAST_NO9X", "LAST COMMSERV CRITICAL", "LAST COMMSERV FATAL"};
    for (int code : {40, 41, 89, 100, 32767, 32815, 49151, 49159, 65535, -1}) {
        const std::string text = ReplyCodeText(code);
        EXPECT_NE(text.find(std::to_string(code)), std::string::npos) << code << ": " << text;
        for (const std::string& marker : markers)
            EXPECT_NE(text, marker) << code;
    }
}

} // namespace
} // namespace corvane
