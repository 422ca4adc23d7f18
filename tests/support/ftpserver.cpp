#include "support/ftpserver.h"

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

int SpawnWithFirstLine(std::vector<std::string> args, std::string& line, int timeoutSeconds)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return -1;
    }
    line.clear();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char buf[256];
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0)
            break;
        line.append(buf, static_cast<std::size_t>(n));
    }
    close(out[0]);
    line = line.substr(0, line.find('\n'));
    return pid;
}

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
    pid_ = SpawnWithFirstLine(args, line);
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
