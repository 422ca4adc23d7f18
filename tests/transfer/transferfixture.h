#pragma once
// A real FTP server on loopback serving a temporary root with "CONFIG/", and
// an owner and a dialog that record what a transfer job shows.

#include "common/crc32.h"
#include "support/ftpserver.h"
#include "transfer/transferthread.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace corvane::testing {

// Every line and caption a job's dialog was given. Written by the worker,
// read by the test after the done notification.
struct DialogRecord {
    std::mutex mutex;
    std::vector<std::string> lines[2];
    std::string caption;
    std::vector<std::string> titles;
    // Called with each first line, on the worker thread (to press Cancel, say).
    std::function<void(const std::string&)> onLine;

    std::vector<std::string> first()
    {
        std::lock_guard lock(mutex);
        return lines[0];
    }
    std::vector<std::string> second()
    {
        std::lock_guard lock(mutex);
        return lines[1];
    }
};

class RecordingDialog : public TransferDialog {
public:
    explicit RecordingDialog(std::shared_ptr<DialogRecord> record) : record_(std::move(record)) {}
    void setCaption(const std::string& c) override
    {
        std::lock_guard lock(record_->mutex);
        state_.setCaption(c);
        record_->caption = c;
    }
    void setLine(int line, const std::string& text) override
    {
        {
            std::lock_guard lock(record_->mutex);
            record_->lines[line == 0 ? 0 : 1].push_back(text);
        }
        if (line == 0 && record_->onLine)
            record_->onLine(text);
    }
    void setRange(int lo, int hi) override { state_.setRange(lo, hi); }
    void setPosition(int p) override
    {
        state_.setPosition(p);
        std::lock_guard lock(record_->mutex);
        record_->titles.push_back(state_.title);
    }

private:
    std::shared_ptr<DialogRecord> record_;
    TransferDialogState state_;
};

class RecordingOwner : public TransferOwner {
public:
    std::vector<std::string> statuses;
    int doneMessage = 0;
    int doneParameter = -1;
    std::string result;
    int errorFlag = -1;

    void transferStatus(CTransferThread&, const std::string& word) override { statuses.push_back(word); }
    void transferDone(CTransferThread& job, int message, int parameter) override
    {
        doneMessage = message;
        doneParameter = parameter;
        result = job.resultText;
        errorFlag = job.errorFlag;
    }
};

inline std::string ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}

inline void WriteAll(const QString& path, const std::string& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// Bytes that differ from their neighbours, so a shifted or repeated block shows.
inline std::string Pattern(std::size_t size)
{
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

// `size` bytes whose CRC-32 is `crc`: a pattern with its last four bytes forged.
inline std::string ImageWithCrc(std::size_t size, std::uint32_t crc)
{
    std::string image = Pattern(size - 4);
    const auto& table = detail::kCrc32Table;
    // Four bytes fed to register s act like four zero bytes fed to s ^ bytes;
    // undo four zero-byte steps from the wanted final register.
    std::uint32_t r = ~crc;
    for (int step = 0; step < 4; ++step) {
        std::uint32_t index = 0;
        while ((table[index] >> 24) != (r >> 24))
            ++index;
        r = ((r ^ table[index]) << 8) | index;
    }
    const std::uint32_t s = ~blockCrc({reinterpret_cast<const std::uint8_t*>(image.data()), image.size()});
    for (int i = 0; i < 4; ++i)
        image += static_cast<char>(((s ^ r) >> (8 * i)) & 0xFF);
    return image;
}

class FtpServerTest : public ::testing::Test {
protected:
    static constexpr const char* kCode = "4711";
    QTemporaryDir root;
    QTemporaryDir local;
    FtpServerProcess server;
    RecordingOwner owner;
    std::shared_ptr<DialogRecord> dialog = std::make_shared<DialogRecord>();

    void SetUp() override
    {
        ASSERT_TRUE(QDir(root.path()).mkdir("CONFIG"));
        ASSERT_TRUE(server.start(root.path().toStdString(), kCode)) << server.error();
    }

    QString remote(const char* name) const { return root.filePath(QString("CONFIG/") + name); }
    std::string localPath(const char* name) const { return local.filePath(name).toStdString(); }

    // A job against the server as a document builds it, owned by the test.
    template <class Job>
    std::unique_ptr<Job> job(const std::string& remotePath, const std::string& localFile)
    {
        auto j = std::make_unique<Job>();
        j->server = "127.0.0.1";
        j->port = server.port();
        j->userName = "Corvane";
        j->password = kCode;
        j->remotePath = remotePath;
        j->localPath = localFile;
        j->owner = &owner;
        auto record = dialog;
        j->dialogFactory = [record](CTransferThread&) { return std::make_unique<RecordingDialog>(record); };
        return j;
    }

    // Starts the job and runs the event loop until its done notification.
    void run(CTransferThread& j, int seconds = 30)
    {
        ASSERT_TRUE(j.Start());
        QElapsedTimer timer;
        timer.start();
        while (owner.doneMessage == 0 && timer.elapsed() < seconds * 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
        ASSERT_NE(owner.doneMessage, 0) << "no done notification";
    }
};

} // namespace corvane::testing
