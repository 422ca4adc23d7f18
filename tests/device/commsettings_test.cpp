#include "common/settings.h"
#include "device/commsettings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(PortSettingsStore, RoundTripsThroughTheCommSection)
{
    QTemporaryDir dir;
    Settings settings((dir.path() + QStringLiteral("/s.ini")).toStdString());
    EXPECT_EQ(LoadPortSettings(settings, 5), (PortSettingsChoice{5, 3, 1}));
    StorePortSettings(settings, 5, {1, 5, 0});
    EXPECT_EQ(settings.lineSettings(5), "2400,E,8,1");
    EXPECT_EQ(settings.protocol(5), 0);
    EXPECT_EQ(LoadPortSettings(settings, 5), (PortSettingsChoice{1, 5, 0}));
    EXPECT_EQ(LoadPortSettings(settings, 6), (PortSettingsChoice{5, 3, 1}));
}

} // namespace
} // namespace corvane
