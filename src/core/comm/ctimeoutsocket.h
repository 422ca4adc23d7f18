#pragma once
// A TCP stream socket whose connect and receive wait at most their timeout
// plus one second, letting the application's events run while they wait.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

class CTimeoutSocket {
public:
    CTimeoutSocket() = default;
    ~CTimeoutSocket();
    CTimeoutSocket(const CTimeoutSocket&) = delete;
    CTimeoutSocket& operator=(const CTimeoutSocket&) = delete;

    int connectTimeout = 10000; // milliseconds, before the extra second
    int receiveTimeout = 5000;

    // 0 on success, else the socket error number.
    int Connect(const std::string& host, std::uint16_t port);
    // Bytes received (at most `length`), 0 when the peer closed, -1 on error or
    // timeout (lastError() tells which: ETIMEDOUT for the deadline).
    int Receive(std::uint8_t* buffer, std::size_t length);
    // 0 on success, else the socket error number.
    int Send(const std::uint8_t* data, std::size_t length);
    void Close();

    bool isOpen() const { return fd_ >= 0; }
    // True while a connect or receive is waiting; a nested call is refused.
    bool isWaiting() const { return waiting_; }
    int lastError() const { return lastError_; }

private:
    // Waits for the events until the deadline, pumping application events.
    // Returns the poll events seen, 0 on timeout, -1 on error.
    int waitFor(short events, int timeoutMs);

    int fd_ = -1;
    bool waiting_ = false;
    int lastError_ = 0;
    // Bytes received but not yet handed out: reads stay byte-exact without one
    // system call per byte.
    std::vector<std::uint8_t> pending_;
    std::size_t pendingPos_ = 0;
};

} // namespace corvane
