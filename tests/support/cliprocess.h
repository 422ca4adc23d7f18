#pragma once
// Runs the real corvane-cli as a separate process and keeps what it printed.

#include <QString>

#include <string>
#include <vector>

namespace corvane::testing {

struct CliRun {
    int exit = -1; // -1 when it did not end normally
    std::string out;
    std::string err;
};

struct CliOptions {
    QString workingDirectory;
    // A settings store of the test's own (XDG_CONFIG_HOME), so that the user's settings play no part.
    QString configHome;
    std::string input;         // written to stdin, which is then closed
    int interruptAfterMs = -1; // SIGINT after this long, when not ended by then
    int timeoutMs = 60000;
};

CliRun RunCli(const std::vector<std::string>& args, const CliOptions& options);

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);
inline bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

} // namespace corvane::testing
