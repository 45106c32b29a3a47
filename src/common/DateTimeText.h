#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The program-wide date-and-time text "yyyy-mm-dd hh:nn:ss" (24-hour), local wall-clock time.
QString FormatDateTimeText(const QDateTime &dateTime);

// Parses exactly "yyyy-MM-dd HH:mm:ss"; anything else, or an impossible date or time, gives nothing.
// The result is a naive wall-clock value (held as UTC so that no zone or daylight-saving
// rule ever shifts it); compare it only with another such value, see NaiveWallClock().
std::optional<QDateTime> ParseDateTimeText(const QString &text);

// The wall-clock reading of a date and time, as a naive value comparable with ParseDateTimeText's.
QDateTime NaiveWallClock(const QDateTime &dateTime);
