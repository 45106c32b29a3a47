#pragma once

#include <QString>

#include <chrono>
#include <mutex>

// The three credential fields every request carries; written by the member record on the UI
// thread, copied whole under the lock by whichever thread builds a request.
class ChannelCredentials {
public:
    struct Snapshot {
        int userId = 0;
        QString userName;
        QString userPass;
    };

    Snapshot snapshot() const;
    void set(const Snapshot &credentials);
    void setUserPass(const QString &userPass);

private:
    mutable std::mutex m_lock;
    Snapshot m_credentials;
};

// The process's channel settings: where the API is, how long to wait, who is asking.
struct ChannelSettings {
    QString apiHost;
    int apiPort = 80;
    std::chrono::milliseconds connectTimeout{10'000};
    std::chrono::milliseconds exchangeTimeout{60'000};
    ChannelCredentials credentials;
};

// The one instance, filled with the compiled-in endpoint and the default time-outs.
ChannelSettings &channelSettings();
