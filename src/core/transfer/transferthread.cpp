#include "transfer/transferthread.h"

#include "common/cformat.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace corvane {

// How the worker's run failed; the result text is made from it.
struct CTransferThread::Failure {
    enum class Kind { None, Message, File, Internet } kind = Kind::None;
    std::string text; // Message: the text; File: the file name
    int code = 0;     // File: the cause; Internet: the error code
    std::string response;

    void message(std::string t)
    {
        kind = Kind::Message;
        text = std::move(t);
    }
    void file(int cause, std::string name)
    {
        kind = Kind::File;
        code = cause;
        text = std::move(name);
    }
    void internet(int c, std::string reply)
    {
        kind = Kind::Internet;
        code = c;
        response = std::move(reply);
    }
};

namespace {

std::string Truncated(std::string text, std::size_t size)
{
    if (text.size() > size)
        text.resize(size);
    return text;
}

// Retry waits are cut into slices so that the dialog keeps taking input.
constexpr std::chrono::milliseconds kWaitSlice{50};

// The notification number that carries a call of the owner-thread dialog.
constexpr int kDialogNotification = 0;

} // namespace

// The worker's side of an owner-thread dialog: every call is posted.
class CTransferThread::RelayDialog : public TransferDialog {
public:
    explicit RelayDialog(CTransferThread& job) : job_(job) { call(DialogCreate); }
    ~RelayDialog() override { call(DialogDestroy); }
    void setCaption(const std::string& caption) override { call(DialogCaption, caption); }
    void setLine(int line, const std::string& text) override { call(line == 0 ? DialogLine0 : DialogLine1, text); }
    void setRange(int lower, int upper) override { call(DialogRange, {}, lower, upper); }
    void setPosition(int position) override { call(DialogPosition, {}, position); }

private:
    void call(DialogCall what, std::string text = {}, int a = 0, int b = 0)
    {
        job_.post(kDialogNotification, what, std::move(text), a, b);
    }
    CTransferThread& job_;
};

std::string CleanResultText(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::erase(text, '\r');
    return text;
}

CTransferThread::CTransferThread(TransferDirection direction, std::int32_t defaultTimeout)
    : timeout(defaultTimeout), direction_(direction)
{
    if (pipe2(wakeFds_, O_CLOEXEC | O_NONBLOCK) != 0)
        wakeFds_[0] = wakeFds_[1] = -1;
    if (wakeFds_[0] >= 0 && QCoreApplication::instance()) {
        notifier_ = std::make_unique<QSocketNotifier>(wakeFds_[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [this] { DeliverNotifications(); });
    }
}

CTransferThread::~CTransferThread()
{
    cancelEvent.set();
    if (thread_.joinable())
        thread_.join();
    if (notifier_) {
        // The notifier may be the one delivering the done notification that led here.
        notifier_->setEnabled(false);
        QObject::disconnect(notifier_.get(), nullptr, nullptr, nullptr);
        notifier_.release()->deleteLater();
    }
    for (int fd : wakeFds_)
        if (fd >= 0)
            close(fd);
    takeNotifications();
    ownerDialog_.reset();
}

bool CTransferThread::Start()
{
    if (thread_.joinable())
        return false;
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CTransferThread::post(int message, int parameter, std::string word, int lower, int upper)
{
    auto* n = new Notification{message, parameter, std::move(word), lower, upper};
    n->next = mailbox_.load(std::memory_order_relaxed);
    while (!mailbox_.compare_exchange_weak(n->next, n, std::memory_order_release, std::memory_order_relaxed)) {
    }
    if (wakeFds_[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t written = ::write(wakeFds_[1], &byte, 1);
    }
}

std::vector<CTransferThread::Notification> CTransferThread::takeNotifications()
{
    std::vector<Notification> out;
    for (Notification* n = mailbox_.exchange(nullptr, std::memory_order_acquire); n;) {
        Notification* next = n->next;
        out.push_back(std::move(*n));
        delete n;
        n = next;
    }
    std::reverse(out.begin(), out.end());
    return out;
}

void CTransferThread::DeliverNotifications()
{
    if (wakeFds_[0] >= 0) {
        char drain[64];
        while (::read(wakeFds_[0], drain, sizeof drain) > 0) {
        }
    }
    const std::vector<Notification> pending = takeNotifications();
    TransferOwner* const to = owner;
    for (const auto& n : pending) {
        if (n.message == kDialogNotification) {
            applyDialogCall(n);
            continue;
        }
        if (n.message == WM_TRANSFER_STATUS) {
            if (to)
                to->transferStatus(*this, n.word);
            continue;
        }
        // The last notification. The worker is done with its dialog, and the
        // owner may dispose of the job here.
        ownerDialog_.reset();
        if (to)
            to->transferDone(*this, n.message, n.parameter);
        return;
    }
}

void CTransferThread::applyDialogCall(const Notification& call)
{
    if (call.parameter == DialogCreate) {
        ownerDialog_ = ownerDialogFactory ? ownerDialogFactory(*this) : nullptr;
        return;
    }
    if (call.parameter == DialogDestroy) {
        ownerDialog_.reset();
        return;
    }
    if (!ownerDialog_)
        return;
    switch (call.parameter) {
    case DialogCaption: ownerDialog_->setCaption(call.word); break;
    case DialogLine0: ownerDialog_->setLine(0, call.word); break;
    case DialogLine1: ownerDialog_->setLine(1, call.word); break;
    case DialogRange: ownerDialog_->setRange(call.lower, call.upper); break;
    case DialogPosition: ownerDialog_->setPosition(call.lower); break;
    default: break;
    }
}

std::string CTransferThread::doneText(const char* what) const
{
    return "\"" + remotePath + "\" " + what;
}

void CTransferThread::run()
{
    const int doneMessage = direction_ == TransferDirection::Download ? WM_DOWNLOAD_DONE : WM_UPLOAD_DONE;
    if (cancelEvent.isSet()) {
        resultText = doneText(direction_ == TransferDirection::Download ? "download cancelled." : "upload cancelled.");
        post(doneMessage, 0);
        finishedEvent.set();
        return;
    }
    post(WM_TRANSFER_STATUS, 0, "Initializing");
    std::unique_ptr<TransferDialog> dialog;
    if (dialogFactory)
        dialog = dialogFactory(*this);
    else if (ownerDialogFactory)
        dialog = std::make_unique<RelayDialog>(*this);
    else
        dialog = std::make_unique<NullTransferDialog>();
    if (!dialog) {
        resultText = "Unable to create the transfer progress window";
        errorFlag = 1;
        post(doneMessage, 0);
        finishedEvent.set();
        return;
    }
    std::unique_ptr<FtpClient> ftp = clientFactory ? clientFactory() : MakeCurlFtpClient();
    if (timeout != 0)
        ftp->setTimeouts({timeout, timeout, timeout});

    Failure failure;
    work(*ftp, *dialog, failure);
    switch (failure.kind) {
    case Failure::Kind::None: break;
    case Failure::Kind::Message: resultText = failure.text; break;
    case Failure::Kind::File: resultText = CFormat("File Error %d %s", failure.code, failure.text.c_str()); break;
    case Failure::Kind::Internet:
        resultText = CFormat("Internet Exception Error %d", failure.code);
        if (failure.code == kInternetExtendedError)
            resultText += " " + Truncated(failure.response, kStatusBufferSize);
        break;
    }
    resultText = CleanResultText(resultText);
    const bool cancelled = cancelEvent.isSet();
    if (!resultText.empty())
        errorFlag = 1;
    else
        resultText = doneText(direction_ == TransferDirection::Download
                                  ? (cancelled ? "download cancelled." : "successfully downloaded.")
                                  : (cancelled ? "upload cancelled." : "successfully uploaded."));
    const int parameter = direction_ == TransferDirection::Upload && !errorFlag && !cancelled ? 1 : 0;
    post(doneMessage, parameter);

    ftp->disconnect();
    ftp.reset();
    dialog.reset();
    finishedEvent.set();
}

bool CTransferThread::connectWithRetries(FtpClient& ftp, TransferDialog& dialog, Failure& failure)
{
    const int count = std::max(1, attempts);
    const FtpLogin login{server, port, userName, password, passive != 0};
    std::string status;
    for (int n = 1; n <= count; ++n) {
        dialog.setLine(0, CFormat("Connecting to %s (Attempt %d of %d)", server.c_str(), n, count));
        dialog.pump();
        const int rc = ftp.connect(login);
        dialog.pump();
        if (rc == 0)
            return true;
        ftp.disconnect();
        status = Truncated(InternetErrorText(rc), kStatusBufferSize);
        if (rc == kInternetIncorrectPassword || n == count) {
            failure.message(status);
            return false;
        }
        dialog.setLine(0, CFormat("Failed to connect to %s (Attempt %d of %d)", server.c_str(), n, count));
        status = CFormat("Retrying after %d seconds...", retryDelay);
        dialog.setLine(1, status);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(0, retryDelay));
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            if (cancelEvent.waitFor(std::min(left, kWaitSlice))) {
                failure.message(status);
                return false;
            }
            dialog.pump();
        }
        post(WM_TRANSFER_STATUS, 0, "Retrying");
        dialog.setLine(1, "");
    }
    return false;
}

void CTransferThread::work(FtpClient& ftp, TransferDialog& dialog, Failure& failure)
{
    const bool download = direction_ == TransferDirection::Download;
    dialog.setCaption(download ? "Receiving " + remotePath : "Sending " + localPath);
    dialog.setPosition(0);
    dialog.setLine(1, "");

    post(WM_TRANSFER_STATUS, 0, "Connecting");
    if (!connectWithRetries(ftp, dialog, failure))
        return;

    const std::size_t slash = remotePath.rfind('/');
    const std::string before = slash == std::string::npos ? std::string() : remotePath.substr(0, slash);
    const std::string name = slash == std::string::npos ? remotePath : remotePath.substr(slash + 1);
    if (download) {
        remoteFolder = before;
    } else {
        std::string prefix = remoteFolder;
        while (!prefix.empty() && prefix.back() == '/')
            prefix.pop_back();
        remoteFolder = prefix.empty() ? before : before.empty() ? prefix : prefix + "/" + before;
    }
    if (!remoteFolder.empty() && ftp.setCurrentDirectory(remoteFolder) != 0) {
        failure.message(CleanResultText(Truncated(ftp.lastResponse(), 255)));
        return;
    }

    dialog.setLine(0, download ? name : localPath);
    dialog.setLine(1, "to: " + (download ? localPath : remotePath));

    const int fd = download ? ::open(localPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                            : ::open(localPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        failure.message((download ? "Unable to create file " : "Unable to open file ") + localPath);
        return;
    }
    struct Closer {
        int fd;
        ~Closer()
        {
            if (fd >= 0)
                ::close(fd);
        }
    } local{fd};

    dialog.setLine(0, "Opening " + name);
    if (ftp.openFile(name, download ? FtpOpenMode::Read : FtpOpenMode::Write) != 0) {
        failure.message("Unable to open remote file " + name);
        return;
    }
    if (!download) {
        struct stat st {};
        if (::fstat(fd, &st) == 0)
            expectedSize = static_cast<std::uint32_t>(st.st_size);
    }

    post(WM_TRANSFER_STATUS, 0, download ? "Downloading" : "Uploading");
    dialog.setRange(0, 100);
    char block[kTransferBlockSize];
    long last = static_cast<long>(kTransferBlockSize);
    std::uint32_t total = 0;
    while (last == static_cast<long>(kTransferBlockSize) && !cancelEvent.isSet()) {
        if (download) {
            last = ftp.read(block, sizeof block);
            if (last < 0) {
                failure.internet(ftp.lastError(), ftp.lastResponse());
                return;
            }
            dialog.pump();
            for (long done = 0; done < last;) {
                const ssize_t n = ::write(fd, block + done, static_cast<std::size_t>(last - done));
                if (n < 0) {
                    if (errno == EINTR)
                        continue;
                    failure.file(errno, localPath);
                    return;
                }
                done += n;
            }
        } else {
            ssize_t n;
            do
                n = ::read(fd, block, sizeof block);
            while (n < 0 && errno == EINTR);
            if (n < 0) {
                failure.file(errno, localPath);
                return;
            }
            last = n;
            dialog.pump();
            if (last > 0 && !ftp.write(block, static_cast<std::size_t>(last))) {
                failure.internet(ftp.lastError(), ftp.lastResponse());
                return;
            }
        }
        total += static_cast<std::uint32_t>(last);
        dialog.setLine(0, CFormat("%s (%d of %d  bytes transferred)", name.c_str(), static_cast<int>(total),
                                  static_cast<int>(expectedSize)));
        dialog.setPosition(expectedSize ? static_cast<int>(static_cast<std::uint64_t>(total) * 100 / expectedSize) : 0);
    }

    if (::close(local.fd) != 0) {
        local.fd = -1;
        failure.file(errno, localPath);
        return;
    }
    local.fd = -1;
    if (const int rc = ftp.closeFile()) {
        failure.internet(rc, ftp.lastResponse());
        return;
    }
    dialog.setLine(0, CFormat("Closing connection to %s", server.c_str()));
    post(WM_TRANSFER_STATUS, 0, "Finished");
}

void StopAndDispose(CTransferThread* job)
{
    if (!job)
        return;
    job->cancelEvent.set();
    delete job; // the destructor waits for the worker to end
}

} // namespace corvane
