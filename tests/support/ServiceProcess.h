#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Asks a test's helper process to end, and kills it when it does not within a few seconds.
void StopProcess(QProcess &process);

// The reference service as a real process for tests: admin commands on its database, then
// "serve" on a free port of 127.0.0.1. Ended when the object goes.
class ServiceProcess {
public:
    ServiceProcess(QString binary, QString db);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess &) = delete;
    ServiceProcess &operator=(const ServiceProcess &) = delete;

    // Runs one admin command; on failure the error text holds what the command printed.
    bool admin(const QStringList &arguments, QString &errorText);

    // Starts serving, its log going to logFile when one is given. Returns the port, or 0 when the
    // service did not announce one; errorText then says why.
    int serve(const QString &logFile, QString &errorText);

    void stop();

private:
    QString m_binary;
    QString m_db;
    QProcess m_service;
};
