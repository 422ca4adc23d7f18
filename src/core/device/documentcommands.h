#pragma once
// The device commands of a configuration document: their menu texts and when
// each is enabled.

#include <string_view>

namespace corvane {

class CCorvaneDoc;

enum class DocumentCommand {
    CommOptions,         // "Options for this Pellion..."
    RetryCommunications, // "&Retry Communications"
    GoOffline,           // "Go &Offline"
    ReadSelectedFolder,  // "&Read Selected Folder"
    ReadAll,             // "Read &All"
    DumpSelectedFolder,  // "&Dump Selected Folder"
    DumpAll,             // "D&ump All"
    EventLog,            // "&Event Log to File..."
    AuditLog,            // "&Audit Log to File..."
    TransactionLog,      // "&Transaction Log to File..."
    BrowsePellion,       // "&Browse Pellion..."
    UpgradeFirmware,     // "&Upgrade Firmware..."
};

struct DocumentCommandInfo {
    DocumentCommand command;
    int id;                // the command's menu identifier
    std::string_view text; // menu text with its mnemonic
};

// Every command, in menu order.
inline constexpr DocumentCommandInfo kDocumentCommands[] = {
    {DocumentCommand::CommOptions, 143, "Options for this Pellion..."},
    {DocumentCommand::RetryCommunications, 144, "&Retry Communications"},
    {DocumentCommand::GoOffline, 145, "Go &Offline"},
    {DocumentCommand::ReadSelectedFolder, 150, "&Read Selected Folder"},
    {DocumentCommand::ReadAll, 151, "Read &All"},
    {DocumentCommand::DumpSelectedFolder, 152, "&Dump Selected Folder"},
    {DocumentCommand::DumpAll, 153, "D&ump All"},
    {DocumentCommand::EventLog, 162, "&Event Log to File..."},
    {DocumentCommand::AuditLog, 163, "&Audit Log to File..."},
    {DocumentCommand::TransactionLog, 164, "&Transaction Log to File..."},
    {DocumentCommand::BrowsePellion, 167, "&Browse Pellion..."},
    {DocumentCommand::UpgradeFirmware, 148, "&Upgrade Firmware..."},
};

const DocumentCommandInfo& CommandInfo(DocumentCommand command);

// Whether the command is enabled for the document in its present state.
bool CommandEnabled(DocumentCommand command, const CCorvaneDoc& doc);

} // namespace corvane
