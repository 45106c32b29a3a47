#pragma once

#include "Clock.h"

#include <QString>

#include <memory>
#include <mutex>
#include <stdexcept>

// An append that failed; the message carries the system's error code of that moment.
class LogAppendError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Appends tagged lines to one file per local day ("yyyymmdd.log") in the log folder.
// Safe from any thread: every append opens, writes, flushes and closes under the lock.
class TGlobalLoger {
public:
    // Creates the folder (with missing parents) when it is not there; a failure shows up at the
    // first append. Appends never create it again.
    explicit TGlobalLoger(const QString &logDir,
                          std::shared_ptr<const Clock> clock = std::make_shared<SystemClock>());

    // Appends "[module padded to 30]:  text " and CR LF in the ANSI code page.
    // Throws LogAppendError "TGlobalLoger.AppendDbg: Error code is N." when the append fails.
    void AddLog(const QString &strModuleName, const QString &strLog);

    QString rootPath() const { return m_RootPath; }
    QString lastLogFilename() const;

    static QString FormatLine(const QString &strModuleName, const QString &strLog);

private:
    mutable std::mutex m_FileLock;
    QString m_RootPath;
    QString m_LogFilename;
    std::shared_ptr<const Clock> m_clock;
};

// The one writer; created after the sign-in, released by ReleaseAppResources.
extern std::unique_ptr<TGlobalLoger> gGlobalLoger;
