#include "device/documentcommands.h"

#include "configdoc/corvanedoc.h"

namespace corvane {

const DocumentCommandInfo& CommandInfo(DocumentCommand command)
{
    for (const DocumentCommandInfo& info : kDocumentCommands)
        if (info.command == command)
            return info;
    return kDocumentCommands[0];
}

bool CommandEnabled(DocumentCommand command, const CCorvaneDoc& doc)
{
    const int state = doc.connectionState;
    switch (command) {
    case DocumentCommand::CommOptions:
    case DocumentCommand::RetryCommunications:
        return true;
    case DocumentCommand::GoOffline:
    case DocumentCommand::ReadSelectedFolder:
    case DocumentCommand::ReadAll:
    case DocumentCommand::EventLog:
    case DocumentCommand::AuditLog:
    case DocumentCommand::TransactionLog:
    case DocumentCommand::BrowsePellion:
        return state > Offline;
    case DocumentCommand::DumpSelectedFolder:
    case DocumentCommand::DumpAll:
        return state > ReadAccess;
    case DocumentCommand::UpgradeFirmware:
        return doc.commPort == 0;
    }
    return false;
}

} // namespace corvane
