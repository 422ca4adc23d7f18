#include "terminalcommands.h"

#include "clidoc.h"
#include "linksession.h"

#include "terminal/queuedhost.h"
#include "terminal/terminalsession.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace corvane::cli {
namespace {

const Command& TerminalCommandNamed(std::string_view name);

// Ctrl+C presses the progress window's Cancel; at the prompt it ends the terminal.
QueuedTerminalHost* gHost = nullptr;
volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int)
{
    gInterrupted = 1;
    if (gHost)
        gHost->cancel = true;
}

void CatchInterrupt()
{
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0; // no restart: a prompt waiting for input ends
    sigaction(SIGINT, &sa, nullptr);
}

// Prints each transcript line as it is appended.
class PrintingHost : public QueuedTerminalHost {
public:
    TerminalSession* session = nullptr;

    void outputChanged() override
    {
        if (!session)
            return;
        const std::string& text = session->outputText();
        if (text.size() < 2)
            return; // cleared
        const std::size_t previous = text.rfind("\r\n", text.size() - 3);
        std::string line = text.substr(previous == std::string::npos ? 0 : previous + 2);
        line.resize(line.size() - 2);
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
};

// Status texts worth a line on stderr: everything but the plain "Ready".
void PrintStatus(const std::string& text)
{
    if (text != "Ready")
        PrintMessage(text);
}

struct Terminal {
    std::unique_ptr<Session> session;
    PrintingHost host;
    std::unique_ptr<TerminalSession> terminal;
};

std::optional<int> Start(const Command& command, std::span<const std::string> args, std::size_t positionals,
                         ParsedArgs& parsed, Terminal& t)
{
    if (auto exit = Open(command, args, {}, positionals, 0, false, parsed, t.session))
        return exit;
    t.session->link.OpenConnection(*t.session->doc);
    t.host.onStatus = PrintStatus;
    t.terminal = std::make_unique<TerminalSession>(*t.session->doc, t.session->ui, t.host);
    t.host.session = t.terminal.get();
    gHost = &t.host;
    CatchInterrupt();
    return std::nullopt;
}

// Feeds a typed line to the interpreter key by key, as the input box does.
void TypeLine(TerminalSession& terminal, const std::string& line)
{
    std::string box;
    for (char c : line) {
        box += c;
        const auto r = terminal.inputChanged(box);
        if (r.replaced)
            box = r.text;
    }
    terminal.inputChanged(box + "\r\n");
}

int RunTerminal(std::span<const std::string> args)
{
    ParsedArgs a;
    Terminal t;
    if (auto exit = Start(TerminalCommandNamed("terminal"), args, 1, a, t))
        return *exit;
    const bool interactive = isatty(STDIN_FILENO);
    for (;;) {
        if (interactive) {
            std::fputs("> ", stdout);
            std::fflush(stdout);
        }
        std::string line;
        gInterrupted = 0;
        if (!std::getline(std::cin, line))
            break;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        t.host.cancel = false;
        TypeLine(*t.terminal, line);
        t.host.runUntilIdle();
        if (t.host.closed)
            break;
    }
    gHost = nullptr;
    TerminalSession::closeTerminalLog();
    return kExitOk;
}

int RunMacro(std::span<const std::string> args)
{
    ParsedArgs a;
    Terminal t;
    if (auto exit = Start(TerminalCommandNamed("macro"), args, 2, a, t))
        return *exit;
    t.terminal->ExecuteLine("PLAY " + a.positional[1]);
    t.host.runUntilIdle();
    gHost = nullptr;
    TerminalSession::closeTerminalLog();
    if (t.terminal->macroCancelled())
        return kExitFailure;
    return t.terminal->macroFailed() ? kExitFailure : kExitOk;
}

constexpr Command kTerminalCommands[] = {
    {"terminal", "terminal FILE.mlb [LINK OPTIONS]", "an interactive terminal on the controller",
     "Reads lines from stdin and runs each as the terminal window does: controller\n"
     "commands (\"PV SY 111\"; the first seven characters are upper-cased as typed) and\n"
     "the keywords PLAY, CLS, ECHO, PROMPT, ADDRESS, DELAY, WAITFOR, LOG and EXIT.\n"
     "Each transcript line is printed on stdout as it is added; messages and status\n"
     "texts go to stderr. Ctrl+C cancels a running macro or wait; at the prompt it\n"
     "ends the terminal, as EXIT and the end of input do.\n",
     RunTerminal},
    {"macro", "macro FILE.mlb MACRO.MAC [LINK OPTIONS]", "run a terminal macro to its end",
     "Runs a macro file through the terminal's interpreter, headless, and prints the\n"
     "transcript on stdout as it grows. Exits 0 when the macro ran to its end and 1 on\n"
     "a macro error (a macro file not found or unreadable, a GOTO to a missing label)\n"
     "or when Ctrl+C cancelled it.\n",
     RunMacro},
};

const Command& TerminalCommandNamed(std::string_view name)
{
    for (const Command& c : kTerminalCommands)
        if (c.name == name)
            return c;
    return kTerminalCommands[0];
}

} // namespace

std::span<const Command> TerminalCommands() { return kTerminalCommands; }

} // namespace corvane::cli
