// corvane-cli file, upgrade and check-update against pellion-sim's FTP side.

#include "transferfixture.h"

#include "common/cformat.h"
#include "common/crc32.h"
#include "configdoc/corvanedoc.h"
#include "configdoc/datafile.h"
#include "support/simprocess.h"

#include "support/cliprocess.h"

namespace corvane::testing {
namespace {


class FtpCliTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QTemporaryDir ftpRoot;
    SimProcess sim;

    void SetUp() override
    {
        CCorvaneDoc doc;
        doc.OnNewDocument();
        ASSERT_TRUE(SaveDataFile(doc, path("unit.mlb")).ok());
        WriteAll(dir.filePath("code.txt"), "4711\n");
        WriteAll(dir.filePath("wrong.txt"), "1\n");
    }

    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }

    void start(std::vector<std::string> args = {})
    {
        args.insert(args.begin(), {"--tcp", "0", "--ftp-root", ftpRoot.path().toStdString(), "--access-code", "4711"});
        ASSERT_TRUE(sim.start(args)) << sim.error();
    }

    CliRun run(std::vector<std::string> args, bool link = true) const
    {
        if (link) {
            args.insert(args.end(), {"--tcp", CFormat("127.0.0.1:%u", sim.tcpPort()), "--ftp-port",
                                     std::to_string(sim.ftpPort()), "--timeout", "300"});
        }
        return RunCli(args, {.workingDirectory = dir.path(), .configHome = dir.path()});
    }
};

TEST_F(FtpCliTest, PutThenGetAControllerFile)
{
    start();
    const std::string bytes = Pattern(5000);
    WriteAll(dir.filePath("report.bin"), bytes);
    const CliRun put = run({"file", "put", path("unit.mlb"), "report.bin", "TRANSRPT.CFG", "--access-code-file", "code.txt"});
    EXPECT_EQ(put.exit, 0) << put.err;
    EXPECT_TRUE(Has(put.err, "\"CONFIG/TRANSRPT.CFG\" successfully uploaded.")) << put.err;
    EXPECT_EQ(ReadAll(ftpRoot.filePath("CONFIG/TRANSRPT.CFG")), bytes);

    const CliRun get = run({"file", "get", path("unit.mlb"), "TRANSRPT.CFG", "copy.bin", "--access-code-file", "code.txt"});
    EXPECT_EQ(get.exit, 0) << get.err;
    EXPECT_EQ(ReadAll(dir.filePath("copy.bin")), bytes);
    EXPECT_FALSE(QFile::exists(dir.filePath("copy.bin.part")));
}

TEST_F(FtpCliTest, FailedGetLeavesTheLocalFileAlone)
{
    start();
    WriteAll(dir.filePath("keep.bin"), "old");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {"refused access code",
         {"file", "get", path("unit.mlb"), "NONE.CFG", "keep.bin", "--access-code-file", "wrong.txt", "--attempts", "3"},
         InternetErrorText(kInternetIncorrectPassword)},
        {"missing remote file", {"file", "get", path("unit.mlb"), "NONE.CFG", "keep.bin", "--access-code-file", "code.txt"},
         "Unable to open remote file NONE.CFG"},
        {"path as a name", {"file", "get", path("unit.mlb"), "../x", "keep.bin", "--access-code-file", "code.txt"},
         "CONFIG folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun r = run(c.args);
        EXPECT_EQ(r.exit, 1);
        EXPECT_TRUE(Has(r.err, c.err)) << r.err;
        EXPECT_FALSE(Has(r.err, "Attempt 2")) << r.err;
        EXPECT_EQ(ReadAll(dir.filePath("keep.bin")), "old");
        EXPECT_FALSE(QFile::exists(dir.filePath("keep.bin.part")));
    }
}

TEST_F(FtpCliTest, UpgradeNeedsConfirmationThenReplacesTheFirmware)
{
    start({"--crc", "EB85BEA3"});
    const std::string image = ImageWithCrc(3000, 0xDF69BBA8); // revision 0.03
    WriteAll(dir.filePath("ULOAD.BIN"), image);

    const CliRun refused = run({"upgrade", path("unit.mlb"), "--access-code-file", "code.txt", "--reboot-wait", "1"});
    EXPECT_EQ(refused.exit, 1);
    EXPECT_TRUE(Has(refused.err, "--yes")) << refused.err;
    EXPECT_EQ(ReadAll(ftpRoot.filePath("ULOAD.BIN")), "<missing>");

    const CliRun done =
        run({"upgrade", path("unit.mlb"), "--yes", "--access-code-file", "code.txt", "--reboot-wait", "1"});
    EXPECT_EQ(done.exit, 0) << done.err;
    EXPECT_TRUE(Has(done.err, "Transfer completed. The Pellion will be factory initialized.")) << done.err;
    EXPECT_EQ(ReadAll(ftpRoot.filePath("ULOAD.BIN")), image);
    EXPECT_EQ(ReadAll(dir.filePath("APPINFO.DAT")).size(), 8u);
    const auto requests = sim.requests();
    EXPECT_NE(std::find(requests.begin(), requests.end(), "UF"), requests.end());
}

TEST_F(FtpCliTest, CheckUpdateOffersANewerRelease)
{
    FtpServerProcess updates;
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir("Corvane"));
    WriteAll(root.filePath("Corvane/REV.TXT"), "0.04\r\n");
    ASSERT_TRUE(updates.start(root.path().toStdString(), "unused", true)) << updates.error();
    const std::string server = CFormat("127.0.0.1:%u", updates.port());

    const CliRun asked = run({"check-update", "--server", server}, false);
    EXPECT_EQ(asked.exit, 0) << asked.err;
    EXPECT_TRUE(Has(asked.err, "A newer revision of Corvane (revision 00.04) is now available. Upgrade now?")) << asked.err;
    EXPECT_EQ(ReadAll(dir.filePath("REV.TXT")), "0.04\r\n");

    const CliRun yes = run({"check-update", "--server", server, "--yes"}, false);
    EXPECT_EQ(yes.out, "http://127.0.0.1\\Corvane\\dist\\Corvane for Pellion.net.msi\n");

    updates.stop();
    const CliRun none = run({"check-update", "--server", server}, false);
    EXPECT_EQ(none.exit, 1);
    EXPECT_TRUE(Has(none.err, "Unable to open FTP connection to server via Internet")) << none.err;
}

} // namespace
} // namespace corvane::testing
