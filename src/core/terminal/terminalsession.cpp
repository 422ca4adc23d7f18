#include "terminal/terminalsession.h"

#include "comm/comprotocol.h"
#include "comm/portstatus.h"
#include "comm/replycodes.h"
#include "common/cformat.h"
#include "common/interaction.h"
#include "common/progress.h"
#include "configdoc/corvanedoc.h"
#include "terminal/commandmenu.h"
#include "terminal/keywords.h"
#include "terminal/terminallog.h"
#include "terminal/waitflags.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace corvane {

namespace {

// Shared by every terminal window of the process.
struct SharedTerminalState {
    int macroDepth = 0;
    std::unique_ptr<Progress> progress;
};

SharedTerminalState& Shared()
{
    static SharedTerminalState state;
    return state;
}

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

void TerminalHost::runShell(const std::string& command)
{
    std::string sh = "/bin/sh", dashC = "-c", cmd = command;
    char* argv[] = {sh.data(), dashC.data(), cmd.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ) != 0)
        return;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

TerminalSession::TerminalSession(CCorvaneDoc& doc, Interaction& interaction, TerminalHost& host)
    : doc_(doc), interaction_(interaction), host_(host), alive_(std::make_shared<bool>(true))
{
    terminalAddress_ = static_cast<int>(doc_.controllerAddress & 0xFF);
}

TerminalSession::~TerminalSession()
{
    *alive_ = false;
    while (runningMacro_)
        EndRunningMacro();
    closeTerminalLog();
}

int TerminalSession::macroDepth()
{
    return Shared().macroDepth;
}

void TerminalSession::closeTerminalLog()
{
    TerminalLog::shared().close();
}

// ---- input line

TerminalSession::InputResult TerminalSession::inputChanged(const std::string& text)
{
    InputResult result{text, false, false};
    if (text == commandLine_)
        return result; // the program's own change
    const auto cr = text.find('\r');
    if (cr == std::string::npos) {
        if (text.size() < 8) {
            result.text = Upper(text);
            result.replaced = result.text != text;
        }
        const CommandMenuItem* help = HelpCommandFor(result.text);
        helpCommand_ = help ? help->prefix.substr(0, 2) : std::string();
        inputLine_ = result.text;
        host_.statusMessage("Ready");
        return result;
    }
    std::string line = text.substr(0, cr);
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    if (line.size() < 2) {
        result.text = line;
        result.replaced = true;
        inputLine_ = line;
        host_.statusMessage("Ready");
        return result;
    }
    terminalAddress_ = static_cast<int>(doc_.controllerAddress & 0xFF);
    result.text.clear();
    result.replaced = true;
    result.executed = true;
    inputLine_.clear();
    host_.statusMessage("Ready");
    ExecuteLine(line);
    return result;
}

TerminalSession::InputResult TerminalSession::menuItem(int id)
{
    const CommandMenuItem* item = FindCommandMenuItem(id);
    if (!item)
        return {inputLine_, false, false};
    InputResult result = inputChanged(item->prefix);
    if (!result.executed) {
        result.text = item->prefix;
        result.replaced = true;
        inputLine_ = item->prefix;
    }
    return result;
}

// ---- the transcript

void TerminalSession::AppendOutput(LineFormat format)
{
    const int indent = 2 * Shared().macroDepth;
    std::string line;
    if (format == LineFormat::Controller)
        line = CFormat("%*.*s%.2d%-*.*s %s\r\n", indent, indent, " ", terminalAddress_, 40 - indent, 40 - indent,
                       commandLine_.c_str(), responseText_.c_str());
    else
        line = CFormat("%*.*s%-*s %s\r\n", indent, indent, " ", 42 - indent, commandLine_.c_str(),
                       responseText_.c_str());
    outputText_ += line;
    if (outputText_.size() > kTranscriptHighMark)
        outputText_.erase(0, outputText_.size() - kTranscriptKeep);
    TerminalLog& log = TerminalLog::shared();
    if (log.isOpen())
        log.write(line);
    host_.outputChanged();
}

// ---- the line interpreter

void TerminalSession::ExecuteLine(const std::string& line)
{
    commandLine_ = line;
    responseText_.clear();
    if (StartsWithKeyword(line, "PLAY")) {
        Play(line);
    } else if (IsKeyword(line, "CLS")) {
        outputText_.clear();
        host_.outputChanged();
    } else if (StartsWithKeyword(line, "ECHO")) {
        commandLine_ = TrimBlanks(std::string_view(line).substr(4));
        AppendOutput(LineFormat::Keyword);
    } else if (StartsWithKeyword(line, "PROMPT")) {
        commandLine_ = TrimBlanks(std::string_view(line).substr(6));
        AppendOutput(LineFormat::Keyword);
        interaction_.showMessage(commandLine_, "Terminal Emulator", MessageIcon::Information);
    } else if (StartsWithKeyword(line, "ADDRESS")) {
        terminalAddress_ = std::atoi(line.c_str() + 7);
        responseText_ = CFormat("Switched to address %d ", terminalAddress_);
        AppendOutput(LineFormat::Keyword);
    } else if (StartsWithKeyword(line, "DELAY")) {
        Delay(line);
    } else if (StartsWithKeyword(line, "WAITFOR")) {
        WaitFor(line);
    } else if (StartsWithKeyword(line, "LOG")) {
        LogKeyword(line);
    } else if (IsKeyword(line, "EXIT")) {
        closing_ = true;
        host_.closeWindow();
        return;
    } else {
        ExchangeCommand();
        AppendOutput(LineFormat::Controller);
    }
    AfterLine();
}

bool TerminalSession::ExchangeCommand()
{
    ComProtocol* protocol = doc_.protocol.get();
    if (!protocol) {
        // The transcript shows the message's first line.
        responseText_ = "Communications Not Yet configured.";
        interaction_.showMessage(kNotConfiguredMessage, "Terminal Emulator", MessageIcon::Warning);
        return false;
    }
    host_.setWaitCursor(true);
    protocol->SetAddress(static_cast<std::uint32_t>(terminalAddress_));
    if (!protocol->Send(commandLine_)) {
        host_.setWaitCursor(false);
        responseText_ = protocol->refusal().empty() ? PortStatusText(protocol->LastStatus()) : protocol->refusal();
        if (!quietExchange_)
            interaction_.showMessage(responseText_, "Terminal Emulator", MessageIcon::Warning);
        return false;
    }
    std::string reply;
    const int result = protocol->Receive(reply);
    host_.setWaitCursor(false);
    if (result == StatusOk) {
        responseText_ = reply;
        if (commandLine_.rfind("PT", 0) == 0)
            CaptureReport();
        return true;
    }
    if (result == StatusRejected) {
        const auto* halvard = dynamic_cast<const HalvardProtocol*>(protocol);
        const int code = halvard ? halvard->replyCode : 0;
        responseText_ = CFormat("NO%.2d - %s", code, ReplyCodeText(code).c_str());
        return false;
    }
    responseText_ = PortStatusText(result);
    if (!runningMacro_ && !quietExchange_)
        interaction_.showMessage(responseText_, "Terminal Emulator", MessageIcon::Warning);
    return false;
}

void TerminalSession::CaptureReport()
{
    const std::string path = reportDirectory + "/REPORT.TXT";
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return;
    host_.statusMessage("Capturing report to file REPORT.TXT... ");
    TerminalLog& log = TerminalLog::shared();
    const bool logging = log.isOpen();
    ComStream* port = doc_.protocol ? doc_.protocol->port() : nullptr;
    int trailing = -1; // bytes still to discard after a form feed
    std::uint8_t byte = 0;
    while (port && trailing != 0 && port->Read(&byte, 1, kNoTerminator) == 1) {
        if (trailing > 0) {
            --trailing;
            continue;
        }
        if (byte != '\r') {
            const char c = static_cast<char>(byte);
            if (logging)
                log.write(std::string_view(&c, 1));
            else
                std::fputc(c, file);
        }
        if (byte == 12)
            trailing = 2;
    }
    std::fclose(file);
    host_.statusMessage("Report captured. ");
    if (!logging)
        host_.openFile(path);
}

void TerminalSession::LogKeyword(const std::string& line)
{
    TerminalLog& log = TerminalLog::shared();
    if (log.isOpen()) {
        log.close();
        host_.statusMessage("Ready");
        return;
    }
    const std::string name = TrimBlanks(std::string_view(line).substr(3));
    if (name.empty() || !log.open(name)) {
        interaction_.showMessage("Error: Must specify log file name", "Terminal Emulator", MessageIcon::Warning);
        return;
    }
    host_.statusMessage("Logging... type LOG with no arguments to close log file");
}

// ---- macros

bool TerminalSession::ensureProgress(const std::string& title)
{
    SharedTerminalState& shared = Shared();
    if (!shared.progress)
        shared.progress = host_.createProgress(title);
    return shared.progress != nullptr;
}

MacroDirectiveHost TerminalSession::directiveHost()
{
    MacroDirectiveHost h;
    h.toggleLog = [](const std::string& name) {
        TerminalLog& log = TerminalLog::shared();
        if (log.isOpen()) {
            log.close();
            return true;
        }
        return log.open(name);
    };
    h.logLine = [](const std::string& line) {
        TerminalLog& log = TerminalLog::shared();
        if (log.isOpen())
            log.write(line);
    };
    h.runShell = [this](const std::string& command) { host_.runShell(command); };
    return h;
}

void TerminalSession::Play(const std::string& line)
{
    std::string name = TrimBlanks(std::string_view(line).substr(4));
    if (name.empty()) {
        FileDialogRequest request;
        request.title = "Open";
        request.filter = "Macro Files (.MAC)|*.mac|All Files (*.*)|*.*||";
        request.defaultExtension = ".MAC";
        auto chosen = interaction_.askFile(request);
        if (!chosen || chosen->empty())
            return;
        name = *chosen;
    }
    TerminalLog& log = TerminalLog::shared();
    if (!runningMacro_ && log.isOpen()) {
        const Answer a = interaction_.ask(
            "Logging is enabled. Close logfile before running macro?\n(If the macro contains log commands, select "
            "Yes will allow the macro to function as intended)",
            "Terminal Emulator", Buttons::YesNo, MessageIcon::Question);
        if (a == Answer::Yes)
            log.close();
    }
    AppendOutput(LineFormat::Keyword);
    if (runningMacro_) {
        ++Shared().macroDepth;
    } else {
        macroFailed_ = false;
        macroCancelled_ = false;
    }
    auto* macro = new CMacro(runningMacro_);
    runningMacro_ = macro;
    if (macro->Load(name))
        macro->Start();
    else if (macro->readError().empty())
        macro->Start(); // not loaded: the error code says why
    if (macro->errorCode != MacroNoError || !macro->readError().empty()) {
        const std::string why = macro->readError().empty() ? macro->ErrorText() : macro->readError();
        interaction_.showMessage(CFormat("Error executing %s... %s", name.c_str(), why.c_str()), "Terminal Emulator",
                                 MessageIcon::Warning);
        EndRunningMacro();
    }
    ensureProgress("Executing macro....");
    host_.statusMessage("Running macro...");
}

void TerminalSession::EndRunningMacro()
{
    CMacro* macro = runningMacro_;
    if (!macro)
        return;
    runningMacro_ = macro->parentMacro;
    if ((macro->errorCode != MacroNoError && macro->errorCode != MacroEndOfFile) || !macro->readError().empty())
        macroFailed_ = true;
    delete macro;
    SharedTerminalState& shared = Shared();
    if (shared.macroDepth > 0)
        --shared.macroDepth;
}

void TerminalSession::cancelMacros()
{
    if (runningMacro_)
        macroCancelled_ = true;
    while (runningMacro_)
        EndRunningMacro();
    inputLine_.clear();
    commandLine_.clear();
}

void TerminalSession::Delay(const std::string& line)
{
    const unsigned long seconds = std::strtoul(line.c_str() + 5, nullptr, 10);
    responseText_ = CFormat("Delaying %lu secs", seconds);
    AppendOutput(LineFormat::Keyword);
    if (!ensureProgress("Executing delay...."))
        return;
    Progress& progress = *Shared().progress;
    progress.setText(responseText_);
    const std::time_t end = std::time(nullptr) + static_cast<std::time_t>(seconds);
    while (std::time(nullptr) < end) {
        progress.breathe();
        if (progress.cancelled())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    progress.setText("");
}

void TerminalSession::WaitFor(const std::string& line)
{
    AppendOutput(LineFormat::Keyword);
    std::string argument = line.substr(7);
    bool waitForClear = false;
    if (const auto bang = argument.find('!'); bang != std::string::npos) {
        waitForClear = true;
        argument = argument.substr(bang + 1);
    }
    argument.erase(0, argument.find_first_not_of(' ') == std::string::npos ? argument.size()
                                                                           : argument.find_first_not_of(' '));
    const WaitFlag* flag = FindWaitFlag(argument);
    if (!flag) {
        interaction_.showMessage("Unknown flag specified in WAITFOR command", "Terminal Emulator",
                                 MessageIcon::Warning);
        return;
    }
    commandLine_ = "EQ";
    if (!ensureProgress("Waiting for status change"))
        return;
    Progress& progress = *Shared().progress;
    const std::string message = TrimBlanks(std::string_view(argument).substr(2));
    if (!message.empty()) {
        host_.beep();
        progress.setText(message);
    } else {
        progress.setText(CFormat("Waiting for %s flag %s", std::string(flag->name).c_str(),
                                 waitForClear ? "to Clear" : ""));
    }
    // A failing line must not raise a message box on every poll.
    quietExchange_ = true;
    for (;;) {
        const bool accepted = ExchangeCommand();
        if (accepted && WaitFlagSet(*flag, responseText_) != waitForClear)
            break;
        if (!doc_.protocol)
            break; // nothing to poll
        progress.breathe();
        if (progress.cancelled())
            break;
    }
    quietExchange_ = false;
    progress.setText("");
}

void TerminalSession::AfterLine()
{
    if (closing_)
        return;
    const MacroDirectiveHost directives = directiveHost();
    if (runningMacro_ && runningMacro_->macroState == MacroRunning) {
        inputLine_ = runningMacro_->NextLine(directives);
        while (runningMacro_ && runningMacro_->macroState == MacroEnded) {
            EndRunningMacro();
            if (runningMacro_)
                inputLine_ = runningMacro_->NextLine(directives);
        }
    }
    SharedTerminalState& shared = Shared();
    if (shared.progress) {
        shared.progress->breathe();
        const bool cancelled = shared.progress->cancelled();
        if (cancelled)
            cancelMacros();
        if (!runningMacro_) {
            host_.statusMessage(cancelled ? "Macro aborted by user" : "Macro complete");
            shared.progress->close();
            shared.progress.reset();
            shared.macroDepth = 0;
        }
    }
    if (runningMacro_) {
        const std::string next = inputLine_;
        std::weak_ptr<bool> alive = alive_;
        host_.post([this, alive, next] {
            if (auto a = alive.lock(); a && *a && runningMacro_)
                ExecuteLine(next);
        });
    }
}

} // namespace corvane
