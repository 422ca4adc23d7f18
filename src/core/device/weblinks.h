#pragma once
// Addresses outside the program: the controller's own web pages and the
// maker's web site.

#include <cstdint>
#include <string>

namespace corvane {

class Settings;

// Settings key of the maker's web site ("General/MakerWebSite") and its default.
inline constexpr const char* kMakerWebSiteSection = "General";
inline constexpr const char* kMakerWebSiteName = "MakerWebSite";
inline constexpr const char* kDefaultMakerWebSite = "https://www.halvard-meter.example/";

// "http://%d.%d.%d.%d" with the four octets of the address, most significant first.
std::string ControllerWebAddress(std::uint32_t controllerAddress);

// The stored maker's web site, or the default when none (or an empty one) is stored.
std::string MakerWebSite(const Settings& settings);
void SetMakerWebSite(Settings& settings, const std::string& address);

} // namespace corvane
