// pellion-sim: a controller at firmware revision 0.03 on a TCP port, a pseudo
// terminal or a serial device.

#include "common/interaction.h"
#include "configdoc/datafile.h"
#include "simcontroller.h"
#include "simftp.h"
#include "simresponder.h"
#include "simtransport.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <charconv>
#include <optional>
#include <string>
#include <string_view>

using namespace corvane;
using namespace corvane::sim;

namespace {

constexpr const char* kUsage = R"(usage: pellion-sim [options]
A Pellion.net controller at firmware revision 0.03, for tests and demonstrations.

Line (one of; default --tcp 7734):
  --tcp PORT            listen on 127.0.0.1:PORT, terminal framing; 0 picks a free port
  --pty                 open a pseudo terminal and serve its master side
  --device PATH         serve a serial device
  --framing terminal|mini
                        framing on a pty or device (default terminal)
  --line SETTINGS       speed,parity,data bits,stop bits (default 38400,N,8,1)
  --address N           controller address 0-99 (default 1); other addresses get no reply

Controller:
  --file FILE.mlb       values loaded from FILE when it exists, saved at every LO and at exit
  --crc HEX             firmware CRC answered to GP (default DF69BBA8)
  --events N            latest event number (default 5)
  --audits N            latest audit number (default 5)
  --transactions N      latest transaction number (default 3)
  --batches N           batches per transaction, 0-9 (default 2)
  --no-user-data        TU answers NO37
  --status LIST         successive EQ replies, comma-separated, six flag characters
                        each (0x40 plus the flag bits, e.g. @@@@@@,A@@@@@); the last
                        one repeats (default @@@@@@). RS names the flags set.
  --report TEXT         the report sent after an accepted PT ("\f" and "\n" stand
                        for a form feed and CR LF; default a short transaction report)
  --refuse-program      every PC and XC answers NO95
  --reject RULE         answer NO14; RULE is MN:CODE or MN:* (PV and PC of codes,
                        e.g. SY:111, P2:301), CMD:* (every request, e.g. XV:*) or
                        CMD:N (requests whose first argument is N, e.g. ER:2); repeatable

FTP side:
  --ftp-root DIR        serve DIR (created, with CONFIG/) by FTP on 127.0.0.1 to the
                        user "Corvane"; a second line "listening ftp 127.0.0.1:PORT"
  --ftp-port PORT       FTP control port (default 0: a free one)
  --access-code CODE    the password of "Corvane" (default 0000)
  --ftpd-script PATH    the FTP server script (default scripts/sim-ftpd.py of the sources)
  --ram-executive       start in the RAM executive, as after "UF": no replies until
                        APPINFO.DAT and ULOAD.BIN arrived whole and agree in length and
                        CRC; then GP answers the new image's CRC

Faults:
  --delay-ms N          wait N ms before every reply
  --silent-every N      no reply to requests N, 2N, 3N...
  --silent-after N      answer the first N requests, then nothing
  --noise               junk bytes before every reply frame
  --bad-lrc             minicomputer replies carry a wrong LRC
  --flood CMD           answer command CMD with 5000 bytes and no frame end
  --exit-with-parent    end when the process that started the simulator ends
  --log PATH            append every request text addressed to this controller, one a line

At start one line goes to stdout: "listening tcp 127.0.0.1:PORT", "listening pty PATH"
or "listening device PATH", followed by "listening ftp 127.0.0.1:PORT" with --ftp-root. SIGTERM or SIGINT ends the simulator (exit 0).
Bad options exit 2, line failures exit 1.
)";

enum class LineKind { Tcp, Pty, Device };

struct Options {
    LineKind line = LineKind::Tcp;
    bool exitWithParent = false;
    int tcpPort = 7734;
    std::string device;
    Framing framing = Framing::Terminal;
    bool framingGiven = false;
    LineSettings settings;
    int address = 1;
    std::string file;
    std::string logPath;
    SimConfig config;
    Misbehaviour faults;
    FtpOptions ftp;
    bool ramExecutive = false;
};

std::optional<unsigned long long> ParseNumber(std::string_view text, unsigned long long max, int base = 10)
{
    if (base == 16 && (text.starts_with("0x") || text.starts_with("0X")))
        text.remove_prefix(2);
    unsigned long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > max)
        return std::nullopt;
    return value;
}

// Fills `options`; an error text when the command line is bad.
std::optional<std::string> ParseOptions(int argc, char** argv, Options& o, bool& help)
{
    int lines = 0;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::optional<std::string> inlineValue;
        if (auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        std::string value;
        auto takeValue = [&]() -> bool {
            if (inlineValue) {
                value = *inlineValue;
                return true;
            }
            if (i + 1 >= argc)
                return false;
            value = argv[++i];
            return true;
        };
        auto number = [&](unsigned long long max) -> std::optional<unsigned long long> {
            if (!takeValue())
                return std::nullopt;
            return ParseNumber(value, max);
        };
        auto bad = [&](const char* what) { return name + ": " + what; };

        if (name == "--help" || name == "-h") {
            help = true;
            return std::nullopt;
        }
        const bool flag = name == "--pty" || name == "--no-user-data" || name == "--refuse-program" ||
                          name == "--noise" || name == "--bad-lrc" || name == "--ram-executive" ||
                          name == "--exit-with-parent";
        if (flag && inlineValue)
            return bad("takes no value");
        if (name == "--tcp") {
            auto n = number(65535);
            if (!n)
                return bad("needs a port number 0-65535");
            o.line = LineKind::Tcp;
            o.tcpPort = static_cast<int>(*n);
            ++lines;
        } else if (name == "--pty") {
            o.line = LineKind::Pty;
            ++lines;
        } else if (name == "--device") {
            if (!takeValue() || value.empty())
                return bad("needs a device path");
            o.line = LineKind::Device;
            o.device = value;
            ++lines;
        } else if (name == "--framing") {
            if (!takeValue() || (value != "terminal" && value != "mini"))
                return bad("needs terminal or mini");
            o.framing = value == "mini" ? Framing::Mini : Framing::Terminal;
            o.framingGiven = true;
        } else if (name == "--line") {
            std::optional<LineSettings> s;
            if (takeValue())
                s = ParseLineSettings(value);
            if (!s)
                return bad("needs speed,parity,bits,stop bits such as 38400,N,8,1");
            o.settings = *s;
        } else if (name == "--address") {
            auto n = number(99);
            if (!n)
                return bad("needs an address 0-99");
            o.address = static_cast<int>(*n);
        } else if (name == "--file") {
            if (!takeValue() || value.empty())
                return bad("needs a file name");
            o.file = value;
        } else if (name == "--log") {
            if (!takeValue() || value.empty())
                return bad("needs a file name");
            o.logPath = value;
        } else if (name == "--crc") {
            std::optional<unsigned long long> n;
            if (takeValue())
                n = ParseNumber(value, 0xFFFFFFFFull, 16);
            if (!n)
                return bad("needs up to 8 hexadecimal digits");
            o.config.firmwareCrc = static_cast<std::uint32_t>(*n);
        } else if (name == "--events" || name == "--audits" || name == "--transactions") {
            auto n = number(0xFFFFFFFFull);
            if (!n)
                return bad("needs a number");
            (name == "--events" ? o.config.events : name == "--audits" ? o.config.audits : o.config.transactions) =
                static_cast<unsigned>(*n);
        } else if (name == "--status") {
            if (!takeValue())
                return bad("needs a list of replies");
            o.config.statusReplies.clear();
            const std::string list = value;
            for (std::size_t start = 0;;) {
                const std::size_t comma = list.find(',', start);
                o.config.statusReplies.push_back(list.substr(start, comma - start));
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
        } else if (name == "--report") {
            if (!takeValue())
                return bad("needs the report text");
            std::string text;
            for (std::size_t k = 0; k < value.size(); ++k) {
                if (value[k] == '\\' && k + 1 < value.size() && (value[k + 1] == 'f' || value[k + 1] == 'n'))
                    text += value[++k] == 'f' ? std::string("\f") : std::string("\r\n");
                else
                    text += value[k];
            }
            o.config.report = text;
        } else if (name == "--batches") {
            auto n = number(kMaxBatches);
            if (!n)
                return bad("needs a number 0-9");
            o.config.batches = static_cast<unsigned>(*n);
        } else if (name == "--no-user-data") {
            o.config.userData = false;
        } else if (name == "--exit-with-parent") {
            o.exitWithParent = true;
        } else if (name == "--refuse-program") {
            o.config.refuseProgram = true;
        } else if (name == "--reject") {
            std::optional<RejectRule> rule;
            if (takeValue())
                rule = ParseRejectRule(value);
            if (!rule)
                return bad("needs MN:CODE, MN:*, CMD:* or CMD:N");
            o.config.rejects.push_back(*rule);
        } else if (name == "--delay-ms") {
            auto n = number(600000);
            if (!n)
                return bad("needs milliseconds");
            o.faults.delayMs = static_cast<int>(*n);
        } else if (name == "--silent-every") {
            auto n = number(0xFFFFFFFFull);
            if (!n || *n == 0)
                return bad("needs a number above 0");
            o.faults.silentEvery = static_cast<unsigned>(*n);
        } else if (name == "--silent-after") {
            auto n = number(0xFFFFFFFFull);
            if (!n)
                return bad("needs a number");
            o.faults.silentAfter = static_cast<unsigned>(*n);
        } else if (name == "--ftp-root") {
            if (!takeValue() || value.empty())
                return bad("needs a folder");
            o.ftp.root = value;
        } else if (name == "--ftp-port") {
            auto n = number(65535);
            if (!n)
                return bad("needs a port number 0-65535");
            o.ftp.port = static_cast<int>(*n);
        } else if (name == "--access-code") {
            if (!takeValue() || value.empty())
                return bad("needs the access code");
            o.ftp.accessCode = value;
        } else if (name == "--ftpd-script") {
            if (!takeValue() || value.empty())
                return bad("needs a file name");
            o.ftp.script = value;
        } else if (name == "--ram-executive") {
            o.ramExecutive = true;
        } else if (name == "--noise") {
            o.faults.noise = true;
        } else if (name == "--bad-lrc") {
            o.faults.badLrc = true;
        } else if (name == "--flood") {
            if (!takeValue() || value.size() != 2)
                return bad("needs a two-letter command code");
            o.faults.floodCommand = value;
        } else {
            return name + ": unknown option (see --help)";
        }
    }
    if (lines > 1)
        return std::string("--tcp, --pty and --device exclude each other");
    if (o.line == LineKind::Tcp && o.framing == Framing::Mini)
        return std::string("--framing mini needs --pty or --device (TCP uses terminal framing)");
    return std::nullopt;
}

int gStopPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(gStopPipe[1], &byte, 1);
}

bool SaveValues(SimController& controller, const std::string& path)
{
    FileResult result = SaveDataFile(controller.doc(), path);
    if (!result.ok())
        std::fprintf(stderr, "pellion-sim: %s %s %s\n", result.message.c_str(), path.c_str(), result.detail.c_str());
    return result.ok();
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    bool help = false;
    if (auto error = ParseOptions(argc, argv, o, help)) {
        std::fprintf(stderr, "pellion-sim: %s\n", error->c_str());
        return 2;
    }
    if (help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    SimController controller(o.config);
    if (!o.file.empty()) {
        struct stat st {};
        if (stat(o.file.c_str(), &st) == 0) {
            SilentInteraction silent;
            FileResult result = LoadDataFile(controller.doc(), o.file, silent);
            if (!result.ok()) {
                std::fprintf(stderr, "pellion-sim: %s %s\n", result.message.c_str(), o.file.c_str());
                return 1;
            }
        }
        controller.onLogOff = [&] { SaveValues(controller, o.file); };
    }

    int logFd = -1;
    if (!o.logPath.empty()) {
        logFd = open(o.logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (logFd < 0) {
            std::fprintf(stderr, "pellion-sim: %s: %s\n", o.logPath.c_str(), std::strerror(errno));
            return 1;
        }
    }

    SimResponder responder(controller, o.framing, o.address, o.faults);
    if (logFd >= 0) {
        responder.onRequest = [logFd](std::string_view command) {
            std::string line(command);
            line += '\n';
            [[maybe_unused]] ssize_t n = write(logFd, line.data(), line.size());
        };
    }

    if (pipe2(gStopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("pellion-sim: pipe");
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // A test that crashes must not leave its simulator behind.
    if (o.exitWithParent) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() == 1)
            return 0;
    }

    std::string error;
    int listenFd = -1;
    int lineFd = -1;
    std::optional<PtyPair> pty;
    switch (o.line) {
    case LineKind::Tcp: {
        int port = 0;
        listenFd = ListenTcp(o.tcpPort, &port, &error);
        if (listenFd < 0)
            break;
        std::printf("listening tcp 127.0.0.1:%d\n", port);
        break;
    }
    case LineKind::Pty:
        pty = OpenPty(o.settings, &error);
        if (!pty)
            break;
        lineFd = pty->master;
        std::printf("listening pty %s\n", pty->path.c_str());
        break;
    case LineKind::Device:
        lineFd = OpenSerialDevice(o.device, o.settings, &error);
        if (lineFd < 0)
            break;
        std::printf("listening device %s\n", o.device.c_str());
        break;
    }
    if (listenFd < 0 && lineFd < 0) {
        std::fprintf(stderr, "pellion-sim: %s\n", error.c_str());
        return 1;
    }
    SimFtpServer ftp;
    if (!o.ftp.root.empty()) {
        if (!ftp.start(o.ftp, &error)) {
            std::fprintf(stderr, "pellion-sim: %s\n", error.c_str());
            return 1;
        }
        std::printf("listening ftp 127.0.0.1:%d\n", ftp.port());
        controller.onUpgradeStart = [&ftp] { ftp.clearReceived(); };
        controller.newImage = [&ftp] { return ftp.newImage(); };
    }
    if (o.ramExecutive)
        controller.answer("UF");
    std::fflush(stdout);

    const int rc = Serve(responder, listenFd, lineFd, gStopPipe[0], &error);
    if (rc != 0)
        std::fprintf(stderr, "pellion-sim: %s\n", error.c_str());
    if (!o.file.empty() && !SaveValues(controller, o.file))
        return 1;
    return rc;
}
