#include "TextTrim.h"

#include <gtest/gtest.h>

TEST(TextTrim, RemovesEveryCharacterUpToSpaceAtBothEndsOnly)
{
    struct Case {
        QString input;
        QString expected;
    };
    const Case cases[] = {
        {QString(), QString()},
        {QStringLiteral(" \t\r\n\x01 "), QString()},
        {QStringLiteral("  a b  "), QStringLiteral("a b")},
        {QStringLiteral("\x1f" "x\x7f"), QStringLiteral("x\x7f")},
        {QStringLiteral("\u3000中文\u3000"), QStringLiteral("\u3000中文\u3000")},
        {QChar(0) + QStringLiteral("pw") + QChar(0), QStringLiteral("pw")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TrimText(c.input), c.expected) << c.input.toStdString();
}
