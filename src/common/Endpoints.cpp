#include "Endpoints.h"

QString ApiHost()
{
    return QStringLiteral(ZARNIK_API_HOST);
}

int ApiPort()
{
    return ZARNIK_API_PORT;
}

QString WebHost()
{
    return QStringLiteral(ZARNIK_WEB_HOST);
}

QUrl WebSiteUrl(const QString &path)
{
    return QUrl(QStringLiteral("http://") + WebHost() + path);
}

QUrl ApiHostUrl(const QString &path)
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(ApiHost());
    if (ApiPort() != 80)
        url.setPort(ApiPort());
    url.setPath(path);
    return url;
}
