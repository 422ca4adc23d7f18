#pragma once
// What the controller commands share: the link options, the stderr
// interaction that answers questions from --on-error, and a quiet progress.

#include "args.h"

#include "common/interaction.h"
#include "common/progress.h"
#include "common/shell.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {
class CCorvaneDoc;
class ControllerLink;
} // namespace corvane

namespace corvane::cli {

enum class ErrorPolicy { Abort, Retry, Ignore };

// A failing code is retried at most this many times in a row, then aborted.
inline constexpr int kRetryLimit = 3;

struct LinkOptions {
    std::optional<std::uint32_t> tcpAddress; // --tcp, first octet most significant
    std::optional<std::uint16_t> tcpPort;    // the :PORT of --tcp
    std::optional<int> com;
    std::optional<std::string> device;
    std::optional<std::string> line;
    std::optional<int> framing; // 0 terminal, 1 minicomputer
    std::optional<int> address;
    std::optional<int> timeoutMs;
    ErrorPolicy onError = ErrorPolicy::Abort;
};

// The option definitions of the link options, followed by `extra`.
std::vector<OptionDef> LinkOptionDefs(std::initializer_list<OptionDef> extra = {});

// The --help paragraph describing the link options.
extern const char* const kLinkOptionsHelp;

// Reads the link options out of parsed arguments; the error line when one is bad.
std::optional<std::string> ParseLinkOptions(const ParsedArgs& args, LinkOptions& out);

// "A.B.C.D[:PORT]"; false when the text is not one.
bool ParseTcpTarget(std::string_view text, std::uint32_t& address, std::optional<std::uint16_t>& port);

// The document's stored link settings, put back before a save so that the
// overrides of one run never end up in the file.
struct StoredLink {
    std::int32_t commPort = 1;
    std::uint32_t controllerAddress = 1;
    void restore(CCorvaneDoc& doc) const;
};

// Applies the options to the document and the link. Serial options for a
// document that names TCP/IP (and no --com or --device) are an error.
std::optional<std::string> ApplyLinkOptions(const LinkOptions& options, CCorvaneDoc& doc, ControllerLink& link,
                                            StoredLink& stored);

// Every message text goes to stderr as it is; abort/retry/ignore questions are
// answered from the policy, other questions with their silent defaults.
class LinkInteraction : public SilentInteraction {
public:
    explicit LinkInteraction(ErrorPolicy policy) : policy_(policy) {}

    void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    Answer ask(const std::string& text, const std::string& caption, Buttons buttons, MessageIcon icon) override;

    // The work moved on: the retry count starts again.
    void progressMade() { retriesInARow_ = 0; }
    int messagesShown() const { return messagesShown_; }

private:
    ErrorPolicy policy_;
    int retriesInARow_ = 0;
    int messagesShown_ = 0;
};

// Prints only the closing text ("Transfer Complete!") and remembers it came.
class QuietProgress : public NullProgress {
public:
    explicit QuietProgress(LinkInteraction& interaction) : interaction_(interaction) {}

    void stepIt() override { interaction_.progressMade(); }
    void finish(const std::string& text) override;
    bool finished() const { return finished_; }

private:
    LinkInteraction& interaction_;
    bool finished_ = false;
};

// Opens nothing: a command-line run starts no other program.
class NoShell : public Shell {
public:
    std::optional<std::string> applicationFor(const std::string&) override { return std::nullopt; }
    bool open(const std::string&) override { return false; }
};

// Writes a text to stderr unchanged, ending it with a line break.
void PrintMessage(std::string_view text);

} // namespace corvane::cli
