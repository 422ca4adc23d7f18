#include "device/readdump.h"

#include "comm/portstatus.h"
#include "common/cformat.h"
#include "common/interaction.h"
#include "common/progress.h"
#include "configdoc/corvanedoc.h"
#include "device/connection.h"
#include "dictionary/directories.h"

#include <span>
#include <string>

namespace corvane {
namespace {

constexpr std::size_t kValuePosition = 10;

enum class Scope { Folder, All };

// The codes a command walks and the progress total it shows.
struct CodeRange {
    std::span<DBParam> codes;
    int total = 0;
};

CodeRange RangeOf(CCorvaneDoc& doc, Scope scope)
{
    auto all = doc.chain().all();
    auto from = [&](const DBParam* first, const DBParam* end) {
        const auto begin = static_cast<std::size_t>(first - all.data());
        const auto stop = end ? static_cast<std::size_t>(end - all.data()) : all.size();
        return all.subspan(begin, stop - begin);
    };
    if (scope == Scope::All)
        return {all, doc.programCodeCount()};
    int d = doc.currentDirectory();
    if (d < 0 || d >= kDirectoryCount)
        d = 1;
    if (d == kConfigurationDirectory) {
        int total = 0;
        for (int i = 1; i <= 4; ++i)
            total += static_cast<int>(doc.chain().directory(i).size());
        return {from(doc.chain().head(1), doc.chain().head(5)), total};
    }
    if (d == kRecipeDirectory)
        return {from(doc.chain().head(kFirstRecipe), nullptr),
                static_cast<int>(doc.chain().directory(kFirstRecipe).size()) * 12};
    auto codes = doc.chain().directory(d);
    return {codes, static_cast<int>(codes.size())};
}

// Codes the meter directory of the other stream owns.
bool SkippedByMeterRule(const DBParam& p)
{
    return (p.directory() == kBlendMeterDirectory && p.isWildOnly()) ||
           (p.directory() == kWildMeterDirectory && p.isBlendOnly());
}

std::string Command(const char* verb, const DBParam& p)
{
    return CFormat("%s %s %03d", verb, std::string(p.DirectoryMnemonic()).c_str(), p.CommandCode());
}

// The whole description names a code in messages.
std::string Named(const DBParam& p) { return p.entry().description; }

// Opens the progress window and contacts the controller; false when it does not answer.
bool Start(CCorvaneDoc& doc, ControllerLink& link, Progress& progress, bool reading, int total)
{
    progress.setTitle(reading ? "Reading Pellion.net..." : "Writing to Pellion.net...");
    progress.setText(CFormat(reading ? "Reading data to %s" : "Writing data from %s", doc.title().c_str()));
    if (link.Contact(doc, true) < ReadAccess) {
        link.interaction().showMessage("Pellion.net not responding", "Corvane", MessageIcon::Warning);
        progress.close();
        return false;
    }
    progress.setRange(0, total);
    progress.setStep(1);
    progress.setPosition(0);
    return true;
}

void Advance(Progress& progress)
{
    progress.stepIt();
    progress.breathe();
}

enum class Outcome { Next, Retry, Stop };

// One code of a read. Folder reads take the level of the first instance only.
Outcome ReadCode(CCorvaneDoc& doc, ControllerLink& link, DBParam& p, Scope scope)
{
    Interaction& ui = link.interaction();
    ComProtocol& protocol = *doc.protocol;
    const std::string command = Command("PV", p);
    if (!protocol.Send(command)) {
        protocol.ReportError(ui, CFormat("Error in transmission of %s", Named(p).c_str()), Buttons::OkCancel);
        return Outcome::Stop;
    }
    std::string reply;
    std::string value;
    const int status = protocol.Receive(reply);
    if (status == StatusOk) {
        value = reply.size() > kValuePosition ? reply.substr(kValuePosition) : std::string();
    } else if (status == StatusRejected) {
        const std::string text = CFormat("Unable to read %s", Named(p).c_str());
        if (scope == Scope::Folder)
            ui.showMessage(text, "Corvane", MessageIcon::None);
        else
            protocol.ReportError(ui, text, Buttons::OkCancel);
    } else {
        switch (ui.ask(PortStatusText(protocol.LastStatus()), "Corvane", Buttons::AbortRetryIgnore,
                       MessageIcon::Warning)) {
        case Answer::Retry: return Outcome::Retry;
        case Answer::Ignore: break;
        default:
            doc.updateAllViews();
            doc.setModified();
            return Outcome::Stop;
        }
    }
    p.SetValueFromText(doc.images(), value);
    p.setHasValue();

    const int lastInstance = scope == Scope::Folder ? 0 : 1;
    if (!p.hasSecurityLevel() || p.instance() > lastInstance)
        return Outcome::Next;
    std::string levelCommand = command;
    levelCommand[0] = 'X';
    if (!protocol.Send(levelCommand))
        return Outcome::Stop;
    std::string levelReply;
    const int levelStatus = protocol.Receive(levelReply);
    if (levelStatus == StatusOk) {
        if (levelReply.size() > kValuePosition)
            p.SetSecurityLevel(doc.images(), levelReply[kValuePosition] - '0');
    } else if (levelStatus != StatusRejected) {
        // A level that could not be read keeps the stored one.
        switch (protocol.ReportError(ui, std::nullopt, Buttons::AbortRetryIgnore)) {
        case Answer::Retry: return Outcome::Retry;
        case Answer::Ignore: break;
        default: return Outcome::Stop;
        }
    }
    return Outcome::Next;
}

Outcome DumpCode(CCorvaneDoc& doc, ControllerLink& link, const DBParam& p, Scope scope)
{
    Interaction& ui = link.interaction();
    ComProtocol& protocol = *doc.protocol;
    if (!p.hasValue() || (scope == Scope::Folder && p.isReadOnly()))
        return Outcome::Next;
    const std::string command = CFormat("PC %s %03d %s", std::string(p.DirectoryMnemonic()).c_str(),
                                        p.CommandCode(), p.ValueText(doc.images()).c_str());
    if (!protocol.Send(command)) {
        ui.showMessage(CFormat("Error in transmission of %s", Named(p).c_str()), "Corvane", MessageIcon::None);
        return Outcome::Stop;
    }
    std::string reply;
    const int status = protocol.Receive(reply);
    if (status == StatusRejected) {
        const std::string text = CFormat("Unable to write %s", Named(p).c_str());
        if (scope == Scope::Folder) {
            protocol.ReportError(ui, text, Buttons::OkCancel);
        } else {
            ui.showMessage(text, "Corvane", MessageIcon::None);
            return Outcome::Next;
        }
    } else if (status != StatusOk) {
        switch (ui.ask(PortStatusText(protocol.LastStatus()), "Corvane", Buttons::AbortRetryIgnore,
                       MessageIcon::Warning)) {
        case Answer::Retry: return Outcome::Retry;
        case Answer::Ignore:
            if (scope == Scope::All)
                return Outcome::Next;
            break;
        default:
            doc.updateAllViews();
            return Outcome::Stop;
        }
    }
    const int level = p.SecurityLevel(doc.images());
    if (!p.hasSecurityLevel() || p.instance() > 1 || level == 0)
        return Outcome::Next;
    protocol.Send(CFormat("XC %s %03d %d", std::string(p.DirectoryMnemonic()).c_str(), p.CommandCode(), level));
    std::string levelReply;
    if (protocol.Receive(levelReply) != StatusOk) {
        ui.showMessage(CFormat("Unable to set security level %d for %s %s\n", level,
                               std::string(DirectoryName(p.directory())).c_str(), Named(p).c_str()),
                       "Corvane", MessageIcon::None);
    }
    return Outcome::Next;
}

void Run(CCorvaneDoc& doc, ControllerLink& link, Progress& progress, Scope scope, bool reading)
{
    CodeRange range = RangeOf(doc, scope);
    if (!Start(doc, link, progress, reading, range.total))
        return;
    for (DBParam& p : range.codes) {
        if (!SkippedByMeterRule(p)) {
            Outcome outcome;
            do {
                outcome = reading ? ReadCode(doc, link, p, scope) : DumpCode(doc, link, p, scope);
            } while (outcome == Outcome::Retry);
            if (outcome == Outcome::Stop) {
                progress.close();
                return;
            }
        }
        Advance(progress);
        if (!SkippedByMeterRule(p) && progress.cancelled()) {
            if (reading)
                doc.setModified();
            progress.close();
            return;
        }
    }
    doc.updateAllViews();
    if (reading)
        doc.setModified();
    else
        link.LogOff(doc);
    progress.finish("Transfer Complete!");
}

} // namespace

void ReadSelectedFolder(CCorvaneDoc& doc, ControllerLink& link, Progress& progress)
{
    Run(doc, link, progress, Scope::Folder, true);
}

void ReadAll(CCorvaneDoc& doc, ControllerLink& link, Progress& progress)
{
    Run(doc, link, progress, Scope::All, true);
}

void DumpSelectedFolder(CCorvaneDoc& doc, ControllerLink& link, Progress& progress)
{
    Run(doc, link, progress, Scope::Folder, false);
}

void DumpAll(CCorvaneDoc& doc, ControllerLink& link, Progress& progress)
{
    Run(doc, link, progress, Scope::All, false);
}

} // namespace corvane
