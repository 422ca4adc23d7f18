#pragma once
// Lines for port tests: a pseudo-terminal pair whose master side the test
// drives, and a listening socket on the loopback address.

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane::testing {

// Bytes that arrive on `fd` until `count` are in or `ms` pass.
inline std::string ReadFd(int fd, std::size_t count, int ms = 2000)
{
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (got.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            continue;
        char buf[8192];
        const ssize_t n = ::read(fd, buf, std::min(sizeof buf, count - got.size()));
        if (n <= 0)
            break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

inline void WriteFd(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// A pseudo-terminal; the port under test opens `path`, the test talks on `master`.
struct TestPty {
    int master = -1;
    int slave = -1; // kept open so the line's settings can be inspected
    std::string path;

    TestPty()
    {
        if (::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0) {
            char name[256];
            if (::ttyname_r(slave, name, sizeof name) == 0)
                path = name;
        }
    }
    ~TestPty() { closeMaster(), closeSlave(); }
    TestPty(const TestPty&) = delete;
    TestPty& operator=(const TestPty&) = delete;

    bool ok() const { return master >= 0 && !path.empty(); }
    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    void closeSlave()
    {
        if (slave >= 0)
            ::close(slave);
        slave = -1;
    }
    void send(std::string_view bytes) const { WriteFd(master, bytes); }
    std::string receive(std::size_t count, int ms = 2000) const { return ReadFd(master, count, ms); }
};

// How many descriptors of this process are open on `path`.
inline int OpenDescriptorsOn(const std::string& path)
{
    int count = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        std::error_code linkError;
        if (std::filesystem::read_symlink(entry.path(), linkError) == path)
            ++count;
    }
    return count;
}

// A listening TCP socket on 127.0.0.1 with a free port.
struct TestListener {
    int fd = -1;
    std::uint16_t port = 0;

    explicit TestListener(int backlog = 4)
    {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, backlog) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return;
        port = ntohs(a.sin_port);
    }
    ~TestListener()
    {
        if (fd >= 0)
            ::close(fd);
    }
    TestListener(const TestListener&) = delete;
    TestListener& operator=(const TestListener&) = delete;

    // The next connected client, or -1 when none came within `ms`.
    int accept(int ms = 2000) const
    {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0)
            return -1;
        return ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    }
};

// A loopback port on which nothing listens.
inline std::uint16_t ClosedLoopbackPort()
{
    TestListener l;
    return l.port; // closed when `l` goes
}

// Milliseconds an action took.
template <class F>
long long ElapsedMs(F&& action)
{
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

} // namespace corvane::testing
