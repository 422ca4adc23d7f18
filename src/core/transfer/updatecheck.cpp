#include "transfer/updatecheck.h"

#include "common/cformat.h"
#include "common/interaction.h"
#include "common/progress.h"
#include "common/revision.h"
#include "common/shell.h"
#include "transfer/internetsession.h"
#include "transfer/transfersettings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace corvane {
namespace {

constexpr const char* kServerCaption = "Pellion.net Upgrade Wizard";
constexpr const char* kUpgradeCaption = "Corvane for Pellion.net Upgrade Wizard";

// TOOL_REVISION as the decimal it stands for (the float 0.03 lies below 0.03).
double ToolRevision() { return std::round(static_cast<double>(TOOL_REVISION) * 1000.0) / 1000.0; }

// A release counts as newer when it is more than 0.001 above this tool. In
// binary 0.031 - 0.03 comes out a hair above 0.001; the margin keeps a
// difference of exactly 0.001 in decimal on the "latest" side.
bool Newer(double release) { return release - ToolRevision() > 0.001 + 1e-9; }

} // namespace

std::optional<double> ReadReleaseRevision(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::nullopt;
    char text[8] = {};
    const std::size_t n = std::fread(text, 1, 7, f);
    std::fclose(f);
    if (n == 0)
        return std::nullopt;
    return std::strtod(text, nullptr);
}

std::string InstallerAddress(const std::string& host)
{
    return "http://" + host + "\\Corvane\\dist\\Corvane for Pellion.net.msi";
}

UpdateCheckEnd UpdateCheck::run()
{
    progress.setTitle("Firmware Upgrade Wizard");
    const std::string local = folder + "/REV.TXT";
    // The previous copy goes first, whatever the case of its name.
    std::remove((folder + "/rev.txt").c_str());
    std::remove(local.c_str());

    const std::string host = StringValue(store, settings::UpdateServerHost);
    const int port = store.value(settings::UpdateServerPort);
    auto ftp = internet.openFtp();
    const FtpLogin login{host, static_cast<std::uint16_t>(port > 0 && port <= 65535 ? port : 21), "anonymous",
                         StringValue(store, settings::UpdateServerPassword), false};
    if (ftp->connect(login) != 0) {
        ui.showMessage("Unable to open FTP connection to server via Internet", kServerCaption, MessageIcon::Error);
    } else {
        progress.setText("Getting latest release information...");
        progress.breathe();
        if (ftp->setCurrentDirectory("Corvane") == 0) {
            if (ftp->getFile("REV.TXT", local) == 0)
                progress.setText("Image information retrieved, processing image data...");
            else
                ui.showMessage("Error retrieving revision information... aborting", kServerCaption,
                               MessageIcon::Error);
        }
        ftp->disconnect();
    }

    UpdateCheckEnd end = UpdateCheckEnd::NoInformation;
    if (const std::optional<double> release = ReadReleaseRevision(local)) {
        if (Newer(*release)) {
            end = UpdateCheckEnd::Declined;
            if (ui.ask(CFormat("A newer revision of Corvane (revision %05.2f) is now available. Upgrade now?", *release),
                       kUpgradeCaption, Buttons::OkCancel, MessageIcon::Question) == Answer::Ok) {
                shell.open(InstallerAddress(host));
                end = UpdateCheckEnd::Installing;
                if (quit)
                    quit();
            }
        } else {
            ui.showMessage("You are currently running the latest revision of Corvane for Pellion.net.", kUpgradeCaption,
                           MessageIcon::Information);
            end = UpdateCheckEnd::Latest;
        }
    }
    progress.close();
    return end;
}

} // namespace corvane
