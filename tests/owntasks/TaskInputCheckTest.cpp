#include "GoodsUrl.h"
#include "TaskInputCheck.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Field = TaskInputCheck::Field;

TEST(TaskInputCheck, VisitCountRule)
{
    struct Case {
        const char16_t *count;
        bool bAccepted;
        int sent;
    };
    const Case cases[] = {
        {u"1", true, 1},       {u"500", true, 500},  {u" 20 ", true, 20},  {u"020", true, 20},
        {u"\t7\r\n", true, 7}, {u"0", false, 0},     {u"501", false, 0},   {u"-3", false, 0},
        {u"12abc", false, 0},  {u"1.5", false, 0},   {u"2 0", false, 0},   {u"99999999999", false, 0},
        {u"abc", false, 0},    {u"４２", false, 0},
    };
    for (const Case &c : cases) {
        const QString count = QString::fromUtf16(c.count);
        const TaskInputCheck check = CheckTaskInput(u"kw"_s, u"http://a/"_s, u"9"_s, count);
        EXPECT_EQ(check.bPassed(), c.bAccepted) << count.toStdString();
        if (c.bAccepted) {
            EXPECT_EQ(check.totalClickCount, c.sent) << count.toStdString();
        } else {
            EXPECT_EQ(check.failedField, Field::TotalClickCount) << count.toStdString();
            EXPECT_EQ(check.message, u"请填写准确的访问量！"_s) << count.toStdString();
        }
    }
}

TEST(TaskInputCheck, OnlyTheFirstFailingCheckSpeaks)
{
    struct Case {
        const char16_t *keyword, *url, *id, *count;
        Field field;
        const char16_t *message;
    };
    const Case cases[] = {
        {u"   ", u"", u"", u"", Field::Keyword, u"关键词不能为空！"},
        {u"\t\r\n", u"x", u"y", u"5", Field::Keyword, u"关键词不能为空！"},
        {u"kw", u"  ", u"", u"0", Field::GoodsUrl, u"宝贝地址不能为空！"},
        {u"kw", u"u", u" ", u"abc", Field::GoodsId, u"宝贝ID不能为空！"},
        {u"kw", u"u", u"id", u"   ", Field::TotalClickCount, u"所需访问量不能为空！"},
        {u"kw", u"u", u"id", u"0", Field::TotalClickCount, u"请填写准确的访问量！"},
    };
    for (const Case &c : cases) {
        const TaskInputCheck check = CheckTaskInput(QString::fromUtf16(c.keyword), QString::fromUtf16(c.url),
                                                    QString::fromUtf16(c.id), QString::fromUtf16(c.count));
        EXPECT_EQ(check.failedField, c.field) << QString::fromUtf16(c.message).toStdString();
        EXPECT_EQ(check.message, QString::fromUtf16(c.message));
    }
}

TEST(TaskInputCheck, TextsAreSentTrimmed)
{
    const TaskInputCheck check = CheckTaskInput(u"  连衣裙 夏 \t"_s, u" http://item.taobao.com/item.htm?id=1 "_s,
                                                u"\t123\n"_s, u" 20 "_s);
    ASSERT_TRUE(check.bPassed());
    EXPECT_EQ(check.keyword, u"连衣裙 夏"_s);
    EXPECT_EQ(check.goodsUrl, u"http://item.taobao.com/item.htm?id=1"_s);
    EXPECT_EQ(check.goodsId, u"123"_s);
    EXPECT_EQ(check.totalClickCount, 20);
}

TEST(GoodsUrl, OnlyHttpAndHttpsAddressesAreOpened)
{
    struct Case {
        const char16_t *text;
        bool bOpened;
    };
    const Case cases[] = {
        {u"http://item.taobao.com/item.htm?id=42", true},
        {u"https://detail.tmall.com/item.htm?id=7&spm=a", true},
        {u"HTTPS://detail.tmall.com/", true},
        {u"file:///C:/Windows/System32/calc.exe", false},
        {u"C:\\Windows\\System32\\cmd.exe", false},
        {u"calc.exe", false},
        {u"/usr/bin/xterm", false},
        {u"javascript:alert(1)", false},
        {u"ftp://example.com/x", false},
        {u"tencent://message/?uin=1", false},
        {u"http://", false},
        {u"http:relative", false},
        {u"", false},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        const std::optional<QUrl> url = GoodsUrlToOpen(text);
        EXPECT_EQ(url.has_value(), c.bOpened) << text.toStdString();
        if (url) {
            EXPECT_EQ(url->toString().toLower(), text.toLower());
        }
    }
}
