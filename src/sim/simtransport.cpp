#include "simtransport.h"

#include "common/cformat.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace corvane::sim {
namespace {

using Clock = std::chrono::steady_clock;

// Output held for a client that does not read is capped; the oldest bytes go first.
constexpr std::size_t kMaxQueuedOutput = 1 << 20;

std::string SystemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

std::optional<speed_t> SpeedConstant(unsigned baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return std::nullopt;
    }
}

bool ApplyLine(int fd, const LineSettings& line, std::string* error)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        *error = SystemError("tcgetattr");
        return false;
    }
    cfmakeraw(&t);
    const speed_t speed = SpeedConstant(line.baud).value_or(B38400);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag |= line.dataBits == 5 ? CS5 : line.dataBits == 6 ? CS6 : line.dataBits == 7 ? CS7 : CS8;
    if (line.parity != 'N')
        t.c_cflag |= PARENB | (line.parity == 'O' ? PARODD : 0);
    if (line.stopBits == 2)
        t.c_cflag |= CSTOPB;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &t) != 0) {
        *error = SystemError("tcsetattr");
        return false;
    }
    return true;
}

bool SetNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

struct Channel {
    Channel(int fd, bool socket, Framing framing) : fd(fd), socket(socket), decoder(framing) {}
    int fd;
    bool socket;
    bool closed = false;
    RequestDecoder decoder;
    std::deque<std::pair<Clock::time_point, std::string>> delayed;
    std::string out;
};

void Queue(Channel& c, std::string bytes)
{
    c.out += bytes;
    if (c.out.size() > kMaxQueuedOutput)
        c.out.erase(0, c.out.size() - kMaxQueuedOutput);
}

// Writes what the line takes now; false when the line failed.
bool Flush(Channel& c)
{
    while (!c.out.empty()) {
        const ssize_t n = c.socket ? send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL)
                                   : write(c.fd, c.out.data(), c.out.size());
        if (n > 0) {
            c.out.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
    return true;
}

// Reads what has arrived and queues the replies; false when the line closed or failed
// (the replies to what came before are still queued).
bool Receive(Channel& c, SimResponder& responder)
{
    char buffer[4096];
    bool open = true;
    for (;;) {
        const ssize_t n = read(c.fd, buffer, sizeof buffer);
        if (n > 0) {
            c.decoder.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        open = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        break;
    }
    const auto delay = std::chrono::milliseconds(responder.misbehaviour().delayMs);
    while (auto request = c.decoder.next()) {
        auto reply = responder.respond(*request);
        if (!reply)
            continue;
        if (delay.count() > 0 || !c.delayed.empty())
            c.delayed.emplace_back(Clock::now() + delay, std::move(*reply));
        else
            Queue(c, std::move(*reply));
    }
    return open;
}

} // namespace

std::optional<LineSettings> ParseLineSettings(std::string_view text)
{
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (parts.size() != 4 || parts[1].size() != 1 || parts[2].size() != 1 || parts[3].size() != 1)
        return std::nullopt;
    LineSettings line;
    const long long baud = ParseLeadingInteger(parts[0]);
    if (baud <= 0 || !SpeedConstant(static_cast<unsigned>(baud)) || CFormat("%lld", baud) != parts[0])
        return std::nullopt;
    line.baud = static_cast<unsigned>(baud);
    line.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(parts[1][0])));
    line.dataBits = parts[2][0] - '0';
    line.stopBits = parts[3][0] - '0';
    if ((line.parity != 'N' && line.parity != 'E' && line.parity != 'O') || line.dataBits < 5 ||
        line.dataBits > 8 || (line.stopBits != 1 && line.stopBits != 2))
        return std::nullopt;
    return line;
}

int ListenTcp(int port, int* boundPort, std::string* error)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *error = SystemError("socket");
        return -1;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0) {
        *error = SystemError(CFormat("cannot listen on 127.0.0.1:%d", port).c_str());
        close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    *boundPort = ntohs(addr.sin_port);
    return fd;
}

std::optional<PtyPair> OpenPty(const LineSettings& line, std::string* error)
{
    PtyPair pty;
    if (openpty(&pty.master, &pty.slave, nullptr, nullptr, nullptr) != 0) {
        *error = SystemError("openpty");
        return std::nullopt;
    }
    char name[256];
    if (ttyname_r(pty.slave, name, sizeof name) != 0 || !ApplyLine(pty.slave, line, error) ||
        !SetNonBlocking(pty.master)) {
        if (error->empty())
            *error = SystemError("pty setup");
        close(pty.master);
        close(pty.slave);
        return std::nullopt;
    }
    fcntl(pty.master, F_SETFD, FD_CLOEXEC);
    fcntl(pty.slave, F_SETFD, FD_CLOEXEC);
    pty.path = name;
    return pty;
}

int OpenSerialDevice(const std::string& path, const LineSettings& line, std::string* error)
{
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = SystemError(path.c_str());
        return -1;
    }
    if (!ApplyLine(fd, line, error)) {
        close(fd);
        return -1;
    }
    return fd;
}

int Serve(SimResponder& responder, int listenFd, int lineFd, int stopFd, std::string* error)
{
    std::vector<std::unique_ptr<Channel>> channels;
    if (listenFd < 0)
        channels.push_back(std::make_unique<Channel>(lineFd, false, responder.framing()));

    for (;;) {
        // Release the replies whose delay has passed and work out when the next one is due.
        const auto now = Clock::now();
        int timeoutMs = -1;
        for (auto& c : channels) {
            while (!c->delayed.empty() && c->delayed.front().first <= now) {
                Queue(*c, std::move(c->delayed.front().second));
                c->delayed.pop_front();
            }
            if (!c->delayed.empty()) {
                const auto wait =
                    std::chrono::ceil<std::chrono::milliseconds>(c->delayed.front().first - now).count();
                timeoutMs = timeoutMs < 0 ? static_cast<int>(wait) : std::min(timeoutMs, static_cast<int>(wait));
            }
            if (!Flush(*c))
                c->closed = true;
        }
        for (auto& c : channels) {
            if (c->closed && !c->socket) {
                *error = SystemError("line write failed");
                return 1;
            }
        }
        std::erase_if(channels, [](const std::unique_ptr<Channel>& c) {
            if (c->closed)
                close(c->fd);
            return c->closed;
        });

        std::vector<pollfd> fds;
        fds.push_back({stopFd, POLLIN, 0});
        if (listenFd >= 0)
            fds.push_back({listenFd, POLLIN, 0});
        const std::size_t first = fds.size();
        for (auto& c : channels)
            fds.push_back({c->fd, static_cast<short>(POLLIN | (c->out.empty() ? 0 : POLLOUT)), 0});

        if (poll(fds.data(), fds.size(), timeoutMs) < 0) {
            if (errno == EINTR)
                continue;
            *error = SystemError("poll");
            return 1;
        }
        if (fds[0].revents != 0)
            return 0;
        if (listenFd >= 0 && (fds[1].revents & POLLIN)) {
            const int client = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (client >= 0) {
                const int on = 1;
                setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                channels.push_back(std::make_unique<Channel>(client, true, Framing::Terminal));
            }
        }
        for (std::size_t i = first; i < fds.size(); ++i) {
            Channel& c = *channels[i - first];
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) && !Receive(c, responder)) {
                if (!c.socket) {
                    *error = SystemError("line read failed");
                    return 1;
                }
                c.closed = true;
            }
        }
    }
}

} // namespace corvane::sim
