#include "simftp.h"

#include "common/crc32.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace corvane::sim {
namespace {

std::optional<std::string> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t BigEndian(const std::string& s, std::size_t at)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v = (v << 8) | static_cast<std::uint8_t>(s[at + i]);
    return v;
}

} // namespace

std::optional<std::uint32_t> CheckImage(const std::string& appInfo, const std::string& image)
{
    if (appInfo.size() < 8)
        return std::nullopt;
    const std::uint32_t crc = blockCrc({reinterpret_cast<const std::uint8_t*>(image.data()), image.size()});
    if (BigEndian(appInfo, 0) != image.size() || BigEndian(appInfo, 4) != crc)
        return std::nullopt;
    return crc;
}

bool SimFtpServer::start(const FtpOptions& o, std::string* error)
{
    stop();
    root_ = o.root;
    mkdir(root_.c_str(), 0755);
    mkdir((root_ + "/CONFIG").c_str(), 0755);
    char logTemplate[] = "/tmp/pellion-sim-ftp-XXXXXX";
    const int logFd = mkstemp(logTemplate);
    if (logFd < 0) {
        *error = "cannot create the upload log";
        return false;
    }
    close(logFd);
    receivedLog_ = logTemplate;

    std::string script = o.script;
#ifdef CORVANE_FTPD_SCRIPT
    if (script.empty())
        script = CORVANE_FTPD_SCRIPT;
#endif
    std::vector<std::string> args{"/usr/bin/python3", script, "--root", root_, "--port", std::to_string(o.port),
                                  "--password", o.accessCode, "--received-log", receivedLog_};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        *error = "pipe failed";
        return false;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        *error = std::string("fork failed: ") + std::strerror(errno);
        return false;
    }
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM); // the server never outlives the simulator
        dup2(out[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    pid_ = pid;

    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
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
    static constexpr std::string_view kPrefix = "listening ftp 127.0.0.1:";
    if (line.rfind(kPrefix, 0) != 0) {
        *error = "the FTP server did not start (" + script + ")";
        stop();
        return false;
    }
    port_ = std::atoi(line.c_str() + kPrefix.size());
    return true;
}

void SimFtpServer::stop()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    pid_ = -1;
    if (!receivedLog_.empty())
        std::remove(receivedLog_.c_str());
    receivedLog_.clear();
}

void SimFtpServer::clearReceived()
{
    if (!receivedLog_.empty())
        std::ofstream(receivedLog_, std::ios::trunc);
}

std::optional<std::uint32_t> SimFtpServer::newImage() const
{
    const auto log = ReadFile(receivedLog_);
    if (!log)
        return std::nullopt;
    bool info = false, image = false;
    std::istringstream lines(*log);
    for (std::string line; std::getline(lines, line);) {
        info = info || line == "APPINFO.DAT";
        image = image || line == "ULOAD.BIN";
    }
    if (!info || !image)
        return std::nullopt;
    const auto appInfo = ReadFile(root_ + "/APPINFO.DAT");
    const auto bytes = ReadFile(root_ + "/ULOAD.BIN");
    if (!appInfo || !bytes)
        return std::nullopt;
    return CheckImage(*appInfo, *bytes);
}

} // namespace corvane::sim
