#include "terminal/macro.h"

#include "terminal/keywords.h"
#include "terminal/pathcase.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <strings.h>
#include <sys/stat.h>

namespace corvane {

namespace {

constexpr std::array<std::string_view, 10> kErrorTexts = {
    "No error",      "Out of memory",         "Command argument out of range",
    "Cannot perform operation while macro running", "Cannot perform operation while recording",
    "File not found", "Unable to create file", "Label not defined", "End of file", "LAST ERROR"};

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}


} // namespace

std::string_view MacroErrorText(int code)
{
    if (code < 0 || code >= static_cast<int>(kErrorTexts.size()))
        return kErrorTexts.back();
    return kErrorTexts[static_cast<std::size_t>(code)];
}

bool CMacro::Load(const std::string& name)
{
    std::string path = ResolvePathIgnoringCase(name);
    if (!Exists(path)) {
        if (name.find('.') != std::string::npos) {
            errorCode = MacroFileNotFound;
            return false;
        }
        path = ResolvePathIgnoringCase(name + ".MAC");
        if (!Exists(path)) {
            errorCode = MacroFileNotFound;
            return false;
        }
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        readError_ = std::strerror(errno);
        return false;
    }
    lines.clear();
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    if (in.bad()) {
        readError_ = std::strerror(errno ? errno : EIO);
        lines.clear();
        return false;
    }
    fileName = path;
    macroState = MacroLoaded;
    return true;
}

void CMacro::Start()
{
    if (macroState == MacroNotLoaded) {
        if (errorCode == MacroNoError && readError_.empty())
            errorCode = MacroFileNotFound;
        return;
    }
    if (macroState == MacroEnded) {
        errorCode = MacroEndOfFile;
        return;
    }
    lineIndex = 0;
    macroState = MacroRunning;
}

std::string CMacro::ErrorText() const
{
    return std::string(MacroErrorText(errorCode));
}

std::string CMacro::NextLine(const MacroDirectiveHost& host)
{
    for (;;) {
        if (lineIndex >= lines.size()) {
            errorCode = MacroEndOfFile;
            macroState = MacroEnded;
            return {};
        }
        std::string line = lines[lineIndex++];
        const int directive = Directive(line, host);
        if (directive == 1)
            continue;
        if (directive == -1)
            return {};
        return line;
    }
}

int CMacro::Goto(const std::string& line)
{
    const std::string label = (line.size() > 5 ? line.substr(5) : std::string()) + ":";
    // A label on the last line is never a target: nothing would follow it.
    auto search = [&](std::size_t from, std::size_t to) -> bool {
        for (std::size_t i = from; i < to; ++i) {
            if (lines[i] == label && i + 1 < lines.size()) {
                lineIndex = i + 1;
                return true;
            }
        }
        return false;
    };
    const std::size_t here = lineIndex;
    if (search(here, lines.size()) || search(0, here))
        return 1;
    errorCode = MacroLabelNotDefined;
    macroState = MacroEnded;
    return -1;
}

int CMacro::Directive(const std::string& line, const MacroDirectiveHost& host)
{
    if (StartsWithKeyword(line, "GOTO"))
        return Goto(line);
    if (StartsWithKeyword(line, "LOG")) {
        const bool ok = host.toggleLog ? host.toggleLog(TrimBlanks(std::string_view(line).substr(3))) : false;
        return ok ? 1 : -1;
    }
    if (StartsWithKeyword(line, "SHELL")) {
        if (host.logLine)
            host.logLine(line + "\r\n");
        if (host.runShell)
            host.runShell(line.size() > 6 ? line.substr(6) : std::string());
        return 1;
    }
    if (StartsWithKeyword(line, "IF") || StartsWithKeyword(line, "LET") || StartsWithKeyword(line, "ENDIF"))
        return 1;
    return 0;
}

} // namespace corvane
