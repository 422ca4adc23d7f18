#include "transfer/internetsession.h"

#include "transfer/transfersettings.h"

#include <curl/curl.h>

#include <cstring>

namespace corvane {

std::unique_ptr<InternetSession> InternetSession::Create()
{
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return nullptr;
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    bool ftp = false;
    for (const char* const* p = info ? info->protocols : nullptr; p && *p; ++p)
        ftp = ftp || std::strcmp(*p, "ftp") == 0;
    if (!ftp)
        return nullptr;
    return std::unique_ptr<InternetSession>(new InternetSession);
}

void InternetSession::applySettings(const Settings& store)
{
    connectTimeoutMs = store.value(settings::InternetConnectTimeout);
    receiveTimeoutMs = store.value(settings::InternetReceiveTimeout);
}

std::unique_ptr<FtpClient> InternetSession::openFtp() const
{
    auto client = clientFactory ? clientFactory() : MakeCurlFtpClient();
    client->setTimeouts({connectTimeoutMs, receiveTimeoutMs, sendTimeoutMs});
    return client;
}

} // namespace corvane
