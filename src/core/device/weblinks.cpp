#include "device/weblinks.h"

#include "common/settings.h"
#include "device/connection.h"

#include <QSettings>
#include <QString>

namespace corvane {
namespace {

QString Key() { return QStringLiteral("%1/%2").arg(QLatin1String(kMakerWebSiteSection), QLatin1String(kMakerWebSiteName)); }

} // namespace

std::string ControllerWebAddress(std::uint32_t controllerAddress)
{
    return "http://" + DottedAddress(controllerAddress);
}

std::string MakerWebSite(const Settings& settings)
{
    // Reading does not change the store; Settings offers it only non-const.
    const QString stored = const_cast<Settings&>(settings).store().value(Key()).toString().trimmed();
    return stored.isEmpty() ? std::string(kDefaultMakerWebSite) : stored.toStdString();
}

void SetMakerWebSite(Settings& settings, const std::string& address)
{
    settings.store().setValue(Key(), QString::fromStdString(address));
}

} // namespace corvane
