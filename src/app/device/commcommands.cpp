#include "device/commcommands.h"

#include "comm/eventpump.h"
#include "common/cformat.h"
#include "common/interaction.h"
#include "common/settings.h"
#include "common/shell.h"
#include "device/weblinks.h"
#include "configdoc/corvanedoc.h"
#include "device/commsetupdialog.h"
#include "device/connection.h"
#include "device/logtransfer.h"
#include "device/portsettingsdialog.h"
#include "device/progresswnd.h"
#include "device/readdump.h"
#include "transfer/firmwareupgrade.h"
#include "transfer/internetsession.h"
#include "transfer/transfersettings.h"
#include "transfer/updatecheck.h"

#include <QApplication>
#include <QCursor>

namespace corvane::app {
namespace {

int& BusyDepth()
{
    static int depth = 0;
    return depth;
}

struct BusyScope {
    BusyScope() { ++BusyDepth(); }
    ~BusyScope() { --BusyDepth(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

// The contact routine shows a wait cursor throughout.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

void RunUnderProgress(QWidget* frame, void (*operation)(CCorvaneDoc&, ControllerLink&, Progress&),
                      CCorvaneDoc& doc, ControllerLink& link)
{
    CProgressWnd progress(frame);
    operation(doc, link, progress);
}

void TransferLog(LogKind kind, QWidget* frame, CCorvaneDoc& doc, ControllerLink& link, Shell& shell)
{
    CProgressWnd progress(frame);
    LogToFile(kind, doc, link, progress, shell);
}

} // namespace

bool LinkBusy() { return BusyDepth() > 0; }

bool CommandAvailable(DocumentCommand command, const CCorvaneDoc& doc)
{
    return !LinkBusy() && CommandEnabled(command, doc);
}

void RunDocumentCommand(DocumentCommand command, QWidget* frame, CCorvaneDoc& doc, ControllerLink& link,
                        Settings& settings, Interaction& interaction, Shell& shell)
{
    if (command == DocumentCommand::UpgradeFirmware || !CommandAvailable(command, doc)) {
        QApplication::beep();
        return;
    }
    BusyScope busy;
    switch (command) {
    case DocumentCommand::CommOptions: {
        CCommSetupDialog dialog(doc.commPort, doc.controllerAddress, settings, frame);
        if (dialog.exec() != QDialog::Accepted)
            return;
        WaitCursor wait;
        link.ChangeOptions(doc, dialog.commPort(), dialog.controllerAddress());
        return;
    }
    case DocumentCommand::RetryCommunications: {
        WaitCursor wait;
        link.RetryCommunications(doc);
        return;
    }
    case DocumentCommand::GoOffline:
        link.GoOffline(doc);
        return;
    case DocumentCommand::ReadSelectedFolder: RunUnderProgress(frame, &ReadSelectedFolder, doc, link); return;
    case DocumentCommand::ReadAll: RunUnderProgress(frame, &ReadAll, doc, link); return;
    case DocumentCommand::DumpSelectedFolder: RunUnderProgress(frame, &DumpSelectedFolder, doc, link); return;
    case DocumentCommand::DumpAll: RunUnderProgress(frame, &DumpAll, doc, link); return;
    case DocumentCommand::EventLog: TransferLog(LogKind::Event, frame, doc, link, shell); return;
    case DocumentCommand::AuditLog: TransferLog(LogKind::Audit, frame, doc, link, shell); return;
    case DocumentCommand::TransactionLog: TransferLog(LogKind::Transaction, frame, doc, link, shell); return;
    case DocumentCommand::BrowsePellion: {
        const std::string address = ControllerWebAddress(doc.controllerAddress);
        if (!shell.open(address))
            interaction.showMessage(CFormat("Unable to open %s in the web browser", address.c_str()), "Corvane",
                                    MessageIcon::Warning);
        return;
    }
    case DocumentCommand::UpgradeFirmware:
        return;
    }
}

void RunFirmwareUpgrade(QWidget* frame, CCorvaneDoc& doc, ControllerLink& link, const Settings& settings,
                        InternetSession* internet, Interaction& interaction)
{
    if (!CommandAvailable(DocumentCommand::UpgradeFirmware, doc)) {
        QApplication::beep();
        return;
    }
    if (!internet) {
        interaction.showMessage(kNetworkInitError, "Firmware Upgrade Wizard", MessageIcon::Error);
        return;
    }
    BusyScope busy;
    WaitCursor wait;
    CProgressWnd progress(frame);
    FirmwareUpgrade wizard{link, doc, interaction, progress, *internet};
    wizard.ftpPort = ControllerFtpPort(settings);
    wizard.run();
}

void RunUpdateCheck(QWidget* frame, InternetSession& internet, Interaction& interaction, Shell& shell,
                    const Settings& settings, std::function<void()> quit)
{
    CProgressWnd progress(frame);
    UpdateCheck check{internet, interaction, progress, shell, settings, ".", std::move(quit)};
    check.run();
}

void ShowPortSettings(QWidget* parent, Settings& settings, int comPort)
{
    CPortSettings dialog(comPort >= 1 ? comPort : 1, settings, parent);
    dialog.exec();
}

void OpenMakerWebSite(Shell& shell, const Settings& settings) { shell.open(MakerWebSite(settings)); }

void InstallEventPump()
{
    SetEventPump([] {
        if (!QCoreApplication::instance())
            return;
        BusyScope busy;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    });
}

} // namespace corvane::app
