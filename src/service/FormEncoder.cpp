#include "FormEncoder.h"

namespace {
bool keptAsIs(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' || c == '-'
        || c == '.' || c == '_';
}
}

QByteArray EncodeFormComponent(const QString &text)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() * 3);
    for (const char c : utf8) {
        if (keptAsIs(c)) {
            out.append(c);
        } else if (c == ' ') {
            out.append('+');
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out.append('%');
            out.append(hex[byte >> 4]);
            out.append(hex[byte & 0x0F]);
        }
    }
    return out;
}

QByteArray EncodeFormBody(const QStringList &lines)
{
    QByteArray body;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            body.append('&');
        const QString &line = lines.at(i);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) {
            body.append(EncodeFormComponent(line));
        } else {
            body.append(EncodeFormComponent(line.left(eq)));
            body.append('=');
            body.append(EncodeFormComponent(line.mid(eq + 1)));
        }
    }
    return body;
}
