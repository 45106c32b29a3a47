#include "AnsiCodec.h"

#include <windows.h>

namespace {

UINT codePageOf(const QByteArray &name)
{
    if (name.isEmpty())
        return CP_ACP;
    if (name.compare("UTF-8", Qt::CaseInsensitive) == 0)
        return CP_UTF8;
    if (name.compare("GBK", Qt::CaseInsensitive) == 0)
        return 936;
    bool ok = false;
    const uint number = name.toUInt(&ok);
    return ok ? UINT(number) : CP_ACP;
}

} // namespace

QByteArray AnsiCodec::encode(const QString &text) const
{
    if (text.isEmpty())
        return {};
    const UINT codePage = codePageOf(m_codePage);
    const auto *wide = reinterpret_cast<LPCWCH>(text.utf16());
    const int wideLength = int(text.size());
    // UTF-8 takes no default character: unpaired surrogates are its only unrepresentable input.
    const char *defaultChar = codePage == CP_UTF8 ? nullptr : "?";
    const int size = WideCharToMultiByte(codePage, 0, wide, wideLength, nullptr, 0, defaultChar, nullptr);
    QByteArray out(size, Qt::Uninitialized);
    WideCharToMultiByte(codePage, 0, wide, wideLength, out.data(), size, defaultChar, nullptr);
    return out;
}

QString AnsiCodec::decode(const QByteArray &bytes) const
{
    if (bytes.isEmpty())
        return {};
    const UINT codePage = codePageOf(m_codePage);
    const int size = MultiByteToWideChar(codePage, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
    QString text(size, Qt::Uninitialized);
    MultiByteToWideChar(codePage, 0, bytes.constData(), int(bytes.size()), reinterpret_cast<LPWSTR>(text.data()),
                        size);
    return text;
}
