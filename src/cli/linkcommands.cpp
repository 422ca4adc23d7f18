#include "linkcommands.h"

#include "args.h"
#include "clidoc.h"
#include "linkoptions.h"
#include "linksession.h"

#include "comm/portstatus.h"
#include "comm/replycodes.h"
#include "comm/tcpport.h"
#include "common/cformat.h"
#include "common/settings.h"
#include "device/connection.h"
#include "device/logtransfer.h"
#include "device/readdump.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace corvane::cli {
namespace {

const Command& LinkCommandNamed(std::string_view name);

void PrintOut(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

int Fail(const std::string& message)
{
    PrintError(message);
    return kExitFailure;
}

// --dir for read and dump.
std::optional<int> SelectFolder(const ParsedArgs& a, CCorvaneDoc& doc, bool& folder)
{
    folder = false;
    auto text = a.value("dir");
    if (!text)
        return std::nullopt;
    std::string error;
    auto dir = ParseDirectory(*text, error);
    if (!dir)
        return Fail(error);
    doc.setCurrentDirectory(*dir);
    folder = true;
    return std::nullopt;
}

// ---- contact

int RunContact(std::span<const std::string> args)
{
    ParsedArgs a;
    std::unique_ptr<Session> s;
    if (auto exit = Open(LinkCommandNamed("contact"), args, {}, 1, 0, false, a, s))
        return *exit;
    CCorvaneDoc& doc = *s->doc;
    const int state = s->link.Contact(doc, false);
    std::string out = "State:" + std::string(ConnectionStateText(state)) + "\n";
    out += "Link: " + (doc.protocol ? doc.protocol->LinkText() : std::string("Comm Not Enabled")) + "\n";
    out += doc.controllerRevision >= 0 ? CFormat("Revision: %.2f\n", static_cast<double>(doc.controllerRevision))
                                       : std::string("Revision: unknown\n");
    PrintOut(out);
    if (state < ReadAccess)
        return Fail(NoContactLine(*s));
    return kExitOk;
}

// ---- read

int RunRead(std::span<const std::string> args)
{
    ParsedArgs a;
    std::unique_ptr<Session> s;
    if (auto exit = Open(LinkCommandNamed("read"), args, {{"dir", true}}, 1, 0, true, a, s))
        return *exit;
    CCorvaneDoc& doc = *s->doc;
    bool folder = false;
    if (auto exit = SelectFolder(a, doc, folder))
        return *exit;
    const std::string& path = a.positional[0];
    if (!Reach(*s, false))
        return kExitFailure;
    if (folder)
        ReadSelectedFolder(doc, s->link, s->progress);
    else
        ReadAll(doc, s->link, s->progress);
    if (!s->progress.finished())
        return Fail("The read stopped before its end; " + path + " is left unchanged.");
    s->stored.restore(doc);
    if (auto error = SaveFile(doc, path))
        return Fail(*error);
    return kExitOk;
}

// ---- dump

int RunDump(std::span<const std::string> args)
{
    ParsedArgs a;
    std::unique_ptr<Session> s;
    if (auto exit = Open(LinkCommandNamed("dump"), args, {{"dir", true}}, 1, 0, false, a, s))
        return *exit;
    CCorvaneDoc& doc = *s->doc;
    bool folder = false;
    if (auto exit = SelectFolder(a, doc, folder))
        return *exit;
    if (!Reach(*s, false))
        return kExitFailure;
    if (!ControllerLink::CanDump(doc))
        return Fail("Pellion.net answers but grants no program-mode access (" + doc.protocol->LinkText() +
                    "); nothing was written.");
    if (folder)
        DumpSelectedFolder(doc, s->link, s->progress);
    else
        DumpAll(doc, s->link, s->progress);
    if (!s->progress.finished())
        return Fail("The dump stopped before its end; the controller holds part of the values.");
    return kExitOk;
}

// ---- logs

std::optional<LogKind> ParseLogKind(std::string_view text)
{
    if (text == "event")
        return LogKind::Event;
    if (text == "audit")
        return LogKind::Audit;
    if (text == "transaction")
        return LogKind::Transaction;
    return std::nullopt;
}

int RunLogs(std::span<const std::string> args)
{
    std::vector<std::string> spelled(args.begin(), args.end());
    for (std::string& arg : spelled)
        if (arg == "-o")
            arg = "--output";
    ParsedArgs a;
    std::unique_ptr<Session> s;
    if (auto exit = Open(LinkCommandNamed("logs"), spelled, {{"output", true}}, 2, 1, false, a, s))
        return *exit;
    const auto kind = ParseLogKind(a.positional[0]);
    if (!kind)
        return Fail("The log is event, audit or transaction, not \"" + a.positional[0] + "\".");
    CCorvaneDoc& doc = *s->doc;
    const std::string output = a.value("output").value_or(DefaultLogFileName(*kind, doc.title()));
    if (output.empty())
        return Fail("-o needs a file name.");

    // The log is written beside its destination and renamed over it once it is
    // complete, so a transfer that fails leaves no partial file.
    QTemporaryFile temporary(QString::fromStdString(output) + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        return Fail("Cannot create " + output + ": " + temporary.errorString().toStdString());
    temporary.close();
    const std::string temporaryPath = temporary.fileName().toStdString();

    if (!Reach(*s, true))
        return kExitFailure;
    const int messagesBefore = s->ui.messagesShown();
    const LogTransferResult result = LogToFile(*kind, doc, s->link, s->progress, s->shell, temporaryPath);
    if (!result.written || result.cancelled || s->ui.messagesShown() != messagesBefore)
        return Fail("The log transfer failed; " + output + " was not written.");
    QFile::setPermissions(temporary.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                    QFile::ReadOther);
    if (std::rename(temporaryPath.c_str(), output.c_str()) != 0)
        return Fail("Cannot write " + output + ": " + std::strerror(errno));
    temporary.setAutoRemove(false);
    PrintMessage(CFormat("%d log entries written to %s", result.entries, output.c_str()));
    return kExitOk;
}

// ---- send

int RunSend(std::span<const std::string> args)
{
    ParsedArgs a;
    std::unique_ptr<Session> s;
    if (auto exit = Open(LinkCommandNamed("send"), args, {}, 2, 0, false, a, s))
        return *exit;
    CCorvaneDoc& doc = *s->doc;
    s->link.OpenConnection(doc);
    if (!doc.protocol || !doc.protocol->IsOpen())
        return Fail(NoContactLine(*s));
    ComProtocol& protocol = *doc.protocol;
    if (!protocol.Send(a.positional[1]))
        return Fail(protocol.refusal().empty() ? PortStatusText(protocol.LastStatus()) : protocol.refusal());
    std::string reply;
    const int status = protocol.Receive(reply);
    if (status == StatusOk) {
        PrintOut(reply + "\n");
        return kExitOk;
    }
    const auto* halvard = dynamic_cast<const HalvardProtocol*>(&protocol);
    if (status == StatusRejected && halvard) {
        PrintOut(CFormat("NO%.2d - %s\n", halvard->replyCode, ReplyCodeText(halvard->replyCode).c_str()));
        return kExitFailure;
    }
    return Fail(PortStatusText(protocol.LastStatus()));
}

constexpr Command kLinkCommands[] = {
    {"contact", "contact FILE.mlb [LINK OPTIONS]", "contact the controller and show the connection state",
     "Contacts the controller as opening the file does: asks for code SY 111, the\n"
     "firmware revision and program-mode access (by writing back the value it read).\n"
     "Prints three lines: \"State:\" and the state text (\" *ONLINE* \", \" *READ ONLY* \",\n"
     "\" Offline  \" or \" ? Comm \"), \"Link:\" and the link text, and \"Revision:\" and\n"
     "the controller's revision (unknown when not found). Exits 1 when the controller\n"
     "does not answer, with the reason on stderr.\n",
     RunContact},
    {"read", "read FILE.mlb [--dir DIR] [LINK OPTIONS]", "read the values from the controller into the file",
     "Reads every program code's value and security level from the controller (with\n"
     "--dir only those of that directory: Configuration gives 1 to 4, Recipe every\n"
     "recipe) and saves the file. When the link has program-mode access, \"LO\" ends\n"
     "program mode after the save. A read that stops before its end (abort, or the\n"
     "controller not answering) leaves the file unchanged and exits 1. With --on-error\n"
     "ignore a code that cannot be read is stored without a value text.\n",
     RunRead},
    {"dump", "dump FILE.mlb [--dir DIR] [LINK OPTIONS]", "write the file's values to the controller",
     "Writes every code holding a value, and its security level, to the controller\n"
     "(with --dir only those of that directory; read-only codes are left out there),\n"
     "then sends \"LO\". Needs program-mode access. Codes the controller refuses are\n"
     "named on stderr and the dump goes on; an abort exits 1. The file is not changed.\n",
     RunDump},
    {"logs", "logs event|audit|transaction FILE.mlb [-o OUT.txt] [LINK OPTIONS]",
     "copy a controller log into a text file",
     "Copies the event, audit or transaction log, newest entry first, one line per\n"
     "entry, into OUT.txt (default: the file's name up to its last \".\" followed by\n"
     "-EventLog.txt, -AuditLog.txt or -TransLog.txt, in the current directory). The\n"
     "text file appears only when the whole transfer succeeded.\n"
     "  -o, --output OUT.txt  the text file to write\n",
     RunLogs},
    {"send", "send FILE.mlb COMMAND [LINK OPTIONS]", "send one command and print the reply",
     "Sends one command (\"PV SY 111\") and prints the reply text on stdout. A rejection\n"
     "prints \"NOnn - \" and the reply code's text on stdout and exits 1; a failed link\n"
     "prints the port status text (\"Timeout waiting for response\") on stderr and\n"
     "exits 1. No contact runs first.\n",
     RunSend},
};

const Command& LinkCommandNamed(std::string_view name)
{
    for (const Command& c : kLinkCommands)
        if (c.name == name)
            return c;
    return kLinkCommands[0];
}

} // namespace

std::span<const Command> LinkCommands() { return kLinkCommands; }

} // namespace corvane::cli
