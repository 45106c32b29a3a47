#pragma once

#include <QString>

// The file that remembers the last login: the executable's path with its extension, dot included,
// replaced by "ini" ("Zarnik.exe" -> "Zarnikini"); without an extension "ini" is appended.
QString CredentialsFilePath(const QString &exePath);

struct RememberedLogin {
    QString userName;
    QString userPass;
};

// The remembered texts, empty where the file or a key is missing or the file cannot be read.
RememberedLogin ReadCredentials(const QString &path);
// Sets both keys, keeping everything else in the file; false when the file could not be read or
// written (the old file then stays as it was).
bool WriteCredentials(const QString &path, const RememberedLogin &login);
