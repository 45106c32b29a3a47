#include "AccountTestSupport.h"

#include "ChannelSettings.h"
#include "UserInfo.h"

#include <QCoreApplication>
#include <QPixmap>

QMap<QString, QString> FormFields(const QByteArray &body)
{
    QMap<QString, QString> fields;
    for (const QByteArray &pair : body.split('&')) {
        const qsizetype eq = pair.indexOf('=');
        auto decode = [](QByteArray part) {
            return QString::fromUtf8(QByteArray::fromPercentEncoding(part.replace('+', ' ')));
        };
        if (eq < 0)
            fields.insert(decode(pair), QString());
        else
            fields.insert(decode(pair.left(eq)), decode(pair.mid(eq + 1)));
    }
    return fields;
}

QStringList FormFieldNames(const QByteArray &body)
{
    QStringList names;
    for (const QByteArray &pair : body.split('&'))
        names.append(QString::fromUtf8(pair.left(pair.indexOf('='))));
    return names;
}

QByteArray JsonReply(const QString &json)
{
    return TestHttpServer::base64Json(json);
}

void SaveWindowPicture(QWidget &window, const QString &name)
{
    const QString folder = QStringLiteral(ZARNIK_TEST_PICTURE_DIR);
    QDir().mkpath(folder);
    window.grab().save(folder + u'/' + name + u".png");
}

void ChannelFixture::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    channelSettings().apiHost = QStringLiteral("127.0.0.1");
    channelSettings().apiPort = server.port();
    gUserInfo.reset();
}

void ChannelFixture::TearDown()
{
    gUserInfo.reset();
}

QMap<QString, QString> ChannelFixture::requestFields(std::size_t index) const
{
    const auto requests = server.requests();
    if (index >= requests.size())
        return {};
    return FormFields(requests[index].body);
}
