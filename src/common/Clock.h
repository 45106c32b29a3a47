#pragma once

#include <QDateTime>

// Where "now" comes from, so the seven-day edge and the day's log file can be tested to the second.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
