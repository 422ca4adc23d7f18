#pragma once
// File transfer jobs: CDownloadThread fetches one remote file into a local
// file, CUploadThread sends one local file to a remote path. Each runs on a
// worker thread of its own with its own progress dialog, retries the
// connection, honours the cancel event and reports to its owner on the
// owner's thread.
//
// The owner fills in the job fields, calls Start(), and after the done
// notification reads resultText and errorFlag and calls StopAndDispose.
// Until then it must not touch the fields: the worker owns them.

#include "transfer/ftpclient.h"
#include "transfer/manualresetevent.h"
#include "transfer/transferdialog.h"

#include <cstdint>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QSocketNotifier;

namespace corvane {

// Notification numbers of the owner window.
inline constexpr int WM_TRANSFER_STATUS = 1154;
inline constexpr int WM_DOWNLOAD_DONE = 1155;
inline constexpr int WM_UPLOAD_DONE = 1156;

inline constexpr std::size_t kTransferBlockSize = 512;
inline constexpr std::size_t kStatusBufferSize = 1024;

class CTransferThread;

// The window that started a transfer. Called on the thread that built the
// job, from its event loop (or from DeliverNotifications).
class TransferOwner {
public:
    virtual ~TransferOwner() = default;
    // WM_TRANSFER_STATUS: "Initializing", "Connecting", "Retrying", "Downloading"/"Uploading", "Finished".
    virtual void transferStatus(CTransferThread& job, const std::string& word) = 0;
    // WM_DOWNLOAD_DONE (second parameter 0) or WM_UPLOAD_DONE (1 when complete, else 0).
    virtual void transferDone(CTransferThread& job, int message, int parameter) = 0;
};

enum class TransferDirection { Download, Upload };

class CTransferThread {
public:
    virtual ~CTransferThread();
    CTransferThread(const CTransferThread&) = delete;
    CTransferThread& operator=(const CTransferThread&) = delete;

    TransferDirection direction() const { return direction_; }

    // Job fields.
    std::string server;       // "%d.%d.%d.%d"
    std::string userName;
    std::string password;
    std::string remotePath;   // "CONFIG/NAME"
    std::string localPath;
    std::string remoteFolder; // derived by the worker (upload: a prefix the caller may set)
    std::int32_t attempts = 1;
    std::int32_t retryDelay = 10; // seconds
    std::uint16_t port = 21;
    std::int32_t passive = 0;
    std::int32_t timeout;          // milliseconds; 0 leaves the client's own
    std::uint32_t expectedSize = 0;
    TransferOwner* owner = nullptr;
    std::string resultText;
    std::int32_t errorFlag = 0;

    ManualResetEvent cancelEvent;
    ManualResetEvent finishedEvent;

    // The FTP client and the progress dialog, both made on the worker thread.
    // By default the libcurl client and a dialog that shows nothing.
    std::function<std::unique_ptr<FtpClient>()> clientFactory;
    TransferDialogFactory dialogFactory;
    // Or a dialog made and driven on the owner's thread (a window): the
    // worker's calls travel with the notifications, in order. It is made when
    // the worker starts and goes when the worker ends or with the job; none
    // from the factory means the transfer shows nothing.
    TransferDialogFactory ownerDialogFactory;

    // Starts the worker ("resume"); false when no thread could be created.
    bool Start();

    // Delivers the notifications that arrived so far, when the owner's thread
    // runs no event loop (normally they come by themselves).
    void DeliverNotifications();

protected:
    CTransferThread(TransferDirection direction, std::int32_t defaultTimeout);

private:
    struct Failure;
    class RelayDialog;
    struct Notification {
        int message;
        int parameter;
        std::string word;
        int lower = 0, upper = 0; // dialog calls
        Notification* next = nullptr;
    };
    enum DialogCall { DialogCreate, DialogCaption, DialogLine0, DialogLine1, DialogRange, DialogPosition, DialogDestroy };

    void run();
    void work(FtpClient& ftp, TransferDialog& dialog, Failure& failure);
    bool connectWithRetries(FtpClient& ftp, TransferDialog& dialog, Failure& failure);
    void post(int message, int parameter, std::string word = {}, int lower = 0, int upper = 0);
    void applyDialogCall(const Notification& call);
    std::vector<Notification> takeNotifications();
    std::string doneText(const char* what) const;

    TransferDirection direction_;
    std::thread thread_;
    // The hand-over of notifications to the owner's thread: a list the
    // worker pushes onto and the owner takes whole, newest first.
    std::atomic<Notification*> mailbox_{nullptr};
    int wakeFds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    // The owner-thread dialog; touched on the owner's thread only.
    std::unique_ptr<TransferDialog> ownerDialog_;
};

class CDownloadThread : public CTransferThread {
public:
    CDownloadThread() : CTransferThread(TransferDirection::Download, 3000) {}
};

class CUploadThread : public CTransferThread {
public:
    CUploadThread() : CTransferThread(TransferDirection::Upload, 0) {}
};

// Run by the owner when the done notification arrived: sets the cancel event,
// waits for the worker to end, and deletes the job.
void StopAndDispose(CTransferThread* job);

// Every line feed becomes a blank; carriage returns go.
std::string CleanResultText(std::string text);

} // namespace corvane
