#include "transfer/firmwareupgrade.h"

#include "common/crc32.h"
#include "common/interaction.h"
#include "common/progress.h"
#include "configdoc/corvanedoc.h"
#include "device/connection.h"
#include "transfer/controllerfile.h"
#include "transfer/internetsession.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace corvane {
namespace {

constexpr const char* kWizardTitle = "Firmware Upgrade Wizard";
constexpr const char* kConnectCaption = "Error connecting to Pellion.net";
constexpr const char* kPreparing = "Preparing Pellion.net for upgrade process...";

// Restores the receive time-out and closes the progress window at every end.
struct WizardScope {
    InternetSession& internet;
    Progress& progress;
    int saved;
    ~WizardScope()
    {
        internet.receiveTimeoutMs = saved;
        progress.close();
    }
};

} // namespace

std::array<std::uint8_t, 8> AppInfoBytes(std::uint32_t length, std::uint32_t crc)
{
    std::array<std::uint8_t, 8> out{};
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
        out[4 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    }
    return out;
}

bool CanUpgradeFirmware(const CCorvaneDoc& doc) { return doc.commPort == 0; }

bool FirmwareUpgrade::cancelled()
{
    progress.breathe();
    return progress.cancelled();
}

bool FirmwareUpgrade::waitSeconds(int seconds)
{
    // Wall clock in whole seconds, taking input meanwhile.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (cancelled())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return !cancelled();
}

UpgradeEnd FirmwareUpgrade::run()
{
    if (ui.ask("This process will erase ALL nonvolatile memory in the Pellion (configuration, reports, equations, "
               "etc.)... continue?",
               kWizardTitle, Buttons::OkCancel, MessageIcon::Warning) != Answer::Ok)
        return UpgradeEnd::Cancelled;

    progress.setTitle(kWizardTitle);
    WizardScope scope{internet, progress, internet.receiveTimeoutMs};
    internet.receiveTimeoutMs = kWizardReceiveTimeoutMs;

    std::FILE* image = std::fopen(imagePath.c_str(), "rb");
    if (!image) {
        ui.showMessage("No new application image found... aborting", "Pellion.net Upgrade Wizard", MessageIcon::Error);
        return UpgradeEnd::Failed;
    }
    ImageCrc crc;
    crc.start();
    std::uint32_t length = 0;
    for (int c; (c = std::fgetc(image)) != EOF; ++length)
        crc.addByte(static_cast<std::uint8_t>(c));
    std::fclose(image);
    const std::uint32_t imageCrc = crc.value();

    const auto info = AppInfoBytes(length, imageCrc);
    std::FILE* out = std::fopen(appInfoPath.c_str(), "wb");
    bool written = out != nullptr;
    if (out) {
        written = std::fwrite(info.data(), 1, info.size(), out) == info.size();
        written = std::fclose(out) == 0 && written;
    }
    if (!written) {
        ui.showMessage("Error generating APPINFO.DAT... no write access or disk full?", kWizardTitle, MessageIcon::Error);
        return UpgradeEnd::Failed;
    }

    progress.setText("Image information processing complete...");
    if (cancelled())
        return UpgradeEnd::Cancelled;

    const std::optional<float> imageRevision = RevisionForCrc(imageCrc);
    if (!imageRevision) {
        ui.showMessage("This firmware image is unrecognized by Corvane. Verify you have the most recent version of "
                       "Corvane.",
                       kWizardTitle, MessageIcon::Error);
        return UpgradeEnd::Failed;
    }

    const int state = link.Contact(doc, false);
    if (state == ReadAccess) {
        ui.showMessage("Upgrade aborted... Program Mode access via communications is required.", kWizardTitle,
                       MessageIcon::Error);
        return UpgradeEnd::Failed;
    }
    if (state == ProgramAccess) {
        const float controller = doc.controllerRevision;
        if (std::fabs(controller - *imageRevision) < 0.001f) {
            ui.showMessage("Upgrade aborted... the latest firmware image available is already installed in the "
                           "Pellion.",
                           kWizardTitle, MessageIcon::Information);
            return UpgradeEnd::Failed;
        }
        if (controller > *imageRevision &&
            ui.ask("WARNING... the existing firmware image is newer than the version you are attempting to "
                   "download. Continue?",
                   "Corvane Firmware Upgrade Wizard", Buttons::OkCancel, MessageIcon::Warning) != Answer::Ok)
            return UpgradeEnd::Cancelled;
    }

    const std::optional<std::string> accessCode = ui.askAccessCode();
    if (!accessCode)
        return UpgradeEnd::Cancelled;
    progress.setText(kPreparing);
    if (cancelled())
        return UpgradeEnd::Cancelled;

    const FtpLogin login{DottedAddress(doc.controllerAddress), ftpPort, kFtpUserName, *accessCode, false};

    if (state > Offline) {
        {
            auto check = internet.openFtp();
            const int rc = check->connect(login);
            check->disconnect();
            if (rc == kInternetIncorrectPassword) {
                ui.showMessage("Invalid access code... aborting operation", kConnectCaption, MessageIcon::Error);
                return UpgradeEnd::Failed;
            }
            if (rc != 0) {
                ui.showMessage("Unable to establish FTP connection with Pellion.net", kConnectCaption,
                               MessageIcon::Error);
                return UpgradeEnd::Failed;
            }
        }
        progress.setText(kPreparing);
        if (cancelled())
            return UpgradeEnd::Cancelled;
        if (doc.protocol && doc.protocol->Send("UF")) {
            std::string reply;
            if (doc.protocol->Receive(reply) == 8) {
                doc.protocol->ReportError(ui, std::nullopt, Buttons::OkCancel);
                ui.showMessage("Error loading RAM executive - aborting.", kWizardTitle, MessageIcon::Error);
                return UpgradeEnd::Failed;
            }
            progress.setText("Allowing Pellion.net to reboot into RAM executive; please wait...");
            if (!waitSeconds(rebootWaitSeconds))
                return UpgradeEnd::Cancelled;
        }
    }

    internet.receiveTimeoutMs = kImageReceiveTimeoutMs;
    auto ftp = internet.openFtp();
    if (ftp->connect(login) != 0) {
        ui.showMessage("Unable to establish connection with Pellion.net", kWizardTitle, MessageIcon::Error);
        return UpgradeEnd::Failed;
    }
    // Failures from here on are not reported: the controller decides by what arrived.
    progress.setText("Erasing existing application memory (flash)...");
    ftp->deleteFile("ULOAD.BIN");
    progress.setText("Initiating application image download...");
    ftp->putFile(appInfoPath, "APPINFO.DAT");
    progress.setText("downloading image...");
    ftp->putFile(imagePath, "ULOAD.BIN");
    ftp->disconnect();
    doc.connectionState = Offline;
    progress.setText("Allowing Pellion.net to restart with new image...");
    ui.showMessage("Transfer completed. The Pellion will be factory initialized. ", "Firmware Upgraded Successfully",
                   MessageIcon::Information);
    return UpgradeEnd::Completed;
}

} // namespace corvane
