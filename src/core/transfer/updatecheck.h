#pragma once
// The check for a newer release of this tool: "Corvane/REV.TXT" fetched by
// anonymous FTP from the maker's update server into the current directory,
// its revision compared with this tool's, and the installer offered.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace corvane {

class InternetSession;
class Interaction;
class Progress;
class Settings;
class Shell;

enum class UpdateCheckEnd {
    NoInformation, // nothing was downloaded
    Latest,        // this tool is the latest release
    Declined,      // a newer release was offered and declined
    Installing,    // the installer was opened and the program is to end
};

// The release revision that the first characters (at most 7) of REV.TXT begin
// with; none when the file is missing or empty.
std::optional<double> ReadReleaseRevision(const std::string& path);

// The installer's address on the update server, written with backslashes.
std::string InstallerAddress(const std::string& host);

struct UpdateCheck {
    InternetSession& internet;
    Interaction& ui;
    Progress& progress;
    Shell& shell;
    const Settings& store; // update server host, port and anonymous password
    std::string folder = "."; // where REV.TXT goes
    // Ends the program at once, without offering to save documents.
    std::function<void()> quit;

    UpdateCheckEnd run();
};

} // namespace corvane
