#pragma once
// The program's command line: what to open or print at start, and which
// settings store to use.
//
//   corvane [--settings FILE.ini] [FILE]
//   corvane [--settings FILE.ini] --print FILE
//   corvane [--settings FILE.ini] --print-to FILE PRINTER
//   corvane [--settings FILE.ini] --new-tcp ADDRESS [--save-as FILE]

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

struct CommandLine {
    enum class Action {
        New,     // a new configuration document
        Open,    // open `file`
        Print,   // print `file` directly
        PrintTo, // print `file` directly on `printer`
        NewTcp,  // a new configuration document on TCP/IP at `tcpAddress`
        Help,    // print the usage and stop
    };

    Action action = Action::New;
    std::string file;
    std::string printer;
    std::uint32_t tcpAddress = 0;
    // With NewTcp: write the new document to this file and stop, showing no window.
    std::string saveAs;
    // A private settings store (INI file) in place of the user's own; it also
    // makes the running instance a private one.
    std::string settingsFile;

    // Whether the program was started only to print.
    bool printOnly() const { return action == Action::Print || action == Action::PrintTo; }
};

struct CommandLineResult {
    CommandLine commandLine;
    std::string error; // empty when the arguments were understood
    bool ok() const { return error.empty(); }
};

// Parses the arguments after the program name.
CommandLineResult ParseCommandLine(const std::vector<std::string>& arguments);

// The text --help prints.
std::string CommandLineUsage();

// What a second start hands to the running instance: one request in one line.
struct InstanceRequest {
    enum class Kind { Open, Print, PrintTo };
    Kind kind = Kind::Open;
    std::string file; // absolute path; empty: a new configuration document
    std::string printer;

    bool operator==(const InstanceRequest&) const = default;
};

// The request a command line stands for; none for actions that are not handed over.
std::optional<InstanceRequest> RequestFor(const CommandLine& commandLine, const std::string& workingDirectory);

// "open\t<file>\n", "print\t<file>\n" or "printto\t<file>\t<printer>\n";
// backslash, tab and line ends in the fields are escaped.
std::string EncodeInstanceRequest(const InstanceRequest& request);
std::optional<InstanceRequest> DecodeInstanceRequest(const std::string& line);

// The local-socket name the running instance listens on: one per user, and one
// per private settings store.
std::string InstanceServerName(const std::string& settingsFile);

} // namespace corvane
