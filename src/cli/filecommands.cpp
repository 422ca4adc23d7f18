#include "filecommands.h"

#include "args.h"
#include "clidoc.h"
#include "linkoptions.h"
#include "linksession.h"

#include "common/cformat.h"
#include "device/connection.h"
#include "transfer/controllerfile.h"
#include "transfer/firmwareupgrade.h"
#include "transfer/internetsession.h"
#include "transfer/transfersettings.h"
#include "transfer/updatecheck.h"

#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <termios.h>
#include <unistd.h>

namespace corvane::cli {
namespace {

const Command& FileCommandNamed(std::string_view name);

int Fail(const std::string& message)
{
    PrintError(message);
    return kExitFailure;
}

const char* const kAccessCodeHelp =
    "The access code (the FTP password of the user \"Corvane\") is read from the terminal\n"
    "without echo, or from the first line of the file given with --access-code-file.\n"
    "  --ftp-port N          the controller's FTP port (default: the settings' FtpPort, 21)\n"
    "  --access-code-file F  read the access code from F\n";

// The access code: the first line of --access-code-file, or typed at the terminal unseen.
std::optional<std::string> ReadAccessCode(const ParsedArgs& a, std::string& error)
{
    if (auto file = a.value("access-code-file")) {
        std::ifstream in(*file, std::ios::binary);
        std::string line;
        if (!in || !std::getline(in, line)) {
            error = "cannot read the access code from " + *file;
            return std::nullopt;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }
    const int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) {
        error = "no terminal to read the access code from; give --access-code-file FILE";
        return std::nullopt;
    }
    static constexpr char kPrompt[] = "Access code: ";
    [[maybe_unused]] ssize_t n = write(tty, kPrompt, sizeof kPrompt - 1);
    termios saved{};
    const bool isTerminal = tcgetattr(tty, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    std::string code;
    char c;
    while (read(tty, &c, 1) == 1 && c != '\n')
        if (c != '\r')
            code += c;
    if (isTerminal)
        tcsetattr(tty, TCSAFLUSH, &saved);
    close(tty);
    return code;
}

std::optional<std::uint16_t> FtpPortOption(const ParsedArgs& a, const Settings& store, std::string& error)
{
    auto text = a.value("ftp-port");
    if (!text)
        return ControllerFtpPort(store);
    char* end = nullptr;
    const long port = std::strtol(text->c_str(), &end, 10);
    if (text->empty() || *end || port < 1 || port > 65535) {
        error = "--ftp-port needs a port number 1-65535";
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

std::optional<int> PositiveOption(const ParsedArgs& a, const char* name, int fallback, std::string& error)
{
    auto text = a.value(name);
    if (!text)
        return fallback;
    char* end = nullptr;
    const long v = std::strtol(text->c_str(), &end, 10);
    if (text->empty() || *end || v < 0 || v > 3600) {
        error = std::string("--") + name + " needs a number 0-3600";
        return std::nullopt;
    }
    return static_cast<int>(v);
}

// Ctrl+C: the waiting thread sets the running job's cancel event.
volatile std::sig_atomic_t gInterrupted = 0;
extern "C" void OnTransferInterrupt(int) { gInterrupted = 1; }

// Prints the status words on stderr and keeps the result.
class PrintingOwner : public TransferOwner {
public:
    void transferStatus(CTransferThread&, const std::string& word) override
    {
        if (word == "Retrying")
            PrintError("Retrying the connection");
    }
    void transferDone(CTransferThread&, int, int) override { done = true; }
    bool done = false;
};

// Prints the job's connection lines (attempts and retries).
class PrintingDialog : public TransferDialog {
public:
    void setCaption(const std::string&) override {}
    void setLine(int line, const std::string& text) override
    {
        if (line == 0 && (text.starts_with("Failed to connect") || text.starts_with("Connecting to")))
            PrintError(text);
    }
    void setRange(int, int) override {}
    void setPosition(int) override {}
};

// Runs a job to its end on this thread; the result text and error flag are then final.
void RunJob(CTransferThread& job)
{
    PrintingOwner owner;
    job.owner = &owner;
    job.dialogFactory = [](CTransferThread&) { return std::make_unique<PrintingDialog>(); };
    struct sigaction sa {}, old {};
    sa.sa_handler = OnTransferInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &old);
    gInterrupted = 0;
    if (job.Start()) {
        while (!job.finishedEvent.waitFor(std::chrono::milliseconds(100)))
            if (gInterrupted)
                job.cancelEvent.set();
        job.DeliverNotifications();
    } else {
        job.resultText = "Unable to create thread for transfer";
        job.errorFlag = 1;
    }
    sigaction(SIGINT, &old, nullptr);
}

// ---- file get / put

int RunFile(std::span<const std::string> args)
{
    const Command& command = FileCommandNamed("file");
    const bool get = !args.empty() && args[0] == "get";
    const bool put = !args.empty() && args[0] == "put";
    if (!get && !put) {
        if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
            std::fputs(("Usage: corvane-cli " + std::string(command.synopsis) + "\n\n" + std::string(command.help) +
                        kAccessCodeHelp + kLinkOptionsHelp)
                           .c_str(),
                       stdout);
            return kExitOk;
        }
        return Fail("corvane-cli file: give get or put. Usage: corvane-cli " + std::string(command.synopsis));
    }
    ParsedArgs a;
    std::unique_ptr<Session> s;
    if (auto exit = Open(command, args.subspan(1),
                         {{"ftp-port", true}, {"access-code-file", true}, {"attempts", true}, {"retry-delay", true}}, 3,
                         0, false, a, s))
        return *exit;
    const std::string name = a.positional[get ? 1 : 2];
    const std::string localFile = a.positional[get ? 2 : 1];
    if (name.empty() || name.find('/') != std::string::npos)
        return Fail("corvane-cli file: NAME is a file name of the controller's CONFIG folder, such as EQUATION.CFG");
    if (s->doc->commPort != 0)
        return Fail("Either an Ethernet or a SLIP connection is required for this function");
    std::string error;
    const auto port = FtpPortOption(a, s->settings, error);
    const auto attempts = PositiveOption(a, "attempts", 3, error);
    const auto delay = PositiveOption(a, "retry-delay", 3, error);
    if (!port || !attempts || !delay)
        return Fail(error);
    if (put && access(localFile.c_str(), R_OK) != 0)
        return Fail("Unable to open file " + localFile);
    const auto code = ReadAccessCode(a, error);
    if (!code)
        return Fail(error);
    const ControllerFileTarget target{DottedAddress(s->doc->controllerAddress), *port, *code};

    std::unique_ptr<CTransferThread> job;
    // A download goes to a file beside LOCAL that replaces it only when complete.
    const std::string partial = localFile + ".part";
    if (get)
        job = MakeReadJob(target, name, partial);
    else
        job = MakeDumpJob(target, name, localFile, 0);
    job->attempts = std::max(1, *attempts);
    job->retryDelay = *delay;
    RunJob(*job);
    const bool cancelled = job->errorFlag == 0 && job->resultText.ends_with("cancelled.");
    if (get && (job->errorFlag || cancelled))
        std::remove(partial.c_str());
    if (get && !job->errorFlag && !cancelled && std::rename(partial.c_str(), localFile.c_str()) != 0) {
        std::remove(partial.c_str());
        return Fail("Unable to create file " + localFile);
    }
    if (job->errorFlag)
        return Fail(job->resultText);
    PrintError(job->resultText);
    return cancelled ? kExitFailure : kExitOk;
}

// ---- upgrade

// Questions of the wizard: OK only with --yes; the access code as read.
class UpgradeInteraction : public Interaction {
public:
    UpgradeInteraction(LinkInteraction& base, bool yes, const ParsedArgs& args) : base_(base), yes_(yes), args_(args) {}
    void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override
    {
        base_.showMessage(text, caption, icon);
    }
    Answer ask(const std::string& text, const std::string& caption, Buttons buttons, MessageIcon icon) override
    {
        if (buttons != Buttons::OkCancel)
            return base_.ask(text, caption, buttons, icon);
        PrintMessage(text);
        if (!yes_)
            PrintMessage("corvane-cli: not confirmed; give --yes to go on.");
        return yes_ ? Answer::Ok : Answer::Cancel;
    }
    std::optional<std::string> askFileName(const std::string&, const std::string&, bool) override { return std::nullopt; }
    std::optional<std::string> askAccessCode() override
    {
        std::string error;
        auto code = ReadAccessCode(args_, error);
        if (!code)
            PrintError(error);
        return code;
    }

private:
    LinkInteraction& base_;
    bool yes_;
    const ParsedArgs& args_;
};

int RunUpgrade(std::span<const std::string> args)
{
    ParsedArgs a;
    std::unique_ptr<Session> s;
    const std::size_t positionals = args.size() >= 2 && !args[1].starts_with("--") ? 2 : 1;
    if (auto exit = Open(FileCommandNamed("upgrade"), args,
                         {{"ftp-port", true}, {"access-code-file", true}, {"yes", false}, {"reboot-wait", true}},
                         positionals, 0, false, a, s))
        return *exit;
    if (!CanUpgradeFirmware(*s->doc))
        return Fail("corvane-cli upgrade: the firmware is upgraded over TCP/IP only; give --tcp A.B.C.D");
    std::string error;
    const auto port = FtpPortOption(a, s->settings, error);
    const auto wait = PositiveOption(a, "reboot-wait", 3, error);
    if (!port || !wait)
        return Fail(error);
    auto internet = InternetSession::Create();
    if (!internet)
        return Fail(kNetworkInitError);
    internet->applySettings(s->settings);
    UpgradeInteraction ui(s->ui, a.has("yes"), a);
    // The wizard's messages go through the link's interaction as well.
    ControllerLink link(s->settings, ui);
    link.overrides = s->link.overrides;
    link.tcpReceiveTimeoutMs = s->link.tcpReceiveTimeoutMs;
    s->doc->setConnectionHooks(&link);
    FirmwareUpgrade wizard{link, *s->doc, ui, s->progress, *internet};
    if (a.positional.size() > 1)
        wizard.imagePath = a.positional[1];
    wizard.ftpPort = *port;
    wizard.rebootWaitSeconds = *wait;
    const UpgradeEnd end = wizard.run();
    s->doc->setConnectionHooks(&s->link);
    return end == UpgradeEnd::Completed ? kExitOk : kExitFailure;
}

// ---- check-update

// Shows the installer's address instead of opening it.
class PrintingShell : public Shell {
public:
    std::optional<std::string> applicationFor(const std::string&) override { return std::nullopt; }
    bool open(const std::string& address) override
    {
        std::printf("%s\n", address.c_str());
        return true;
    }
};

int RunCheckUpdate(std::span<const std::string> args)
{
    const Command& command = FileCommandNamed("check-update");
    const OptionDef definitions[] = {{"server", true}, {"yes", false}};
    ParsedArgs a = ParseArgs(args, definitions);
    if (a.help) {
        std::fputs(("Usage: corvane-cli " + std::string(command.synopsis) + "\n\n" + std::string(command.help)).c_str(),
                   stdout);
        return kExitOk;
    }
    if (!a.error.empty() || !a.positional.empty())
        return Fail("corvane-cli check-update: " + (a.error.empty() ? std::string("too many arguments") : a.error) +
                    ". Usage: corvane-cli " + std::string(command.synopsis));
    // --server applies to this run only: the check reads a private copy of the settings.
    Settings user;
    QTemporaryDir scratch;
    Settings store(scratch.filePath("check-update.ini").toStdString());
    SetStringValue(store, settings::UpdateServerHost, StringValue(user, settings::UpdateServerHost));
    SetStringValue(store, settings::UpdateServerPassword, StringValue(user, settings::UpdateServerPassword));
    store.setValue(settings::UpdateServerPort, user.value(settings::UpdateServerPort));
    store.setValue(settings::InternetConnectTimeout, user.value(settings::InternetConnectTimeout));
    store.setValue(settings::InternetReceiveTimeout, user.value(settings::InternetReceiveTimeout));
    if (auto server = a.value("server")) {
        std::string host = *server;
        if (const auto colon = host.rfind(':'); colon != std::string::npos) {
            const int port = std::atoi(host.c_str() + colon + 1);
            if (port < 1 || port > 65535)
                return Fail("--server needs HOST or HOST:PORT");
            store.setValue(settings::UpdateServerPort, port);
            host.resize(colon);
        }
        SetStringValue(store, settings::UpdateServerHost, host);
    }
    auto internet = InternetSession::Create();
    if (!internet)
        return Fail(kNetworkInitError);
    internet->applySettings(store);
    LinkInteraction base(ErrorPolicy::Abort);
    UpgradeInteraction ui(base, a.has("yes"), a);
    QuietProgress progress(base);
    PrintingShell shell;
    UpdateCheck check{*internet, ui, progress, shell, store, ".", {}};
    return check.run() == UpdateCheckEnd::NoInformation ? kExitFailure : kExitOk;
}

const Command kFileCommands[] = {
    {"file", "file get FILE.mlb NAME LOCAL | file put FILE.mlb LOCAL NAME",
     "move a file of the controller's CONFIG folder by FTP",
     "get copies the controller file CONFIG/NAME into LOCAL (replaced only when the whole\n"
     "file arrived); put sends LOCAL to CONFIG/NAME. The controller is the TCP/IP address\n"
     "FILE.mlb stores (or --tcp). The connection is tried --attempts times (default 3),\n"
     "--retry-delay seconds apart (default 3); a refused access code is not retried.\n"
     "Ctrl+C cancels between blocks. Exits 0 when the file went through.\n",
     RunFile},
    {"upgrade", "upgrade FILE.mlb [IMAGE]", "replace the controller's firmware",
     "Sends the firmware image IMAGE (default ULOAD.BIN of the current directory) and its\n"
     "description APPINFO.DAT (written to the current directory) to the controller that\n"
     "FILE.mlb names, after switching it into its RAM executive with UF. The upgrade\n"
     "erases all of the controller's non-volatile memory: it runs only with --yes, which\n"
     "also answers the other OK/Cancel questions with OK.\n"
     "  --yes                 confirm the upgrade\n"
     "  --reboot-wait S       seconds to wait after UF (default 3)\n",
     RunUpgrade},
    {"check-update", "check-update [--server HOST[:PORT]]", "ask the update server for a newer release",
     "Fetches Corvane/REV.TXT by anonymous FTP from the update server (the settings'\n"
     "UpdateServer, or --server) into REV.TXT of the current directory and compares it\n"
     "with this revision. A newer release prints the installer's address. Exits 0 when\n"
     "the release information arrived, 1 otherwise.\n",
     RunCheckUpdate},
};

const Command& FileCommandNamed(std::string_view name)
{
    for (const Command& c : kFileCommands)
        if (c.name == name)
            return c;
    return kFileCommands[0];
}

} // namespace

std::span<const Command> FileCommands() { return kFileCommands; }

} // namespace corvane::cli
