#pragma once
// A pellion-sim process for one test: started with the given options, its
// listening line parsed, stopped (SIGTERM) when the object goes.

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::testing {

class SimProcess {
public:
    SimProcess() = default;
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    ~SimProcess() { stop(); }

    // Starts the simulator with `args` (plus "--log" into a file of its own).
    // Returns false with `error()` set when it did not announce its line in time.
    bool start(const std::vector<std::string>& args);
    // SIGTERM and wait; returns the exit status (-1 when it was not running).
    int stop();

    std::uint16_t tcpPort() const { return tcpPort_; }
    // The FTP control port, when started with "--ftp-root".
    std::uint16_t ftpPort() const { return ftpPort_; }
    const std::string& devicePath() const { return devicePath_; }
    const std::string& error() const { return error_; }

    // Every request text the simulator took for its address, in order.
    std::vector<std::string> requests() const;
    void clearRequests() const;

private:
    int pid_ = -1;
    std::uint16_t tcpPort_ = 0;
    std::uint16_t ftpPort_ = 0;
    std::string devicePath_;
    std::string logPath_;
    std::string error_;
};

} // namespace corvane::testing
