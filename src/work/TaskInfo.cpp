#include "TaskInfo.h"

#include "JsonValue.h"

TTaskInfo ReadTaskInfo(const JsonValue &object)
{
    TTaskInfo task;
    task.FTaskID = RequireInt(object, u"taskid");
    task.FUserID = RequireInt(object, u"userID");
    task.FKeyword = RequireScalarText(object, u"keyWord");
    task.FgoodsURL = RequireScalarText(object, u"goodsURL");
    task.FgoodsID = RequireScalarText(object, u"goodsID");
    task.FlowestPrice = RequireScalarText(object, u"LowestPrice");
    task.FhighestPrice = RequireScalarText(object, u"HighestPrice");
    task.FSearchType = RequireInt(object, u"SearchType");
    task.FTotalClickCount = RequireInt(object, u"TotalClickCount");
    task.FHasClickCount = RequireInt(object, u"HasClickCount");
    task.FStatus = RequireInt(object, u"Status");
    task.FAddTime = RequireScalarText(object, u"AddTime");
    return task;
}
