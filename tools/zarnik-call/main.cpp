// zarnik-call: sends one action to the service the way the client does and prints the reply.
#include "Base64Trim.h"
#include "ChannelSettings.h"
#include "JsonValue.h"
#include "RemoteProc.h"
#include "ReplyReader.h"

#include <QCoreApplication>
#include <QStringList>

#include <climits>
#include <cstdio>
#include <optional>

namespace {

enum ExitCode { Succeeded = 0, Refused = 1, Failed = 2, BadUsage = 64 };

const char kUsage[] =
    "usage: zarnik-call [--host H] [--port P] [--user NAME] [--pass PASS] [--userid N] ACTION [NAME=VALUE ...]\n"
    "Sends action=ACTION and the given lines, in order, to the service and prints the decoded reply.\n"
    "Exit status: 0 when retcode is 1, 1 when the service refused, 2 when the exchange failed or the\n"
    "reply was unreadable, 64 for bad usage.\n";

struct Options {
    ChannelCredentials::Snapshot credentials;
    std::optional<QString> host;
    std::optional<int> port;
    QStringList fields;
};

void write(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

std::optional<int> parseInt(const QString &text, int lowest, int highest)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

// Options come before ACTION; everything after it is a field line, even when it starts with "--".
std::optional<Options> parseArguments(const QStringList &arguments)
{
    Options options;
    qsizetype index = 1;
    for (; index < arguments.size() && arguments[index].startsWith(u"--"); index += 2) {
        const QString &option = arguments[index];
        if (index + 1 >= arguments.size())
            return std::nullopt;
        const QString &value = arguments[index + 1];
        if (option == u"--host") {
            options.host = value;
        } else if (option == u"--port") {
            options.port = parseInt(value, 1, 65535);
            if (!options.port)
                return std::nullopt;
        } else if (option == u"--user") {
            options.credentials.userName = value;
        } else if (option == u"--pass") {
            options.credentials.userPass = value;
        } else if (option == u"--userid") {
            const std::optional<int> userId = parseInt(value, INT_MIN, INT_MAX);
            if (!userId)
                return std::nullopt;
            options.credentials.userId = *userId;
        } else {
            return std::nullopt;
        }
    }
    if (index >= arguments.size())
        return std::nullopt;
    options.fields << QStringLiteral("action=") + arguments[index];
    options.fields << arguments.mid(index + 1);
    return options;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 2 && (arguments[1] == u"--help" || arguments[1] == u"-h")) {
        write(stdout, kUsage);
        return Succeeded;
    }
    const std::optional<Options> options = parseArguments(arguments);
    if (!options) {
        write(stderr, kUsage);
        return BadUsage;
    }

    ChannelSettings &settings = channelSettings();
    if (options->host)
        settings.apiHost = *options->host;
    if (options->port)
        settings.apiPort = *options->port;
    settings.credentials.set(options->credentials);

    QByteArray reply;
    QString errorText;
    if (!ExecRemoteProc(nullptr, &options->fields, &reply, false, errorText)) {
        write(stderr, errorText.toUtf8() + '\n');
        return Failed;
    }

    write(stdout, DecodeBase64Trim(QString::fromLatin1(reply)).toUtf8());
    try {
        return ReadReply(reply).succeeded() ? Succeeded : Refused;
    } catch (const ReplyError &error) {
        write(stderr, QByteArray("unreadable reply: ") + error.what() + '\n');
        return Failed;
    }
}
