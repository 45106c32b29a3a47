#pragma once

#include <QByteArray>
#include <QString>

// The system's ANSI code page: every INI file and the log are written in it. A character the code
// page cannot hold becomes its default character "?"; bytes that are not valid in it read as U+FFFD.
class AnsiCodec {
public:
    // The system's code page: CP_ACP on Windows; elsewhere UTF-8, whatever the locale says.
    AnsiCodec();
    // A named code page ("GBK", "UTF-8", ...): an iconv name; on Windows a number or one of the
    // names "GBK" and "UTF-8".
    explicit AnsiCodec(QByteArray codePage);

    QByteArray encode(const QString &text) const;
    QString decode(const QByteArray &bytes) const;

    const QByteArray &codePage() const { return m_codePage; }

private:
    QByteArray m_codePage; // empty: the system's
};

// The program's current codec; tests install another. Safe to read from any thread.
const AnsiCodec &ansiCodec();
void setAnsiCodec(const AnsiCodec *codec); // nullptr restores the system's
