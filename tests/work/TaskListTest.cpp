#include "JsonValue.h"
#include "RecordingMessageBoxes.h"
#include "ShuffleList.h"
#include "TaskInfo.h"
#include "TaskList.h"
#include "TaskListFetch.h"
#include "QStringPrint.h"
#include "WorkTestSupport.h"

#include <QStringList>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

JsonValue parse(const QString &json)
{
    return ParseJson(json.toUtf8());
}

QString withKey(const QString &key, const QString &valueJson)
{
    QString json = TaskJson(7, 3);
    const QString needle = u'"' + key + QStringLiteral("\":");
    const qsizetype at = json.indexOf(needle);
    const qsizetype valueStart = at + needle.size();
    qsizetype valueEnd = valueStart;
    if (json.at(valueStart) == u'"')
        valueEnd = json.indexOf(u'"', valueStart + 1) + 1;
    else
        while (json.at(valueEnd) != u',' && json.at(valueEnd) != u'}')
            ++valueEnd;
    return json.replace(valueStart, valueEnd - valueStart, valueJson);
}

TEST(ReadTaskInfo, FillsEveryFieldFromItsKey)
{
    const TTaskInfo task = ReadTaskInfo(parse(TaskJson(7, 3, QStringLiteral("连衣裙"))));
    EXPECT_EQ(task.FTaskID, 7);
    EXPECT_EQ(task.FUserID, 3);
    EXPECT_EQ(task.FKeyword, QStringLiteral("连衣裙"));
    EXPECT_EQ(task.FgoodsURL, QStringLiteral("http://item/7"));
    EXPECT_EQ(task.FgoodsID, QStringLiteral("g7"));
    EXPECT_EQ(task.FlowestPrice, QStringLiteral("1.5"));
    EXPECT_EQ(task.FhighestPrice, QStringLiteral("9"));
    EXPECT_EQ(task.FSearchType, 1);
    EXPECT_EQ(task.FTotalClickCount, 10);
    EXPECT_EQ(task.FHasClickCount, 2);
    EXPECT_EQ(task.FStatus, 1);
    EXPECT_EQ(task.FAddTime, QStringLiteral("2015-10-24 09:05:07"));
    EXPECT_FALSE(task.FbHasViewed);
}

TEST(ReadTaskInfo, TextFieldsTakeTheTextOfAnyScalar)
{
    const struct {
        const char16_t *value;
        const char16_t *text;
    } cases[] = {
        {u"null", u"null"}, {u"true", u"true"}, {u"false", u"false"}, {u"12.50", u"12.50"}, {u"\"\"", u""},
    };
    for (const auto &c : cases) {
        const TTaskInfo task = ReadTaskInfo(parse(withKey(QStringLiteral("LowestPrice"), QString::fromUtf16(c.value))));
        EXPECT_EQ(task.FlowestPrice, QString::fromUtf16(c.text)) << QString::fromUtf16(c.value).toStdString();
    }
}

TEST(ReadTaskInfo, IntegerFieldsTakeOnlyJsonIntegersInRange)
{
    EXPECT_EQ(ReadTaskInfo(parse(withKey(QStringLiteral("taskid"), QStringLiteral("-2147483648")))).FTaskID,
              -2147483647 - 1);
    EXPECT_EQ(ReadTaskInfo(parse(withKey(QStringLiteral("Status"), QStringLiteral("2147483647")))).FStatus,
              2147483647);
    const char16_t *bad[] = {u"null", u"\"12\"", u"1.5", u"2147483648", u"true", u"[1]"};
    for (const char16_t *value : bad) {
        EXPECT_THROW(ReadTaskInfo(parse(withKey(QStringLiteral("taskid"), QString::fromUtf16(value)))), ReplyError)
            << QString::fromUtf16(value).toStdString();
    }
    EXPECT_THROW(ReadTaskInfo(parse(withKey(QStringLiteral("keyWord"), QStringLiteral("{}")))), ReplyError);
}

TEST(ReadTaskInfo, KeysMatchExactlyAndTheFirstOccurrenceWins)
{
    QString renamed = TaskJson(7, 3);
    renamed.replace(QStringLiteral("\"taskid\""), QStringLiteral("\"TaskID\""));
    EXPECT_THROW(ReadTaskInfo(parse(renamed)), ReplyError);

    QString doubled = TaskJson(7, 3);
    doubled.replace(QStringLiteral("{\"taskid\":7,"), QStringLiteral("{\"taskid\":8,\"taskid\":7,\"keyWord\":\"first\","));
    const TTaskInfo task = ReadTaskInfo(parse(doubled));
    EXPECT_EQ(task.FTaskID, 8);
    EXPECT_EQ(task.FKeyword, QStringLiteral("first"));
}

TEST(ShuffleList, KeepsEveryElementOnceAndReachesEveryOrder)
{
    std::vector<int> *missing = nullptr;
    ShuffleList(missing);
    std::vector<int> empty;
    ShuffleList(&empty);
    EXPECT_TRUE(empty.empty());
    std::vector<int> one{5};
    ShuffleList(&one);
    EXPECT_EQ(one, std::vector<int>{5});

    std::set<std::vector<int>> orders;
    for (int round = 0; round < 600; ++round) {
        std::vector<int> list{1, 2, 3};
        ShuffleList(&list);
        std::vector<int> sorted = list;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(sorted, (std::vector<int>{1, 2, 3}));
        orders.insert(list);
    }
    EXPECT_EQ(orders.size(), 6u);
}

class GetTaskListTest : public ::testing::Test {
protected:
    std::vector<int> ids() const
    {
        std::vector<int> result;
        for (int i = 0; i < pool.size(); ++i)
            result.push_back(pool.at(i)->FTaskID);
        return result;
    }
    void fillWithStale()
    {
        pool.append(std::make_unique<TTaskInfo>());
        pool.append(std::make_unique<TTaskInfo>());
    }

    TestHttpServer server;
    ChannelToServer channel{server};
    RecordingMessageBoxes boxes;
    TTaskList pool;
};

TEST_F(GetTaskListTest, AsksForTheTaskListAndShufflesEveryObjectIn)
{
    QStringList tasks;
    for (int id = 1; id <= 30; ++id)
        tasks << TaskJson(id, 100 + id);
    server.setReply(200, ReplyBody(1, u'[' + tasks.join(u',') + QStringLiteral(",5,\"x\",null,[],") + TaskJson(1, 9) + u']'));
    fillWithStale();

    EXPECT_TRUE(GetTaskList(nullptr, pool));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(ActionOf(server.requests().front()), QStringLiteral("gettasklist"));
    std::vector<int> got = ids();
    ASSERT_EQ(got.size(), 31u);
    EXPECT_NE(got, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23,
                                     24, 25, 26, 27, 28, 29, 30, 1}));
    std::sort(got.begin(), got.end());
    std::vector<int> expected{1};
    for (int id = 1; id <= 30; ++id)
        expected.push_back(id);
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(GetTaskListTest, EmptyArrayGivesAnEmptyLoadedPool)
{
    server.setReply(200, ReplyBody(1, QStringLiteral("[]")));
    fillWithStale();
    EXPECT_TRUE(GetTaskList(nullptr, pool));
    EXPECT_TRUE(pool.isEmpty());
}

TEST_F(GetTaskListTest, FailuresEmptyThePoolAndSayWhatTheyShould)
{
    const struct {
        int status;
        QByteArray body;
        const char16_t *text; // nullptr: no box
        const char16_t *title;
        bool bTextIsPrefix;
    } cases[] = {
        {500, QByteArray("oops"), u"获取任务列表失败，请稍后再试！", u"错误", true},
        {200, ReplyBody(0, QStringLiteral("\"refused\"")), u"获取任务列表失败", u"提示", false},
        {200, ReplyBody(1, QStringLiteral("\"no array\"")), nullptr, nullptr, false},
        {200, ReplyBody(1, QStringLiteral("{}")), nullptr, nullptr, false},
    };
    for (const auto &c : cases) {
        boxes.clear();
        fillWithStale();
        server.setReply(c.status, c.body);
        EXPECT_FALSE(GetTaskList(nullptr, pool));
        EXPECT_TRUE(pool.isEmpty());
        if (c.text == nullptr) {
            EXPECT_TRUE(boxes.boxes().empty());
            continue;
        }
        ASSERT_EQ(boxes.boxes().size(), 1u);
        const auto &box = boxes.boxes().front();
        if (c.bTextIsPrefix) {
            EXPECT_TRUE(box.text.startsWith(QString::fromUtf16(c.text))) << box.text.toStdString();
            EXPECT_GT(box.text.size(), QString::fromUtf16(c.text).size()) << "the channel's error text follows";
        } else {
            EXPECT_EQ(box.text, QString::fromUtf16(c.text));
        }
        EXPECT_EQ(box.title, QString::fromUtf16(c.title));
        EXPECT_EQ(box.icon, MessageBoxes::Icon::Error);
        EXPECT_EQ(box.buttons, MessageBoxes::Buttons::Ok);
    }
}

TEST_F(GetTaskListTest, MalformedRepliesThrowAndKeepEarlierRecordsInOrder)
{
    QString badTask = TaskJson(4, 1);
    badTask.replace(QStringLiteral("\"taskid\":4"), QStringLiteral("\"taskid\":\"4\""));
    server.setReply(200, ReplyBody(1, u'[' + TaskJson(1, 1) + u',' + TaskJson(2, 1) + u',' + TaskJson(3, 1) + u','
                                          + badTask + u',' + TaskJson(5, 1) + u']'));
    EXPECT_THROW(GetTaskList(nullptr, pool), ReplyError);
    EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3}));

    const QByteArray unreadable[] = {QByteArray("!!!"), TestHttpServer::base64Json(QStringLiteral("[1]")),
                                     TestHttpServer::base64Json(QStringLiteral(R"({"retcode":"1","retmsg":[]})"))};
    for (const QByteArray &body : unreadable) {
        server.setReply(200, body);
        EXPECT_THROW(GetTaskList(nullptr, pool), ReplyError);
        EXPECT_TRUE(pool.isEmpty());
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(TaskList, EveryClearStartsANewGeneration)
{
    TTaskList list;
    const auto first = list.generation();
    list.append(std::make_unique<TTaskInfo>());
    EXPECT_EQ(list.generation(), first);
    list.ClearTaskList();
    EXPECT_NE(list.generation(), first);
    EXPECT_TRUE(list.isEmpty());
}

} // namespace
