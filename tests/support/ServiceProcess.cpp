#include "ServiceProcess.h"

#include <utility>

namespace {

constexpr int kWaitMs = 30000;

} // namespace

void StopProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

ServiceProcess::ServiceProcess(QString binary, QString db)
    : m_binary(std::move(binary))
    , m_db(std::move(db))
{
}

ServiceProcess::~ServiceProcess()
{
    stop();
}

bool ServiceProcess::admin(const QStringList &arguments, QString &errorText)
{
    QProcess tool;
    tool.start(m_binary, QStringList{QStringLiteral("--db"), m_db} + arguments);
    if (!tool.waitForFinished(kWaitMs)) {
        errorText = tool.errorString();
        return false;
    }
    errorText = QString::fromUtf8(tool.readAllStandardError());
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

int ServiceProcess::serve(const QString &logFile, QString &errorText)
{
    if (!logFile.isEmpty())
        m_service.setStandardErrorFile(logFile);
    m_service.start(m_binary, {QStringLiteral("--db"), m_db, QStringLiteral("serve"), QStringLiteral("--listen"),
                               QStringLiteral("127.0.0.1:0")});
    if (!m_service.waitForStarted(kWaitMs)) {
        errorText = m_service.errorString();
        return 0;
    }
    while (!m_service.canReadLine()) {
        if (!m_service.waitForReadyRead(kWaitMs)) {
            errorText = QStringLiteral("the service announced no port");
            return 0;
        }
    }
    const QString line = QString::fromUtf8(m_service.readLine()).trimmed();
    if (!line.startsWith(QStringLiteral("listening on "))) {
        errorText = line;
        return 0;
    }
    return line.section(QLatin1Char(':'), -1).toInt();
}

void ServiceProcess::stop()
{
    StopProcess(m_service);
}
