#include "CommandReply.h"

#include "ReplyReader.h"

bool bCommandSucceeded(const QByteArray &body)
{
    const Reply reply = ReadReply(body);
    if (reply.object.member(u"retmsg"))
        RequireStringOrNumber(reply.object, u"retmsg");
    return reply.succeeded();
}
