#pragma once
// The communications commands of a configuration window: they ask and show;
// the link and the read, dump and log operations of the core do the work.

#include "device/documentcommands.h"

#include <functional>

class QWidget;

namespace corvane {
class CCorvaneDoc;
class ControllerLink;
class InternetSession;
class Interaction;
class Settings;
class Shell;
} // namespace corvane

namespace corvane::app {

// Runs one device command of the document whose frame is `frame`. A command
// that CommandEnabled() disables, or any command while a link is busy, is
// refused with a beep. UpgradeFirmware has RunFirmwareUpgrade.
void RunDocumentCommand(DocumentCommand command, QWidget* frame, CCorvaneDoc& doc, ControllerLink& link,
                        Settings& settings, Interaction& interaction, Shell& shell);

// "&Upgrade Firmware...": the upgrade wizard under its progress window and a
// wait cursor. Without an internet connection it says so and ends.
void RunFirmwareUpgrade(QWidget* frame, CCorvaneDoc& doc, ControllerLink& link, const Settings& settings,
                        InternetSession* internet, Interaction& interaction);

// "&Check for Updates...": the update check under its progress window; `quit`
// ends the program when the installer was opened.
void RunUpdateCheck(QWidget* frame, InternetSession& internet, Interaction& interaction, Shell& shell,
                    const Settings& settings, std::function<void()> quit);

// "Comm Port Settings...": the line settings of one COM port.
void ShowPortSettings(QWidget* parent, Settings& settings, int comPort = 1);

// The maker's web site in the default browser.
void OpenMakerWebSite(Shell& shell, const Settings& settings);

// Lets the windows repaint and take input while a TCP exchange waits, and
// marks the link busy meanwhile.
void InstallEventPump();

// True while a device command runs or an exchange waits: the frames' device
// commands are disabled then, and RunDocumentCommand refuses them.
bool LinkBusy();

// Whether the frame offers the command now: enabled for the document and no link busy.
bool CommandAvailable(DocumentCommand command, const CCorvaneDoc& doc);

} // namespace corvane::app
