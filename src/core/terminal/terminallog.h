#pragma once
// The terminal log: at most one open text file, shared by every terminal
// window of the process, that receives the transcript while logging is on.

#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

namespace corvane {

class TerminalLog {
public:
    TerminalLog() = default;
    ~TerminalLog() { close(); }
    TerminalLog(const TerminalLog&) = delete;
    TerminalLog& operator=(const TerminalLog&) = delete;

    // Creates the file (replacing an old one), turns logging on and writes
    // "Log started ..." with the local time; false when it cannot be created.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }
    // Writes the bytes as they are (no newline translation).
    void write(std::string_view bytes);

    // The one log of the process.
    static TerminalLog& shared();

private:
    std::FILE* file_ = nullptr;
    std::string path_;
};

// "Log started %s\r\n" with the time as "%A, %B %d, %Y %H:%M:%S" in English.
std::string LogStartedLine(std::time_t when);

} // namespace corvane
