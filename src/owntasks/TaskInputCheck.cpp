#include "TaskInputCheck.h"

#include "TextTrim.h"

namespace {

TaskInputCheck failed(TaskInputCheck::Field field, const QString &message)
{
    TaskInputCheck check;
    check.failedField = field;
    check.message = message;
    return check;
}

} // namespace

TaskInputCheck CheckTaskInput(const QString &keyword, const QString &goodsUrl, const QString &goodsId,
                              const QString &totalClickCount)
{
    using Field = TaskInputCheck::Field;
    TaskInputCheck check;
    check.keyword = TrimText(keyword);
    if (check.keyword.isEmpty())
        return failed(Field::Keyword, QStringLiteral("关键词不能为空！"));
    check.goodsUrl = TrimText(goodsUrl);
    if (check.goodsUrl.isEmpty())
        return failed(Field::GoodsUrl, QStringLiteral("宝贝地址不能为空！"));
    check.goodsId = TrimText(goodsId);
    if (check.goodsId.isEmpty())
        return failed(Field::GoodsId, QStringLiteral("宝贝ID不能为空！"));
    const QString count = TrimText(totalClickCount);
    if (count.isEmpty())
        return failed(Field::TotalClickCount, QStringLiteral("所需访问量不能为空！"));

    const QString wrongCount = QStringLiteral("请填写准确的访问量！");
    bool bNumber = false;
    const int number = count.toInt(&bNumber, 10);
    if (!bNumber || number < 1 || number > 500)
        return failed(Field::TotalClickCount, wrongCount);
    check.totalClickCount = number;
    return check;
}
