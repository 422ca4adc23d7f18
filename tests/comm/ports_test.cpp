// The port layer on real lines: serial ports on pseudo-terminals, TCP ports on
// loopback sockets.

#include "comm/eventpump.h"
#include "comm/portstatus.h"
#include "comm/serialport.h"
#include "comm/tcpport.h"
#include "comm/terminalprotocol.h"
#include "comm/testlines.h"
#include "support/fakeinteraction.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>

namespace corvane {
namespace {

using testing::ElapsedMs;
using testing::FakeInteraction;
using testing::TestListener;
using testing::TestPty;

std::string Text(const std::uint8_t* data, int count)
{
    return std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(count > 0 ? count : 0));
}

TEST(PortStatus, EveryCodeHasItsText)
{
    const char* texts[] = {
        "Communications status OK",
        "Cannot open Communications Port",
        "Error In Transmission of Data",
        "Parity Error detected in response",
        "Framing Error detected in response",
        "Overrrun Error detected in response",
        "Error receiving response",
        "Timeout waiting for response",
        "Transmitted Command was rejected",
        "Protocol error in response",
    };
    for (int code = 0; code < 10; ++code)
        EXPECT_EQ(PortStatusText(code), texts[code]) << code;
    // A socket error number from a failed connect is told in the system's words.
    EXPECT_NE(PortStatusText(ECONNREFUSED).find("Connection refused"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Serial ports

class PortSerial : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.ok()); }

    termios line() const
    {
        termios t{};
        EXPECT_EQ(::tcgetattr(pty.slave, &t), 0);
        return t;
    }
    // Blocks until bytes written on the master side are readable on the line.
    void awaitInput() const
    {
        pollfd p{pty.slave, POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 2000), 1);
    }

    TestPty pty;
    static constexpr int kCom = 201;
};

TEST_F(PortSerial, OpensARawLineAtTheRequestedSettings)
{
    // A pseudo-terminal refuses DTR and RTS; the port must open anyway.
    SerialPort port(kCom, LineSettings{9600, Parity::None, 8, 1}, pty.path);
    EXPECT_EQ(port.openState, 1);
    EXPECT_EQ(port.status, 0);
    EXPECT_EQ(port.portNumber, kCom);
    EXPECT_FALSE(port.IsNetwork());
    EXPECT_EQ(SerialPort::UseCount(kCom), 1);

    const termios t = line();
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(::cfgetispeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
}

TEST_F(PortSerial, LineIsOursAloneWhileOpen)
{
    int exclusive = -1;
    {
        SerialPort port(kCom, LineSettings{}, pty.path);
        ASSERT_EQ(::ioctl(pty.slave, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 1);
    }
    ASSERT_EQ(::ioctl(pty.slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << "released with the last port";
}

TEST_F(PortSerial, WritesBytesUnchanged)
{
    SerialPort port(kCom, LineSettings{}, pty.path);
    const std::string bytes("a\nb\r\0\xff\x11\x13", 8);
    EXPECT_EQ(port.Write(bytes), 8);
    port.Flush();
    EXPECT_EQ(pty.receive(8), bytes);
}

TEST_F(PortSerial, StatusTextShowsTheRequestedLineAndAddress)
{
    struct Case {
        LineSettings line;
        int address;
        const char* text;
    } cases[] = {
        {{9600, Parity::None, 8, 1}, 5, "Com201:9600,N,8,1   Address:5"},
        {{19200, Parity::Odd, 7, 2}, 0x163, "Com201:19200,O,7,2   Address:99"},
        {{600, Parity::None, 8, 1}, 0, "Com201:600,N,8,1   Address:0"},
        {{57600, Parity::None, 8, 1}, 1, "Com201:38400,N,8,1   Address:1"},
    };
    for (const Case& c : cases) {
        SerialPort port(kCom, c.line, pty.path);
        ASSERT_EQ(port.openState, 1) << c.text;
        EXPECT_EQ(port.StatusText(c.address), c.text);
    }
}

TEST_F(PortSerial, ReadDeadlineFollowsTheLineSpeed)
{
    const std::pair<int, int> cases[] = {{600, 3000},  {1200, 2500},  {2400, 2333},  {4800, 2250},
                                         {9600, 2200}, {19200, 2166}, {38400, 2142}, {115200, 2142}};
    for (auto [baud, ms] : cases) {
        SerialPort port(kCom, LineSettings{baud, Parity::None, 8, 1}, pty.path);
        EXPECT_EQ(port.readDeadlineMs(), ms) << baud;
    }
}

TEST_F(PortSerial, SilentLineGivesUpAfterTheDeadline)
{
    SerialPort port(kCom, LineSettings{9600, Parity::None, 8, 1}, pty.path);
    std::uint8_t buffer[8];
    int n = -1;
    const auto ms = ElapsedMs([&] { n = port.Read(buffer, sizeof buffer, '\n'); });
    EXPECT_EQ(n, 0);
    EXPECT_EQ(port.status, StatusTimeout);
    EXPECT_EQ(port.openState, 1);
    EXPECT_GE(ms, 2190);
    EXPECT_LT(ms, 3 * 2200);
}

TEST_F(PortSerial, TerminatedReadStopsAtTheTerminator)
{
    SerialPort port(kCom, LineSettings{}, pty.path);
    EXPECT_EQ(port.openState, 1);
    pty.send("AB\nCD");
    std::uint8_t buffer[16];
    int n = port.Read(buffer, sizeof buffer, '\n');
    EXPECT_EQ(Text(buffer, n), "AB\n");
    EXPECT_EQ(port.status, 0);
    EXPECT_EQ(port.openState, 2);
    // The bytes after the terminator are still on the line.
    n = port.Read(buffer, 2, kNoTerminator);
    EXPECT_EQ(Text(buffer, n), "CD");
}

TEST_F(PortSerial, ReadOutcomesByLengthAndTerminator)
{
    using namespace std::string_literals;
    struct Case {
        std::string input;
        std::size_t length;
        int terminator;
        std::optional<std::string> stored; // none: the read fails
        int status;
    } cases[] = {
        {"abc", 3, 'c', "abc", StatusOk},                 // the L-th byte is the terminator
        {"abd", 3, 'c', std::nullopt, StatusProtocolError}, // L bytes without it
        {"ab", 3, 'c', std::nullopt, StatusTimeout},        // the line falls silent first
        {"ab", 3, kNoTerminator, std::nullopt, StatusTimeout},
        {"x\0y"s, 3, kNoTerminator, "x\0y"s, StatusOk},
        {"\0\0"s, 2, 0, "\0"s, StatusOk}, // NUL terminates like any byte
        {"a\xff", 2, 0xff, "a\xff", StatusOk},
        {"abc", 3, 256, "abc", StatusOk}, // outside 0..255: a fixed count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input + " length " + std::to_string(c.length));
        SerialPort port(kCom, LineSettings{}, pty.path);
        port.setReadDeadlineMs(200);
        pty.send(c.input);
        awaitInput();
        std::uint8_t buffer[8] = {};
        port.status = -1;
        const int n = port.Read(buffer, c.length, c.terminator);
        EXPECT_EQ(port.status, c.status);
        if (c.stored) {
            EXPECT_EQ(Text(buffer, n), *c.stored);
        } else {
            EXPECT_EQ(n, 0);
        }
    }
}

TEST_F(PortSerial, PurgeDiscardsUnreadInput)
{
    SerialPort port(kCom, LineSettings{}, pty.path);
    pty.send("stale bytes");
    awaitInput();
    port.Purge();
    pty.send("N");
    std::uint8_t byte = 0;
    EXPECT_EQ(port.Read(&byte, 1, kNoTerminator), 1);
    EXPECT_EQ(byte, 'N');
}

TEST_F(PortSerial, DeviceFailureIsStatus6WithTheSystemsText)
{
    SerialPort port(kCom, LineSettings{}, pty.path);
    pty.closeMaster(); // the line goes away under the port
    std::uint8_t buffer[4];
    EXPECT_EQ(port.Read(buffer, sizeof buffer, '\n'), 0);
    EXPECT_EQ(port.status, StatusReceiveError);
    EXPECT_FALSE(port.systemError().empty());

    FakeInteraction ui;
    ui.answers = {Answer::Retry};
    EXPECT_EQ(port.ReportError(ui, std::string("Reading"), Buttons::AbortRetryIgnore), Answer::Abort);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Communications Error");
    EXPECT_EQ(ui.messages[0].text, port.systemError());
    EXPECT_EQ(ui.answers.size(), 1u) << "status 6 answers abort without asking";

    port.status = 0;
    EXPECT_EQ(port.Write("GP"), 0);
    EXPECT_EQ(port.status, StatusReceiveError);
}

TEST_F(PortSerial, LineThatTakesNothingEndsTheWrite)
{
    SerialPort port(kCom, LineSettings{}, pty.path);
    port.setReadDeadlineMs(100);
    // Nobody reads the master side: the line's buffer fills and stays full.
    const std::string bytes(1 << 20, 'x');
    int n = -1;
    const auto ms = ElapsedMs([&] { n = port.Write(bytes); });
    EXPECT_EQ(n, 0);
    EXPECT_EQ(port.status, StatusTransmissionError);
    EXPECT_LT(ms, 2000);
}

TEST_F(PortSerial, MissingDeviceStaysClosedAndCountsNoUse)
{
    {
        SerialPort port(kCom, LineSettings{}, "/nonexistent/ttyCorvane");
        EXPECT_EQ(port.openState, 0);
        EXPECT_EQ(SerialPort::UseCount(kCom), 0);
        EXPECT_EQ(port.StatusText(5), "Comm Not Enabled");
        EXPECT_FALSE(port.systemError().empty());
        port.status = StatusTimeout;
        std::uint8_t buffer[4];
        EXPECT_EQ(port.Write("GP"), 0);
        EXPECT_EQ(port.Read(buffer, sizeof buffer, '\n'), 0);
        EXPECT_EQ(port.status, StatusTimeout) << "transfers on a closed port leave the status alone";
    }
    // The failed attempt left no slot behind: the next opener configures its own line.
    SerialPort port(kCom, LineSettings{4800, Parity::None, 8, 1}, pty.path);
    EXPECT_EQ(port.openState, 1);
    const termios t = line();
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B4800));
}

TEST_F(PortSerial, ReportErrorShowsCaptionAndStatusText)
{
    SerialPort port(5, LineSettings{}, "/nonexistent/ttyCorvane");
    struct Case {
        int status;
        std::optional<std::string> caption;
        const char* text;
    } cases[] = {
        {StatusTimeout, std::nullopt, "Error on serial device at port 5: - Timeout waiting for response"},
        {StatusProtocolError, std::nullopt, "Error on serial device at port 5: - Protocol error in response"},
        {StatusTimeout, std::string("Reading SY 111"), "Reading SY 111 - Timeout waiting for response"},
    };
    for (const Case& c : cases) {
        FakeInteraction ui;
        ui.answers = {Answer::Ignore};
        port.status = c.status;
        EXPECT_EQ(port.ReportError(ui, c.caption, Buttons::AbortRetryIgnore), Answer::Ignore);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, c.text);
    }
}

TEST_F(PortSerial, PortsOnOneComShareTheFirstOpenersDevice)
{
    const int before = testing::OpenDescriptorsOn(pty.path);
    auto first = std::make_unique<SerialPort>(kCom, LineSettings{9600, Parity::None, 8, 1}, pty.path);
    ASSERT_EQ(first->openState, 1);
    EXPECT_EQ(testing::OpenDescriptorsOn(pty.path), before + 1);

    // The second user neither opens the device again nor reconfigures the line,
    // but shows the settings it asked for.
    auto second = std::make_unique<SerialPort>(kCom, LineSettings{19200, Parity::None, 7, 2}, "/nonexistent/tty");
    EXPECT_EQ(second->openState, 1);
    EXPECT_EQ(SerialPort::UseCount(kCom), 2);
    EXPECT_EQ(testing::OpenDescriptorsOn(pty.path), before + 1);
    termios t = line();
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(second->StatusText(3), "Com201:19200,N,7,2   Address:3");
    EXPECT_EQ(first->StatusText(3), "Com201:9600,N,8,1   Address:3");

    // Closing the first leaves the second working on the same device.
    first.reset();
    EXPECT_EQ(SerialPort::UseCount(kCom), 1);
    EXPECT_EQ(testing::OpenDescriptorsOn(pty.path), before + 1);
    EXPECT_EQ(second->Write("ping"), 4);
    EXPECT_EQ(pty.receive(4), "ping");
    pty.send("pong\n");
    std::uint8_t buffer[8];
    EXPECT_EQ(Text(buffer, second->Read(buffer, sizeof buffer, '\n')), "pong\n");

    // The last one closes it; the next opener configures the line afresh.
    second.reset();
    EXPECT_EQ(SerialPort::UseCount(kCom), 0);
    EXPECT_EQ(testing::OpenDescriptorsOn(pty.path), before);
    SerialPort third(kCom, LineSettings{19200, Parity::None, 8, 1}, pty.path);
    t = line();
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B19200));
}

// ---------------------------------------------------------------------------
// TCP ports

class PortTcp : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(listener.port, 0); }

    // A connected port and the peer's end of its connection.
    std::unique_ptr<TCPPort> connect()
    {
        auto port = std::make_unique<TCPPort>("127.0.0.1", listener.port);
        peer = listener.accept();
        EXPECT_GE(peer, 0);
        return port;
    }
    void TearDown() override
    {
        if (peer >= 0)
            ::close(peer);
    }

    TestListener listener;
    int peer = -1;
};

TEST_F(PortTcp, ConnectsWithTheDefaultTimeouts)
{
    auto port = connect();
    EXPECT_EQ(port->openState, 1);
    EXPECT_EQ(port->status, 0);
    EXPECT_TRUE(port->IsNetwork());
    EXPECT_EQ(port->portNumber, listener.port);
    EXPECT_EQ(port->StatusText(7), "TCP/IP: 127.0.0.1 : " + std::to_string(listener.port));
    EXPECT_EQ(port->socket().connectTimeout, 10000);
    EXPECT_EQ(port->socket().receiveTimeout, 5000);
    port->Purge(); // nothing to do on TCP, and nothing may break
    port->Flush();
    EXPECT_EQ(port->Write("hello"), 5);
    EXPECT_EQ(testing::ReadFd(peer, 5), "hello");
}

TEST_F(PortTcp, ReadsByCountAndByTerminator)
{
    auto port = connect();
    std::uint8_t buffer[64];
    testing::WriteFd(peer, "hello");
    int n = port->Read(buffer, sizeof buffer, kNoTerminator);
    EXPECT_EQ(Text(buffer, n), "hello") << "one receive of what has arrived";
    EXPECT_EQ(port->openState, 2);

    testing::WriteFd(peer, "AB\nCD\nxyz");
    EXPECT_EQ(Text(buffer, port->Read(buffer, sizeof buffer, '\n')), "AB\n");
    EXPECT_EQ(port->status, 0);
    EXPECT_EQ(Text(buffer, port->Read(buffer, sizeof buffer, '\n')), "CD\n");
    EXPECT_EQ(port->Read(buffer, 3, '\n'), 0);
    EXPECT_EQ(port->status, StatusProtocolError);

    ::shutdown(peer, SHUT_WR); // the controller closes the connection
    EXPECT_EQ(port->Read(buffer, sizeof buffer, '\n'), 0);
    EXPECT_EQ(port->status, StatusTimeout);
    // The link is gone: it counts as closed, so the next contact connects afresh.
    EXPECT_EQ(port->openState, 0);
    EXPECT_EQ(port->StatusText(1), "Comm Not Enabled");
    EXPECT_EQ(port->Read(buffer, sizeof buffer, kNoTerminator), 0);
}

TEST_F(PortTcp, AClosedConnectionClosesTheLinkForCountedReadsToo)
{
    auto port = connect();
    std::uint8_t buffer[8];
    ::shutdown(peer, SHUT_WR);
    EXPECT_EQ(port->Read(buffer, sizeof buffer, kNoTerminator), 0);
    EXPECT_EQ(port->status, StatusTimeout);
    EXPECT_EQ(port->openState, 0);
}

TEST_F(PortTcp, FailedSendIsStatus6WithTheSystemsText)
{
    auto port = connect();
    ::close(peer);
    peer = -1;
    // The first send may still be taken before the reset comes back.
    int sent = 1;
    for (int i = 0; i < 100 && sent != 0; ++i) {
        sent = port->Write("PV SY 111");
        if (sent != 0)
            ::usleep(10000);
    }
    ASSERT_EQ(sent, 0);
    EXPECT_EQ(port->status, StatusReceiveError);
    EXPECT_FALSE(port->systemError().empty());
    FakeInteraction ui;
    EXPECT_EQ(port->ReportError(ui, std::nullopt, Buttons::AbortRetryIgnore), Answer::Abort);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Communications Error");
    EXPECT_EQ(ui.messages[0].text, port->systemError());
}

TEST_F(PortTcp, SilentPeerGivesUpAfterTheReceiveTimeoutAndOneSecond)
{
    auto port = connect();
    port->socket().receiveTimeout = 300;
    std::uint8_t buffer[8];
    int n = -1;
    const auto ms = ElapsedMs([&] { n = port->Read(buffer, sizeof buffer, '\n'); });
    EXPECT_EQ(n, 0);
    EXPECT_EQ(port->status, StatusTimeout);
    EXPECT_GE(ms, 1300);
    EXPECT_LT(ms, 3 * 1300);
}

TEST_F(PortTcp, RefusedConnectIsReadable)
{
    TCPPort port("127.0.0.1", testing::ClosedLoopbackPort());
    EXPECT_EQ(port.openState, 0);
    EXPECT_EQ(port.status, ECONNREFUSED);
    EXPECT_EQ(port.connectError(), "Connection refused");
    EXPECT_EQ(port.StatusText(1), "Comm Not Enabled");
    std::uint8_t buffer[4];
    EXPECT_EQ(port.Write("GP"), 0);
    EXPECT_EQ(port.Read(buffer, sizeof buffer, '\n'), 0);
    EXPECT_EQ(port.status, ECONNREFUSED);

    FakeInteraction ui;
    port.ReportError(ui, std::nullopt, Buttons::Ok);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("Error on serial device at port ", 0), 0u) << ui.messages[0].text;
    EXPECT_NE(ui.messages[0].text.find("Connection refused"), std::string::npos) << ui.messages[0].text;
}

TEST_F(PortTcp, UnansweredConnectGivesUpAfterTheConnectTimeoutAndOneSecond)
{
    // A listener whose accept queue is full lets further connects hang.
    TestListener full(0);
    std::vector<int> fillers;
    bool hanging = false;
    for (int i = 0; i < 16 && !hanging; ++i) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(full.port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        fillers.push_back(fd);
        pollfd p{fd, POLLOUT, 0};
        hanging = ::poll(&p, 1, 300) == 0;
    }
    if (!hanging) {
        for (int fd : fillers)
            ::close(fd);
        GTEST_SKIP() << "this kernel completes every loopback connect";
    }
    std::unique_ptr<TCPPort> port;
    const auto ms = ElapsedMs([&] { port = std::make_unique<TCPPort>("127.0.0.1", full.port, 200); });
    for (int fd : fillers)
        ::close(fd);
    EXPECT_EQ(port->openState, 0);
    EXPECT_EQ(port->status, ETIMEDOUT);
    EXPECT_FALSE(port->connectError().empty());
    EXPECT_GE(ms, 1200);
    EXPECT_LT(ms, 3 * 1200);
}

TEST_F(PortTcp, NoSecondExchangeWhileALinkWaits)
{
    auto port = connect();
    TCPPort* raw = port.get();
    TerminalProtocol link(std::move(port), 0);
    ASSERT_TRUE(link.Send("GP"));
    EXPECT_EQ(testing::ReadFd(peer, 7), "*01GP\r\n");

    bool nestedSend = true;
    int nestedRead = -1;
    bool waitingSeen = false;
    bool answered = false;
    SetEventPump([&] {
        if (answered)
            return;
        answered = true;
        waitingSeen = raw->socket().isWaiting();
        nestedSend = link.Send("LO");
        std::uint8_t byte;
        nestedRead = raw->Read(&byte, 1, kNoTerminator);
        testing::WriteFd(peer, "*01GP DF69BBA8\r\n");
    });
    std::string reply;
    const int status = link.Receive(reply);
    SetEventPump([] {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    });

    EXPECT_TRUE(answered) << "the wait lets events run";
    EXPECT_TRUE(waitingSeen);
    EXPECT_FALSE(nestedSend);
    EXPECT_EQ(nestedRead, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(reply, "GP DF69BBA8");
    EXPECT_EQ(testing::ReadFd(peer, 1, 200), "") << "the refused command never reached the wire";
}

} // namespace
} // namespace corvane
