#pragma once

#include <QString>

// The add-task window's input, checked in the window's order; only the first failing check speaks.
struct TaskInputCheck {
    enum class Field { None, Keyword, GoodsUrl, GoodsId, TotalClickCount };

    Field failedField = Field::None; // where the focus goes after the message
    QString message;                 // empty when the input is good

    // The trimmed texts and the parsed visit count, as they are sent.
    QString keyword;
    QString goodsUrl;
    QString goodsId;
    int totalClickCount = 0;

    bool bPassed() const { return failedField == Field::None; }
};

TaskInputCheck CheckTaskInput(const QString &keyword, const QString &goodsUrl, const QString &goodsId,
                              const QString &totalClickCount);
