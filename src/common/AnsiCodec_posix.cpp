#include "AnsiCodec.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace {

constexpr char kDefaultChar = '?';
constexpr char16_t kUndecodable = u'\uFFFD';

// One conversion descriptor per call: the codec is used from several threads.
class Converter {
public:
    Converter(const char *to, const char *from)
        : m_cd(iconv_open(to, from))
    {
    }
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can and appends it to out; returns false where the input stops
    // being convertible (inBytes then points at the offending bytes).
    bool convert(const char *&in, size_t &inLeft, QByteArray &out)
    {
        char buffer[4096];
        while (inLeft > 0) {
            char *outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t rc = iconv(m_cd, const_cast<char **>(&in), &inLeft, &outPtr, &outLeft);
            out.append(buffer, qsizetype(outPtr - buffer));
            if (rc == size_t(-1) && errno != E2BIG)
                return false;
        }
        char *outPtr = buffer;
        size_t outLeft = sizeof buffer;
        iconv(m_cd, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer, qsizetype(outPtr - buffer));
        return true;
    }

private:
    iconv_t m_cd;
};

const char *nameOf(const QByteArray &codePage)
{
    return codePage.isEmpty() ? "UTF-8" : codePage.constData();
}

// Length of the UTF-8 sequence that starts with this byte (1 for a stray byte).
size_t utf8SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

} // namespace

QByteArray AnsiCodec::encode(const QString &text) const
{
    const QByteArray utf8 = text.toUtf8();
    Converter converter(nameOf(m_codePage), "UTF-8");
    if (!converter.valid())
        return utf8;
    QByteArray out;
    const char *in = utf8.constData();
    size_t inLeft = size_t(utf8.size());
    while (!converter.convert(in, inLeft, out)) {
        const size_t skip = std::min(utf8SequenceLength(static_cast<unsigned char>(*in)), inLeft);
        in += skip;
        inLeft -= skip;
        out.append(kDefaultChar);
    }
    return out;
}

QString AnsiCodec::decode(const QByteArray &bytes) const
{
    Converter converter("UTF-8", nameOf(m_codePage));
    if (!converter.valid())
        return QString::fromUtf8(bytes);
    QString text;
    QByteArray utf8;
    const char *in = bytes.constData();
    size_t inLeft = size_t(bytes.size());
    while (!converter.convert(in, inLeft, utf8)) {
        text += QString::fromUtf8(utf8);
        utf8.clear();
        ++in;
        --inLeft;
        text += QChar(kUndecodable);
    }
    return text + QString::fromUtf8(utf8);
}
