#include "transfer/ftpclient.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cctype>
#include <cstring>
#include <functional>
#include <mutex>
#include <vector>

namespace corvane {

std::string InternetErrorText(int code)
{
    switch (code) {
    case 0: return "The operation completed successfully";
    case kInternetTimeout: return "The request timed out";
    case kInternetExtendedError: return "The server reported an error";
    case kInternetInternalError: return "An internal error occurred in the FTP client";
    case kInternetNameNotResolved: return "The server name could not be resolved";
    case kInternetIncorrectPassword: return "The server refused the user name or password";
    case kInternetCannotConnect: return "Cannot connect to the server";
    case kInternetConnectionAborted: return "The connection with the server was broken";
    case kInternetNotConnected: return "There is no connection to the server";
    default: return "Internet error " + std::to_string(code);
    }
}

int FtpClient::getFile(const std::string& remoteName, const std::string& localPath)
{
    if (int rc = openFile(remoteName, FtpOpenMode::Read))
        return rc;
    std::FILE* out = std::fopen(localPath.c_str(), "wb");
    if (!out) {
        closeFile();
        return kInternetInternalError;
    }
    char block[4096];
    int rc = 0;
    for (;;) {
        const long n = read(block, sizeof block);
        if (n < 0) {
            rc = lastError();
            break;
        }
        if (n == 0)
            break;
        if (std::fwrite(block, 1, static_cast<std::size_t>(n), out) != static_cast<std::size_t>(n)) {
            rc = kInternetInternalError;
            break;
        }
    }
    if (std::fclose(out) != 0 && rc == 0)
        rc = kInternetInternalError;
    const int closed = closeFile();
    return rc ? rc : closed;
}

int FtpClient::putFile(const std::string& localPath, const std::string& remoteName)
{
    std::FILE* in = std::fopen(localPath.c_str(), "rb");
    if (!in)
        return kInternetInternalError;
    if (int rc = openFile(remoteName, FtpOpenMode::Write)) {
        std::fclose(in);
        return rc;
    }
    char block[4096];
    int rc = 0;
    for (;;) {
        const std::size_t n = std::fread(block, 1, sizeof block, in);
        if (n == 0)
            break;
        if (!write(block, n)) {
            rc = lastError();
            break;
        }
    }
    if (std::ferror(in) && rc == 0)
        rc = kInternetInternalError;
    std::fclose(in);
    const int closed = closeFile();
    return rc ? rc : closed;
}

namespace {

std::once_flag gCurlInit;

int MapCurlCode(CURLcode code)
{
    switch (code) {
    case CURLE_OK: return 0;
    case CURLE_LOGIN_DENIED: return kInternetIncorrectPassword;
    case CURLE_COULDNT_CONNECT: return kInternetCannotConnect;
    case CURLE_COULDNT_RESOLVE_HOST: return kInternetNameNotResolved;
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_FTP_ACCEPT_TIMEOUT: return kInternetTimeout;
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_QUOTE_ERROR:
    case CURLE_UPLOAD_FAILED:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_REMOTE_DISK_FULL:
    case CURLE_REMOTE_FILE_EXISTS:
    case CURLE_FTP_COULDNT_SET_TYPE:
    case CURLE_FTP_PORT_FAILED:
    case CURLE_FTP_WEIRD_SERVER_REPLY:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_PASS_REPLY:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_ACCEPT_FAILED: return kInternetExtendedError;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE: return kInternetConnectionAborted;
    default: return kInternetInternalError;
    }
}

// Each path segment escaped for a URL; "" stays "".
std::string EscapePath(CURL* easy, const std::string& path)
{
    std::string out;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        const std::string segment = path.substr(start, slash - start);
        if (char* e = curl_easy_escape(easy, segment.c_str(), static_cast<int>(segment.size()))) {
            out += e;
            curl_free(e);
        }
        if (slash < path.size())
            out += '/';
        start = slash + 1;
    }
    return out;
}

// Joins folder names, dropping empty parts and "." and resolving "..".
std::string JoinFolder(const std::string& base, const std::string& folder)
{
    std::vector<std::string> parts;
    auto add = [&](const std::string& text) {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t slash = text.find('/', start);
            if (slash == std::string::npos)
                slash = text.size();
            const std::string part = text.substr(start, slash - start);
            if (part == "..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            start = slash + 1;
        }
    };
    if (!folder.starts_with("/"))
        add(base);
    add(folder);
    std::string out;
    for (const auto& p : parts)
        out += (out.empty() ? "" : "/") + p;
    return out;
}

// One easy handle in a multi handle of its own: the multi handle keeps the
// control connection between operations, so a login serves every call that
// follows it. Streamed files are pumped block by block through callbacks
// that pause the transfer when the caller falls behind.
class CurlFtpClient : public FtpClient {
public:
    CurlFtpClient() { std::call_once(gCurlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); }); }
    ~CurlFtpClient() override { disconnect(); }

    void setTimeouts(const FtpTimeouts& t) override { timeouts_ = t; }

    int connect(const FtpLogin& login) override
    {
        disconnect();
        login_ = login;
        cwd_.clear();
        easy_ = curl_easy_init();
        multi_ = curl_multi_init();
        if (!easy_ || !multi_) {
            disconnect();
            return fail(kInternetInternalError);
        }
        const int rc = runNoBody("", {});
        if (rc != 0) {
            disconnect();
            return rc;
        }
        loggedIn_ = true;
        return 0;
    }

    void disconnect() override
    {
        if (fileOpen_)
            abortFile();
        if (multi_)
            curl_multi_cleanup(multi_); // sends QUIT on the cached connection
        if (easy_)
            curl_easy_cleanup(easy_);
        multi_ = nullptr;
        easy_ = nullptr;
        loggedIn_ = false;
    }

    bool connected() const override { return loggedIn_; }

    int setCurrentDirectory(const std::string& folder) override
    {
        if (!loggedIn_)
            return fail(kInternetNotConnected);
        const std::string target = JoinFolder(cwd_, folder);
        if (const int rc = runNoBody(target, {}))
            return rc;
        cwd_ = target;
        return 0;
    }

    int deleteFile(const std::string& name) override
    {
        if (!loggedIn_)
            return fail(kInternetNotConnected);
        return runNoBody(cwd_, {"DELE " + name});
    }

    int openFile(const std::string& name, FtpOpenMode mode) override
    {
        if (!loggedIn_)
            return fail(kInternetNotConnected);
        if (fileOpen_)
            abortFile();
        writing_ = mode == FtpOpenMode::Write;
        buffer_.clear();
        offset_ = 0;
        eof_ = false;
        paused_ = false;
        started_ = false;
        done_ = false;
        doneCode_ = CURLE_OK;
        prepare(urlFor(cwd_.empty() ? name : cwd_ + "/" + name));
        curl_easy_setopt(easy_, CURLOPT_NOBODY, 0L);
        curl_easy_setopt(easy_, CURLOPT_UPLOAD, writing_ ? 1L : 0L);
        if (writing_) {
            curl_easy_setopt(easy_, CURLOPT_READFUNCTION, &CurlFtpClient::onRead);
            curl_easy_setopt(easy_, CURLOPT_READDATA, this);
            curl_easy_setopt(easy_, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(-1));
        } else {
            curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlFtpClient::onWrite);
            curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
        }
        if (curl_multi_add_handle(multi_, easy_) != CURLM_OK)
            return fail(kInternetInternalError);
        fileOpen_ = true;
        // The server's answer to RETR or STOR decides: data flowing (or asked
        // for) means the file is open.
        pump([this] { return started_; });
        if (done_ && doneCode_ != CURLE_OK) {
            finishFile();
            return fail(MapCurlCode(doneCode_));
        }
        return 0;
    }

    long read(void* out, std::size_t size) override
    {
        if (!fileOpen_ || writing_)
            return fail(kInternetInternalError), -1;
        resume();
        pump([&] { return buffer_.size() - offset_ >= size; });
        const std::size_t n = std::min(size, buffer_.size() - offset_);
        if (n == 0 && done_ && doneCode_ != CURLE_OK)
            return fail(MapCurlCode(doneCode_)), -1;
        std::memcpy(out, buffer_.data() + offset_, n);
        offset_ += n;
        if (offset_ == buffer_.size()) {
            buffer_.clear();
            offset_ = 0;
        } else if (offset_ >= kDownloadBacklog) {
            buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(offset_));
            offset_ = 0;
        }
        return static_cast<long>(n);
    }

    bool write(const void* data, std::size_t size) override
    {
        if (!fileOpen_ || !writing_)
            return fail(kInternetInternalError), false;
        if (done_)
            return fail(doneCode_ == CURLE_OK ? kInternetConnectionAborted : MapCurlCode(doneCode_)), false;
        buffer_.insert(buffer_.end(), static_cast<const char*>(data), static_cast<const char*>(data) + size);
        resume();
        pump([this] { return buffer_.size() - offset_ < kUploadBacklog; });
        if (done_ && (doneCode_ != CURLE_OK || buffer_.size() > offset_))
            return fail(doneCode_ == CURLE_OK ? kInternetConnectionAborted : MapCurlCode(doneCode_)), false;
        return true;
    }

    int closeFile() override
    {
        if (!fileOpen_)
            return 0;
        if (!writing_ && !done_) {
            abortFile();
            return 0;
        }
        eof_ = true;
        resume();
        pump({});
        const CURLcode code = doneCode_;
        finishFile();
        return code == CURLE_OK ? 0 : fail(MapCurlCode(code));
    }

    std::string lastResponse() const override { return lastResponse_; }
    int lastError() const override { return lastError_; }

private:
    static constexpr std::size_t kDownloadBacklog = 256 * 1024;
    static constexpr std::size_t kUploadBacklog = 64 * 1024;

    int fail(int code)
    {
        lastError_ = code;
        return code;
    }

    std::string urlFor(const std::string& path) const
    {
        std::string host = login_.host;
        if (host.find(':') != std::string::npos)
            host = "[" + host + "]";
        return "ftp://" + host + ":" + std::to_string(login_.port) + "/" + EscapePath(easy_, path);
    }

    void prepare(const std::string& url)
    {
        curl_easy_reset(easy_);
        curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy_, CURLOPT_USERNAME, login_.user.c_str());
        curl_easy_setopt(easy_, CURLOPT_PASSWORD, login_.password.c_str());
        curl_easy_setopt(easy_, CURLOPT_USERAGENT, "Corvane");
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy_, CURLOPT_TRANSFERTEXT, 0L);
        if (login_.passive) {
            curl_easy_setopt(easy_, CURLOPT_FTPPORT, nullptr);
        } else {
            curl_easy_setopt(easy_, CURLOPT_FTPPORT, "-");
            curl_easy_setopt(easy_, CURLOPT_FTP_USE_EPRT, 0L);
        }
        if (timeouts_.connectMs > 0)
            curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts_.connectMs));
        if (timeouts_.receiveMs > 0) {
            const long seconds = std::max(1L, (static_cast<long>(timeouts_.receiveMs) + 999) / 1000);
            curl_easy_setopt(easy_, CURLOPT_SERVER_RESPONSE_TIMEOUT, seconds);
            curl_easy_setopt(easy_, CURLOPT_ACCEPTTIMEOUT_MS, static_cast<long>(timeouts_.receiveMs));
            // A data connection that stalls this long counts as timed out.
            curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
            curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, seconds);
        }
        curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlFtpClient::onReply);
        curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    }

    // Logs in (when needed), enters `folder` and sends `commands` there, without a transfer.
    int runNoBody(const std::string& folder, const std::vector<std::string>& commands)
    {
        prepare(urlFor(folder.empty() ? std::string() : folder + "/"));
        curl_easy_setopt(easy_, CURLOPT_NOBODY, 1L);
        curl_slist* list = nullptr;
        for (const auto& c : commands)
            list = curl_slist_append(list, c.c_str());
        if (list)
            curl_easy_setopt(easy_, CURLOPT_POSTQUOTE, list);
        done_ = false;
        doneCode_ = CURLE_OK;
        int rc = 0;
        if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
            rc = fail(kInternetInternalError);
        } else {
            fileOpen_ = true;
            pump({});
            finishFile();
            if (doneCode_ != CURLE_OK)
                rc = fail(MapCurlCode(doneCode_));
        }
        if (list) {
            curl_easy_setopt(easy_, CURLOPT_POSTQUOTE, nullptr);
            curl_slist_free_all(list);
        }
        return rc;
    }

    // Drives the transfer at least one step, then until `until` holds or it ends.
    void pump(const std::function<bool()>& until)
    {
        while (!done_) {
            int running = 0;
            curl_multi_perform(multi_, &running);
            int queued = 0;
            while (CURLMsg* m = curl_multi_info_read(multi_, &queued)) {
                if (m->msg == CURLMSG_DONE && m->easy_handle == easy_) {
                    done_ = true;
                    doneCode_ = m->data.result;
                }
            }
            if (done_ || (until && until()))
                return;
            curl_multi_poll(multi_, nullptr, 0, 100, nullptr);
        }
    }

    void resume()
    {
        if (paused_ && !done_) {
            paused_ = false;
            curl_easy_pause(easy_, CURLPAUSE_CONT);
        }
    }

    void finishFile()
    {
        if (fileOpen_)
            curl_multi_remove_handle(multi_, easy_);
        fileOpen_ = false;
        buffer_.clear();
        offset_ = 0;
    }

    // Stops a transfer before its end; the connection it used is not kept.
    void abortFile()
    {
        curl_easy_setopt(easy_, CURLOPT_FORBID_REUSE, 1L);
        finishFile();
    }

    static std::size_t onWrite(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto* c = static_cast<CurlFtpClient*>(self);
        const std::size_t n = size * count;
        c->started_ = true;
        if (c->buffer_.size() - c->offset_ >= kDownloadBacklog) {
            c->paused_ = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        c->buffer_.insert(c->buffer_.end(), data, data + n);
        return n;
    }

    static std::size_t onRead(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto* c = static_cast<CurlFtpClient*>(self);
        c->started_ = true;
        const std::size_t available = c->buffer_.size() - c->offset_;
        if (available == 0) {
            if (c->eof_)
                return 0;
            c->paused_ = true;
            return CURL_READFUNC_PAUSE;
        }
        const std::size_t n = std::min(available, size * count);
        std::memcpy(data, c->buffer_.data() + c->offset_, n);
        c->offset_ += n;
        if (c->offset_ == c->buffer_.size()) {
            c->buffer_.clear();
            c->offset_ = 0;
        }
        return n;
    }

    // Keeps the last complete reply ("ddd text", after any "ddd-" lines).
    static std::size_t onReply(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto* c = static_cast<CurlFtpClient*>(self);
        const std::size_t n = size * count;
        const std::string line(data, n);
        c->pendingReply_ += line;
        if (line.size() >= 4 && std::isdigit(static_cast<unsigned char>(line[0])) &&
            std::isdigit(static_cast<unsigned char>(line[1])) && std::isdigit(static_cast<unsigned char>(line[2])) &&
            line[3] == ' ') {
            c->lastResponse_ = std::move(c->pendingReply_);
            c->pendingReply_.clear();
        }
        return n;
    }

    FtpLogin login_;
    FtpTimeouts timeouts_;
    CURL* easy_ = nullptr;
    CURLM* multi_ = nullptr;
    bool loggedIn_ = false;
    std::string cwd_;

    bool fileOpen_ = false;
    bool writing_ = false;
    std::vector<char> buffer_;
    std::size_t offset_ = 0;
    bool eof_ = false;
    bool paused_ = false;
    bool started_ = false;
    bool done_ = false;
    CURLcode doneCode_ = CURLE_OK;

    std::string lastResponse_;
    std::string pendingReply_;
    int lastError_ = 0;
};

} // namespace

std::unique_ptr<FtpClient> MakeCurlFtpClient()
{
    return std::make_unique<CurlFtpClient>();
}

} // namespace corvane
