#include "linksession.h"

#include "clidoc.h"

#include "comm/portstatus.h"
#include "comm/tcpport.h"
#include "common/cformat.h"

#include <cstdio>

namespace corvane::cli {

namespace {

void PrintOut(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

int Fail(const std::string& message)
{
    PrintError(message);
    return kExitFailure;
}

} // namespace


// Parses the arguments, loads the data file and applies the link options.
// Returns the exit code when the command is to stop here.
std::optional<int> Open(const Command& command, std::span<const std::string> args,
                        std::initializer_list<OptionDef> extra, std::size_t positionals, std::size_t fileIndex,
                        bool forRewrite, ParsedArgs& parsed, std::unique_ptr<Session>& session)
{
    const std::string_view name = command.name;
    const auto definitions = LinkOptionDefs(extra);
    parsed = ParseArgs(args, definitions);
    if (parsed.help) {
        PrintOut("Usage: corvane-cli " + std::string(command.synopsis) + "\n\n" + std::string(command.help) +
                 kLinkOptionsHelp);
        return kExitOk;
    }
    std::string problem = parsed.error;
    if (problem.empty() && parsed.positional.size() < positionals)
        problem = "missing arguments";
    if (problem.empty() && parsed.positional.size() > positionals)
        problem = "too many arguments";
    if (!problem.empty())
        return Fail("corvane-cli " + std::string(name) + ": " + problem + ". Usage: corvane-cli " +
                    std::string(command.synopsis));
    LinkOptions options;
    if (auto error = ParseLinkOptions(parsed, options))
        return Fail(*error);
    session = std::make_unique<Session>(options.onError);
    const std::string& path = parsed.positional[fileIndex];
    if (auto error = forRewrite ? LoadFileForRewrite(path, *session->doc) : LoadFile(path, *session->doc))
        return Fail(*error);
    if (auto error = ApplyLinkOptions(options, *session->doc, session->link, session->stored))
        return Fail(*error);
    session->doc->setConnectionHooks(&session->link);
    return std::nullopt;
}

// Why the controller could not be reached, as one line.
std::string NoContactLine(const Session& s)
{
    const CCorvaneDoc& doc = *s.doc;
    if (!doc.protocol)
        return CFormat("COM%d has a stored framing that is neither terminal nor minicomputer; give --terminal or "
                       "--mini.",
                       doc.commPort);
    if (!doc.protocol->IsOpen()) {
        if (const auto* tcp = dynamic_cast<const TCPPort*>(doc.protocol->port()))
            return CFormat("%s (%s:%d: %s)", PortStatusText(StatusCannotOpen).c_str(), tcp->host().c_str(),
                           tcp->portNumber, tcp->connectError().c_str());
        return PortStatusText(StatusCannotOpen) + " (" +
               s.link.overrides.devicePath.value_or(s.settings.devicePath(doc.commPort)) + ")";
    }
    return "Pellion.net not responding (" + doc.protocol->LinkText() + ")";
}

// The first contact, as after loading the file; false (and the line printed)
// when the controller does not answer.
bool Reach(Session& s, bool skipAccessTest)
{
    if (s.link.Contact(*s.doc, skipAccessTest) >= ReadAccess)
        return true;
    PrintError(NoContactLine(s));
    return false;
}


} // namespace corvane::cli
