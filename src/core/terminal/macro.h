#pragma once
// A macro file: its lines, the line to run next, and the directives a macro
// carries out itself (GOTO, LOG, SHELL, IF, LET, ENDIF).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

enum MacroState : int { MacroNotLoaded = 0, MacroLoaded = 1, MacroRunning = 2, MacroEnded = 4 };

enum MacroError : int {
    MacroNoError = 0,
    MacroOutOfMemory = 1,
    MacroArgumentOutOfRange = 2,
    MacroBusy = 3,
    MacroRecording = 4,
    MacroFileNotFound = 5,
    MacroCannotCreateFile = 6,
    MacroLabelNotDefined = 7,
    MacroEndOfFile = 8,
};

// "No error" ... "End of file"; "LAST ERROR" past the end.
std::string_view MacroErrorText(int code);

// What the directives need from the terminal around the macro.
struct MacroDirectiveHost {
    // The LOG directive: toggles the terminal log; false when it could not be opened.
    std::function<bool(const std::string& name)> toggleLog;
    // The SHELL directive: writes the line to the terminal log when logging is on.
    std::function<void(const std::string& line)> logLine;
    // Runs a command with the system command interpreter and waits for it.
    std::function<void(const std::string& command)> runShell;
};

class CMacro {
public:
    explicit CMacro(CMacro* parent = nullptr) : parentMacro(parent) {}

    // Reads the file: the name as given; when it does not exist and has no
    // dot, the name with ".MAC". Sets errorCode 5 when neither exists; a file
    // that exists but cannot be read keeps its system error in readError().
    bool Load(const std::string& name);
    // Running from the first line; a macro never loaded gets code 5, an ended one 8.
    void Start();

    // The next line for the terminal; "" with the macro ended at the end of the file.
    std::string NextLine(const MacroDirectiveHost& host);
    // 1 the line was consumed, -1 an empty line is to run instead, 0 the line goes to the terminal.
    int Directive(const std::string& line, const MacroDirectiveHost& host);
    std::string ErrorText() const;

    std::vector<std::string> lines;
    CMacro* parentMacro = nullptr;
    int macroState = MacroNotLoaded;
    int errorCode = MacroNoError;
    std::size_t lineIndex = 0;
    std::string fileName; // the file that was read
    const std::string& readError() const { return readError_; }

private:
    int Goto(const std::string& line);
    std::string readError_;
};

} // namespace corvane
