#include "GlobalLoger.h"

#include "AnsiCodec.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#endif

std::unique_ptr<TGlobalLoger> gGlobalLoger;

namespace {

int lastSystemError()
{
#if defined(_WIN32)
    return static_cast<int>(GetLastError());
#else
    return errno;
#endif
}

std::FILE *openForAppend(const QString &fileName)
{
#if defined(_WIN32)
    return _wfopen(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(fileName).utf16()), L"ab");
#else
    return std::fopen(QFile::encodeName(fileName).constData(), "ab");
#endif
}

[[noreturn]] void raiseAppendError(int code)
{
    throw LogAppendError(QStringLiteral("TGlobalLoger.AppendDbg: Error code is %1.").arg(code).toStdString());
}

} // namespace

TGlobalLoger::TGlobalLoger(const QString &logDir, std::shared_ptr<const Clock> clock)
    : m_RootPath(logDir.endsWith(u'/') || logDir.endsWith(u'\\') ? logDir : logDir + u'/'),
      m_clock(std::move(clock))
{
    QDir().mkpath(m_RootPath);
}

QString TGlobalLoger::lastLogFilename() const
{
    std::lock_guard guard(m_FileLock);
    return m_LogFilename;
}

QString TGlobalLoger::FormatLine(const QString &strModuleName, const QString &strLog)
{
    return u'[' + strModuleName.leftJustified(30, u' ') + QStringLiteral("]:  ") + strLog + u' ';
}

void TGlobalLoger::AddLog(const QString &strModuleName, const QString &strLog)
{
    std::lock_guard guard(m_FileLock);
    m_LogFilename = m_RootPath + m_clock->now().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".log");
    const QByteArray line = ansiCodec().encode(FormatLine(strModuleName, strLog)) + "\r\n";

    std::FILE *file = openForAppend(m_LogFilename);
    if (!file)
        raiseAppendError(lastSystemError());
    const bool bWritten = std::fwrite(line.constData(), 1, size_t(line.size()), file) == size_t(line.size())
        && std::fflush(file) == 0;
    const int writeError = bWritten ? 0 : lastSystemError();
    const bool bClosed = std::fclose(file) == 0;
    if (!bWritten)
        raiseAppendError(writeError);
    if (!bClosed)
        raiseAppendError(lastSystemError());
}
