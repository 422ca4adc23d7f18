// The update check against a local anonymous FTP server.

#include "transferfixture.h"

#include "device/devicefixture.h"
#include "transfer/internetsession.h"
#include "transfer/transfersettings.h"
#include "transfer/updatecheck.h"

namespace corvane::testing {
namespace {

constexpr const char* kLatest = "You are currently running the latest revision of Corvane for Pellion.net.";

class UpdateCheckTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    QTemporaryDir work;
    FtpServerProcess server;
    Settings store{work.filePath("corvane.ini").toStdString()};
    std::unique_ptr<InternetSession> internet = InternetSession::Create();
    RecordingInteraction ui;
    FakeProgress progress;
    FakeShell shell;
    int quits = 0;

    void SetUp() override
    {
        ASSERT_TRUE(internet);
        ASSERT_TRUE(QDir(root.path()).mkdir("Corvane"));
        ASSERT_TRUE(server.start(root.path().toStdString(), "unused", true)) << server.error();
        SetStringValue(store, settings::UpdateServerHost, "127.0.0.1");
        store.setValue(settings::UpdateServerPort, server.port());
    }

    UpdateCheckEnd check()
    {
        UpdateCheck c{*internet, ui, progress, shell, store, work.path().toStdString(), [this] { ++quits; }};
        return c.run();
    }
};

TEST_F(UpdateCheckTest, ComparesTheReleaseWithThisRevision)
{
    struct Case {
        const char* revTxt;
        Answer answer;
        UpdateCheckEnd end;
        std::string text;
    };
    const Case cases[] = {
        {"0.04\r\n", Answer::Cancel, UpdateCheckEnd::Declined,
         "A newer revision of Corvane (revision 00.04) is now available. Upgrade now?"},
        {"0.03\r\n", Answer::Ok, UpdateCheckEnd::Latest, kLatest},
        {"0.031", Answer::Ok, UpdateCheckEnd::Latest, kLatest},
        {"0.0321234", Answer::Ok, UpdateCheckEnd::Installing,
         "A newer revision of Corvane (revision 00.03) is now available. Upgrade now?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.revTxt);
        WriteAll(root.filePath("Corvane/REV.TXT"), c.revTxt);
        ui.messages.clear();
        ui.answers = {c.answer};
        EXPECT_EQ(check(), c.end);
        EXPECT_EQ(ui.texts(), (std::vector<std::string>{c.text}));
        EXPECT_EQ(ReadAll(work.filePath("REV.TXT")), c.revTxt);
        EXPECT_EQ(progress.title, "Firmware Upgrade Wizard");
        EXPECT_TRUE(progress.closed);
    }
    EXPECT_EQ(ui.messages[0].caption, "Corvane for Pellion.net Upgrade Wizard");
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"http://127.0.0.1\\Corvane\\dist\\Corvane for Pellion.net.msi"}));
    EXPECT_EQ(quits, 1);
}

TEST_F(UpdateCheckTest, NoServerGivesTheFtpMessageAndNoRevision)
{
    WriteAll(work.filePath("rev.txt"), "0.04");
    WriteAll(work.filePath("REV.TXT"), "0.04");
    server.stop();
    EXPECT_EQ(check(), UpdateCheckEnd::NoInformation);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Unable to open FTP connection to server via Internet"}));
    EXPECT_EQ(ui.messages[0].caption, "Pellion.net Upgrade Wizard");
    EXPECT_FALSE(QFile::exists(work.filePath("rev.txt")));
    EXPECT_FALSE(QFile::exists(work.filePath("REV.TXT")));
}

TEST_F(UpdateCheckTest, MissingReleaseFile)
{
    EXPECT_EQ(check(), UpdateCheckEnd::NoInformation);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Error retrieving revision information... aborting"}));
    // A server without the folder: no message at all.
    ASSERT_TRUE(QDir(root.path()).rmdir("Corvane"));
    ui.messages.clear();
    EXPECT_EQ(check(), UpdateCheckEnd::NoInformation);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(UpdateCheckSettings, DefaultsNameNothingReal)
{
    QTemporaryDir dir;
    Settings store(dir.filePath("s.ini").toStdString());
    for (const StringSetting& key : {settings::UpdateServerHost, settings::UpdateServerPassword})
        EXPECT_TRUE(StringValue(store, key).ends_with(".example")) << key.name;
    SetStringValue(store, settings::UpdateServerHost, "updates.local");
    EXPECT_EQ(StringValue(store, settings::UpdateServerHost), "updates.local");
}

} // namespace
} // namespace corvane::testing
