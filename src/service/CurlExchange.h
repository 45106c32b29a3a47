#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <string>

// One form POST over a fresh libcurl handle, with the channel's wire rules: HTTP/1.0, the
// channel's Content-Type, User-Agent and Accept, no redirects, no cookies, no compression, no proxy.
struct FormPost {
    std::string url;
    QByteArray body;
    std::chrono::milliseconds connectTimeout{0};
    std::chrono::milliseconds exchangeTimeout{0};
};

struct FormPostResult {
    bool bSuccess = false; // a 2xx status arrived with its whole body
    QByteArray body;       // empty unless bSuccess
    QString errorText;     // the status line of an error status, or libcurl's message
};

// Blocks until the exchange ended; never throws. Safe on any thread.
FormPostResult PostFormOverCurl(const FormPost &post);

// libcurl's process-wide set-up, done once whichever thread asks first.
void EnsureCurlGlobalInit();
