#pragma once
// The controller's FTP side: a real FTP server (scripts/sim-ftpd.py) on
// 127.0.0.1 as a child process, serving a root that holds "CONFIG/", and the
// check of a firmware image uploaded to that root.

#include <cstdint>
#include <optional>
#include <string>

namespace corvane::sim {

struct FtpOptions {
    std::string root;
    int port = 0;
    std::string accessCode = "0000";
    std::string script; // the server script; empty: the one of this source tree
};

class SimFtpServer {
public:
    SimFtpServer() = default;
    SimFtpServer(const SimFtpServer&) = delete;
    SimFtpServer& operator=(const SimFtpServer&) = delete;
    ~SimFtpServer() { stop(); }

    // Starts the server; false with `error` when it did not announce its port.
    bool start(const FtpOptions& options, std::string* error);
    void stop();
    int port() const { return port_; }

    // Forgets the files received so far ("UF" starts a new upgrade).
    void clearReceived();
    // The CRC of the new image once "APPINFO.DAT" and "ULOAD.BIN" both arrived
    // whole and agree in length and CRC; none otherwise.
    std::optional<std::uint32_t> newImage() const;

private:
    int pid_ = -1;
    int port_ = 0;
    std::string root_;
    std::string receivedLog_;
};

// The CRC of `image` when the 8 bytes of `appInfo` (length and CRC-32, both
// big-endian) describe it; none otherwise.
std::optional<std::uint32_t> CheckImage(const std::string& appInfo, const std::string& image);

} // namespace corvane::sim
