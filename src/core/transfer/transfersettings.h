#pragma once
// Settings of the FTP side: the maker's update server and the time-outs of
// the shared internet connection. Defaults name nothing real (".example").

#include "common/settings.h"

#include <cstdint>
#include <string>

namespace corvane {

struct StringSetting {
    const char* section;
    const char* name;
    const char* defaultValue;
};

namespace settings {
inline constexpr StringSetting UpdateServerHost{"General", "UpdateServer", "ftp.halvard-meter.example"};
// The e-mail address sent as the anonymous password.
inline constexpr StringSetting UpdateServerPassword{"General", "UpdatePassword", "corvane@halvard-meter.example"};
inline constexpr IntSetting UpdateServerPort{"General", "UpdateServerPort", 21};
inline constexpr IntSetting InternetConnectTimeout{"General", "InternetConnectTimeout", 10000};
inline constexpr IntSetting InternetReceiveTimeout{"General", "InternetReceiveTimeout", 10000};
} // namespace settings

// The stored text, or the default when none (or an empty one) is stored.
std::string StringValue(const Settings& store, const StringSetting& key);
void SetStringValue(Settings& store, const StringSetting& key, const std::string& value);

// The FTP control port of controllers (settings::ControllerFtpPort).
std::uint16_t ControllerFtpPort(const Settings& store);

} // namespace corvane
