#include "comm/ctimeoutsocket.h"

#include "comm/eventpump.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane {
namespace {

constexpr int kPumpSliceMs = 20;

struct WaitGuard {
    bool& flag;
    explicit WaitGuard(bool& f) : flag(f) { flag = true; }
    ~WaitGuard() { flag = false; }
};

} // namespace

CTimeoutSocket::~CTimeoutSocket() { Close(); }

void CTimeoutSocket::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    pending_.clear();
    pendingPos_ = 0;
}

int CTimeoutSocket::waitFor(short events, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs + 1000);
    WaitGuard guard(waiting_);
    for (;;) {
        pollfd p{fd_, events, 0};
        int r = ::poll(&p, 1, 0);
        if (r == 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return 0;
            PumpEvents();
            p.revents = 0;
            r = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, kPumpSliceMs)));
        }
        if (r < 0) {
            if (errno == EINTR)
                continue;
            lastError_ = errno;
            return -1;
        }
        if (r > 0)
            return p.revents;
    }
}

int CTimeoutSocket::Connect(const std::string& host, std::uint16_t port)
{
    if (waiting_)
        return lastError_ = EINPROGRESS;
    Close();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1)
        return lastError_ = EINVAL;
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return lastError_ = errno;
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS) {
            lastError_ = errno;
            Close();
            return lastError_;
        }
        int events = waitFor(POLLOUT, connectTimeout);
        if (events <= 0) {
            if (events == 0)
                lastError_ = ETIMEDOUT;
            Close();
            return lastError_;
        }
        int error = 0;
        socklen_t size = sizeof error;
        ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size);
        if (error != 0) {
            lastError_ = error;
            Close();
            return lastError_;
        }
    }
    lastError_ = 0;
    return 0;
}

int CTimeoutSocket::Receive(std::uint8_t* buffer, std::size_t length)
{
    if (waiting_) {
        lastError_ = EINPROGRESS;
        return -1;
    }
    if (fd_ < 0) {
        lastError_ = ENOTCONN;
        return -1;
    }
    if (pendingPos_ >= pending_.size()) {
        pending_.resize(4096);
        pendingPos_ = 0;
        for (;;) {
            ssize_t n = ::recv(fd_, pending_.data(), pending_.size(), 0);
            if (n > 0) {
                pending_.resize(static_cast<std::size_t>(n));
                break;
            }
            if (n == 0) {
                pending_.clear();
                return 0;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                lastError_ = errno;
                pending_.clear();
                return -1;
            }
            int events = waitFor(POLLIN, receiveTimeout);
            if (events <= 0) {
                if (events == 0)
                    lastError_ = ETIMEDOUT;
                pending_.clear();
                return -1;
            }
        }
    }
    const std::size_t n = std::min(length, pending_.size() - pendingPos_);
    std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(pendingPos_), n, buffer);
    pendingPos_ += n;
    return static_cast<int>(n);
}

int CTimeoutSocket::Send(const std::uint8_t* data, std::size_t length)
{
    if (waiting_)
        return lastError_ = EINPROGRESS;
    if (fd_ < 0)
        return lastError_ = ENOTCONN;
    std::size_t sent = 0;
    while (sent < length) {
        ssize_t n = ::send(fd_, data + sent, length - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (waitFor(POLLOUT, receiveTimeout) > 0)
                continue;
            return lastError_ = ETIMEDOUT;
        }
        return lastError_ = (n < 0 ? errno : EPIPE);
    }
    return 0;
}

} // namespace corvane
