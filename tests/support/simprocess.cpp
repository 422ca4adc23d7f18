#include "support/simprocess.h"

#include "support/spawn.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>


namespace corvane::testing {

bool SimProcess::start(const std::vector<std::string>& args)
{
    stop();
    char logTemplate[] = "/tmp/pellion-sim-log-XXXXXX";
    int logFd = mkstemp(logTemplate);
    if (logFd < 0) {
        error_ = "cannot create the request log";
        return false;
    }
    close(logFd);
    logPath_ = logTemplate;

    std::vector<std::string> all{CORVANE_SIM};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back("--exit-with-parent");
    all.push_back("--log");
    all.push_back(logPath_);
    // The first line says where it listens; with an FTP side a second line its FTP port.
    const bool ftp = std::find(args.begin(), args.end(), "--ftp-root") != args.end();
    std::string line;
    const int pid = SpawnReadingLines(all, ftp ? 2 : 1, line, ftp ? 20 : 10);
    if (pid < 0) {
        error_ = "cannot start pellion-sim";
        return false;
    }
    pid_ = pid;
    ftpPort_ = 0;
    if (ftp) {
        static constexpr std::string_view kFtp = "listening ftp 127.0.0.1:";
        const std::size_t second = line.find('\n') + 1;
        if (line.compare(second, kFtp.size(), kFtp) == 0)
            ftpPort_ = static_cast<std::uint16_t>(std::atoi(line.c_str() + second + kFtp.size()));
        if (ftpPort_ == 0) {
            error_ = "pellion-sim did not start its FTP side: \"" + line + "\"";
            stop();
            return false;
        }
    }
    line = line.substr(0, line.find('\n'));
    if (line.rfind("listening tcp 127.0.0.1:", 0) == 0) {
        tcpPort_ = static_cast<std::uint16_t>(std::atoi(line.c_str() + 24));
        return true;
    }
    if (line.rfind("listening pty ", 0) == 0) {
        devicePath_ = line.substr(14);
        return true;
    }
    if (line.rfind("listening device ", 0) == 0) {
        devicePath_ = line.substr(17);
        return true;
    }
    error_ = "pellion-sim did not start: \"" + line + "\"";
    stop();
    return false;
}

int SimProcess::stop()
{
    if (pid_ < 0)
        return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    if (!logPath_.empty())
        std::remove(logPath_.c_str());
    logPath_.clear();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> SimProcess::requests() const
{
    std::vector<std::string> lines;
    std::ifstream in(logPath_);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void SimProcess::clearRequests() const
{
    std::ofstream(logPath_, std::ios::trunc);
}

} // namespace corvane::testing
