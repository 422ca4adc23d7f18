// Read All of every program code from a local pellion-sim (no added latency),
// through the core and through a bare socket client that sends the same frames
// and waits for the same replies. Target: the core within 1.5 times the bare client.

#include "comm/tcpport.h"
#include "comm/terminalprotocol.h"
#include "common/interaction.h"
#include "common/progress.h"
#include "common/settings.h"
#include "configdoc/corvanedoc.h"
#include "device/connection.h"
#include "device/readdump.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace corvane {
namespace {

// One simulator for the whole run, stopped at exit.
class Simulator {
public:
    static Simulator& instance()
    {
        static Simulator sim;
        return sim;
    }
    std::uint16_t port() const { return port_; }

    ~Simulator()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

private:
    Simulator()
    {
        int out[2];
        if (pipe(out) != 0)
            std::abort();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string program = CORVANE_SIM;
        std::string tcp = "--tcp";
        std::string zero = "0";
        char* argv[] = {program.data(), tcp.data(), zero.data(), nullptr};
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv, environ) != 0)
            std::abort();
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string line;
        char c = 0;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(out[0]);
        const std::string prefix = "listening tcp 127.0.0.1:";
        if (line.rfind(prefix, 0) != 0) {
            std::fprintf(stderr, "pellion-sim did not start: %s\n", line.c_str());
            std::abort();
        }
        port_ = static_cast<std::uint16_t>(std::atoi(line.c_str() + prefix.size()));
    }

    pid_t pid_ = -1;
    std::uint16_t port_ = 0;
};

constexpr std::uint32_t kLoopback = 0x7F000001;

// A terminal link that remembers every command it sends.
class RecordingProtocol : public TerminalProtocol {
public:
    explicit RecordingProtocol(std::uint16_t port)
        : TerminalProtocol(std::make_unique<TCPPort>("127.0.0.1", port), 0)
    {
    }
    bool Send(std::string_view command) override
    {
        commands.emplace_back(command);
        return TerminalProtocol::Send(command);
    }
    std::vector<std::string> commands;
};

// A document on the simulator, contacted once.
struct CoreLink {
    Settings settings{"/dev/null"};
    SilentInteraction silent;
    ControllerLink link{settings, silent};
    CCorvaneDoc doc;
    NullProgress progress;

    explicit CoreLink(std::uint16_t port)
    {
        link.overrides.tcpPort = port;
        doc.commPort = 0;
        doc.controllerAddress = kLoopback;
        doc.setConnectionHooks(&link);
        if (link.Contact(doc, false) < ReadAccess) {
            std::fprintf(stderr, "no contact with pellion-sim\n");
            std::abort();
        }
    }
};

// The frames the core sends during one ReadAll, captured from its own link.
const std::vector<std::string>& ReadAllFrames()
{
    static const std::vector<std::string> frames = [] {
        CoreLink core(Simulator::instance().port());
        auto recording = std::make_unique<RecordingProtocol>(Simulator::instance().port());
        RecordingProtocol* recorder = recording.get();
        core.doc.protocol = std::move(recording);
        ReadAll(core.doc, core.link, core.progress);
        std::vector<std::string> out;
        for (const std::string& command : recorder->commands)
            out.push_back(recorder->Frame(command));
        return out;
    }();
    return frames;
}

void BM_ReadAllThroughTheCore(benchmark::State& state)
{
    CoreLink core(Simulator::instance().port());
    const auto exchanges = static_cast<double>(ReadAllFrames().size());
    for (auto _ : state) {
        ReadAll(core.doc, core.link, core.progress);
        benchmark::DoNotOptimize(core.doc.valueCount());
    }
    state.counters["exchanges"] = exchanges;
}
BENCHMARK(BM_ReadAllThroughTheCore)->Unit(benchmark::kMillisecond)->UseRealTime();

// A blocking socket that writes each frame and reads up to the reply's line feed.
void BM_ReadAllBareSocket(benchmark::State& state)
{
    const auto& frames = ReadAllFrames();
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(Simulator::instance().port());
    address.sin_addr.s_addr = htonl(kLoopback);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        state.SkipWithError("connect failed");
        return;
    }
    char buffer[4096];
    std::size_t replies = 0;
    for (auto _ : state) {
        for (const std::string& frame : frames) {
            if (::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(frame.size())) {
                state.SkipWithError("send failed");
                break;
            }
            // The simulator answers one frame per command; the line feed ends it.
            for (bool done = false; !done;) {
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    state.SkipWithError("recv failed");
                    ::close(fd);
                    return;
                }
                done = buffer[n - 1] == '\n';
            }
            ++replies;
        }
    }
    ::close(fd);
    const auto exchanges = static_cast<double>(frames.size());
    state.counters["exchanges"] = exchanges;
    benchmark::DoNotOptimize(replies);
}
BENCHMARK(BM_ReadAllBareSocket)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace corvane
