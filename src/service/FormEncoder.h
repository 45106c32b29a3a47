#pragma once

#include <QByteArray>
#include <QStringList>

// The form body of a request: the lines joined by "&"; each line split at its first "=" into a
// name and a value encoded separately (a line without "=" is encoded whole). Encoding of the UTF-8
// bytes: A-Z a-z 0-9 * - . _ stay, a space becomes "+", every other byte becomes %HH (upper case).
QByteArray EncodeFormBody(const QStringList &lines);

QByteArray EncodeFormComponent(const QString &text);
