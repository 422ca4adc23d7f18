#include "device/commsettings.h"

#include "common/settings.h"

namespace corvane {

PortSettingsChoice LoadPortSettings(const Settings& settings, int comPort)
{
    return ChoiceFromSettings(LineSettingsOrDefault(settings.lineSettings(comPort)), settings.protocol(comPort));
}

void StorePortSettings(Settings& settings, int comPort, const PortSettingsChoice& choice)
{
    settings.setLineSettings(comPort, FormatLineSettings(SettingsFromChoice(choice)));
    settings.setProtocol(comPort, choice.protocol);
}

} // namespace corvane
