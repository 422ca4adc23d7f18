#pragma once
// The application's shared internet connection: the agent name, its
// time-outs, and FTP clients made with them. The firmware upgrade and the
// update check use it directly; transfer jobs set their own time-outs.

#include "transfer/ftpclient.h"

#include <functional>
#include <memory>

namespace corvane {

class Settings;

inline constexpr const char* kInternetAgent = "Corvane";
// Shown at start-up when the connection object cannot be made.
inline constexpr const char* kNetworkInitError = "Error initializing network connection";

class InternetSession {
public:
    // None when the FTP layer cannot be initialised.
    static std::unique_ptr<InternetSession> Create();

    int sendTimeoutMs = 500;
    int receiveTimeoutMs = 10000;
    int connectTimeoutMs = 10000;

    // The connect and receive time-outs of the settings store.
    void applySettings(const Settings& store);

    // A client with the session's time-outs (libcurl unless replaced).
    std::unique_ptr<FtpClient> openFtp() const;
    std::function<std::unique_ptr<FtpClient>()> clientFactory;

private:
    InternetSession() = default;
};

} // namespace corvane
