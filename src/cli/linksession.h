#pragma once
// One controller command's working set: the settings, the stderr interaction,
// the link, the progress and the loaded data file with its link options.

#include "args.h"
#include "commands.h"
#include "linkoptions.h"

#include "common/settings.h"
#include "configdoc/corvanedoc.h"
#include "device/connection.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace corvane::cli {

// Everything one controller command works with. The document (and its port)
// is destroyed first, while the link it points to still exists.
struct Session {
    explicit Session(ErrorPolicy policy) : ui(policy), link(settings, ui), progress(ui) {}

    Settings settings;
    LinkInteraction ui;
    ControllerLink link;
    QuietProgress progress;
    std::unique_ptr<CCorvaneDoc> doc = std::make_unique<CCorvaneDoc>();
    StoredLink stored;
    NoShell shell;
};

// Parses the arguments, loads the data file (positional `fileIndex`) and
// applies the link options. Returns the exit code when the command is to stop
// here (after --help or a bad argument).
std::optional<int> Open(const Command& command, std::span<const std::string> args,
                        std::initializer_list<OptionDef> extra, std::size_t positionals, std::size_t fileIndex,
                        bool forRewrite, ParsedArgs& parsed, std::unique_ptr<Session>& session);

// Why the controller could not be reached, as one line.
std::string NoContactLine(const Session& s);

// The first contact, as after loading the file; false (and the line printed)
// when the controller does not answer.
bool Reach(Session& s, bool skipAccessTest);

} // namespace corvane::cli
