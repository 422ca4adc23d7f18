#pragma once
// A TCP connection to the controller.

#include "comm/comstream.h"
#include "comm/ctimeoutsocket.h"

#include <memory>
#include <string>

namespace corvane {

class TCPPort : public ComStream {
public:
    // Connects at once, waiting at most connectTimeoutMs plus one second.
    TCPPort(const std::string& host, std::uint16_t tcpPort, int connectTimeoutMs = 10000);

    using ComStream::Write;
    int Write(const std::uint8_t* data, std::size_t length) override;
    int Read(std::uint8_t* buffer, std::size_t length, int terminator) override;
    void Flush() override {}
    void Purge() override {}
    std::string StatusText(int address) const override;
    bool IsNetwork() const override { return true; }

    const std::string& host() const { return host_; }
    CTimeoutSocket& socket() { return *socket_; }
    // A readable reason for a failed connect ("Connection refused"), else empty.
    const std::string& connectError() const { return connectError_; }
    std::string OpenFailure() const override { return connectError_.empty() ? std::string() : host_ + ": " + connectError_; }

private:
    void lost();
    std::unique_ptr<CTimeoutSocket> socket_;
    std::string host_;
    std::string connectError_;
};

} // namespace corvane
