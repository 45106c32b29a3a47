#pragma once

#include "AnsiCodec.h"

#include <QString>
#include <QStringList>

#include <vector>

// An INI file held in memory, read and written whole.
// Reading: lines are trimmed; empty lines, lines starting with ';' and lines before the first
// section are dropped; names and values are trimmed at the first '='. Section and key names are
// compared without regard to case, and the first of several equal names wins.
// Writing: every section as "[name]", its lines, then an empty line; CR LF line ends; in the
// encoding the file was read in (byte-order mark included), a new file in the ANSI code page.
class IniFile {
public:
    enum class Encoding { Ansi, Utf8Bom, Utf16LE, Utf16BE };

    IniFile() = default;

    // Reads the file; a missing file is an empty one. False when the file exists but cannot be
    // read; the object is then empty and keeps the path.
    bool load(const QString &path, const AnsiCodec &codec = ansiCodec());
    // Writes the whole file at once, so a failed write leaves the old file as it was.
    bool save() const;

    // The value of the first matching key of the first matching section, or defaultValue.
    QString value(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    // A decimal integer, optionally signed, or "0x" and hexadecimal digits; defaultValue otherwise.
    int intValue(const QString &section, const QString &key, int defaultValue) const;
    // Replaces the first matching key (its name then written as given here) or appends the key to
    // the section; a new section goes to the end.
    void setValue(const QString &section, const QString &key, const QString &value);

    QStringList sections() const;
    // The section's lines as they will be written ("key=value", or a line without '=').
    QStringList lines(const QString &section) const;

    const QString &path() const { return m_path; }
    Encoding encoding() const { return m_encoding; }

    // The file's text in its encoding, as save() writes it.
    QByteArray toBytes() const;
    // Parses bytes as load() does, without touching the disk.
    void fromBytes(const QByteArray &bytes);

private:
    struct Section {
        QString name;
        QStringList lines;
    };

    Section *findSection(const QString &name);
    const Section *findSection(const QString &name) const;
    static qsizetype findKey(const QStringList &lines, const QString &key);

    QString m_path;
    AnsiCodec m_codec;
    Encoding m_encoding = Encoding::Ansi;
    std::vector<Section> m_sections;
};
