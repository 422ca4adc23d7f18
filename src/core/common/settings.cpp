#include "common/settings.h"

#include "common/cformat.h"

#include <QSettings>

namespace corvane {
namespace {

QString Key(const char* section, const std::string& name)
{
    return QString::fromLatin1(section) + QLatin1Char('/') + QString::fromStdString(name);
}

std::string ComKey(int comPort) { return CFormat("COM%d", comPort); }

} // namespace

Settings::Settings() : store_(std::make_unique<QSettings>(QStringLiteral("Halvard Meter"), QStringLiteral("Corvane"))) {}

Settings::Settings(const std::string& iniFile)
    : store_(std::make_unique<QSettings>(QString::fromStdString(iniFile), QSettings::IniFormat))
{
}

Settings::~Settings() = default;

int Settings::value(const IntSetting& key) const
{
    bool ok = false;
    int v = store_->value(Key(key.section, key.name), key.defaultValue).toInt(&ok);
    return ok ? v : key.defaultValue;
}

void Settings::setValue(const IntSetting& key, int value) { store_->setValue(Key(key.section, key.name), value); }

std::string Settings::lineSettings(int comPort) const
{
    return store_->value(Key("Comm", ComKey(comPort)), QString::fromLatin1(kDefaultLineSettings))
        .toString()
        .toStdString();
}

void Settings::setLineSettings(int comPort, const std::string& text)
{
    store_->setValue(Key("Comm", ComKey(comPort)), QString::fromStdString(text));
}

int Settings::protocol(int comPort) const
{
    bool ok = false;
    int v = store_->value(Key("Comm", ComKey(comPort) + "_Protocol"), kDefaultProtocol).toInt(&ok);
    return ok ? v : kDefaultProtocol;
}

void Settings::setProtocol(int comPort, int protocol)
{
    store_->setValue(Key("Comm", ComKey(comPort) + "_Protocol"), protocol);
}

std::string Settings::devicePath(int comPort) const
{
    const std::string fallback = CFormat("/dev/ttyS%d", comPort > 0 ? comPort - 1 : 0);
    return store_->value(Key("Comm", ComKey(comPort) + "_Device"), QString::fromStdString(fallback))
        .toString()
        .toStdString();
}

void Settings::setDevicePath(int comPort, const std::string& path)
{
    store_->setValue(Key("Comm", ComKey(comPort) + "_Device"), QString::fromStdString(path));
}

namespace {
const QString kLogFileNameKey =
    QStringLiteral("Software/VB and VBA Program Settings/CorvaneDataTemplate/TranslogData/LogFileName");
}

std::string Settings::spreadsheetLogFileName() const { return store_->value(kLogFileNameKey).toString().toStdString(); }

void Settings::setSpreadsheetLogFileName(const std::string& path)
{
    store_->setValue(kLogFileNameKey, QString::fromStdString(path));
}

void Settings::sync() { store_->sync(); }

} // namespace corvane
