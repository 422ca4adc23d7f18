#pragma once
// A real FTP server (scripts/sim-ftpd.py under Debian's python3) on 127.0.0.1
// for one test, serving a folder; stopped when the object goes.

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::testing {

class FtpServerProcess {
public:
    FtpServerProcess() = default;
    FtpServerProcess(const FtpServerProcess&) = delete;
    FtpServerProcess& operator=(const FtpServerProcess&) = delete;
    ~FtpServerProcess() { stop(); }

    // Serves `root` to the user "Corvane" with `password`; anonymous logins too when asked.
    bool start(const std::string& root, const std::string& password, bool anonymous = false,
               const std::vector<std::string>& extra = {});
    void stop();

    std::uint16_t port() const { return port_; }
    const std::string& error() const { return error_; }

private:
    int pid_ = -1;
    std::uint16_t port_ = 0;
    std::string error_;
};


} // namespace corvane::testing
