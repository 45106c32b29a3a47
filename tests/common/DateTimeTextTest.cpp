#include "DateTimeText.h"

#include <gtest/gtest.h>

TEST(DateTimeText, FormatsTwentyFourHourWithDashesAndColons)
{
    const QDateTime value(QDate(2015, 10, 24), QTime(21, 5, 7, 999));
    EXPECT_EQ(FormatDateTimeText(value), QStringLiteral("2015-10-24 21:05:07"));
}

TEST(DateTimeText, ParsesOnlyTheExactShape)
{
    const auto parsed = ParseDateTimeText(QStringLiteral("2015-10-24 09:05:07"));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->date(), QDate(2015, 10, 24));
    EXPECT_EQ(parsed->time(), QTime(9, 5, 7));

    for (const char *bad : {"", "2015-10-24", "2015-10-24 9:05:07", "2015/10/24 09:05:07", "2015-13-01 00:00:00",
                            "2015-02-30 00:00:00", "2015-10-24 24:00:00", " 2015-10-24 09:05:07",
                            "2015-10-24 09:05:07.5", "2015-10-24T09:05:07"})
        EXPECT_FALSE(ParseDateTimeText(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(DateTimeText, WallClockValuesCompareWithoutZoneShift)
{
    const auto stored = ParseDateTimeText(QStringLiteral("2015-10-24 09:05:07"));
    ASSERT_TRUE(stored.has_value());
    const QDateTime due = stored->addDays(7);
    EXPECT_GT(due, NaiveWallClock(QDateTime(QDate(2015, 10, 31), QTime(9, 5, 6, 999))));
    EXPECT_EQ(due, NaiveWallClock(QDateTime(QDate(2015, 10, 31), QTime(9, 5, 7, 0))));
}
