#pragma once
// The stored line settings and framing of one COM port as the port settings
// dialog shows and stores them.

#include "comm/linesettings.h"

namespace corvane {

class Settings;

// The dialog's preselection for COM n from section "Comm" (defaults when nothing is stored).
PortSettingsChoice LoadPortSettings(const Settings& settings, int comPort);
// What OK stores for COM n: "%d,%c,%d,%d" and the framing index.
void StorePortSettings(Settings& settings, int comPort, const PortSettingsChoice& choice);

} // namespace corvane
