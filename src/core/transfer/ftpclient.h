#pragma once
// The FTP client the transfers, the firmware upgrade and the update check use:
// one login, a working directory, one remote file open at a time, read or
// written in blocks. Failures are error codes of the internet layer (below);
// the server's last reply stays available for messages.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace corvane {

// Error codes of the internet layer. 0 is success.
inline constexpr int kInternetTimeout = 12002;
inline constexpr int kInternetExtendedError = 12003; // the server replied with a failure
inline constexpr int kInternetInternalError = 12004;
inline constexpr int kInternetNameNotResolved = 12007;
inline constexpr int kInternetIncorrectPassword = 12014;
inline constexpr int kInternetCannotConnect = 12029;
inline constexpr int kInternetConnectionAborted = 12030;
inline constexpr int kInternetNotConnected = 12031;

// A readable sentence for an error code of the internet layer.
std::string InternetErrorText(int code);

struct FtpLogin {
    std::string host;
    std::uint16_t port = 21;
    std::string user;
    std::string password;
    bool passive = false; // active mode unless set
};

// Milliseconds; 0 keeps the client's own default.
struct FtpTimeouts {
    int connectMs = 0;
    int receiveMs = 0; // waiting for a server reply or for data
    int sendMs = 0;
};

enum class FtpOpenMode { Read, Write };

class FtpClient {
public:
    virtual ~FtpClient() = default;

    virtual void setTimeouts(const FtpTimeouts& timeouts) = 0;

    // Logs in; 0 or an error code. A refused password is kInternetIncorrectPassword.
    virtual int connect(const FtpLogin& login) = 0;
    // Logs out and closes the control connection.
    virtual void disconnect() = 0;
    virtual bool connected() const = 0;

    // Enters a folder, relative to the current one; "/" at the start means the
    // login folder. 0 or an error code (kInternetExtendedError when refused).
    virtual int setCurrentDirectory(const std::string& folder) = 0;
    virtual int deleteFile(const std::string& name) = 0;

    // Opens a file of the current folder for binary reading or writing; 0 or an error code.
    virtual int openFile(const std::string& name, FtpOpenMode mode) = 0;
    // Reads up to `size` bytes of the open file: the count (0 at its end) or -1 (see lastError).
    virtual long read(void* buffer, std::size_t size) = 0;
    // Writes all `size` bytes to the open file; false on failure (see lastError).
    virtual bool write(const void* buffer, std::size_t size) = 0;
    // Ends the open file; a written file is complete only when this returns 0.
    virtual int closeFile() = 0;

    // The server's last reply, all its lines.
    virtual std::string lastResponse() const = 0;
    // The error code of the last failed call.
    virtual int lastError() const = 0;

    // Whole-file helpers over openFile/read/write (binary, local file replaced).
    int getFile(const std::string& remoteName, const std::string& localPath);
    int putFile(const std::string& localPath, const std::string& remoteName);
};

// The libcurl client.
std::unique_ptr<FtpClient> MakeCurlFtpClient();

} // namespace corvane
