#include "ReplyReader.h"

#include <gtest/gtest.h>

namespace {
QByteArray asReply(const char *json)
{
    return QByteArray(json).toBase64();
}
}

TEST(JsonValue, KeepsNumberTextKindAndDuplicateKeysInOrder)
{
    const JsonValue v = ParseJson(R"({"a":1,"b":1.0,"c":"1","d":null,"e":true,"a":2,"f":1e0,"g":-0})");
    ASSERT_TRUE(v.isObject());
    ASSERT_EQ(v.members.size(), 8u);
    EXPECT_EQ(v.member(u"a")->text, QStringLiteral("1"));
    EXPECT_EQ(v.member(u"b")->text, QStringLiteral("1.0"));
    EXPECT_TRUE(v.member(u"c")->isString());
    EXPECT_TRUE(v.member(u"d")->isNull());
    EXPECT_EQ(v.member(u"d")->text, QStringLiteral("null"));
    EXPECT_EQ(v.member(u"e")->text, QStringLiteral("true"));
    EXPECT_EQ(v.member(u"f")->text, QStringLiteral("1e0"));
    EXPECT_EQ(v.member(u"A"), nullptr);
}

TEST(JsonValue, ReadsNestedArraysAndObjects)
{
    const JsonValue v = ParseJson(R"({"retmsg":[{"k":[1,[2]]},3,"x",null],"n":{}})");
    const JsonValue *list = v.member(u"retmsg");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->isArray());
    ASSERT_EQ(list->items.size(), 4u);
    const JsonValue *inner = list->items[0].member(u"k");
    ASSERT_NE(inner, nullptr);
    ASSERT_EQ(inner->items.size(), 2u);
    EXPECT_EQ(inner->items[1].items[0].text, QStringLiteral("2"));
    EXPECT_TRUE(v.member(u"n")->isObject());
}

TEST(JsonValue, RejectsWhatIsNotOneJsonValue)
{
    for (const char *bad : {"", "{", "{\"a\":}", "{} {}", "{'a':1}", "[1,]", "\xff\xfe", "{\"a\":\"\xc3\x28\"}"})
        EXPECT_THROW(ParseJson(bad), ReplyError) << bad;
}

TEST(JsonValue, RefusesHostileNestingButReadsOrdinaryDepth)
{
    const QByteArray ordinary = QByteArray(200, '[') + QByteArray(200, ']');
    EXPECT_TRUE(ParseJson(ordinary).isArray());

    const QByteArray deep = QByteArray(100000, '[') + QByteArray(100000, ']');
    EXPECT_THROW(ParseJson(deep), ReplyError);
    const QByteArray deepObjects = QByteArray("{\"a\":").repeated(100000) + QByteArray(100000, '}');
    EXPECT_THROW(ParseJson(deepObjects), ReplyError);
}

TEST(JsonValue, FieldReadersApplyTheTypeRules)
{
    const JsonValue v = ParseJson(R"({"i":42,"neg":-2147483648,"big":2147483648,"frac":1.0,"exp":1e0,"s":"7",)"
                                  R"("n":null,"t":false,"num":3.50,"arr":[],"obj":{},"i":"dup"})");
    EXPECT_EQ(RequireInt(v, u"i"), 42);
    EXPECT_EQ(RequireInt(v, u"neg"), -2147483647 - 1);
    for (const char16_t *bad : {u"big", u"frac", u"exp", u"s", u"n", u"t", u"missing", u"I"})
        EXPECT_THROW(RequireInt(v, QStringView(bad)), ReplyError) << QString::fromUtf16(bad).toStdString();

    EXPECT_EQ(RequireScalarText(v, u"s"), QStringLiteral("7"));
    EXPECT_EQ(RequireScalarText(v, u"num"), QStringLiteral("3.50"));
    EXPECT_EQ(RequireScalarText(v, u"n"), QStringLiteral("null"));
    EXPECT_EQ(RequireScalarText(v, u"t"), QStringLiteral("false"));
    for (const char16_t *bad : {u"arr", u"obj", u"missing"})
        EXPECT_THROW(RequireScalarText(v, QStringView(bad)), ReplyError);

    EXPECT_EQ(RequireStringOrNumber(v, u"num"), QStringLiteral("3.50"));
    for (const char16_t *bad : {u"n", u"t", u"arr", u"obj", u"missing"})
        EXPECT_THROW(RequireStringOrNumber(v, QStringView(bad)), ReplyError);
}

TEST(ReplyReader, ReadsRetcodeFromTrimmedBase64OfAJsonObject)
{
    const Reply ok = ReadReply("  \r\n" + asReply(R"({"retcode":1,"retmsg":"ok"})") + "\r\n");
    EXPECT_TRUE(ok.succeeded());
    EXPECT_EQ(ok.object.member(u"retmsg")->text, QStringLiteral("ok"));

    const Reply refused = ReadReply(asReply(R"({"retmsg":"no","retcode":0})"));
    EXPECT_FALSE(refused.succeeded());
    EXPECT_EQ(refused.retcode, 0);

    const Reply withBreaks = ReadReply(QByteArray(R"({"retcode":1,"retmsg":"中文"})").toBase64().insert(8, "\r\n"));
    EXPECT_EQ(withBreaks.object.member(u"retmsg")->text, QStringLiteral("中文"));
}

TEST(ReplyReader, RejectsUnreadableReplies)
{
    const QByteArray bad[] = {
        QByteArray(),
        QByteArray(R"({"retcode":1})"), // plain JSON is not base64 of JSON
        asReply("[1]"),
        asReply(R"({"retmsg":"x"})"),
        asReply(R"({"retcode":"1"})"),
        asReply(R"({"retcode":1.0})"),
        asReply(R"({"retcode":null})"),
        asReply(R"({"Retcode":1})"),
        QByteArray("\x00\x01\x02garbage\xff", 11),
        QByteArray(5000, '\xff'),
        QByteArray("////++++AAAA"),
    };
    for (const QByteArray &body : bad)
        EXPECT_THROW(ReadReply(body), ReplyError) << body.toStdString();
}

TEST(ReplyReader, FirstRetcodeCounts)
{
    EXPECT_TRUE(ReadReply(asReply(R"({"retcode":1,"retcode":0})")).succeeded());
    EXPECT_FALSE(ReadReply(asReply(R"({"retcode":0,"retcode":1})")).succeeded());
}
