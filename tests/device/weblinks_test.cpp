#include "common/settings.h"
#include "device/weblinks.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(WebLinks, ControllerAddressIsDottedMostSignificantFirst)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0xC0A80132u, "http://192.168.1.50"},
        {0x0A000001u, "http://10.0.0.1"},
        {0xFFFFFFFFu, "http://255.255.255.255"},
        {1u, "http://0.0.0.1"},
    };
    for (const auto& [address, expected] : cases)
        EXPECT_EQ(ControllerWebAddress(address), expected);
}

TEST(WebLinks, MakersSiteFallsBackToTheDefault)
{
    QTemporaryDir dir;
    Settings settings((dir.path() + QStringLiteral("/s.ini")).toStdString());
    EXPECT_EQ(MakerWebSite(settings), kDefaultMakerWebSite);
    SetMakerWebSite(settings, "  ");
    EXPECT_EQ(MakerWebSite(settings), kDefaultMakerWebSite);
    SetMakerWebSite(settings, "https://corvane.example/");
    EXPECT_EQ(MakerWebSite(settings), "https://corvane.example/");
    EXPECT_TRUE(std::string(kDefaultMakerWebSite).find(".example/") != std::string::npos);
}

} // namespace
} // namespace corvane
