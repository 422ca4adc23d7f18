// Download and upload of a 65536-byte controller file over loopback FTP
// (pyftpdlib, active mode): the transfer jobs (connect, log in, 512-byte
// blocks, log out, on a worker thread) against the curl program moving the
// same file in the same run, and against one bare libcurl transfer in this
// process. Target: the jobs within 1.5 times curl's time.

#include "transfer/transferthread.h"

#include <benchmark/benchmark.h>

#include <curl/curl.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace corvane {
namespace {

constexpr const char* kCode = "4711";
constexpr std::size_t kSize = 65536;

int Spawn(std::vector<std::string> args, int outFd = -1)
{
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

int Wait(int pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One FTP server for the whole run, serving a temporary root with CONFIG/.
class Server {
public:
    static Server& instance()
    {
        static Server server;
        return server;
    }
    int port() const { return port_; }
    const std::string& root() const { return root_; }
    const std::string& work() const { return work_; }

private:
    Server()
    {
        char rootTemplate[] = "/tmp/corvane-ftp-bench-XXXXXX";
        root_ = mkdtemp(rootTemplate);
        work_ = root_ + ".work";
        std::system(("mkdir -p '" + root_ + "/CONFIG' '" + work_ + "'").c_str());
        std::string bytes(kSize, '\0');
        for (std::size_t i = 0; i < kSize; ++i)
            bytes[i] = static_cast<char>(i * 7 + i / 251);
        std::ofstream(root_ + "/CONFIG/EQUATION.CFG", std::ios::binary) << bytes;
        std::ofstream(work_ + "/EQUATION.CFG", std::ios::binary) << bytes;

        int out[2];
        if (pipe(out) != 0)
            std::abort();
        // The server script of this source tree, beside bench/.
        std::string script = __FILE__;
        script = script.substr(0, script.rfind('/')) + "/../scripts/sim-ftpd.py";
        pid_ = Spawn({"/usr/bin/python3", script, "--root", root_, "--port", "0", "--password", kCode}, out[1]);
        close(out[1]);
        std::string line;
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(out[0]);
        port_ = std::atoi(line.substr(line.rfind(':') + 1).c_str());
        if (pid_ < 0 || port_ <= 0) {
            std::fprintf(stderr, "FTP server did not start: %s\n", line.c_str());
            std::abort();
        }
    }
    ~Server()
    {
        kill(pid_, SIGTERM);
        Wait(pid_);
        std::system(("rm -rf '" + root_ + "' '" + work_ + "'").c_str());
    }

    int pid_ = -1;
    int port_ = 0;
    std::string root_;
    std::string work_;
};

std::string Url(const char* remote)
{
    return "ftp://Corvane:" + std::string(kCode) + "@127.0.0.1:" + std::to_string(Server::instance().port()) + "/" +
           remote;
}

void RunJob(CTransferThread& job, benchmark::State& state)
{
    Server& s = Server::instance();
    job.server = "127.0.0.1";
    job.port = static_cast<std::uint16_t>(s.port());
    job.userName = "Corvane";
    job.password = kCode;
    if (!job.Start()) {
        state.SkipWithError("no thread");
        return;
    }
    job.finishedEvent.wait();
    if (job.errorFlag)
        state.SkipWithError(job.resultText.c_str());
}

void BM_JobDownload(benchmark::State& state)
{
    for (auto _ : state) {
        CDownloadThread job;
        job.remotePath = "CONFIG/EQUATION.CFG";
        job.localPath = Server::instance().work() + "/down.tmp";
        job.expectedSize = 65535;
        RunJob(job, state);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}

void BM_JobUpload(benchmark::State& state)
{
    for (auto _ : state) {
        CUploadThread job;
        job.remotePath = "CONFIG/UP.CFG";
        job.localPath = Server::instance().work() + "/EQUATION.CFG";
        RunJob(job, state);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}

void BM_CurlProgramDownload(benchmark::State& state)
{
    const std::string out = Server::instance().work() + "/curl.tmp";
    for (auto _ : state)
        if (Wait(Spawn({"curl", "-s", "--ftp-port", "-", "-o", out, Url("CONFIG/EQUATION.CFG")})) != 0)
            state.SkipWithError("curl failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}

void BM_CurlProgramUpload(benchmark::State& state)
{
    const std::string in = Server::instance().work() + "/EQUATION.CFG";
    for (auto _ : state)
        if (Wait(Spawn({"curl", "-s", "--ftp-port", "-", "-T", in, Url("CONFIG/CURLUP.CFG")})) != 0)
            state.SkipWithError("curl failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

// One libcurl easy transfer with a fresh connection, as the curl program does it.
void BM_LibcurlDownload(benchmark::State& state)
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const std::string url = Url("CONFIG/EQUATION.CFG");
    for (auto _ : state) {
        CURL* easy = curl_easy_init();
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_FTPPORT, "-");
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Discard);
        if (curl_easy_perform(easy) != CURLE_OK)
            state.SkipWithError("libcurl failed");
        curl_easy_cleanup(easy);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}

BENCHMARK(BM_JobDownload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlProgramDownload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibcurlDownload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JobUpload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlProgramUpload)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace corvane
