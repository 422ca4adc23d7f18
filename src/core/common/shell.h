#pragma once
// The desktop shell: which application opens a file, and opening a file or
// address with its default handler.

#include <optional>
#include <string>

namespace corvane {

class Shell {
public:
    virtual ~Shell() = default;
    // The desktop entry or program registered for the file's type; none when there is none.
    virtual std::optional<std::string> applicationFor(const std::string& file) = 0;
    // Opens a file or address with its default handler; false when it could not be started.
    virtual bool open(const std::string& fileOrAddress) = 0;
};

// The shell of a freedesktop.org desktop: xdg-mime and xdg-open.
class DesktopShell : public Shell {
public:
    std::optional<std::string> applicationFor(const std::string& file) override;
    bool open(const std::string& fileOrAddress) override;
};

// Whether a registered application is a spreadsheet program (by its desktop
// entry's categories or its name).
bool IsSpreadsheetApplication(const std::string& application);

} // namespace corvane
