#include "transfer/transfersettings.h"

#include <QSettings>
#include <QString>

namespace corvane {
namespace {

QString Key(const StringSetting& key) { return QStringLiteral("%1/%2").arg(QLatin1String(key.section), QLatin1String(key.name)); }

} // namespace

std::string StringValue(const Settings& store, const StringSetting& key)
{
    // Reading does not change the store; Settings offers it only non-const.
    const QString stored = const_cast<Settings&>(store).store().value(Key(key)).toString().trimmed();
    return stored.isEmpty() ? std::string(key.defaultValue) : stored.toStdString();
}

void SetStringValue(Settings& store, const StringSetting& key, const std::string& value)
{
    store.store().setValue(Key(key), QString::fromStdString(value));
}

std::uint16_t ControllerFtpPort(const Settings& store)
{
    const int port = store.value(settings::ControllerFtpPort);
    return port > 0 && port <= 65535 ? static_cast<std::uint16_t>(port) : 21;
}

} // namespace corvane
