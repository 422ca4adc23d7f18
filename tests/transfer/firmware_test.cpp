// The firmware upgrade against pellion-sim with its FTP side.

#include "transferfixture.h"

#include "common/crc32.h"
#include "device/devicefixture.h"
#include "transfer/firmwareupgrade.h"
#include "transfer/internetsession.h"

namespace corvane::testing {
namespace {

constexpr std::uint32_t kCrc002 = 0xEB85BEA3;
constexpr std::uint32_t kCrc003 = 0xDF69BBA8;
constexpr const char* kErase =
    "This process will erase ALL nonvolatile memory in the Pellion (configuration, reports, equations, etc.)... continue?";
constexpr const char* kAlreadyInstalled =
    "Upgrade aborted... the latest firmware image available is already installed in the Pellion.";
constexpr const char* kSuccess = "Transfer completed. The Pellion will be factory initialized. ";

TEST(FirmwareImage, ForgedCrcAndAppInfo)
{
    const std::string image = ImageWithCrc(4096, kCrc003);
    EXPECT_EQ(blockCrc({reinterpret_cast<const std::uint8_t*>(image.data()), image.size()}), kCrc003);
    struct Case {
        std::uint32_t length, crc;
        std::array<std::uint8_t, 8> bytes;
    };
    for (const Case& c : {Case{65536, kCrc003, {0x00, 0x01, 0x00, 0x00, 0xDF, 0x69, 0xBB, 0xA8}},
                          Case{0x01020304, 0, {1, 2, 3, 4, 0, 0, 0, 0}}})
        EXPECT_EQ(AppInfoBytes(c.length, c.crc), c.bytes);
}

TEST(FirmwareCommand, OnlyOnTcpIp)
{
    CCorvaneDoc doc;
    doc.commPort = 1;
    EXPECT_FALSE(CanUpgradeFirmware(doc));
    doc.commPort = 0;
    EXPECT_TRUE(CanUpgradeFirmware(doc));
}

class FirmwareUpgradeTest : public SimLinkTest {
protected:
    static constexpr const char* kCode = "4711";
    QTemporaryDir ftpRoot;
    QTemporaryDir work;
    std::unique_ptr<InternetSession> internet = InternetSession::Create();

    void start(std::vector<std::string> args = {})
    {
        args.insert(args.end(), {"--ftp-root", ftpRoot.path().toStdString(), "--access-code", kCode});
        startTcp(args);
    }

    void writeImage(const std::string& bytes) { WriteAll(work.filePath("ULOAD.BIN"), bytes); }

    UpgradeEnd upgrade()
    {
        internet->receiveTimeoutMs = 4321;
        FirmwareUpgrade wizard{link, doc, ui, progress, *internet};
        wizard.imagePath = work.filePath("ULOAD.BIN").toStdString();
        wizard.appInfoPath = work.filePath("APPINFO.DAT").toStdString();
        wizard.ftpPort = sim.ftpPort();
        wizard.rebootWaitSeconds = 1;
        const UpgradeEnd end = wizard.run();
        EXPECT_EQ(internet->receiveTimeoutMs, 4321);
        return end;
    }

    bool sent(const std::string& command) const
    {
        const auto r = sim.requests();
        return std::find(r.begin(), r.end(), command) != r.end();
    }
    std::string uploaded(const char* name) const { return ReadAll(ftpRoot.filePath(name)); }
};

TEST_F(FirmwareUpgradeTest, SameRevisionIsNotInstalledAgain)
{
    start();
    writeImage(ImageWithCrc(65536, kCrc003));
    ui.answers = {Answer::Ok};
    EXPECT_EQ(upgrade(), UpgradeEnd::Failed);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{kErase, kAlreadyInstalled}));
    EXPECT_EQ(ui.messages[0].caption, "Firmware Upgrade Wizard");
    EXPECT_EQ(ReadAll(work.filePath("APPINFO.DAT")), std::string("\x00\x01\x00\x00\xDF\x69\xBB\xA8", 8));
    EXPECT_FALSE(sent("UF"));
    EXPECT_TRUE(progress.closed);
}

TEST_F(FirmwareUpgradeTest, OlderControllerIsUpgradedAndRestartsWithTheNewImage)
{
    start({"--crc", "EB85BEA3"});
    const std::string image = ImageWithCrc(70000, kCrc003);
    writeImage(image);
    ui.answers = {Answer::Ok};
    ui.accessCodes = {kCode};
    EXPECT_EQ(upgrade(), UpgradeEnd::Completed);
    ASSERT_EQ(ui.messages.size(), 3u) << ::testing::PrintToString(ui.texts());
    EXPECT_EQ(ui.messages[0].text, kErase);
    EXPECT_NE(ui.messages[1].text.find("older revision"), std::string::npos); // the contact's own note
    EXPECT_EQ(ui.messages[2].text, kSuccess);
    EXPECT_EQ(ui.messages[2].caption, "Firmware Upgraded Successfully");
    EXPECT_TRUE(sent("UF"));
    EXPECT_EQ(doc.connectionState, Offline);
    EXPECT_EQ(uploaded("ULOAD.BIN"), image);
    EXPECT_EQ(uploaded("APPINFO.DAT"), ReadAll(work.filePath("APPINFO.DAT")));
    const std::vector<std::string> steps{"Image information processing complete...",
                                         "Preparing Pellion.net for upgrade process...",
                                         "Preparing Pellion.net for upgrade process...",
                                         "Allowing Pellion.net to reboot into RAM executive; please wait...",
                                         "Erasing existing application memory (flash)...",
                                         "Initiating application image download...",
                                         "downloading image...",
                                         "Allowing Pellion.net to restart with new image..."};
    EXPECT_EQ(progress.texts, steps);
    EXPECT_EQ(progress.title, "Firmware Upgrade Wizard");

    link.RetryCommunications(doc);
    EXPECT_GT(doc.connectionState, Offline);
    EXPECT_FLOAT_EQ(doc.controllerRevision, 0.03f);
}

TEST_F(FirmwareUpgradeTest, SilentControllerGetsTheImageDirectly)
{
    start({"--ram-executive"});
    const std::string image = ImageWithCrc(1000, kCrc003);
    writeImage(image);
    ui.answers = {Answer::Ok};
    ui.accessCodes = {kCode};
    EXPECT_EQ(upgrade(), UpgradeEnd::Completed);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{kErase, kSuccess}));
    EXPECT_FALSE(sent("UF"));
    EXPECT_EQ(uploaded("ULOAD.BIN"), image);
    EXPECT_EQ(std::count(progress.texts.begin(), progress.texts.end(), "Preparing Pellion.net for upgrade process..."), 1);
    EXPECT_EQ(link.Contact(doc, true), ReadAccess); // answering again, at 0.03
    EXPECT_FLOAT_EQ(doc.controllerRevision, 0.03f);
}

TEST_F(FirmwareUpgradeTest, ImageThatDisagreesWithItsDescriptionLeavesTheControllerSilent)
{
    start({"--ram-executive"});
    WriteAll(ftpRoot.filePath("ULOAD.BIN"), "");
    auto ftp = internet->openFtp();
    ASSERT_EQ(ftp->connect({"127.0.0.1", sim.ftpPort(), "Corvane", kCode}), 0);
    const std::string image = ImageWithCrc(600, kCrc003);
    writeImage(image);
    const auto wrongInfo = AppInfoBytes(599, kCrc003);
    WriteAll(work.filePath("APPINFO.DAT"), std::string(wrongInfo.begin(), wrongInfo.end()));
    EXPECT_EQ(ftp->putFile(work.filePath("APPINFO.DAT").toStdString(), "APPINFO.DAT"), 0);
    EXPECT_EQ(ftp->putFile(work.filePath("ULOAD.BIN").toStdString(), "ULOAD.BIN"), 0);
    ftp->disconnect();
    EXPECT_EQ(link.Contact(doc, true), Offline);
}

TEST_F(FirmwareUpgradeTest, RefusedAccessCodeStopsBeforeUF)
{
    start({"--crc", "EB85BEA3"});
    writeImage(ImageWithCrc(600, kCrc003));
    ui.answers = {Answer::Ok};
    ui.accessCodes = {"9999"};
    EXPECT_EQ(upgrade(), UpgradeEnd::Failed);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().text, "Invalid access code... aborting operation");
    EXPECT_EQ(ui.messages.back().caption, "Error connecting to Pellion.net");
    EXPECT_FALSE(sent("UF"));
}

TEST_F(FirmwareUpgradeTest, EndsBeforeTheControllerIsTouched)
{
    struct Case {
        const char* name;
        std::optional<std::string> image;
        std::vector<std::string> simArgs;
        std::deque<Answer> answers;
        std::vector<std::string> texts; // after the erase question
        UpgradeEnd end;
    };
    const Case cases[] = {
        {"erase declined", ImageWithCrc(600, kCrc003), {}, {Answer::Cancel}, {}, UpgradeEnd::Cancelled},
        {"no image", std::nullopt, {}, {Answer::Ok}, {"No new application image found... aborting"}, UpgradeEnd::Failed},
        {"unknown image", Pattern(600), {}, {Answer::Ok},
         {"This firmware image is unrecognized by Corvane. Verify you have the most recent version of Corvane."},
         UpgradeEnd::Failed},
        {"no program mode", ImageWithCrc(600, kCrc002), {"--refuse-program"}, {Answer::Ok},
         {"Upgrade aborted... Program Mode access via communications is required."}, UpgradeEnd::Failed},
        {"newer controller, declined", ImageWithCrc(600, kCrc002), {}, {Answer::Ok, Answer::Cancel},
         {"WARNING... the existing firmware image is newer than the version you are attempting to download. Continue?"},
         UpgradeEnd::Cancelled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start(c.simArgs);
        QFile::remove(work.filePath("ULOAD.BIN"));
        if (c.image)
            writeImage(*c.image);
        ui.messages.clear();
        ui.answers = c.answers;
        ui.accessCodes = {kCode};
        progress = {};
        EXPECT_EQ(upgrade(), c.end);
        std::vector<std::string> expected{kErase};
        expected.insert(expected.end(), c.texts.begin(), c.texts.end());
        EXPECT_EQ(ui.texts(), expected);
        EXPECT_FALSE(sent("UF"));
        EXPECT_EQ(ui.accessCodes.size(), 1u); // never asked
    }
}

TEST_F(FirmwareUpgradeTest, RejectedUFIsReported)
{
    start({"--crc", "EB85BEA3", "--reject", "UF:*"});
    writeImage(ImageWithCrc(600, kCrc003));
    ui.answers = {Answer::Ok, Answer::Ok};
    ui.accessCodes = {kCode};
    EXPECT_EQ(upgrade(), UpgradeEnd::Failed);
    ASSERT_GE(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages.back().text, "Error loading RAM executive - aborting.");
    EXPECT_TRUE(uploaded("ULOAD.BIN") == "<missing>");
}

} // namespace
} // namespace corvane::testing
