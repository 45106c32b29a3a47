#include "LoginReply.h"

#include "JsonValue.h"
#include "UserInfo.h"

#include <QRegularExpression>

namespace {

// A whole number without fraction or exponent; the balance is not bound to 32 bits.
double requireWholeNumber(const JsonValue &reply, QStringView name)
{
    const JsonValue *value = reply.member(name);
    static const QRegularExpression integer(QStringLiteral("^-?[0-9]+$"));
    if (!value || !value->isNumber() || !integer.match(value->text).hasMatch())
        throw ReplyError("not an integer: " + name.toString().toStdString());
    bool ok = false;
    const qlonglong number = value->text.toLongLong(&ok);
    if (!ok)
        throw ReplyError("integer out of range: " + name.toString().toStdString());
    return double(number);
}

// Absent or null is empty text; anything else must be a string (or a number).
QString optionalText(const JsonValue &reply, QStringView name)
{
    const JsonValue *value = reply.member(name);
    if (!value || value->isNull())
        return {};
    return RequireStringOrNumber(reply, name);
}

} // namespace

void ReadLoginReply(const JsonValue &reply, TUserInfo &userInfo)
{
    if (reply.member(u"retmsg"))
        RequireStringOrNumber(reply, u"retmsg");
    userInfo.FIsLifeTimeMember = RequireInt(reply, u"islifetimemember") != 0;
    userInfo.setUserId(RequireInt(reply, u"userid"));
    userInfo.FExpiredTime = RequireStringOrNumber(reply, u"expiredtime");
    userInfo.FQQ = RequireStringOrNumber(reply, u"qq");
    userInfo.FEMail = RequireStringOrNumber(reply, u"email");
    userInfo.FAccountBalance = requireWholeNumber(reply, u"accountbalance");
    userInfo.Falipayusername = optionalText(reply, u"alipayusername");
    userInfo.Falipayaccount = optionalText(reply, u"alipayaccount");
}
