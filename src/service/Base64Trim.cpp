#include "Base64Trim.h"

#include "TextTrim.h"

#include <QByteArray>

namespace {
constexpr qsizetype kLineLength = 76;

int sextet(char16_t c)
{
    if (c >= u'A' && c <= u'Z')
        return c - u'A';
    if (c >= u'a' && c <= u'z')
        return c - u'a' + 26;
    if (c >= u'0' && c <= u'9')
        return c - u'0' + 52;
    if (c == u'+')
        return 62;
    if (c == u'/')
        return 63;
    return -1;
}
}

QString EncodeBase64Trim(const QString &text)
{
    const QByteArray encoded = TrimText(text).toUtf8().toBase64();
    QString result;
    result.reserve(encoded.size() + encoded.size() / kLineLength * 2);
    for (qsizetype pos = 0; pos < encoded.size(); pos += kLineLength) {
        const QByteArray line = encoded.mid(pos, kLineLength);
        result += QLatin1String(line);
        if (line.size() == kLineLength)
            result += QLatin1String("\r\n");
    }
    return result;
}

QString DecodeBase64Trim(const QString &text)
{
    const QString trimmed = TrimText(text);
    QByteArray bytes;
    bytes.reserve(trimmed.size() * 3 / 4);
    quint32 buffer = 0;
    int bits = 0;
    for (const QChar ch : trimmed) {
        if (ch == u'=') {
            // Fill ends the current quantum: its partial bits are no byte.
            bits = 0;
            continue;
        }
        const int value = sextet(ch.unicode());
        if (value < 0)
            continue;
        buffer = (buffer << 6) | quint32(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.append(char((buffer >> bits) & 0xFF));
        }
    }
    return QString::fromUtf8(bytes);
}
