#include "Base64Trim.h"
#include "FormEncoder.h"

#include <gtest/gtest.h>

TEST(Base64Trim, EncodesTrimmedUtf8WithLineBreakAfterEvery76Characters)
{
    struct Case {
        QString input;
        QString expected;
    };
    const Case cases[] = {
        {QString(), QString()},
        {QStringLiteral("  \t "), QString()},
        {QStringLiteral(" pass "), QStringLiteral("cGFzcw==")},
        {QStringLiteral("\x01" "ab\x1f"), QStringLiteral("YWI=")},
        {QStringLiteral("中文"), QStringLiteral("5Lit5paH")},
        {QStringLiteral("\xfb\xff"), QStringLiteral("w7vDvw==")},
        // 57 bytes fill one line exactly: the break still follows.
        {QString(57, QLatin1Char('a')), QString::fromLatin1(QByteArray(57, 'a').toBase64()) + QStringLiteral("\r\n")},
        {QString(58, QLatin1Char('a')),
         QString::fromLatin1(QByteArray(57, 'a').toBase64()) + QStringLiteral("\r\nYQ==")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(EncodeBase64Trim(c.input), c.expected) << c.input.toStdString();
}

TEST(Base64Trim, DecodesSkippingForeignCharactersAndDroppingLeftoverBits)
{
    struct Case {
        QString input;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("cGFzcw=="), QStringLiteral("pass")},
        {QStringLiteral("  cGFz\r\ncw==\r\n  "), QStringLiteral("pass")},
        {QStringLiteral("c G*F z.c-w"), QStringLiteral("pass")},
        {QStringLiteral("5Lit5paH"), QStringLiteral("中文")},
        {QStringLiteral("YQ"), QStringLiteral("a")},
        {QStringLiteral("YQ="), QStringLiteral("a")},
        {QStringLiteral("Y"), QString()},
        {QStringLiteral("YQ==YQ=="), QStringLiteral("aa")},
        {QString(), QString()},
        {QStringLiteral("!!!"), QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DecodeBase64Trim(c.input), c.expected) << c.input.toStdString();
}

TEST(Base64Trim, RoundTripsEveryLengthAcrossTheLineBreak)
{
    for (int n = 1; n < 200; ++n) {
        const QString text = QString(n, QChar(u'\u6d4b'));
        EXPECT_EQ(DecodeBase64Trim(EncodeBase64Trim(text)), text) << n;
    }
}

TEST(FormEncoder, EncodesNameAndValueSplitAtTheFirstEquals)
{
    struct Case {
        QStringList lines;
        QByteArray expected;
    };
    const Case cases[] = {
        {{}, QByteArray()},
        {{QStringLiteral("action=login")}, "action=login"},
        {{QStringLiteral("a=1"), QStringLiteral("b=2")}, "a=1&b=2"},
        {{QStringLiteral("k=a b&c=d")}, "k=a+b%26c%3Dd"},
        {{QStringLiteral("k==")}, "k=%3D"},
        {{QStringLiteral("k=")}, "k="},
        {{QStringLiteral("=v")}, "=v"},
        {{QStringLiteral("no equals here")}, "no+equals+here"},
        {{QStringLiteral("kw=中")}, "kw=%E4%B8%AD"},
        {{QStringLiteral("safe=AZaz09*-._")}, "safe=AZaz09*-._"},
        {{QStringLiteral("p=+/~!'()\r\n")}, "p=%2B%2F%7E%21%27%28%29%0D%0A"},
        {{QStringLiteral("n a=v")}, "n+a=v"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(EncodeFormBody(c.lines), c.expected) << c.lines.join(u'|').toStdString();
}

TEST(FormEncoder, EncodesEveryByteOutsideTheKeptSetAsUpperCaseHex)
{
    QString all;
    for (char16_t c = 1; c < 0x80; ++c)
        all.append(QChar(c));
    const QByteArray encoded = EncodeFormComponent(all);
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        if (encoded.at(i) == '%') {
            ASSERT_LT(i + 2, encoded.size());
            for (const char h : {encoded.at(i + 1), encoded.at(i + 2)})
                EXPECT_TRUE((h >= '0' && h <= '9') || (h >= 'A' && h <= 'F')) << h;
        }
    }
    EXPECT_EQ(QByteArray::fromPercentEncoding(QByteArray(encoded).replace('+', "%20")), all.toUtf8());
}
