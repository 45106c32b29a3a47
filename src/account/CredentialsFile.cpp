#include "CredentialsFile.h"

#include "IniFile.h"

namespace {
const QString kSection = QStringLiteral("login");
const QString kUserName = QStringLiteral("username");
const QString kUserPass = QStringLiteral("userpass");

bool isSeparator(QChar c)
{
#ifdef _WIN32
    return c == u'/' || c == u'\\' || c == u':';
#else
    return c == u'/';
#endif
}
}

QString CredentialsFilePath(const QString &exePath)
{
    for (qsizetype i = exePath.size() - 1; i >= 0 && !isSeparator(exePath.at(i)); --i) {
        if (exePath.at(i) == u'.')
            return exePath.left(i) + u"ini";
    }
    return exePath + u"ini";
}

RememberedLogin ReadCredentials(const QString &path)
{
    IniFile ini;
    if (!ini.load(path))
        return {};
    return {ini.value(kSection, kUserName), ini.value(kSection, kUserPass)};
}

bool WriteCredentials(const QString &path, const RememberedLogin &login)
{
    IniFile ini;
    // A file that exists but cannot be read is left alone rather than replaced by two keys.
    if (!ini.load(path))
        return false;
    ini.setValue(kSection, kUserName, login.userName);
    ini.setValue(kSection, kUserPass, login.userPass);
    return ini.save();
}
