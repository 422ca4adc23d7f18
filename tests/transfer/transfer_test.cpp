// Transfer jobs against a real FTP server on loopback.

#include "transferfixture.h"

#include <QFileInfo>

#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include <thread>

#include <chrono>

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;

// Counts the block reads of the real client.
class CountingClient : public FtpClient {
public:
    explicit CountingClient(int* reads) : reads_(reads), inner_(MakeCurlFtpClient()) {}
    void setTimeouts(const FtpTimeouts& t) override { inner_->setTimeouts(t); }
    int connect(const FtpLogin& l) override { return inner_->connect(l); }
    void disconnect() override { inner_->disconnect(); }
    bool connected() const override { return inner_->connected(); }
    int setCurrentDirectory(const std::string& f) override { return inner_->setCurrentDirectory(f); }
    int deleteFile(const std::string& n) override { return inner_->deleteFile(n); }
    int openFile(const std::string& n, FtpOpenMode m) override { return inner_->openFile(n, m); }
    long read(void* b, std::size_t s) override
    {
        ++*reads_;
        return inner_->read(b, s);
    }
    bool write(const void* b, std::size_t s) override { return inner_->write(b, s); }
    int closeFile() override { return inner_->closeFile(); }
    std::string lastResponse() const override { return inner_->lastResponse(); }
    int lastError() const override { return inner_->lastError(); }

private:
    int* reads_;
    std::unique_ptr<FtpClient> inner_;
};

// A loopback port on which nothing listens.
std::uint16_t ClosedPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

using FtpTransferTest = FtpServerTest;

TEST_F(FtpTransferTest, DownloadsByteForByteInBlocks)
{
    struct Case {
        std::size_t size;
        int reads; // a multiple of 512 ends with one read that returns nothing
    };
    for (const Case c : {Case{0, 1}, Case{511, 1}, Case{512, 2}, Case{513, 2}, Case{65536, 129}}) {
        SCOPED_TRACE(c.size);
        owner = {};
        const std::string bytes = Pattern(c.size);
        WriteAll(remote("EQUATION.CFG"), bytes);
        int reads = 0;
        auto j = job<CDownloadThread>("CONFIG/EQUATION.CFG", localPath("eq.tmp"));
        j->clientFactory = [&reads] { return std::make_unique<CountingClient>(&reads); };
        j->expectedSize = 65535;
        run(*j);
        EXPECT_EQ(owner.doneMessage, WM_DOWNLOAD_DONE);
        EXPECT_EQ(owner.doneParameter, 0);
        EXPECT_EQ(owner.errorFlag, 0);
        EXPECT_EQ(owner.result, "\"CONFIG/EQUATION.CFG\" successfully downloaded.");
        EXPECT_EQ(owner.statuses, (std::vector<std::string>{"Initializing", "Connecting", "Downloading", "Finished"}));
        EXPECT_EQ(ReadAll(QString::fromStdString(localPath("eq.tmp"))), bytes);
        StopAndDispose(j.release());
        EXPECT_EQ(reads, c.reads);
    }
    const auto first = dialog->first();
    EXPECT_EQ(dialog->caption, "Receiving CONFIG/EQUATION.CFG");
    EXPECT_EQ(first.front(), "Connecting to 127.0.0.1 (Attempt 1 of 1)");
    EXPECT_NE(std::find(first.begin(), first.end(), "EQUATION.CFG (65536 of 65535  bytes transferred)"), first.end());
    EXPECT_EQ(first.back(), "Closing connection to 127.0.0.1");
    EXPECT_NE(std::find(dialog->second().begin(), dialog->second().end(), "to: " + localPath("eq.tmp")),
              dialog->second().end());
    EXPECT_EQ(dialog->titles.back(), "100% Receiving CONFIG/EQUATION.CFG");
}

TEST_F(FtpTransferTest, UploadsByteForByteAndTakesTheFileLength)
{
    for (const std::size_t size : {0u, 511u, 512u, 513u, 65536u}) {
        SCOPED_TRACE(size);
        owner = {};
        const std::string bytes = Pattern(size);
        WriteAll(QString::fromStdString(localPath("TRANSRPT.CFG")), bytes);
        auto j = job<CUploadThread>("CONFIG/TRANSRPT.CFG", localPath("TRANSRPT.CFG"));
        run(*j);
        EXPECT_EQ(owner.doneMessage, WM_UPLOAD_DONE);
        EXPECT_EQ(owner.doneParameter, 1);
        EXPECT_EQ(owner.errorFlag, 0);
        EXPECT_EQ(owner.result, "\"CONFIG/TRANSRPT.CFG\" successfully uploaded.");
        EXPECT_EQ(owner.statuses, (std::vector<std::string>{"Initializing", "Connecting", "Uploading", "Finished"}));
        EXPECT_EQ(j->expectedSize, size);
        StopAndDispose(j.release());
        EXPECT_EQ(ReadAll(remote("TRANSRPT.CFG")), bytes);
    }
    EXPECT_EQ(dialog->caption, "Sending " + localPath("TRANSRPT.CFG"));
    const auto first = dialog->first();
    EXPECT_NE(std::find(first.begin(), first.end(), "TRANSRPT.CFG (65536 of 65536  bytes transferred)"), first.end());
    EXPECT_EQ(dialog->titles.back(), "100% Sending " + localPath("TRANSRPT.CFG"));
}

TEST_F(FtpTransferTest, RefusedPasswordGivesOneAttempt)
{
    auto j = job<CDownloadThread>("CONFIG/EQUATION.CFG", localPath("eq.tmp"));
    j->password = "wrong";
    j->attempts = 3;
    j->retryDelay = 1;
    run(*j);
    EXPECT_EQ(owner.errorFlag, 1);
    EXPECT_EQ(owner.result, InternetErrorText(kInternetIncorrectPassword));
    EXPECT_EQ(owner.statuses, (std::vector<std::string>{"Initializing", "Connecting"}));
    EXPECT_EQ(dialog->first(), (std::vector<std::string>{"Connecting to 127.0.0.1 (Attempt 1 of 3)"}));
    StopAndDispose(j.release());
}

TEST_F(FtpTransferTest, RefusedConnectionsAreRetriedAfterTheDelay)
{
    auto j = job<CUploadThread>("CONFIG/X.CFG", localPath("x"));
    j->port = ClosedPort();
    j->attempts = 3;
    j->retryDelay = 1;
    const auto start = std::chrono::steady_clock::now();
    run(*j);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(owner.errorFlag, 1);
    EXPECT_EQ(owner.doneParameter, 0);
    EXPECT_EQ(owner.result, InternetErrorText(kInternetCannotConnect));
    EXPECT_EQ(owner.statuses, (std::vector<std::string>{"Initializing", "Connecting", "Retrying", "Retrying"}));
    EXPECT_EQ(dialog->first(), (std::vector<std::string>{
                                   "Connecting to 127.0.0.1 (Attempt 1 of 3)", "Failed to connect to 127.0.0.1 (Attempt 1 of 3)",
                                   "Connecting to 127.0.0.1 (Attempt 2 of 3)", "Failed to connect to 127.0.0.1 (Attempt 2 of 3)",
                                   "Connecting to 127.0.0.1 (Attempt 3 of 3)"}));
    EXPECT_EQ(dialog->second(), (std::vector<std::string>{"", "Retrying after 1 seconds...", "", "Retrying after 1 seconds...", ""}));
    StopAndDispose(j.release());
}

TEST_F(FtpTransferTest, CancelDuringTheRetryWaitEndsWithTheRetryLine)
{
    auto j = job<CDownloadThread>("CONFIG/X.CFG", localPath("x"));
    j->port = ClosedPort();
    j->attempts = 3;
    j->retryDelay = 30;
    CTransferThread* raw = j.get();
    dialog->onLine = [raw](const std::string& line) {
        if (line.starts_with("Failed to connect"))
            raw->cancelEvent.set();
    };
    const auto start = std::chrono::steady_clock::now();
    run(*j);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
    EXPECT_EQ(owner.errorFlag, 1);
    EXPECT_EQ(owner.result, "Retrying after 30 seconds...");
    EXPECT_EQ(owner.statuses, (std::vector<std::string>{"Initializing", "Connecting"}));
    StopAndDispose(j.release());
}

TEST_F(FtpTransferTest, CancelInTheBlockLoopLeavesAPartialFileWithoutError)
{
    const std::string bytes = Pattern(65536);
    WriteAll(remote("BIG.CFG"), bytes);
    WriteAll(QString::fromStdString(localPath("BIG.CFG")), bytes);
    for (const bool download : {true, false}) {
        SCOPED_TRACE(download ? "download" : "upload");
        owner = {};
        std::unique_ptr<CTransferThread> j;
        if (download)
            j = job<CDownloadThread>("CONFIG/BIG.CFG", localPath("part.tmp"));
        else
            j = job<CUploadThread>("CONFIG/PART.CFG", localPath("BIG.CFG"));
        CTransferThread* raw = j.get();
        dialog->onLine = [raw](const std::string& line) {
            if (line.find("(1024 of") != std::string::npos)
                raw->cancelEvent.set();
        };
        run(*j);
        EXPECT_EQ(owner.errorFlag, 0);
        EXPECT_EQ(owner.doneParameter, 0);
        EXPECT_EQ(owner.result, download ? "\"CONFIG/BIG.CFG\" download cancelled." : "\"CONFIG/PART.CFG\" upload cancelled.");
        StopAndDispose(j.release());
        const QString partial = download ? QString::fromStdString(localPath("part.tmp")) : remote("PART.CFG");
        EXPECT_EQ(ReadAll(partial), bytes.substr(0, 1024));
    }
}

TEST_F(FtpTransferTest, CancelBeforeTheStartEndsAtOnce)
{
    auto j = job<CUploadThread>("CONFIG/X.CFG", localPath("x"));
    j->cancelEvent.set();
    run(*j);
    EXPECT_EQ(owner.result, "\"CONFIG/X.CFG\" upload cancelled.");
    EXPECT_EQ(owner.errorFlag, 0);
    EXPECT_TRUE(owner.statuses.empty());
    StopAndDispose(j.release());
}

TEST_F(FtpTransferTest, FailuresBecomeTheResultText)
{
    WriteAll(remote("EQUATION.CFG"), "data");
    struct Case {
        const char* name;
        bool download;
        std::string remotePath;
        std::string localFile;
        std::string result; // a prefix of the result text
    };
    const std::string missingDir = local.filePath("no/such/dir/file").toStdString();
    const Case cases[] = {
        {"folder cannot be entered", true, "NOPE/EQUATION.CFG", localPath("a"), "550 "},
        {"remote file missing", true, "CONFIG/MISSING.CFG", localPath("a"), "Unable to open remote file MISSING.CFG"},
        {"local file cannot be created", true, "CONFIG/EQUATION.CFG", missingDir, "Unable to create file " + missingDir},
        {"local file missing", false, "CONFIG/EQUATION.CFG", missingDir, "Unable to open file " + missingDir},
        {"local write fails", true, "CONFIG/EQUATION.CFG", "/dev/full", "File Error 28 /dev/full"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        owner = {};
        std::unique_ptr<CTransferThread> j;
        if (c.download)
            j = job<CDownloadThread>(c.remotePath, c.localFile);
        else
            j = job<CUploadThread>(c.remotePath, c.localFile);
        run(*j);
        EXPECT_EQ(owner.errorFlag, 1);
        EXPECT_TRUE(owner.result.starts_with(c.result)) << owner.result;
        EXPECT_EQ(owner.result.find_first_of("\r\n"), std::string::npos) << owner.result;
        StopAndDispose(j.release());
    }
}

// A client whose block read fails with a given code and reply.
class FailingReadClient : public CountingClient {
public:
    FailingReadClient(int code, std::string reply) : CountingClient(&reads_), code_(code), reply_(std::move(reply)) {}
    long read(void*, std::size_t) override { return -1; }
    int lastError() const override { return code_; }
    std::string lastResponse() const override { return reply_; }

private:
    int reads_ = 0;
    int code_;
    std::string reply_;
};

TEST_F(FtpTransferTest, ClientErrorsInTheBlockLoopNameTheirCode)
{
    WriteAll(remote("EQUATION.CFG"), "data");
    struct Case {
        int code;
        std::string result;
    };
    // Only a server reply (12003) brings the reply text, with its line ends cleaned.
    for (const Case& c : {Case{kInternetExtendedError, "Internet Exception Error 12003 451 Local error  in reading "},
                          Case{kInternetTimeout, "Internet Exception Error 12002"}}) {
        owner = {};
        auto j = job<CDownloadThread>("CONFIG/EQUATION.CFG", localPath("a"));
        j->clientFactory = [code = c.code] { return std::make_unique<FailingReadClient>(code, "451 Local error\r\n in reading\r\n"); };
        run(*j);
        EXPECT_EQ(owner.errorFlag, 1);
        EXPECT_EQ(owner.result, c.result);
        StopAndDispose(j.release());
    }
}

TEST_F(FtpTransferTest, NoProgressDialogStillEndsWithAnError)
{
    auto j = job<CDownloadThread>("CONFIG/EQUATION.CFG", localPath("a"));
    j->dialogFactory = [](CTransferThread&) { return std::unique_ptr<TransferDialog>(); };
    run(*j);
    EXPECT_EQ(owner.doneMessage, WM_DOWNLOAD_DONE);
    EXPECT_EQ(owner.errorFlag, 1);
    EXPECT_FALSE(owner.result.empty());
    StopAndDispose(j.release());
}

TEST_F(FtpTransferTest, OwnerThreadDialogGetsTheWorkersCallsInOrderAndGoesFirst)
{
    WriteAll(remote("EQUATION.CFG"), Pattern(1300));
    auto j = job<CDownloadThread>("CONFIG/EQUATION.CFG", localPath("eq.tmp"));
    j->dialogFactory = nullptr;
    const std::thread::id ownerThread = std::this_thread::get_id();
    bool offThread = false;
    int made = 0;
    bool dialogAlive = true;
    auto record = dialog;
    // Records like the worker-thread dialog, and where it was called from.
    class OwnerDialog : public RecordingDialog {
    public:
        OwnerDialog(std::shared_ptr<DialogRecord> r, std::thread::id owner, bool& off, bool& alive)
            : RecordingDialog(std::move(r)), owner_(owner), off_(off), alive_(alive)
        {
        }
        ~OwnerDialog() override { alive_ = false; }
        void setLine(int line, const std::string& text) override
        {
            off_ |= std::this_thread::get_id() != owner_;
            RecordingDialog::setLine(line, text);
        }

    private:
        std::thread::id owner_;
        bool& off_;
        bool& alive_;
    };
    j->ownerDialogFactory = [&](CTransferThread&) -> std::unique_ptr<TransferDialog> {
        ++made;
        return std::make_unique<OwnerDialog>(record, ownerThread, offThread, dialogAlive);
    };
    run(*j);
    EXPECT_EQ(owner.errorFlag, 0);
    EXPECT_EQ(made, 1);
    EXPECT_FALSE(offThread);
    EXPECT_FALSE(dialogAlive) << "the dialog outlived its worker's done notification";
    const auto first = dialog->first();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.front(), "Connecting to 127.0.0.1 (Attempt 1 of 1)");
    EXPECT_EQ(first.back(), "Closing connection to 127.0.0.1");
    EXPECT_EQ(dialog->caption, "Receiving CONFIG/EQUATION.CFG");
    StopAndDispose(j.release());
}

TEST(TransferJob, DefaultsOfAFreshJob)
{
    CDownloadThread down;
    CUploadThread up;
    for (CTransferThread* j : {static_cast<CTransferThread*>(&down), static_cast<CTransferThread*>(&up)}) {
        EXPECT_EQ(j->attempts, 1);
        EXPECT_EQ(j->retryDelay, 10);
        EXPECT_EQ(j->port, 21);
        EXPECT_EQ(j->passive, 0);
        EXPECT_EQ(j->expectedSize, 0u);
        EXPECT_EQ(j->errorFlag, 0);
        EXPECT_FALSE(j->cancelEvent.isSet());
        EXPECT_FALSE(j->finishedEvent.isSet());
    }
    EXPECT_EQ(down.timeout, 3000);
    EXPECT_EQ(up.timeout, 0);
}

TEST(TransferDialog, PercentageTitle)
{
    struct Case {
        int position, lower, upper;
        std::string title;
    };
    for (const Case& c : {Case{0, 0, 100, "0% Receiving CONFIG/A"}, Case{42, 0, 100, "42% Receiving CONFIG/A"},
                          Case{100, 0, 100, "100% Receiving CONFIG/A"}, Case{142, 0, 100, "42% Receiving CONFIG/A"},
                          Case{200, 0, 100, "0% Receiving CONFIG/A"}, Case{30, 20, 40, "50% Receiving CONFIG/A"},
                          Case{5, 7, 7, "0% Receiving CONFIG/A"}}) {
        TransferDialogState s;
        s.setCaption("Receiving CONFIG/A");
        s.setRange(c.lower, c.upper);
        s.setPosition(c.position);
        EXPECT_EQ(s.title, c.title) << c.position;
    }
}

} // namespace
} // namespace corvane::testing
