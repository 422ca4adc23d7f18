#include "common/settings.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace corvane {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string file = dir.filePath("corvane.ini").toStdString();
};

TEST_F(SettingsTest, DefaultsWhenNothingIsStored)
{
    Settings s(file);
    const std::pair<IntSetting, int> defaults[] = {
        {settings::MRUFileCount, 8},          {settings::ViewShowSecLvl, 0},
        {settings::ViewTextCharSet, 0},       {settings::PrintSuppressBelowLvl, 0},
        {settings::ControllerTcpPort, 7734},  {settings::ControllerFtpPort, 21},
    };
    for (auto [key, value] : defaults)
        EXPECT_EQ(s.value(key), value) << key.section << "/" << key.name;
    EXPECT_EQ(s.lineSettings(3), "38400,N,8,1");
    EXPECT_EQ(s.protocol(3), 1);
    EXPECT_EQ(s.devicePath(1), "/dev/ttyS0");
    EXPECT_EQ(s.devicePath(4), "/dev/ttyS3");
}

TEST_F(SettingsTest, ValuesPersistUnderTheirSectionsAndKeys)
{
    {
        Settings s(file);
        s.setValue(settings::PrintShowSecLvl, 1);
        s.setValue(settings::ViewTextCharSet, 2);
        s.setLineSettings(2, "9600,E,7,1");
        s.setProtocol(2, 0);
        s.setDevicePath(2, "/dev/ttyUSB0");
        s.sync();
    }
    QSettings raw(QString::fromStdString(file), QSettings::IniFormat);
    EXPECT_EQ(raw.value("ParamPrint/ShowSecLvl").toInt(), 1);
    EXPECT_EQ(raw.value("ParamView/TextCharSet").toInt(), 2);
    EXPECT_EQ(raw.value("Comm/COM2").toString(), "9600,E,7,1");
    EXPECT_EQ(raw.value("Comm/COM2_Protocol").toInt(), 0);

    Settings again(file);
    EXPECT_EQ(again.value(settings::PrintShowSecLvl), 1);
    EXPECT_EQ(again.lineSettings(2), "9600,E,7,1");
    EXPECT_EQ(again.protocol(2), 0);
    EXPECT_EQ(again.devicePath(2), "/dev/ttyUSB0");
    EXPECT_EQ(again.lineSettings(1), "38400,N,8,1");
}

TEST_F(SettingsTest, UnreadableNumberFallsBackToTheDefault)
{
    {
        QSettings raw(QString::fromStdString(file), QSettings::IniFormat);
        raw.setValue("General/MRUFileCount", "many");
        raw.setValue("Comm/COM1_Protocol", "x");
    }
    Settings s(file);
    EXPECT_EQ(s.value(settings::MRUFileCount), 8);
    EXPECT_EQ(s.protocol(1), 1);
}

} // namespace
} // namespace corvane
