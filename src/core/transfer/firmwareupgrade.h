#pragma once
// The firmware upgrade of a controller on TCP/IP: the image "ULOAD.BIN" is
// identified by its CRC-32, described in "APPINFO.DAT" (length and CRC,
// big-endian), the controller is switched into its RAM executive with "UF",
// and both files go to its FTP root. Runs on the calling thread, under the
// progress window; every question and message goes through the interaction.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace corvane {

class CCorvaneDoc;
class ControllerLink;
class InternetSession;
class Interaction;
class Progress;

inline constexpr int kWizardReceiveTimeoutMs = 1500;
inline constexpr int kImageReceiveTimeoutMs = 65335;

// The 8 bytes of "APPINFO.DAT": the image length and its CRC-32, big-endian.
std::array<std::uint8_t, 8> AppInfoBytes(std::uint32_t length, std::uint32_t crc);

// "&Upgrade Firmware..." is offered only for documents on TCP/IP.
bool CanUpgradeFirmware(const CCorvaneDoc& doc);

enum class UpgradeEnd {
    Cancelled, // a question or the progress window was cancelled
    Failed,    // ended with the step's message
    Completed, // the files went to the controller
};

struct FirmwareUpgrade {
    ControllerLink& link;
    CCorvaneDoc& doc;
    Interaction& ui;
    Progress& progress;
    InternetSession& internet;

    std::string imagePath = "ULOAD.BIN";     // the new image (the current directory's)
    std::string appInfoPath = "APPINFO.DAT"; // written next to it
    std::uint16_t ftpPort = 21;
    // The wait for the controller to reboot into its RAM executive.
    int rebootWaitSeconds = 3;

    UpgradeEnd run();

private:
    bool cancelled();
    bool waitSeconds(int seconds);
};

} // namespace corvane
