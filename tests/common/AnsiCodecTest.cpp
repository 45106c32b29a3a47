#include "AnsiCodec.h"

#include <gtest/gtest.h>

TEST(AnsiCodec, GbkEncodesWhatItHoldsAndReplacesTheRestWithQuestionMark)
{
    const AnsiCodec gbk("GBK");
    struct Case {
        QString text;
        QByteArray bytes;
    };
    const Case cases[] = {
        {QString(), QByteArray()},
        {QStringLiteral("abc=1"), QByteArray("abc=1")},
        {QStringLiteral("中文"), QByteArray("\xD6\xD0\xCE\xC4")},
        {QStringLiteral("a\u1234b"), QByteArray("a?b")},
        {QStringLiteral("\u0E01\u0E02中"), QByteArray("??\xD6\xD0")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(gbk.encode(c.text), c.bytes) << c.text.toStdString();
}

TEST(AnsiCodec, GbkDecodesAndMarksInvalidBytes)
{
    const AnsiCodec gbk("GBK");
    EXPECT_EQ(gbk.decode(QByteArray("\xD6\xD0\xCE\xC4=x")), QStringLiteral("中文=x"));
    // A lead byte with nothing after it is not a character.
    EXPECT_EQ(gbk.decode(QByteArray("ab\xD6")), QStringLiteral("ab\uFFFD"));
}

#ifndef _WIN32
TEST(AnsiCodec, SystemCodePageIsUtf8WhateverTheLocale)
{
    const AnsiCodec system;
    EXPECT_EQ(system.encode(QStringLiteral("中\u1234")), QStringLiteral("中\u1234").toUtf8());
    EXPECT_EQ(system.decode(QByteArray("a\xFF" "b")), QStringLiteral("a\uFFFDb"));
    EXPECT_EQ(system.decode(QStringLiteral("键=值").toUtf8()), QStringLiteral("键=值"));
}
#endif

TEST(AnsiCodec, ProcessWideCodecCanBeSwappedAndRestored)
{
    const AnsiCodec gbk("GBK");
    setAnsiCodec(&gbk);
    EXPECT_EQ(ansiCodec().encode(QStringLiteral("中")), QByteArray("\xD6\xD0"));
    setAnsiCodec(nullptr);
    EXPECT_TRUE(ansiCodec().codePage().isEmpty());
}
