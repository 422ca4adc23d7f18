// The libcurl FTP client against a real server.

#include "transferfixture.h"

namespace corvane::testing {
namespace {

using FtpClientTest = FtpServerTest;

TEST_F(FtpClientTest, FoldersFilesAndReplies)
{
    WriteAll(remote("A.CFG"), "alpha");
    WriteAll(root.filePath("TOP.BIN"), "top");
    auto ftp = MakeCurlFtpClient();
    ftp->setTimeouts({3000, 3000, 3000});
    EXPECT_EQ(ftp->setCurrentDirectory("CONFIG"), kInternetNotConnected);
    ASSERT_EQ(ftp->connect({"127.0.0.1", server.port(), "Corvane", kCode}), 0);
    EXPECT_FALSE(ftp->lastResponse().empty());

    EXPECT_EQ(ftp->setCurrentDirectory("NOPE"), kInternetExtendedError);
    EXPECT_TRUE(ftp->lastResponse().starts_with("550")) << ftp->lastResponse();
    ASSERT_EQ(ftp->setCurrentDirectory("CONFIG"), 0);
    EXPECT_EQ(ftp->setCurrentDirectory("NOPE"), kInternetExtendedError); // stays in CONFIG
    EXPECT_EQ(ftp->getFile("A.CFG", localPath("a")), 0);
    EXPECT_EQ(ReadAll(QString::fromStdString(localPath("a"))), "alpha");

    EXPECT_EQ(ftp->deleteFile("A.CFG"), 0);
    EXPECT_FALSE(QFile::exists(remote("A.CFG")));
    EXPECT_EQ(ftp->deleteFile("A.CFG"), kInternetExtendedError);
    EXPECT_EQ(ftp->openFile("A.CFG", FtpOpenMode::Read), kInternetExtendedError);

    ASSERT_EQ(ftp->setCurrentDirectory("/"), 0);
    EXPECT_EQ(ftp->getFile("TOP.BIN", localPath("top")), 0);
    EXPECT_EQ(ReadAll(QString::fromStdString(localPath("top"))), "top");
    ftp->disconnect();
    EXPECT_FALSE(ftp->connected());
}

TEST_F(FtpClientTest, PassiveModeAndReconnection)
{
    const std::string bytes = Pattern(100000);
    WriteAll(QString::fromStdString(localPath("big")), bytes);
    auto ftp = MakeCurlFtpClient();
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive);
        ASSERT_EQ(ftp->connect({"127.0.0.1", server.port(), "Corvane", kCode, passive}), 0);
        ASSERT_EQ(ftp->setCurrentDirectory("CONFIG"), 0);
        EXPECT_EQ(ftp->putFile(localPath("big"), "BIG.CFG"), 0);
        EXPECT_EQ(ReadAll(remote("BIG.CFG")), bytes);
        EXPECT_EQ(ftp->getFile("BIG.CFG", localPath("back")), 0);
        EXPECT_EQ(ReadAll(QString::fromStdString(localPath("back"))), bytes);
    }
    // An abandoned read does not spoil the next operation.
    ASSERT_EQ(ftp->openFile("BIG.CFG", FtpOpenMode::Read), 0);
    char block[512];
    EXPECT_EQ(ftp->read(block, sizeof block), 512);
    EXPECT_EQ(ftp->closeFile(), 0);
    EXPECT_EQ(ftp->getFile("BIG.CFG", localPath("again")), 0);
    EXPECT_EQ(ReadAll(QString::fromStdString(localPath("again"))), bytes);
}

} // namespace
} // namespace corvane::testing
