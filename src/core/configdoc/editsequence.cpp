#include "configdoc/editsequence.h"

#include "comm/portstatus.h"
#include "common/cformat.h"
#include "common/interaction.h"
#include "configdoc/corvanedoc.h"
#include "dictionary/dbparam.h"
#include "dictionary/directories.h"
#include "dictionary/literals.h"
#include "dictionary/valuetext.h"

#include <cmath>

namespace corvane {
namespace {

// The name of a code in messages: its controller label, or its description when it has none.
std::string LabelText(const DBParam& param)
{
    if (param.entry().label != kNoLiteral)
        if (auto label = Literal(param.entry().label); !label.empty())
            return std::string(label);
    return std::string(param.description());
}

// One command and its reply; false (after the protocol's error report) when
// it was not accepted.
bool Exchange(ComProtocol& protocol, const std::string& command, Interaction& interaction, bool report)
{
    std::string reply;
    if (protocol.Send(command) && protocol.Receive(reply) == StatusOk)
        return true;
    if (report)
        protocol.ReportError(interaction, std::nullopt, Buttons::Ok);
    return false;
}

} // namespace

int EditorDialogId(EditorKind kind)
{
    switch (kind) {
    case EditorKind::Alarm: return 149;
    case EditorKind::List: return 148;
    case EditorKind::IPAddress: return 2008;
    case EditorKind::General: break;
    }
    return 147;
}

EditorSetup PrepareEditor(const CCorvaneDoc& doc, const DBParam& param)
{
    const DBEntry& entry = param.entry();
    EditorSetup s;
    s.kind = ChooseEditor(entry);
    s.description = std::string(param.description());
    s.currentValue = param.ValueText(doc.images());
    s.hint = param.HintText();
    s.helpText = std::string(Literal(entry.help));
    s.helpId = param.HelpContextId();
    s.isText = entry.type == ValueType::Text;
    s.hasLevel = param.hasSecurityLevel();
    const int level = param.SecurityLevel(doc.images());
    s.securityIndex = s.hasLevel && level >= 1 && level <= 3 ? level - 1 : -1;

    const double number = s.isText ? 0.0 : NumericValue(entry.type, param.ValueAddress(doc.images()));
    switch (s.kind) {
    case EditorKind::Alarm:
        s.alarmChecks = AlarmChecks(static_cast<std::uint32_t>(number));
        break;
    case EditorKind::List:
        s.optionLines = OptionListLines(entry);
        if (number >= 0 && number < static_cast<double>(s.optionLines.size()))
            s.option = static_cast<int>(number);
        break;
    case EditorKind::IPAddress:
        s.address = number >= 0 && number <= 4294967295.0 ? static_cast<std::uint32_t>(number) : 0;
        break;
    case EditorKind::General: break;
    }
    return s;
}

NewValue CheckEditorInput(const DBEntry& entry, EditorKind kind, const EditorInput& input)
{
    switch (kind) {
    case EditorKind::Alarm: return ResolveAlarmInput(entry, CFormat("%u", AlarmValue(input.alarmChecks)));
    case EditorKind::List: return CheckListOption(entry, input.option);
    case EditorKind::IPAddress: return NewValue::accept(IPValueText(input.address));
    case EditorKind::General: break;
    }
    return CheckGeneralValue(entry, input.typed);
}

std::string SecurityLevelFailureMessage(const DBParam& param, int level)
{
    return CFormat("Unable to set security level %d for %s %s\n", level,
                   std::string(DirectoryName(param.directory())).c_str(), LabelText(param).c_str());
}

bool StoreEdit(CCorvaneDoc& doc, DBParam& param, const EditResult& result, Interaction& interaction)
{
    const int level = param.hasSecurityLevel() && result.level >= 1 && result.level <= 3 ? result.level : 0;
    if (doc.connectionState < ReadAccess) {
        if (!doc.setValue(param, result.valueText, level)) {
            interaction.showMessage(kStoreFailedMessage, "Corvane", MessageIcon::Warning);
            return false;
        }
        doc.setModified();
        return true;
    }

    if (!doc.protocol) {
        interaction.showMessage(PortStatusText(StatusCannotOpen), "Corvane", MessageIcon::Warning);
        return false;
    }
    ComProtocol& protocol = *doc.protocol;
    const std::string mnemonic(param.DirectoryMnemonic());
    const std::string command =
        CFormat("PC %s %03d %s", mnemonic.c_str(), param.CommandCode(), result.valueText.c_str());
    if (!Exchange(protocol, command, interaction, true))
        return false;
    if (!doc.setValue(param, result.valueText)) {
        interaction.showMessage(kStoreFailedMessage, "Corvane", MessageIcon::Warning);
        return false;
    }
    doc.setModified();

    if (level != 0 && level != param.SecurityLevel(doc.images())) {
        if (Exchange(protocol, CFormat("XC %s %03d %d", mnemonic.c_str(), param.CommandCode(), level), interaction,
                     false))
            param.SetSecurityLevel(doc.images(), level);
        else
            interaction.showMessage(SecurityLevelFailureMessage(param, level), "Corvane", MessageIcon::None);
    }
    return true;
}

bool RunEditSequence(CCorvaneDoc& doc, DBParam& param, Interaction& interaction, const EditorRunner& runEditor)
{
    if (param.isReadOnly()) {
        interaction.showMessage(kReadOnlyMessage, "Corvane", MessageIcon::Information);
        return false;
    }
    const std::optional<EditResult> result = runEditor(PrepareEditor(doc, param));
    if (!result)
        return false;
    return StoreEdit(doc, param, *result, interaction);
}

} // namespace corvane
