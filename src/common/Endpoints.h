#pragma once

#include <QString>
#include <QUrl>

// The service's hosts, compiled into the program.
QString ApiHost();
int ApiPort();
QString WebHost(); // host, or host:port

// A page of the web site, e.g. WebSiteUrl(u"/") for its root.
QUrl WebSiteUrl(const QString &path);
// A page of the API host, e.g. ApiHostUrl(u"/register.php").
QUrl ApiHostUrl(const QString &path);
