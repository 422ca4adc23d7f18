#pragma once
// What the core asks of the person using the program. Each front end (desktop,
// command line, tests) implements it; the core never knows which one it talks to.

#include <optional>
#include <string>

namespace corvane {

enum class MessageIcon { None, Information, Warning, Error, Question };

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

enum class Answer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

// A file dialog's question.
struct FileDialogRequest {
    std::string title;
    std::string filter;           // "Text files (*.txt)|*.txt|All files (*.*)|*.*||"
    std::string defaultName;
    std::string defaultExtension; // ".txt"
    bool save = false;            // a save dialog asks before overwriting
};

class Interaction {
public:
    virtual ~Interaction() = default;

    // A plain message box with an OK button.
    virtual void showMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;

    // A question; returns the button chosen.
    virtual Answer ask(const std::string& text, const std::string& caption, Buttons buttons,
                       MessageIcon icon) = 0;

    // A file name to open (save == false) or to save; none when cancelled.
    virtual std::optional<std::string> askFileName(const std::string& title,
                                                   const std::string& filter, bool save) = 0;

    // The full form of the file question; by default the short one above.
    virtual std::optional<std::string> askFile(const FileDialogRequest& request)
    {
        return askFileName(request.title, request.filter, request.save);
    }

    // The controller access code; none when cancelled.
    virtual std::optional<std::string> askAccessCode() = 0;
};

// Answers every question with its first sensible default and shows nothing.
// Used where no person is present and no better policy was given.
class SilentInteraction : public Interaction {
public:
    void showMessage(const std::string&, const std::string&, MessageIcon) override {}
    Answer ask(const std::string&, const std::string&, Buttons buttons, MessageIcon) override;
    std::optional<std::string> askFileName(const std::string&, const std::string&, bool) override
    {
        return std::nullopt;
    }
    std::optional<std::string> askAccessCode() override { return std::nullopt; }
};

} // namespace corvane
