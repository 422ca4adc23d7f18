#include "comm/tcpport.h"

#include "common/cformat.h"

#include <cerrno>
#include <cstring>

namespace corvane {

TCPPort::TCPPort(const std::string& host, std::uint16_t tcpPort, int connectTimeoutMs)
    : socket_(std::make_unique<CTimeoutSocket>()), host_(host)
{
    portNumber = tcpPort;
    socket_->connectTimeout = connectTimeoutMs;
    int error = socket_->Connect(host, tcpPort);
    if (error != 0) {
        status = error;
        connectError_ = error == ETIMEDOUT ? std::string("No answer from the controller within the connect time")
                                           : std::string(std::strerror(error));
        return;
    }
    openState = 1;
}

int TCPPort::Write(const std::uint8_t* data, std::size_t length)
{
    if (openState < 1)
        return 0;
    if (socket_->isWaiting()) { // one exchange at a time
        status = EINPROGRESS;
        return 0;
    }
    int error = socket_->Send(data, length);
    if (error != 0) {
        setSystemError(error);
        status = 6;
        if (error != ETIMEDOUT)
            lost();
        return 0;
    }
    return static_cast<int>(length);
}

int TCPPort::Read(std::uint8_t* buffer, std::size_t length, int terminator)
{
    if (openState < 1)
        return 0;
    if (socket_->isWaiting()) {
        status = EINPROGRESS;
        return 0;
    }
    if (terminator < 0 || terminator > 255) {
        // No data before the deadline, a socket error or a closed connection.
        int n = socket_->Receive(buffer, length);
        if (n <= 0) {
            status = 7;
            if (n == 0 || (socket_->lastError() != ETIMEDOUT && socket_->lastError() != EINPROGRESS))
                lost();
            return 0;
        }
        openState = 2;
        return n;
    }
    std::size_t stored = 0;
    while (stored < length) {
        int n = socket_->Receive(buffer + stored, 1);
        if (n <= 0) {
            status = 7;
            if (n == 0 || (socket_->lastError() != ETIMEDOUT && socket_->lastError() != EINPROGRESS))
                lost();
            return 0;
        }
        if (buffer[stored++] == terminator) {
            status = 0;
            openState = 2;
            return static_cast<int>(stored);
        }
    }
    status = 9;
    return 0;
}

void TCPPort::lost()
{
    // The controller closed or reset the connection (a restart, a cable pulled):
    // the port counts as closed, so the next contact connects afresh.
    openState = 0;
}

std::string TCPPort::StatusText(int) const
{
    if (openState < 1)
        return "Comm Not Enabled";
    return CFormat("TCP/IP: %s : %u", host_.c_str(), static_cast<unsigned>(portNumber));
}

} // namespace corvane
