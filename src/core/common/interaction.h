#pragma once
// What the core asks of the person using the program. Each front end (desktop,
// command line, tests) implements it; the core never knows which one it talks to.

#include <optional>
#include <string>

namespace corvane {

enum class MessageIcon { None, Information, Warning, Error, Question };

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

enum class Answer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

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
