#pragma once
// The terminal emulator's core: the input line, the line interpreter with its
// keywords, the controller exchange, the transcript, report capture and the
// macro engine. The window (or the command line) is a thin host around it.

#include "terminal/macro.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace corvane {

class CCorvaneDoc;
class Interaction;
class Progress;

// What the session asks of the window around it.
class TerminalHost {
public:
    virtual ~TerminalHost() = default;
    // The frame's message area.
    virtual void statusMessage(const std::string& text) = 0;
    // Runs `work` later, from the event loop: one macro line per posted call.
    virtual void post(std::function<void()> work) = 0;
    // The shared macro progress window (a title, one text line, Cancel).
    virtual std::unique_ptr<Progress> createProgress(const std::string& title) = 0;
    // "EXIT": the window is asked to close.
    virtual void closeWindow() = 0;
    // Opens a file with the desktop's default handler.
    virtual void openFile(const std::string& path) = 0;
    // Runs a command through /bin/sh -c and waits for it.
    virtual void runShell(const std::string& command);
    virtual void beep() {}
    // The transcript changed (text appended, trimmed or cleared).
    virtual void outputChanged() {}
    // Shown while an exchange waits.
    virtual void setWaitCursor(bool) {}
};

// Transcript size: when appending makes it longer than the high mark, the
// oldest characters go so that the low mark remains.
inline constexpr std::size_t kTranscriptKeep = 20000;
inline constexpr std::size_t kTranscriptHighMark = 20256;

inline constexpr const char* kNotConfiguredMessage =
    "Communications Not Yet configured.\n                       Close Terminal Emulator and select "
    "'Options|Options for this Document...'";

class TerminalSession {
public:
    TerminalSession(CCorvaneDoc& doc, Interaction& interaction, TerminalHost& host);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    // The input box changed to `text`. Returns the text the box must show
    // (upper-cased while short, or cut at a CR that did not execute); a line
    // completed by CR is executed.
    struct InputResult {
        std::string text;        // what the input box shows now
        bool replaced = false;   // the box must show `text` with the caret at its end
        bool executed = false;   // a line was executed
    };
    InputResult inputChanged(const std::string& text);
    // A command menu item: its prefix goes into the input line, then the input is handled.
    InputResult menuItem(int id);

    // Runs one line: a keyword of the interpreter or a controller command;
    // then steps a running macro.
    void ExecuteLine(const std::string& line);
    // One exchange of `commandLine` with the controller; true when accepted.
    bool ExchangeCommand();

    enum class LineFormat { Controller, Keyword };
    void AppendOutput(LineFormat format);

    const std::string& outputText() const { return outputText_; }
    const std::string& commandLine() const { return commandLine_; }
    const std::string& responseText() const { return responseText_; }
    int terminalAddress() const { return terminalAddress_; }
    CMacro* runningMacro() const { return runningMacro_; }
    // The two-letter command the window's help topic follows; empty for none.
    const std::string& helpCommand() const { return helpCommand_; }

    // Where "REPORT.TXT" is written (the current directory by default).
    std::string reportDirectory = ".";

    // Cancels every running macro, as the progress window's Cancel does.
    void cancelMacros();

    // How the macros started by the last top-level PLAY ended: one of them
    // failed (not found, unreadable, a GOTO to a missing label), or Cancel.
    bool macroFailed() const { return macroFailed_; }
    bool macroCancelled() const { return macroCancelled_; }

    // Process-wide: the nesting depth of macros started from macros.
    static int macroDepth();
    // Closes the terminal log (when a terminal window closes).
    static void closeTerminalLog();

private:
    void Play(const std::string& line);
    void Delay(const std::string& line);
    void WaitFor(const std::string& line);
    void LogKeyword(const std::string& line);
    void CaptureReport();
    void AfterLine();
    void EndRunningMacro();
    MacroDirectiveHost directiveHost();
    bool ensureProgress(const std::string& title);

    CCorvaneDoc& doc_;
    Interaction& interaction_;
    TerminalHost& host_;
    std::string inputLine_;
    std::string commandLine_;
    std::string responseText_;
    std::string outputText_;
    std::string helpCommand_;
    int terminalAddress_ = 1;
    CMacro* runningMacro_ = nullptr;
    bool quietExchange_ = false; // no message boxes for failed exchanges
    bool closing_ = false;
    bool macroFailed_ = false;
    bool macroCancelled_ = false;
    std::shared_ptr<bool> alive_;
};

} // namespace corvane
