#include "support/ftpserver.h"

#include "support/spawn.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace corvane::testing {

bool FtpServerProcess::start(const std::string& root, const std::string& password, bool anonymous,
                             const std::vector<std::string>& extra)
{
    stop();
    std::vector<std::string> args{"/usr/bin/python3", CORVANE_FIXTURES "/../../scripts/sim-ftpd.py", "--root", root,
                                  "--port", "0", "--password", password, "--exit-with-parent"};
    if (anonymous)
        args.push_back("--anonymous");
    args.insert(args.end(), extra.begin(), extra.end());
    std::string line;
    pid_ = SpawnReadingLines(args, 1, line);
    line = line.substr(0, line.find('\n'));
    if (pid_ < 0) {
        error_ = "cannot start the FTP server";
        return false;
    }
    static constexpr std::string_view kPrefix = "listening ftp 127.0.0.1:";
    if (line.rfind(kPrefix, 0) != 0) {
        error_ = "the FTP server did not start: \"" + line + "\"";
        stop();
        return false;
    }
    port_ = static_cast<std::uint16_t>(std::atoi(line.c_str() + kPrefix.size()));
    return true;
}

void FtpServerProcess::stop()
{
    if (pid_ < 0)
        return;
    kill(pid_, SIGTERM);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

} // namespace corvane::testing
