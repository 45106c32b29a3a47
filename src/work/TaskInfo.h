#pragma once

#include <QString>

class JsonValue;

// One task, the same record for the pool and for the member's own list.
struct TTaskInfo {
    int FTaskID = 0;
    int FUserID = 0;
    QString FKeyword;
    QString FgoodsURL;
    QString FgoodsID;
    QString FlowestPrice;
    QString FhighestPrice;
    int FSearchType = 0;
    int FTotalClickCount = 0;
    int FHasClickCount = 0;
    int FStatus = 0;
    QString FAddTime;
    bool FbHasViewed = false;
};

using PTaskInfo = TTaskInfo *;

// Reads the twelve keys of one task object (exact names, first occurrence wins). Integer fields
// take only JSON integers in the 32-bit range; text fields take the text of any scalar.
// Throws ReplyError on a missing key or a wrong type.
TTaskInfo ReadTaskInfo(const JsonValue &object);
