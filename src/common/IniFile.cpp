#include "IniFile.h"

#include "TextTrim.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <limits>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");
const QByteArray kUtf16LEBom("\xFF\xFE");
const QByteArray kUtf16BEBom("\xFE\xFF");

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

bool parseInt(const QString &text, int &result)
{
    bool ok = false;
    if (text.size() > 2 && text.at(0) == u'0' && (text.at(1) == u'x' || text.at(1) == u'X')) {
        const QString digits = text.mid(2);
        for (const QChar c : digits) {
            if (!(c >= u'0' && c <= u'9') && !(c >= u'a' && c <= u'f') && !(c >= u'A' && c <= u'F'))
                return false;
        }
        // Up to eight hex digits wrap into the signed range, as 0xFFFFFFFF reads -1.
        const qulonglong number = digits.toULongLong(&ok, 16);
        if (!ok || number > std::numeric_limits<quint32>::max())
            return false;
        result = int(quint32(number));
        return true;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!(c >= u'0' && c <= u'9') && !(i == 0 && (c == u'-' || c == u'+') && text.size() > 1))
            return false;
    }
    const qlonglong number = text.toLongLong(&ok, 10);
    if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return false;
    result = int(number);
    return true;
}

} // namespace

bool IniFile::load(const QString &path, const AnsiCodec &codec)
{
    m_path = path;
    m_codec = codec;
    m_encoding = Encoding::Ansi;
    m_sections.clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    fromBytes(bytes);
    return true;
}

void IniFile::fromBytes(const QByteArray &bytes)
{
    QString text;
    if (bytes.startsWith(kUtf8Bom)) {
        m_encoding = Encoding::Utf8Bom;
        text = QString::fromUtf8(bytes.mid(kUtf8Bom.size()));
    } else if (bytes.startsWith(kUtf16LEBom)) {
        m_encoding = Encoding::Utf16LE;
        text = QStringDecoder(QStringDecoder::Utf16LE)(bytes.mid(kUtf16LEBom.size()));
    } else if (bytes.startsWith(kUtf16BEBom)) {
        m_encoding = Encoding::Utf16BE;
        text = QStringDecoder(QStringDecoder::Utf16BE)(bytes.mid(kUtf16BEBom.size()));
    } else {
        m_encoding = Encoding::Ansi;
        text = m_codec.decode(bytes);
    }

    m_sections.clear();
    Section *current = nullptr;
    for (const QString &raw : splitLines(text)) {
        const QString line = TrimText(raw);
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']') && line.size() >= 2) {
            // A repeated section header starts a section of its own; lookups find the first.
            m_sections.push_back(Section{TrimText(line.mid(1, line.size() - 2)), {}});
            current = &m_sections.back();
            continue;
        }
        if (!current)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            current->lines.append(line);
        else
            current->lines.append(TrimText(line.left(eq)) + u'=' + TrimText(line.mid(eq + 1)));
    }
}

QByteArray IniFile::toBytes() const
{
    QString text;
    for (const Section &section : m_sections) {
        text += u'[' + section.name + u"]\r\n";
        for (const QString &line : section.lines)
            text += line + u"\r\n";
        text += u"\r\n";
    }
    switch (m_encoding) {
    case Encoding::Utf8Bom:
        return kUtf8Bom + text.toUtf8();
    case Encoding::Utf16LE:
        return kUtf16LEBom + QByteArray(QStringEncoder(QStringEncoder::Utf16LE)(text));
    case Encoding::Utf16BE:
        return kUtf16BEBom + QByteArray(QStringEncoder(QStringEncoder::Utf16BE)(text));
    case Encoding::Ansi:
        break;
    }
    return m_codec.encode(text);
}

bool IniFile::save() const
{
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

IniFile::Section *IniFile::findSection(const QString &name)
{
    for (Section &section : m_sections) {
        if (section.name.compare(name, Qt::CaseInsensitive) == 0)
            return &section;
    }
    return nullptr;
}

const IniFile::Section *IniFile::findSection(const QString &name) const
{
    return const_cast<IniFile *>(this)->findSection(name);
}

qsizetype IniFile::findKey(const QStringList &lines, const QString &key)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype eq = lines.at(i).indexOf(u'=');
        if (eq >= 0 && QStringView(lines.at(i)).left(eq).compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString IniFile::value(const QString &section, const QString &key, const QString &defaultValue) const
{
    const Section *found = findSection(section);
    if (!found)
        return defaultValue;
    const qsizetype index = findKey(found->lines, key);
    if (index < 0)
        return defaultValue;
    const QString &line = found->lines.at(index);
    return line.mid(line.indexOf(u'=') + 1);
}

int IniFile::intValue(const QString &section, const QString &key, int defaultValue) const
{
    int result = 0;
    return parseInt(value(section, key), result) ? result : defaultValue;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    Section *found = findSection(section);
    if (!found) {
        m_sections.push_back(Section{section, {}});
        found = &m_sections.back();
    }
    const QString line = key + u'=' + value;
    const qsizetype index = findKey(found->lines, key);
    if (index >= 0)
        found->lines[index] = line;
    else
        found->lines.append(line);
}

QStringList IniFile::sections() const
{
    QStringList names;
    for (const Section &section : m_sections)
        names.append(section.name);
    return names;
}

QStringList IniFile::lines(const QString &section) const
{
    const Section *found = findSection(section);
    return found ? found->lines : QStringList();
}
