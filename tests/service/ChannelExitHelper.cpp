// Starts a channel call against a service that never answers and ends the process while the
// exchange still runs, once a line arrives on standard input.
// Usage: channel_exit_helper PORT polling|window
#include "ChannelSettings.h"
#include "RemoteProc.h"

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3)
        return 64;
    ChannelSettings &settings = channelSettings();
    settings.apiHost = QStringLiteral("127.0.0.1");
    settings.apiPort = std::atoi(argv[1]);
    const std::string mode = argv[2];
    const QStringList fields{QStringLiteral("action=hang")};

    if (mode == "polling") {
        std::thread([fields] {
            QByteArray reply;
            QString errorText;
            ExecRemoteProc(nullptr, &fields, &reply, false, errorText);
        }).detach();
        std::string line;
        std::getline(std::cin, line);
        return 0; // the application and every static object go while the exchange runs
    }

    std::thread([] {
        std::string line;
        std::getline(std::cin, line);
        QMetaObject::invokeMethod(qApp, [] { std::exit(0); }, Qt::QueuedConnection);
    }).detach();
    QByteArray reply;
    QString errorText;
    ExecRemoteProc(nullptr, &fields, &reply, true, errorText);
    return 3; // the call never returns: the service never answers
}
