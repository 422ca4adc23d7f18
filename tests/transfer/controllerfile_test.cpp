// The read and dump pieces of controller-file documents.

#include "transferfixture.h"

#include "common/crc32.h"
#include "configdoc/corvanedoc.h"
#include "device/devicefixture.h"
#include "transfer/controllerfile.h"

namespace corvane::testing {
namespace {

const ControllerFileWords kWords{
    "EQUATION.CFG",
    "Reading Equations...",
    "Error retrieving equation set",
    "CRC of returned equation set does not match expected value.",
    "No Entries Defined. Nothing to download.",
    "Downloading Equation...",
    "Sending...",
    "Error sending equation set",
    "Equation set transfer to Pellion.net complete.",
    "equation file",
};

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::string WithTrailer(std::string body)
{
    std::vector<std::uint8_t> image = Bytes(body);
    appendCrcTrailer(image);
    return {image.begin(), image.end()};
}

TEST(TransferReadBack, ChecksTheTrailer)
{
    QTemporaryDir dir;
    std::string bad = WithTrailer("some image");
    bad[3] ^= 0x01;
    std::string swapped = WithTrailer("some image"); // trailer read little-endian would pass
    std::swap(swapped[swapped.size() - 1], swapped[swapped.size() - 4]);
    std::string longImage = WithTrailer(Pattern(kReadBackLimit - 4));
    std::string tooLong = WithTrailer(Pattern(kReadBackLimit)); // its trailer lies beyond 65000 bytes

    struct Case {
        const char* name;
        std::string file;
        bool passes;
    };
    const Case cases[] = {
        {"good", WithTrailer("image"), true},
        {"only a trailer", WithTrailer(""), true},
        {"damaged", bad, false},
        {"trailer in the wrong byte order", swapped, false},
        {"three bytes", std::string("\x00\x00\x00", 3), false},
        {"empty", "", false},
        {"65000 bytes", longImage, true},
        {"over 65000 bytes", tooLong, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath("read.tmp");
        WriteAll(path, c.file);
        RecordingInteraction ui;
        const auto image = ReadBackImage(path.toStdString(), kWords, ui);
        EXPECT_EQ(image.has_value(), c.passes);
        if (c.passes) {
            EXPECT_EQ(std::string(image->begin(), image->end()), c.file.substr(0, c.file.size() - 4));
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_TRUE(QFile::exists(path));
        } else {
            EXPECT_EQ(ui.texts(), (std::vector<std::string>{kWords.crcMessage}));
            EXPECT_FALSE(QFile::exists(path));
        }
    }
}

TEST(TransferImageWriter, WritesTheTrailerAndStopsOnCancel)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("EQUATION.CFG").toStdString();
    const std::vector<std::uint8_t> body = Bytes("123456789");
    FakeProgress progress;
    ASSERT_TRUE(WriteControllerImage(path, body, progress));
    EXPECT_EQ(ReadAll(QString::fromStdString(path)), std::string("123456789\xCB\xF4\x39\x26"));
    EXPECT_EQ(progress.steps, 13);

    FakeProgress cancelling;
    cancelling.cancelAfter = 600;
    EXPECT_FALSE(WriteControllerImage(path, Bytes(Pattern(2000)), cancelling));
    EXPECT_EQ(cancelling.steps, 1024); // noticed after the block it happened in
}

TEST(TransferTarget, NeedsANetworkPortAndTheAccessCode)
{
    QTemporaryDir dir;
    Settings store(dir.filePath("s.ini").toStdString());
    store.setValue(settings::ControllerFtpPort, 2121);
    CCorvaneDoc doc;
    doc.commPort = 1;
    RecordingInteraction ui;
    EXPECT_FALSE(PrepareControllerFileTransfer(nullptr, ui, store));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(PrepareControllerFileTransfer(&doc, ui, store));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Either an Ethernet or a SLIP connection is required for this function");
    EXPECT_EQ(ui.messages[0].caption, "Cannot perform requested operation");

    doc.commPort = 0;
    doc.controllerAddress = 0xC0A80A05;
    EXPECT_FALSE(PrepareControllerFileTransfer(&doc, ui, store)); // access code dialog cancelled
    ui.accessCodes.push_back("1234");
    const auto target = PrepareControllerFileTransfer(&doc, ui, store);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->server, "192.168.10.5");
    EXPECT_EQ(target->port, 2121);
    EXPECT_EQ(target->accessCode, "1234");
}

// The owner of a document: keeps the done notification's job.
class DocumentOwner : public TransferOwner {
public:
    CTransferThread* done = nullptr;
    std::vector<std::string> statuses;
    void transferStatus(CTransferThread&, const std::string& word) override { statuses.push_back(word); }
    void transferDone(CTransferThread& job, int, int) override { done = &job; }

    void waitForDone()
    {
        QElapsedTimer timer;
        timer.start();
        while (!done && timer.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
        ASSERT_TRUE(done);
    }
};

using FtpControllerFileTest = FtpServerTest;

TEST_F(FtpControllerFileTest, DumpThenReadBack)
{
    RecordingInteraction ui;
    FakeProgress progress;
    const ControllerFileTarget target{"127.0.0.1", server.port(), kCode};
    const std::string image = local.filePath("EQUATION.CFG").toStdString();
    const std::vector<std::uint8_t> body = Bytes(Pattern(3000));
    ASSERT_TRUE(WriteControllerImage(image, body, progress));

    DocumentOwner dumpOwner;
    ASSERT_TRUE(StartControllerFileDump(target, kWords, image, &dumpOwner, ui, progress).release());
    dumpOwner.waitForDone();
    EXPECT_TRUE(FinishControllerFileDump(dumpOwner.done, kWords, ui));
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{kWords.sendDoneMessage}));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(image))); // dump images stay

    ui.messages.clear();
    const auto temporary = MakeTemporaryFileName(ui);
    ASSERT_TRUE(temporary);
    DocumentOwner readOwner;
    ASSERT_TRUE(StartControllerFileRead(target, kWords, *temporary, &readOwner, ui, progress).release());
    EXPECT_EQ(progress.title, kWords.readTitle);
    EXPECT_TRUE(progress.closed);
    readOwner.waitForDone();
    EXPECT_EQ(readOwner.statuses, (std::vector<std::string>{"Initializing", "Connecting", "Downloading", "Finished"}));
    const auto back = FinishControllerFileRead(readOwner.done, kWords, ui);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, body);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(*temporary)));
}

TEST_F(FtpControllerFileTest, FailedReadShowsTheResultUnderTheDocumentsCaption)
{
    RecordingInteraction ui;
    FakeProgress progress;
    const ControllerFileTarget target{"127.0.0.1", server.port(), "wrong"};
    DocumentOwner owner;
    ASSERT_TRUE(StartControllerFileRead(target, kWords, localPath("t"), &owner, ui, progress).release());
    owner.waitForDone();
    EXPECT_FALSE(FinishControllerFileRead(owner.done, kWords, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, InternetErrorText(kInternetIncorrectPassword));
    EXPECT_EQ(ui.messages[0].caption, kWords.readErrorCaption);
}

} // namespace
} // namespace corvane::testing
