#include "ReplyReader.h"

#include "Base64Trim.h"

Reply ReadReply(const QByteArray &body)
{
    Reply reply;
    reply.object = ParseJson(DecodeBase64Trim(QString::fromLatin1(body)).toUtf8());
    if (!reply.object.isObject())
        throw ReplyError("reply is not a JSON object");
    reply.retcode = RequireInt(reply.object, u"retcode");
    return reply;
}
