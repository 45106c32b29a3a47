#include "OwnTasksFixture.h"

#include "ChannelSettings.h"
#include "JsonValue.h"
#include "SelfTaskList.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

QStringList rowTexts(const SelfTaskListView &view, int column)
{
    QStringList texts;
    for (int i = 0; i < view.topLevelItemCount(); ++i)
        texts << view.topLevelItem(i)->text(column);
    return texts;
}

// The picture index a row shows, or -1 for none.
int pictureOf(const QTreeWidgetItem *item)
{
    const QIcon icon = item->icon(SelfTaskListView::ColId);
    if (icon.isNull())
        return -1;
    const QList<QIcon> &pictures = SelfTaskListView::il_Status();
    for (int i = 0; i < pictures.size(); ++i) {
        if (pictures.at(i).cacheKey() == icon.cacheKey())
            return i;
    }
    return -2;
}

QList<int> rowPictures(const SelfTaskListView &view)
{
    QList<int> pictures;
    for (int i = 0; i < view.topLevelItemCount(); ++i)
        pictures << pictureOf(view.topLevelItem(i));
    return pictures;
}

void saveShot(QWidget &widget, const QString &name)
{
    widget.show();
    QDir().mkpath(QStringLiteral(QT_TESTCASE_BUILDDIR "/shots"));
    widget.grab().save(QStringLiteral(QT_TESTCASE_BUILDDIR "/shots/") + name);
}

// Nothing may arrive: give a summary the chance to come in, then look.
void settle()
{
    QTest::qWait(150);
}

} // namespace

class SelfTaskListTest : public OwnTasksFixture {};

TEST_F(SelfTaskListTest, RowsCaptionsIconsAndTheSummaryOfACompleteLoad)
{
    PipeListener listener(paths.tempDir);
    ASSERT_TRUE(listener.bListening());
    answer(QStringLiteral("gettasklistbyuserid"),
           ListReply({TaskJson(42, 1, 100, 5, QStringLiteral("连衣裙"), QStringLiteral("http://item.taobao.com/item.htm?id=42")),
                      TaskJson(7, 0, 50, 0, QStringLiteral("手机壳")), TaskJson(9, 1, 20, 7, QStringLiteral("茶叶"))}));

    ownTasks->GetSelfTaskList();

    EXPECT_TRUE(boxes.boxes().empty());
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(0)->FTaskID, 42);
    EXPECT_EQ(rowTexts(*view, SelfTaskListView::ColId), QStringList({u"1"_s, u"2"_s, u"3"_s}));
    EXPECT_EQ(rowTexts(*view, SelfTaskListView::ColKeyword), QStringList({u"连衣裙"_s, u"手机壳"_s, u"茶叶"_s}));
    EXPECT_EQ(view->topLevelItem(0)->text(SelfTaskListView::ColGoodsUrl), u"http://item.taobao.com/item.htm?id=42"_s);
    EXPECT_EQ(rowTexts(*view, SelfTaskListView::ColClicks),
              QStringList({u"总流量：100 已完成：5"_s, u"总流量：50 已完成：0"_s, u"总流量：20 已完成：7"_s}));
    EXPECT_EQ(rowTexts(*view, SelfTaskListView::ColStatus), QStringList({u"正常"_s, u"异常"_s, u"正常"_s}));
    EXPECT_EQ(view->topLevelItem(0)->text(SelfTaskListView::ColAddTime), u"2026-12-07 10:00:00"_s);
    EXPECT_EQ(rowPictures(*view), QList<int>({1, 0, 1}));

    const auto requests = requestsFor(u"gettasklistbyuserid"_s);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].body.endsWith("&userpass=cGFzcw%3D%3D&action=gettasklistbyuserid")) << requests[0].body.constData();

    ASSERT_TRUE(listener.waitForSummaries(1));
    EXPECT_EQ(listener.summaries().size(), 1u);
    EXPECT_EQ(listener.summaries().front().toHex(' '), SummaryBytes(true, 12).toHex(' '));

    saveShot(mainWindow, u"own-task-list.png"_s);
}

TEST_F(SelfTaskListTest, StatusesOtherThanOneShowAbnormalWithTheirPictureUpToThree)
{
    answer(u"gettasklistbyuserid"_s, ListReply({TaskJson(1, 2, 10, 1), TaskJson(2, 3, 10, 2), TaskJson(3, 4, 10, 3),
                                                TaskJson(4, -1, 10, 4), TaskJson(5, 1, 10, 5)}));
    ownTasks->GetSelfTaskList();
    EXPECT_EQ(rowTexts(*view, SelfTaskListView::ColStatus),
              QStringList({u"异常"_s, u"异常"_s, u"异常"_s, u"异常"_s, u"正常"_s}));
    EXPECT_EQ(rowPictures(*view), QList<int>({2, 3, -1, -1, 1}));
}

TEST_F(SelfTaskListTest, ElementsThatAreNotObjectsAreSkipped)
{
    PipeListener listener(paths.tempDir);
    answer(u"gettasklistbyuserid"_s,
           ListReply({TaskJson(11, 1, 10, 3), u"5"_s, u"\"x\""_s, u"null"_s, u"[1]"_s, TaskJson(12, 1, 10, 4)}));
    ownTasks->GetSelfTaskList();
    EXPECT_EQ(rowTexts(*view, SelfTaskListView::ColId), QStringList({u"1"_s, u"2"_s}));
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list.at(1)->FTaskID, 12);
    ASSERT_TRUE(listener.waitForSummaries(1));
    EXPECT_EQ(listener.summaries().front(), SummaryBytes(false, 7));
}

TEST_F(SelfTaskListTest, AnEmptyArrayGivesNoRowsAndAnEmptySummary)
{
    PipeListener listener(paths.tempDir);
    answer(u"gettasklistbyuserid"_s, ListReply({}));
    ownTasks->GetSelfTaskList();
    EXPECT_EQ(view->topLevelItemCount(), 0);
    ASSERT_TRUE(listener.waitForSummaries(1));
    EXPECT_EQ(listener.summaries().front(), SummaryBytes(false, 0));
}

TEST_F(SelfTaskListTest, NoRowIsSelectedAfterAReload)
{
    answer(u"gettasklistbyuserid"_s, ListReply({TaskJson(1, 1, 10, 1), TaskJson(2, 1, 10, 2)}));
    ownTasks->GetSelfTaskList();
    mainWindow.show();
    view->setFocus();
    selectRow(1);
    ASSERT_EQ(view->selectedItems().size(), 1);

    ownTasks->GetSelfTaskList();
    EXPECT_EQ(view->topLevelItemCount(), 2);
    EXPECT_TRUE(view->selectedItems().isEmpty());
    EXPECT_EQ(view->currentItem(), nullptr);
}

TEST_F(SelfTaskListTest, WithNoListenerTheLoadWorksAndNothingIsReported)
{
    answer(u"gettasklistbyuserid"_s, ListReply({TaskJson(1, 0, 10, 1)}));
    ownTasks->GetSelfTaskList();
    EXPECT_EQ(view->topLevelItemCount(), 1);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(SelfTaskListTest, FailuresLeaveTheListEmptyOrPartAndSendNoSummary)
{
    struct Case {
        const char *name;
        int status;
        QByteArray body;
        bool bThrows;
        QString boxText; // prefix; empty: no box
        QString boxTitle;
        int rowsAfter;
    };
    const Case cases[] = {
        {"channel failure", 500, QByteArray(), false, u"获取任务列表失败，请稍后再试！"_s, u"错误"_s, 0},
        {"refusal", 200, ReplyBody(0, u"[]"_s), false, u"获取任务列表失败"_s, u"提示"_s, 0},
        {"retmsg not an array", 200, ReplyBody(1, u"\"ok\""_s), false, QString(), QString(), 0},
        {"retmsg missing", 200, TestHttpServer::base64Json(u"{\"retcode\":1}"_s), false, QString(), QString(), 0},
        {"not base64 JSON", 200, QByteArray("[{\"retcode\":1}]"), true, QString(), QString(), 0},
        {"retcode a string", 200, TestHttpServer::base64Json(u"{\"retcode\":\"1\",\"retmsg\":[]}"_s), true, QString(),
         QString(), 0},
        {"element lacking a key", 200,
         ReplyBody(1, u"["_s + TaskJson(1, 1, 10, 1) + u",{\"taskid\":2},"_s + TaskJson(3, 1, 10, 1) + u']'), true,
         QString(), QString(), 1},
        {"string where a number is needed", 200,
         ReplyBody(1, u"["_s + TaskJson(1, 1, 10, 1) + u',' + TaskJson(2, 1, 10, 1).replace(u"\"Status\":1"_s, u"\"Status\":\"1\""_s)
                          + u']'),
         true, QString(), QString(), 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // A complete list first, so the failed load shows that it cleared it.
        answer(u"gettasklistbyuserid"_s, ListReply({TaskJson(8, 1, 10, 1), TaskJson(9, 1, 10, 1)}));
        ownTasks->GetSelfTaskList();
        ASSERT_EQ(view->topLevelItemCount(), 2);
        boxes.clear();

        PipeListener listener(paths.tempDir);
        TestHttpServer::Reply reply;
        reply.status = c.status;
        reply.body = c.body;
        answer(u"gettasklistbyuserid"_s, reply);
        bool bThrown = false;
        try {
            ownTasks->GetSelfTaskList();
        } catch (const ReplyError &) {
            bThrown = true;
        }
        EXPECT_EQ(bThrown, c.bThrows);
        EXPECT_EQ(view->topLevelItemCount(), c.rowsAfter);
        EXPECT_EQ(list.size(), c.rowsAfter);
        EXPECT_TRUE(view->updatesEnabled());
        if (c.boxText.isEmpty()) {
            EXPECT_TRUE(boxes.boxes().empty());
        } else {
            ASSERT_EQ(boxes.boxes().size(), 1u);
            const auto &box = boxes.boxes().front();
            EXPECT_TRUE(box.text.startsWith(c.boxText)) << box.text.toStdString();
            EXPECT_EQ(box.title, c.boxTitle);
            EXPECT_EQ(box.icon, MessageBoxes::Icon::Error);
            EXPECT_EQ(box.buttons, MessageBoxes::Buttons::Ok);
            EXPECT_EQ(box.parent, &mainWindow);
        }
        settle();
        EXPECT_TRUE(listener.summaries().empty());
    }
}

TEST_F(SelfTaskListTest, TheChannelsErrorTextFollowsTheFailureTextDirectly)
{
    answer(u"gettasklistbyuserid"_s, ListReply({}));
    channelSettings().apiPort = 1; // nothing listens there
    ownTasks->GetSelfTaskList();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    const QString prefix = u"获取任务列表失败，请稍后再试！"_s;
    ASSERT_TRUE(boxes.boxes().front().text.startsWith(prefix));
    EXPECT_GT(boxes.boxes().front().text.size(), prefix.size());
    EXPECT_NE(boxes.boxes().front().text.at(prefix.size()), u' ');
}

TEST_F(SelfTaskListTest, AReloadDuringAnotherReloadsWaitNeverDoublesTheRows)
{
    PipeListener listener(paths.tempDir);
    std::atomic<int> served{0};
    server.setHandler([&](const TestHttpServer::Request &) {
        TestHttpServer::Reply reply;
        if (served++ == 0) {
            std::this_thread::sleep_for(400ms);
            reply.body = ListReply({TaskJson(1, 1, 10, 1), TaskJson(2, 1, 10, 2), TaskJson(3, 1, 10, 3)});
        } else {
            reply.body = ListReply({TaskJson(4, 0, 10, 4), TaskJson(5, 1, 10, 5)});
        }
        return reply;
    });
    // The five-minute timer fires while the first reload waits behind its wait window.
    QTimer::singleShot(100, view, [this] { ownTasks->GetSelfTaskList(); });
    ownTasks->GetSelfTaskList();

    EXPECT_EQ(served.load(), 2);
    EXPECT_EQ(rowTexts(*view, SelfTaskListView::ColId), QStringList({u"1"_s, u"2"_s, u"3"_s}));
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(0)->FTaskID, 1);
    ASSERT_TRUE(listener.waitForSummaries(2));
    EXPECT_EQ(listener.summaries().at(0), SummaryBytes(true, 9));
    EXPECT_EQ(listener.summaries().at(1), SummaryBytes(false, 6));
}

TEST_F(SelfTaskListTest, PopupMenuInItsOrderWithItsPictures)
{
    const QList<QAction *> items = view->pm_Task->actions();
    QStringList texts;
    for (const QAction *item : items)
        texts << (item->isSeparator() ? u"-"_s : item->text());
    EXPECT_EQ(texts, QStringList({u"刷新列表"_s, u"添加任务"_s, u"-"_s, u"删除选中任务"_s, u"打开宝贝地址"_s}));
    EXPECT_EQ(view->act_AddTask->icon().cacheKey(), SelfTaskListView::il_Status().at(3).cacheKey());
    EXPECT_EQ(view->act_DeleteTask->icon().cacheKey(), SelfTaskListView::il_Status().at(2).cacheKey());
    EXPECT_FALSE(SelfTaskListView::il_Status().at(0).pixmap(16, 16).isNull());

    view->act_RefreshSelfTaskList->trigger();
    deliverPostedEvents();
    EXPECT_EQ(mainWindow.refreshPosts, 1);
}

TEST_F(SelfTaskListTest, OpenGoodsUrlOpensOnlyTheSelectedRowsWebAddress)
{
    answer(u"gettasklistbyuserid"_s,
           ListReply({TaskJson(1, 1, 10, 1, u"a"_s, u"https://detail.tmall.com/item.htm?id=1&x=2"_s),
                      TaskJson(2, 1, 10, 1, u"b"_s, u"file:///C:/Windows/System32/calc.exe"_s),
                      TaskJson(3, 1, 10, 1, u"c"_s, u"calc.exe"_s)}));
    ownTasks->GetSelfTaskList();
    std::vector<QUrl> opened;
    view->setUrlOpener([&](const QUrl &url) { opened.push_back(url); });

    view->N_OpenGoodsURL->trigger(); // nothing selected
    EXPECT_TRUE(opened.empty());

    selectRow(1);
    view->N_OpenGoodsURLClick();
    selectRow(2);
    view->N_OpenGoodsURLClick();
    EXPECT_TRUE(opened.empty());

    selectRow(0);
    view->N_OpenGoodsURL->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(), u"https://detail.tmall.com/item.htm?id=1&x=2"_s);
}

TEST(SelfTaskListGlobal, ClearSelfTaskListDisposesTheRecordsAndBumpsTheGeneration)
{
    gSelfTaskList = std::make_unique<TTaskList>();
    gSelfTaskList->append(std::make_unique<TTaskInfo>());
    const auto before = gSelfTaskList->generation();
    ClearSelfTaskList(*gSelfTaskList);
    EXPECT_TRUE(gSelfTaskList->isEmpty());
    EXPECT_NE(gSelfTaskList->generation(), before);
    gSelfTaskList.reset();
}
