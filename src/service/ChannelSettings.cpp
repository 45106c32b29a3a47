#include "ChannelSettings.h"

#include "Timings.h"

ChannelCredentials::Snapshot ChannelCredentials::snapshot() const
{
    std::lock_guard guard(m_lock);
    return m_credentials;
}

void ChannelCredentials::set(const Snapshot &credentials)
{
    std::lock_guard guard(m_lock);
    m_credentials = credentials;
}

void ChannelCredentials::setUserPass(const QString &userPass)
{
    std::lock_guard guard(m_lock);
    m_credentials.userPass = userPass;
}

ChannelSettings &channelSettings()
{
    static ChannelSettings settings;
    static const bool initialised = [] {
        settings.apiHost = QStringLiteral(ZARNIK_API_HOST);
        settings.apiPort = ZARNIK_API_PORT;
        settings.connectTimeout = AppTimings().connectTimeout;
        settings.exchangeTimeout = AppTimings().exchangeTimeout;
        return true;
    }();
    Q_UNUSED(initialised);
    return settings;
}
